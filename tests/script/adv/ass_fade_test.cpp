// The script fades: a snapshot of the battle picture darkened over the back buffer by the clock.
#include <cstring>

#include "adv_env.h"
#include "graphics/blit/drw.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "script/core/ass.h"
#include "script/core/ass_func.h"
#include "shell/sys.h"

namespace {

using test::Rgb8;

class AdvFade : public test::AdvTest {
protected:
    void SetUp() override {
        AdvTest::SetUp();
        WritePicture("pic.grp", 64, 48, [](int x, int y) { return Rgb8{40 + x * 3, 250 - y * 4, 120}; });
    }
    // The overlay drawn over a grey back buffer equals the work surface faded at level.
    ::testing::AssertionResult OverlayAt(i32 level) {
        const RECT all{0, 0, 640, 480};
        const u16 bg = Pack({128, 128, 128});
        plat::Surface* ref = SURF_Create(640, 480, 0);
        SURF_Fill(ref, &all, bg);
        DWW_FadeInBlack(ref, 0, 0, SPR_GetSlotSurf(ScreenWorkSurf), nullptr, level, DRW_NO_KEY);
        SURF_Fill(DispBackBuffer, &all, bg);
        ASS_Draw();
        bool same = true;
        for (int y = 0; y < 480 && same; ++y)
            same = std::memcmp(ref->pixels + y * ref->pitch, DispBackBuffer->pixels + y * DispBackBuffer->pitch,
                               640 * 2) == 0;
        SURF_Release(ref);
        return same ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "level " << level;
    }
    bool NoOverlay() {
        const RECT all{0, 0, 640, 480};
        const u16 bg = Pack({128, 128, 128});
        SURF_Fill(DispBackBuffer, &all, bg);
        ASS_Draw();
        return Pixel(0, 0) == bg && Pixel(70, 60) == bg;
    }
};

TEST_F(AdvFade, FadeInDarkensASnapshotOfTheBattlePictureByTheClock) {
    Run("call loadsprite \"pic.bmp\", 50, 40, 5, 1\ncall fade 320\ncall return 5");
    EXPECT_EQ(Loop(), 3);
    // The snapshot: the sprite on black.
    plat::Surface* work = SPR_GetSlotSurf(ScreenWorkSurf);
    const auto at = [&](int x, int y) { return reinterpret_cast<const u16*>(work->pixels + y * work->pitch)[x]; };
    EXPECT_EQ(at(10, 10), 0);
    EXPECT_EQ(at(50, 40), Pack({40, 250, 120}));
    EXPECT_EQ(SprDrawSurf, &DispBackBuffer);
    EXPECT_EQ(_ass_getfadekind(), ASS_WAIT_FADE);
    for (u32 ms : {0u, 80u, 160u, 240u}) {
        clock.Set(_ass_getfadestart() + ms);
        EXPECT_TRUE(OverlayAt(i32(ms * 32 / 320))) << ms;
        EXPECT_EQ(Loop(), 3) << ms;
    }
    clock.Set(_ass_getfadestart() + 320);
    EXPECT_EQ(Loop(), 4);
    EXPECT_EQ(_ass_getfadekind(), ASS_FADE_NONE);
    EXPECT_TRUE(NoOverlay());
    EXPECT_EQ(Loop(), 5);
}

TEST_F(AdvFade, FadeOutStaysBlackUntilANewScript) {
    Run("call loadsprite \"pic.bmp\", 50, 40, 5, 1\ncall fade2 100\ncall keywait");
    EXPECT_EQ(Loop(), 3);
    EXPECT_TRUE(OverlayAt(32));  // the picture whole at the start
    clock.Advance(50);
    EXPECT_TRUE(OverlayAt(16));
    clock.Advance(50);
    EXPECT_EQ(Loop(), 4);
    clock.Advance(5000);
    EXPECT_TRUE(OverlayAt(0));
    EXPECT_EQ(_ass_getfadekind(), ASS_WAIT_FADE2);
    // A second script under a new engine starts without the black.
    ASS_Init();
    Run("call keywait", "second.scr");
    EXPECT_EQ(Loop(), 0);
    EXPECT_TRUE(NoOverlay());
}

TEST_F(AdvFade, ZeroTimeFadeEndsAtTheNextUpdateAndReadModeOnlyStoresTheTime) {
    Run("call fade 0\ncall keywait");
    EXPECT_EQ(Loop(0, 16), 3);
    EXPECT_EQ(_ass_getfadetime(), 1);
    EXPECT_EQ(Loop(), 4);
    ASS_Init();
    ASS_SetScriptReadMode(1);
    Run("call fade2 700\ncall return 5", "r.scr");
    EXPECT_EQ(Loop(), 0);  // the call still ends the frame
    EXPECT_EQ(Loop(), 5);
    EXPECT_EQ(_ass_getfadetime(), 700);
    EXPECT_EQ(_ass_getfadekind(), ASS_FADE_NONE);
}

}  // namespace
