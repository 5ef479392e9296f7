// The level-up screen frame by frame on the sample data's picture, with an injected clock, the fake
// input backend and a manually mixed sound device.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "../btl/btl_support.h"
#include "lvup_support.h"
#include "battle/data/waza_data.h"
#include "battle/meka/waza.h"
#include "graphics/blit/blt.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "platform/audio.h"
#include "platform/surface.h"
#include "screens/save/save.h"
#include "screens/survival/lvup.h"
#include "shell/sound/sound.h"
#include "tools/writers/battle_data_writer.h"
#include "tools/writers/wave_writer.h"

namespace {

using lvuptest::Exp;

constexpr int kSounds[] = {47, 50, 51};
constexpr int kTechniques = 36;  // twelve groups
constexpr int kDikDecide = 44;   // Z: the system keys' decide

std::vector<u8> ReadAll(const std::string& path) {
    std::vector<u8> bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        for (int c; (c = std::fgetc(f)) != EOF;) bytes.push_back(u8(c));
        std::fclose(f);
    }
    return bytes;
}

class LevelUpScreen : public btltest::BattleMode {
protected:
    void SetUp() override {
        BattleMode::SetUp();
        std::filesystem::create_directories(dir_.File("Bmp"));
        std::filesystem::copy_file(std::string(KORVANE_SAMPLE_DATA_DIR) + "/Bmp/WpnLvUp.grp", dir_.File("Bmp/WpnLvUp.grp"));
        std::vector<WAZA_DATA> waza;
        for (int t = 0; t < kTechniques; t++) {
            WAZA_DATA w = tools::NewWaza();
            w.costKind = 2;
            w.cost = i16(24 + 6 * (t / 3));
            waza.push_back(w);
        }
        ASSERT_TRUE(tools::SaveFile(dir_.File("Dat/player.waz"), tools::WazFile(waza)));

        plat::AudioSetManualMix(8000);
        ASSERT_EQ(SND_InitDevice(nullptr), 1);
        for (int n : kSounds) {
            dir_.Write("se.wav", tools::MakeWave(tools::WaveOptions{}, tools::IndexSamples16(400)));
            SeBuffer[n] = SND_LoadSound(dir_.File("se.wav").c_str());
            ASSERT_NE(SeBuffer[n], nullptr);
        }
        KEY_Init(&SysKey, nullptr, nullptr);

        BTL_InitBattle();
        ASSERT_EQ(MEKA_Create(0, 0, MEKA_CTRL_PLAYER, 0, 700, 600), 1);
        // Groups 0..9 equipped in order; entry 10 names no technique of the player's, entry 11 none.
        for (int i = 0; i < GAME_EQUIP_MAX; i++) GameData.equip[i] = i16(3 * i);
        GameData.equip[10] = 3 * kTechniques;
        GameData.equip[11] = -1;
        for (int g = 0; g < 10; g++) GameData.exp[g] = Exp(0, 0, 300, 300, 0, 0);
        GameData.exp[0] = Exp(0, 7, 300, 300, 0, 0);      // mastery 2 after a countdown of 2
        GameData.exp[1] = Exp(0, 0, 1025, 995, 0, 0);     // level 1 on the first fill frame
        GameData.exp[2] = Exp(1, 0, 400, 200, 100, 0);    // 210 to fill: 21 frames
        GameData.exp[5] = Exp(2, 2, 1000, 990, 0, 0);     // full at level 2
        SvvWave = 0;
        LvupStep = 0;
        surfBefore_ = SurfUses();
        sprBefore_ = LiveSprites();
        playerView_ = SPR_GetAnySpr(MEKA_GetSlot(0)->spr)->view;
    }
    void TearDown() override {
        for (int n : kSounds) {
            SND_ReleaseBuffer(SeBuffer[n]);
            SeBuffer[n] = nullptr;
        }
        SND_TermDevice();
        plat::AudioSetManualMix(0);
        BattleMode::TearDown();
    }

    // Whether effect n started since the last look (it is stopped again).
    static bool Played(int n) {
        const bool playing = (SND_GetStatus(SeBuffer[n]) & plat::kSoundStatusPlaying) != 0;
        SND_Stop(SeBuffer[n]);
        return playing;
    }
    int Frame() {
        INP_RenewMouse();
        const int r = SVV_LevelUp();
        clock_.Advance(34);
        return r;
    }
    // Builds and runs the fill to its end; the fill frames.
    int RunToWait() {
        Frame();
        clock_.Advance(500);
        int frames = 0;
        while (LvupStep == 1 && frames < 500) {
            Frame();
            frames++;
        }
        return frames;
    }
    // Clicks through the wait and the end.
    int Finish() {
        input_.button[0] = true;
        Frame();
        input_.button[0] = false;
        EXPECT_EQ(LvupStep, 99);
        return Frame();
    }

    int surfBefore_ = 0, sprBefore_ = 0;
    u8 playerView_ = 0;
};

TEST_F(LevelUpScreen, BuildPlacesTheBarsAndTakesTheGains) {
    EXPECT_EQ(Frame(), 0);
    EXPECT_EQ(LvupStep, 1);
    EXPECT_EQ(SprDrawSurf, &DispBackBuffer);
    EXPECT_EQ(SPR_GetTSpr(ScreenWorkSpr)->view, 1);
    EXPECT_EQ(SPR_GetAnySpr(MEKA_GetSlot(0)->spr)->view, 0);
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 3; c++) {
            const LVUP_BAR& bar = LvupBarTbl[3 * r + c];
            const TSPR_DATA* s = SPR_GetTSpr(bar.sprite);
            ASSERT_NE(s, nullptr) << r << c;
            EXPECT_EQ(s->x, 340);
            EXPECT_EQ(s->y, LVUP_LineY(r, c) + 10);
            EXPECT_EQ(s->priority, 34);
            EXPECT_EQ(s->attr, 128u);
            EXPECT_EQ(s->level, 32 + 4 * c);
        }
    EXPECT_EQ(GameData.exp[0].mastery, 2);
    EXPECT_EQ(GameData.exp[0].useCnt, 1);
    EXPECT_EQ(LvupBarTbl[0].countdown, 2);
    EXPECT_EQ(LvupBarTbl[0].costStart, 24);
    EXPECT_EQ(GameData.exp[2].exp, 410);  // damage 100 adds 10
    EXPECT_EQ(LvupBarTbl[3].flags, 0);  // nothing used
    // Entries naming no technique of the player's take nothing.
    EXPECT_EQ(LvupBarTbl[10].flags, 0);
    EXPECT_EQ(LvupBarTbl[11].flags, 0);
}

TEST_F(LevelUpScreen, FillSoundsBannerAndEnd) {
    GameData.exp[3].mastery = 5;  // group 3 costs 37 of its 42: the saved 5 shown in a strip
    Frame();
    // The picture as built, for the pieces the fill adds over it.
    plat::Surface* built = SURF_Create(640, 480, 0);
    BLT_Copy(built, 0, 0, SPR_GetSlotSurf(ScreenWorkSurf), nullptr, 0);
    for (int n : kSounds) Played(n);
    // Nothing fills before 500 ms.
    clock_.Set(LvupStartTime + 499);
    SVV_LevelUp();
    EXPECT_EQ(LvupBarTbl[2].shownExp, 200);
    EXPECT_FALSE(Played(50));
    clock_.Set(LvupStartTime + 500);

    struct Seen {
        int frame;
        bool s47, s50, s51;
        int banner;
    };
    std::vector<Seen> trace;
    for (int f = 0; LvupStep == 1 && f < 100; f++) {
        SVV_LevelUp();
        const TSPR_DATA* b = SPR_GetTSpr(LvupBarTbl[1].banner);
        trace.push_back({f, Played(47), Played(50), Played(51), b ? b->level : -1});
    }
    ASSERT_EQ(LvupStep, 2);
    // Bar 2 fills 210 in steps of 10: 21 frames, the sound of the fill on each but the last.
    ASSERT_EQ(trace.size(), 21u);
    for (const Seen& s : trace) EXPECT_EQ(s.s50, s.frame < 20) << s.frame;
    EXPECT_TRUE(trace[0].s51);
    EXPECT_EQ(trace[0].banner, 2);
    EXPECT_EQ(trace[1].banner, 4);
    EXPECT_EQ(trace[20].banner, 32);
    EXPECT_TRUE(trace[1].s47);  // the mastery countdown of 2 ends on the second frame
    EXPECT_FALSE(trace[0].s47);
    const TSPR_DATA* banner = SPR_GetTSpr(LvupBarTbl[1].banner);
    EXPECT_EQ(banner->x, 260);
    EXPECT_EQ(banner->y, LVUP_LineY(0, 1) - 4);
    EXPECT_EQ(banner->priority, 33);
    EXPECT_EQ(GameData.exp[1].level, 1);
    EXPECT_EQ(GameData.exp[1].exp, 25);
    EXPECT_EQ(GameData.exp[2].exp, 410);
    EXPECT_EQ(LvupBarTbl[2].barWidth, 41);
    EXPECT_EQ(GameData.exp[5].exp, 1000);
    EXPECT_EQ(GameData.exp[5].level, 2);
    // What the fill drew: each piece of the picture where it belongs, and bar 1 emptied at its wrap.
    const plat::Surface *pic = SPR_GetSlotSurf(LvupSurf), *work = SPR_GetSlotSurf(ScreenWorkSurf);
    const auto at = [](const plat::Surface* s, i32 x, i32 y) {
        return reinterpret_cast<const u16*>(s->pixels + y * s->pitch)[x];
    };
    // A piece copied with its key, or (level above 0) added at that level over the built picture.
    struct Piece {
        const char* what;
        i32 x, y;
        RECT src;
        i32 level = 0;
    };
    const Piece pieces[] = {
        {"the cost the countdown took", 206, LVUP_LineY(0, 0) + 23, {402, 8, 404, 11}},
        {"the gain's second digit, 2", 558, LVUP_LineY(0, 0) + 1, {524, 0, 530, 9}},
        {"the stars of level 1 after the rise", 324, LVUP_LineY(0, 1) + 4, {392, 68, 404, 80}},
        {"the saved cost of group 3", 221, LVUP_LineY(1, 0) + 23, {417, 4, 422, 7}},
        {"the level-up label of bar 1", 480, LVUP_LineY(0, 1) + 12, {380, 52, 520, 68}, 32},
    };
    for (const Piece& p : pieces) {
        if (p.level > 0) {
            BLT_AlphaAdd(built, p.x, p.y, SPR_GetSlotSurf(LvupSurf), &p.src, p.level, 0, 1);
            for (i32 y = p.y; y < p.y + p.src.bottom - p.src.top; y++)
                for (i32 x = p.x; x < p.x + p.src.right - p.src.left; x++)
                    ASSERT_EQ(at(work, x, y), at(built, x, y)) << p.what << " at " << x << "," << y;
            continue;
        }
        int shown = 0;
        for (i32 y = p.src.top; y < p.src.bottom; y++)
            for (i32 x = p.src.left; x < p.src.right; x++) {
                if (at(pic, x, y) == pic->colorKeyLow) continue;
                shown++;
                ASSERT_EQ(at(work, p.x + x - p.src.left, p.y + y - p.src.top), at(pic, x, y)) << p.what;
            }
        EXPECT_GT(shown, 0) << p.what;
    }
    EXPECT_EQ(at(SPR_GetSlotSurf(LvupBarTbl[1].surf), 50, 6), 0);
    SURF_Release(built);

    // The wait holds until a click or a key.
    for (int f = 0; f < 5; f++) EXPECT_EQ(Frame(), 0);
    EXPECT_EQ(LvupStep, 2);
    EXPECT_EQ(Finish(), 1);
    EXPECT_EQ(SvvWave, 1);
    EXPECT_EQ(BTL_GetState(0), 15);
    EXPECT_EQ(LvupStep, 0);
    EXPECT_EQ(SPR_GetTSpr(ScreenWorkSpr)->view, 0);
    EXPECT_EQ(SPR_GetAnySpr(MEKA_GetSlot(0)->spr)->view, playerView_);
    EXPECT_EQ(SurfUses(), surfBefore_);
    EXPECT_EQ(LiveSprites(), sprBefore_);
    EXPECT_EQ(LvupSurf, -1);
}

TEST_F(LevelUpScreen, EveryThirdWaveHandsTheHiddenBattleToThePortrait) {
    SvvWave = 2;
    RunToWait();
    input_.Press(kDikDecide);
    EXPECT_EQ(Frame(), 0);
    input_.Let(kDikDecide);
    EXPECT_EQ(Frame(), 1);
    EXPECT_EQ(SvvWave, 3);
    EXPECT_EQ(BTL_GetState(0), 18);
    EXPECT_EQ(SPR_GetTSpr(ScreenWorkSpr)->view, 1);
    EXPECT_EQ(SPR_GetAnySpr(MEKA_GetSlot(0)->spr)->view, 0);
    EXPECT_EQ(SurfUses(), surfBefore_);
    EXPECT_EQ(LiveSprites(), sprBefore_);
}

TEST_F(LevelUpScreen, AMissingPictureOrPlayerStillRunsToItsEnd) {
    std::filesystem::remove(dir_.File("Bmp/WpnLvUp.grp"));
    MEKA_Delete(0);
    sprBefore_ = LiveSprites();
    surfBefore_ = SurfUses();
    RunToWait();
    EXPECT_EQ(LvupStep, 2);
    for (const LVUP_BAR& bar : LvupBarTbl) EXPECT_EQ(bar.flags, 0);
    EXPECT_EQ(Finish(), 1);
    EXPECT_EQ(SurfUses(), surfBefore_);
    EXPECT_EQ(LiveSprites(), sprBefore_);
}

TEST_F(LevelUpScreen, TheComposedPictureMatchesItsReference) {
    Frame();
    const std::string got = dir_.File("got.bmp");
    ASSERT_TRUE(plat::SaveSurfaceBmp(SPR_GetSlotSurf(ScreenWorkSurf), got.c_str()));
    const std::string path = std::string(KORVANE_TESTDATA_DIR) + "/lvup_build.bmp";
    if (const char* update = std::getenv("KORVANE_UPDATE_GOLDEN"); update && *update == '1') {
        std::filesystem::copy_file(got, path, std::filesystem::copy_options::overwrite_existing);
        GTEST_SKIP() << "reference written: " << path;
    }
    const std::vector<u8> want = ReadAll(path), have = ReadAll(got);
    ASSERT_FALSE(want.empty()) << "missing reference " << path;
    ASSERT_EQ(want.size(), have.size());
    size_t differ = 0;
    for (size_t i = 0; i < want.size(); i++) differ += want[i] != have[i];
    EXPECT_EQ(differ, 0u);
}

}  // namespace
