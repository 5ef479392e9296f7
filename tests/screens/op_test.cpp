// The opening with a generated test movie (solid frames whose colour tells their index), a logo
// picture, the injected clock and scripted screens input.
#include "screens/op.h"

#include <gtest/gtest.h>

#include "display_support.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "platform/audio.h"
#include "platform/input_fake.h"
#include "platform/picture.h"
#include "shell/input/inp.h"
#include "shell/input/key.h"
#include "shell/sound/snd.h"
#include "shell/sys.h"
#include "test_support.h"
#include "tools/writers/grp_writer.h"
#include "tools/writers/movie_writer.h"

namespace {

constexpr u32 kFrameMs = 34;
constexpr int kDikDecide = 44;
constexpr u16 kMarker = 0x1234;

u16 Pixel(plat::Surface* s, i32 x, i32 y) { return reinterpret_cast<const u16*>(s->pixels + y * s->pitch)[x]; }

i32 FrameOf565(u16 p) {
    return tools::TestMovieFrameOf(u8((p >> 11) << 3), u8(((p >> 5) & 0x3F) << 2), u8((p & 0x1F) << 3));
}

class Opening : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(display_.ok());
        SPR_Init();
        tools::GrpImage logo;
        logo.width = 560;
        logo.height = 208;
        logo.pixels.assign(size_t(560) * 208 * 2, 0x7F);
        ASSERT_TRUE(tools::SaveGrp(dir_.File("bmp/etc/logo.grp"), logo, false));
        ScreenWorkSurf = SPR_CreateSurf(640, 480, 0);
        plat::SetInputBackend(&input_);
        plat::SetPicturePlacement(RECT{0, 0, 640, 480}, 640, 480);
        ASSERT_EQ(INP_Init(nullptr, nullptr), &input_);
        plat::AudioSetManualMix(44100);
        ASSERT_EQ(SND_InitDevice(nullptr), 1);
        OP_ReleaseMovie();
        SysSeq = 1;
        for (int i = 0; i < SPR_MAX; ++i) sprBefore_ += SPR_IsSpr(i) != 0;
    }
    void TearDown() override {
        OP_ReleaseMovie();
        SND_TermDevice();
        plat::AudioSetManualMix(0);
        INP_Term();
        plat::SetInputBackend(nullptr);
        SPR_Release();
        test::EmptySurfaceSlots();
        ScreenWorkSurf = -1;
        SysSeq = 0;
    }
    void WriteMovie() { ASSERT_TRUE(tools::WriteTestMovie(dir_.File("opening.mpg"))); }  // 2 s, 64×48

    void Frame(u32 advance = kFrameMs) {
        OP_Renew();
        OP_Draw();
        clock_.Advance(advance);
    }
    // Through the logo into the movie's first frame.
    void ToMovie() {
        for (int n = 0; n < 200 && OpStep != 2; ++n) Frame();
        ASSERT_EQ(OpStep, 2);
    }
    int Sprites() const {
        int n = 0;
        for (int i = 0; i < SPR_MAX; ++i) n += SPR_IsSpr(i) != 0;
        return n;
    }

    test::TempDir dir_;
    test::ScopedCwd cwd_{dir_.path()};
    test::FakeClock clock_;
    test::HeadlessDisplay display_;
    plat::FakeInputBackend input_;
    test::DebugCapture debug_;
    int sprBefore_ = 0;
};

}  // namespace

TEST_F(Opening, TheLogoFadesInHoldsMoreThan400MsAndFadesOutWhateverIsPressed) {
    WriteMovie();
    Frame(0);  // open
    EXPECT_EQ(OpStep, 1);
    ASSERT_NE(OpMovie, nullptr);
    EXPECT_EQ(OpMovie->playing, 0);
    input_.Press(kDikDecide);  // held through the logo, clicked too: only the movie reads input
    input_.button[0] = true;
    Frame(0);
    ASSERT_GE(OpLogoSpr, 0);
    const TSPR_DATA* logo = SPR_GetTSpr(OpLogoSpr);
    EXPECT_EQ(logo->x, 40);
    EXPECT_EQ(logo->y, 136);
    EXPECT_EQ(logo->attr, 0x8000u);
    EXPECT_EQ(logo->level, 0);
    const u32 start = OpLogoStart;
    struct Point {
        u32 at;
        int logoStep;
        u32 attr;
        i16 level;
    };
    // From the fade-in's start: 16 at 400 ms, plain from 800 ms, still plain 400 ms later, darkening
    // from 1201 ms, 16 again 400 ms into the fade-out.
    for (const Point p : {Point{400, 1, 0x8000, 16}, Point{799, 1, 0x8000, 31}, Point{800, 2, 0, 0},
                          Point{1200, 2, 0, 0}, Point{1201, 3, 0x8000, 32}, Point{1601, 3, 0x8000, 16}}) {
        clock_.Set(start + p.at);
        Frame(0);
        EXPECT_EQ(OpStep, 1) << p.at;
        EXPECT_EQ(OpLogoStep, p.logoStep) << p.at;
        EXPECT_EQ(logo->attr, p.attr) << p.at;
        if (p.attr) {
            EXPECT_EQ(logo->level, p.level) << p.at;
        }
    }
    clock_.Set(start + 2001);
    Frame(0);
    EXPECT_EQ(OpStep, 2);
    EXPECT_EQ(OpLogoSpr, -1);
    EXPECT_EQ(OpLogoSurf, -1);
    EXPECT_EQ(Sprites(), sprBefore_);
    EXPECT_EQ(OpMovie->playing, 1);
    input_.Let(kDikDecide);
    input_.button[0] = false;
}

TEST_F(Opening, TheMovieEndsByItselfOrAtADecideAndTheFadeLastsASecondFromThatPicture) {
    WriteMovie();
    enum How { kEnd, kKey, kClick };
    for (const How how : {kEnd, kKey, kClick}) {
        OP_ReleaseMovie();
        SysSeq = 1;
        ToMovie();
        const u32 movieStart = clock_.now();
        if (how == kEnd) {
            while (OpStep == 2 && u32(clock_.now() - movieStart) < 5000) Frame();
            EXPECT_GE(u32(OpFadeStart - movieStart), 1900u);
            EXPECT_EQ(DWWL_GetTime(OpMovie), DWWL_GetDuration(OpMovie));
        } else {
            for (int n = 0; n < 15; ++n) Frame();
            if (how == kKey)
                input_.Press(kDikDecide);
            else
                input_.button[0] = true;
            Frame();
            input_.Let(kDikDecide);
            input_.button[0] = false;
            EXPECT_EQ(OpStep, 3);
            EXPECT_LT(u32(OpFadeStart - movieStart), 1000u);
            const i32 stopped = DWWL_GetTime(OpMovie);
            Frame();
            EXPECT_EQ(DWWL_GetTime(OpMovie), stopped);
        }
        ASSERT_EQ(OpStep, 3) << how;
        // The work surface holds the last movie picture shown.
        plat::Surface* work = SPR_GetSlotSurf(ScreenWorkSurf);
        const i32 last = FrameOf565(Pixel(work, 320, 240));
        EXPECT_EQ(FrameOf565(Pixel(work, 5, 5)), last);
        if (how == kEnd) {
            EXPECT_GE(last, 45);
        } else {
            EXPECT_LT(last, 20);
        }
        // Half way the picture is darker but not black; the step ends 1000 ms after the fade start.
        clock_.Set(OpFadeStart + 500);
        Frame(0);
        const u16 half = Pixel(DispBackBuffer, 320, 240), full = Pixel(work, 320, 240);
        EXPECT_NE(half, full);
        EXPECT_NE(half, 0);
        clock_.Set(OpFadeStart + 999);
        Frame(0);
        EXPECT_EQ(OpStep, 3);
        clock_.Set(OpFadeStart + 1000);
        Frame(0);
        EXPECT_EQ(OpStep, 4);
        Frame(0);
        EXPECT_EQ(SysSeq, 2u);
        EXPECT_EQ(OpMovie, nullptr);
        EXPECT_EQ(OpStep, 0);
    }
}

TEST_F(Opening, AMissingMovieEndsTheMovieStepAtOnceAndStillPresents) {
    Frame(0);
    ASSERT_NE(OpMovie, nullptr);  // a record without a stream
    EXPECT_EQ(DWWL_GetDuration(OpMovie), 0);
    ToMovie();
    const u64 presents = plat::GetPresentCount();
    Frame();
    EXPECT_EQ(OpStep, 3);
    EXPECT_EQ(plat::GetPresentCount(), presents + 1);
    for (int n = 0; n < 40 && SysSeq == 1; ++n) Frame();
    EXPECT_EQ(SysSeq, 2u);
}

TEST_F(Opening, BandsAroundASmallerMovieRectangleAreBlack) {
    WriteMovie();
    ToMovie();
    DWWL_SetPos(OpMovie, 100, 50);
    DWWL_SetSize(OpMovie, 320, 240);
    SURF_Fill(DispBackBuffer, nullptr, kMarker);
    clock_.Advance(40);  // the next movie frame is due
    Frame();
    const u16 movie = Pixel(DispBackBuffer, 260, 170);
    EXPECT_NE(movie, kMarker);
    struct Probe {
        i32 x, y;
        bool movie;
    };
    for (const Probe p : {Probe{99, 100, false}, Probe{100, 100, true}, Probe{419, 289, true}, Probe{420, 100, false},
                          Probe{200, 49, false}, Probe{200, 290, false}, Probe{0, 0, false}, Probe{639, 479, false}}) {
        const u16 px = Pixel(DispBackBuffer, p.x, p.y);
        if (p.movie) {
            EXPECT_NE(px, kMarker) << p.x << "," << p.y;
            EXPECT_EQ(FrameOf565(px), FrameOf565(movie)) << p.x << "," << p.y;
        } else {
            EXPECT_EQ(px, 0) << p.x << "," << p.y;
        }
    }
}

// Release step 6 closes the movie that a closed window left playing, before the sound device goes.
TEST_F(Opening, TheSoundReleaseClosesAMovieLeftPlaying) {
    WriteMovie();
    ToMovie();
    for (int n = 0; n < 5; ++n) Frame();
    ASSERT_NE(OpMovie, nullptr);
    SYS_ReleaseSound();
    EXPECT_EQ(OpMovie, nullptr);
    EXPECT_EQ(OpStep, 0);
    ASSERT_EQ(SND_InitDevice(nullptr), 1);  // for the teardown
}
