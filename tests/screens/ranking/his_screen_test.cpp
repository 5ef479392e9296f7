#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "display_support.h"
#include "graphics/display/surf.h"
#include "graphics/font/dbgtext.h"
#include "graphics/sprite/spr.h"
#include "platform/clock.h"
#include "platform/input_fake.h"
#include "platform/picture.h"
#include "screens/ranking/his.h"
#include "shell/input/inp.h"
#include "shell/input/key.h"
#include "shell/sys.h"
#include "test_support.h"
#include "tools/writers/fnt_writer.h"
#include "tools/writers/grp_writer.h"
#include "tools/writers/his_writer.h"

namespace {

constexpr u32 kFrameMs = 16;

void Picture(const test::TempDir& dir, const std::string& name, u32 w, u32 h, u8 fill) {
    tools::GrpImage img;
    img.width = w;
    img.height = h;
    img.pixels.assign(size_t(w) * h * 2, fill);
    ASSERT_TRUE(tools::SaveGrp(dir.File(name), img, false));
}

std::vector<tools::HisRun> Table() {
    std::vector<tools::HisRun> t;
    for (int i = 0; i < 10; ++i) {
        tools::HisRun r;
        r.waves = 50 - 5 * i;
        t.push_back(r);
    }
    return t;
}

class RankingScreen : public ::testing::Test {
protected:
    RankingScreen() : cwd_(dir_.path()), clock_(0xFFFFF000) {}

    void SetUp() override {
        ASSERT_TRUE(display_.ok());
        SPR_Init();
        Picture(dir_, "Bmp/etc/Ranking.grp", 640, 256, 0x21);
        Picture(dir_, "Bmp/etc/etc_t01.grp", 640, 480, 0x63);
        Picture(dir_, "bmp/etc/ttt.grp", 640, 480, 0x18);
        dir_.Write("Bmp/DebugEft.grp", tools::DebugGlyphGrp(64, 1));
        ASSERT_GE(DBG_InitText("Bmp\\DebugEft.bmp"), 0);
        ScreenWorkSurf = SPR_CreateSurf(640, 480, 0);
        ScreenWorkSpr = SPR_GetFreeSpr();
        ASSERT_TRUE(SPR_CreateTSpr(ScreenWorkSpr, 160, 0, 0, ScreenWorkSurf, nullptr));
        SPR_SetTSprView(ScreenWorkSpr, 0);
        plat::SetInputBackend(&input_);
        plat::SetPicturePlacement(RECT{0, 0, 640, 480}, 640, 480);
        ASSERT_EQ(INP_Init(nullptr, nullptr), &input_);
        KEY_InitScreenKey();
        plat::SetLocalTimeSource([] { return plat::LocalTime{2026, 12, 7, 10, 20, 30, 400, 1}; });
        for (int i = 0; i < SURF_SLOT_MAX; ++i) slotsBefore_ += SurfTbl[i].useCount != 0;
        for (int i = 0; i < SPR_MAX; ++i) sprBefore_ += SPR_IsSpr(i) != 0;
        HisState.phase = 0;
        SysSeq = 6;
    }
    void TearDown() override {
        plat::SetLocalTimeSource({});
        INP_Term();
        plat::SetInputBackend(nullptr);
        SPR_Release();
        for (int i = 0; i < SURF_SLOT_MAX; ++i)
            while (SurfTbl[i].useCount) SPR_DelSurfDat(i);
        ScreenWorkSurf = ScreenWorkSpr = -1;
        HisData = HIS_DATA{};
        DBG_TermText();
        DBG_TextDisp = 0;
    }

    // One frame, with a left click when asked; 1 when the term phase ran.
    int Frame(bool click = false) {
        input_.button[0] = click;
        const int done = HIS_Loop();
        input_.button[0] = false;
        KEY_RenewScreenKey();
        clock_.Advance(kFrameMs);
        return done;
    }
    // Frames until the step reads `step` (or the screen ends); the frames it took.
    int Until(const int& step, int want, int limit = 2000) {
        int n = 0;
        while (step != want && n < limit) {
            Frame();
            ++n;
        }
        return n;
    }
    // The rest of the run, clicking every 10th frame; the frames it took (limit + 1 when it never ended).
    int Finish(int limit = 2000) {
        for (int n = 1; n <= limit; ++n)
            if (Frame(n % 10 == 0)) return n;
        return limit + 1;
    }
    void ExpectAllFreed() {
        for (const HIS_ROW& r : HisState.row) {
            EXPECT_EQ(r.sprite, -1);
            EXPECT_EQ(r.surface, -1);
        }
        int slots = 0, sprites = 0;
        for (int i = 0; i < SURF_SLOT_MAX; ++i) slots += SurfTbl[i].useCount != 0;
        for (int i = 0; i < SPR_MAX; ++i) sprites += SPR_IsSpr(i) != 0;
        EXPECT_EQ(slots, slotsBefore_);
        EXPECT_EQ(sprites, sprBefore_);
    }

    test::TempDir dir_;
    test::ScopedCwd cwd_;
    test::FakeClock clock_;
    test::HeadlessDisplay display_;
    plat::FakeInputBackend input_;
    test::DebugCapture debug_;
    int slotsBefore_ = 0, sprBefore_ = 0;
};

}  // namespace

TEST_F(RankingScreen, ViewSlidesTheTableInWaitsForAClickAndReturnsToTheTitle) {
    HisData = HIS_DATA{};
    const std::vector<u8> bytes = tools::MakeHistory(Table(), tools::HisRun{});
    HIS_ReadData(&HisData, bytes.data());
    HIS_SetMode(1);
    Frame();  // init
    EXPECT_EQ(HisState.phase, 1);
    Frame();  // rows built, row 0's timer started
    const u32 row0Start = HisState.row[0].timer.start;
    EXPECT_EQ(HisState.row[0].x, -320);
    // The date and time run under the label: where they meet the label shows.
    const plat::Surface* row0 = SPR_GetSlotSurf(HisState.row[0].surface);
    ASSERT_NE(row0, nullptr);
    const auto at = [row0](int x, int y) { return reinterpret_cast<const u16*>(row0->pixels + y * row0->pitch)[x]; };
    EXPECT_EQ(at(150, 8), at(1, 30));
    EXPECT_NE(at(140, 8), at(1, 30));
    // Row i starts when T1's rate reaches i: row 9 only after 800 ms.
    EXPECT_FALSE(HisState.row[1].timer.active);
    while (clock_.now() - row0Start < 300) Frame();
    Frame();  // the first frame at 300 ms
    EXPECT_EQ(HisState.row[0].x, 320);
    EXPECT_LT(HisState.row[9].x, 320);
    EXPECT_LT(Until(HisState.viewStep, 4), 100);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(HisState.row[i].x, 320) << i;
    for (int n = 0; n < 50; ++n) Frame();
    EXPECT_EQ(HisState.viewStep, 4);  // waits without input
    Frame(true);
    EXPECT_EQ(HisState.viewStep, 5);
    EXPECT_LT(Finish(), 200);
    EXPECT_EQ(SYS_GetSeq(0), 2u);
    ExpectAllFreed();
    EXPECT_FALSE(std::filesystem::exists(dir_.path() + "/History.dat"));
}

TEST_F(RankingScreen, EntryInsertsTheRunSavesAndFadesTheClosingPicture) {
    for (const int waves : {35, 4}) {
        SCOPED_TRACE(waves);
        tools::HisRun run;
        run.waves = waves;
        const std::vector<u8> bytes = tools::MakeHistory(Table(), run);
        HIS_ReadData(&HisData, bytes.data());
        HIS_SetMode(0);
        Frame();
        ASSERT_EQ(HisState.phase, 1);
        const int place = waves == 35 ? 3 : 10;
        const int want = place == 10 ? 99 : 2;
        EXPECT_LT(Until(HisState.entryStep, want), 100);
        EXPECT_EQ(HisState.place, place);
        if (place == 10) {
            int maxY = 0;
            while (HisState.entryStep == 99) {
                Frame();
                maxY = std::max(maxY, int(HisState.row[10].y));
            }
            EXPECT_EQ(maxY, 480);
        } else {
            EXPECT_LT(Until(HisState.entryStep, 4), 200);
            EXPECT_EQ(HisState.row[10].x, 320);
            EXPECT_EQ(HisState.row[3].y, 64 + 40 * 3 + 40);
        }
        EXPECT_EQ(HisState.entryStep, 4);
        for (int n = 0; n < 20; ++n) Frame();
        EXPECT_EQ(HisState.entryStep, 4);
        EXPECT_LT(Finish(), 400);
        ExpectAllFreed();
        EXPECT_EQ(HisData.entry[10].time[0], 2026);
        EXPECT_EQ(HisData.entry[10].time[6], 30);
        if (place == 3) {
            EXPECT_EQ(HisData.entry[3].waves, 35);
            EXPECT_EQ(HisData.entry[4].waves, 35);
            EXPECT_EQ(HisData.entry[9].waves, 10);
        }
        std::vector<u8> saved(HIS_DATA_SIZE);
        HIS_WriteData(&HisData, saved.data());
        EXPECT_EQ(dir_.Read("History.dat"), std::string(saved.begin(), saved.end()));
        EXPECT_EQ(dir_.Read("Save/Svv.dat"), std::string(saved.begin(), saved.end()));
    }
}
