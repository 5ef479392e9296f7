// The title on the sample data's pictures, cursor and sounds, with the injected clock and scripted
// screens input.
#include "screens/title/title.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "display_support.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "platform/audio.h"
#include "platform/input_fake.h"
#include "platform/picture.h"
#include "screens/btl/btl.h"
#include "screens/ranking/his.h"
#include "shell/input/cur.h"
#include "shell/input/inp.h"
#include "shell/input/key.h"
#include "shell/sound/snd.h"
#include "shell/sound/sound.h"
#include "shell/sound/stream.h"
#include "shell/sys.h"
#include "test_support.h"

namespace {

constexpr u32 kFrameMs = 34;
constexpr int kDikUp = 72, kDikDown = 80, kDikDecide = 44, kDikCancel = 45;

TITLE_WORK& W = TitleWork;

class TitleScreen : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(display_.ok());
        SPR_Init();
        plat::SetInputBackend(&input_);
        plat::SetPicturePlacement(RECT{0, 0, 640, 480}, 640, 480);
        ASSERT_EQ(INP_Init(nullptr, nullptr), &input_);
        CUR_Init("Bmp\\Cursor\\Cursor.spr", SPR_GetFreeSprGrp());
        ScreenWorkSurf = SPR_CreateSurf(640, 480, 0);
        ScreenWorkSpr = SPR_GetFreeSpr();
        ASSERT_TRUE(SPR_CreateTSpr(ScreenWorkSpr, 160, 0, 0, ScreenWorkSurf, nullptr));
        SPR_SetTSprView(ScreenWorkSpr, 0);
        plat::AudioSetManualMix(22050);
        ASSERT_EQ(SND_InitDevice(nullptr), 1);
        BgmNo = -1;
        BgmVolume = SeVolume = 100;
        SE_LoadAll();
        KEY_InitScreenKey();
        TITLE_Term();  // from a title left built by an earlier case
        W.selected = 0;
        SysSeq = 2;
        for (int i = 0; i < SURF_SLOT_MAX; ++i) slotsBefore_ += SurfTbl[i].useCount != 0;
        for (int i = 0; i < SPR_MAX; ++i) sprBefore_ += SPR_IsSpr(i) != 0;
    }
    void TearDown() override {
        TITLE_Term();
        SE_ReleaseAll();
        SND_TermDevice();
        plat::AudioSetManualMix(0);
        INP_Term();
        plat::SetInputBackend(nullptr);
        SPR_Release();
        for (int i = 0; i < SURF_SLOT_MAX; ++i)
            while (SurfTbl[i].useCount) SPR_DelSurfDat(i);
        ScreenWorkSurf = ScreenWorkSpr = -1;
        SysSeq = 0;
    }

    void Frame(u32 advance = kFrameMs) {
        const int ran = W.step;
        TITLE_Renew();
        TITLE_Draw();
        if (platesChecked_) CheckPlates(ran);
        clock_.Advance(advance);
    }
    // Each plate's alpha level follows its offset (read from its x): × 30 / 116 for the main menu's
    // plates coming in, which turn plain once they stand at 132; × 30 / 132 for them going out (step 9)
    // and for the submenu's plates.
    void CheckPlates(int ran) const {
        for (const bool main : {true, false})
            for (int i = 0; i < (main ? TITLE_MENU_MAX : TITLE_SUBMENU_MAX); ++i) {
                const int n = (main ? TITLE_ELEM_PLATE : TITLE_ELEM_SUBPLATE) + i;
                const TSPR_DATA* p = Spr(n);
                if (!p) continue;
                SCOPED_TRACE("plate " + std::to_string(n) + " at step " + std::to_string(ran));
                const i32 offset = i % 2 == 0 ? p->x - 76 : 340 - p->x;
                const bool in = main && ran != 9;
                EXPECT_EQ(p->attr, in && offset >= 132 ? 0u : 64u);
                if (p->attr) {
                    EXPECT_EQ(p->level, offset * 30 / (in ? 116 : 132));
                }
            }
    }
    // A press for one frame, then a frame at the same time that sees the release.
    void Key(int dik, u32 advance = kFrameMs) {
        input_.Press(dik);
        Frame(0);
        input_.Let(dik);
        Frame(advance);
    }
    void Click(int button, u32 advance = kFrameMs) {
        input_.button[button] = true;
        Frame(0);
        input_.button[button] = false;
        Frame(advance);
    }
    void MouseAt(i32 x, i32 y) {
        input_.cursorX = x;
        input_.cursorY = y;
    }
    // Frames until the title step reads want; false when it never did.
    bool Until(int want, int limit = 2000) {
        for (int n = 0; n < limit && W.step != want; ++n) Frame();
        return W.step == want;
    }
    // The built menu, the intro skipped.
    void ToMenu() {
        Frame();
        Key(kDikDecide);
        ASSERT_TRUE(Until(4, 20));
    }
    const TSPR_DATA* Spr(int elem) const { return SPR_GetTSpr(W.elem[elem].sprite); }
    void ExpectAllFreed() const {
        int slots = 0, sprites = 0;
        for (int i = 0; i < SURF_SLOT_MAX; ++i) slots += SurfTbl[i].useCount != 0;
        for (int i = 0; i < SPR_MAX; ++i) sprites += SPR_IsSpr(i) != 0;
        EXPECT_EQ(slots, slotsBefore_);
        EXPECT_EQ(sprites, sprBefore_);
        for (const TITLE_ELEM& e : W.elem) EXPECT_EQ(e.sprite, -1);
    }

    test::ScopedCwd cwd_{KORVANE_SAMPLE_DATA_DIR};
    test::FakeClock clock_{0xFFFFF000};  // the intro runs across the clock's wrap
    test::HeadlessDisplay display_;
    plat::FakeInputBackend input_;
    test::DebugCapture debug_;
    int slotsBefore_ = 0, sprBefore_ = 0;
    bool platesChecked_ = false;
};

}  // namespace

TEST_F(TitleScreen, TheIntroRunsItsPartsByTheClockIntoTheMenuAndStartsTheMusicOnce) {
    platesChecked_ = true;
    Frame();  // init
    EXPECT_EQ(W.state, 0);
    EXPECT_EQ(CUR_GetType(), 0);
    std::map<int, u32> changed;  // step -> the frame time it was first seen
    while (W.step < 4 && changed.size() < 1000) {
        const int before = W.step;
        Frame();
        if (W.step != before) changed[W.step] = W.frameTime;
        if (W.step < 4) {
            EXPECT_EQ(BgmNo, -1);
        }
    }
    ASSERT_EQ(W.step, 4);
    auto within = [](u32 from, u32 to, u32 ms) { return u32(to - from) >= ms && u32(to - from) < ms + kFrameMs; };
    EXPECT_TRUE(within(W.elem[TITLE_ELEM_BAR].start, changed[1], 300));
    EXPECT_TRUE(within(W.elem[TITLE_ELEM_PIECE_A].start, changed[2], 300));
    EXPECT_TRUE(within(W.elem[TITLE_ELEM_PICTURE].start, changed[3], 500));
    EXPECT_TRUE(within(W.elem[TITLE_ELEM_LOGO].start, changed[4], 500));
    // The plates' second stretch and the lines run before the logo.
    EXPECT_EQ(W.elem[TITLE_ELEM_PLATE].duration, 50u);
    EXPECT_EQ(W.elem[TITLE_ELEM_LINE].duration, 200u);
    EXPECT_GE(u32(W.elem[TITLE_ELEM_LOGO].start - W.elem[TITLE_ELEM_LINE].start), 200u);
    // Everything stands: plates plain at x 208, lines 224 wide, the logo at full size and plain.
    for (int i = 0; i < TITLE_MENU_MAX; ++i) {
        const TSPR_DATA* p = Spr(TITLE_ELEM_PLATE + i);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->x, 208);
        EXPECT_EQ(p->y, 312 + 32 * i);
        EXPECT_EQ(p->attr, 0u);
    }
    EXPECT_EQ(Spr(TITLE_ELEM_LINE + 4)->drawW, 224);
    EXPECT_EQ(Spr(TITLE_ELEM_LOGO)->scaleX, 256);
    EXPECT_EQ(Spr(TITLE_ELEM_LOGO)->attr, 0u);
    EXPECT_EQ(Spr(TITLE_ELEM_PIECE_A)->view, 0);  // part 3 hid it
    EXPECT_EQ(BgmNo, 11);
    EXPECT_EQ(Stream.loop, 0u);
    EXPECT_FALSE(debug_.Contains("Open error")) << debug_.text();
}

// Part 1 runs out its own 300 ms; every part started after the skip completes in its first frame.
TEST_F(TitleScreen, ADecideOrALeftClickInPartOneCompletesTheIntroInTheNextFrames) {
    for (const bool click : {false, true}) {
        TITLE_Term();
        Frame();
        Frame();
        EXPECT_EQ(W.step, 0);
        const u32 barStart = W.elem[TITLE_ELEM_BAR].start;
        if (click)
            Click(0);
        else
            Key(kDikDecide);
        EXPECT_EQ(W.skip, 1) << click;
        while (W.step == 0 && u32(clock_.now() - barStart) < 1000) Frame();
        EXPECT_LT(u32(W.frameTime - barStart), 300 + kFrameMs);
        for (int n = 0; n < 3 && W.step != 4; ++n) Frame(0);  // no more time needs to pass
        ASSERT_EQ(W.step, 4) << click;
        EXPECT_EQ(W.skip, 0);
        EXPECT_EQ(Spr(TITLE_ELEM_PLATE + 3)->x, 208);
        EXPECT_EQ(Spr(TITLE_ELEM_LOGO)->scaleX, 256);
        EXPECT_EQ(BgmNo, 11);
    }
}

TEST_F(TitleScreen, TheMenuEntriesLeaveTheTitleThroughTheFade) {
    struct Case {
        int downs;
        u32 scene;
    };
    for (const Case c : {Case{0, 4u}, Case{1, 6u}}) {
        SysSeq = 2;
        BtlState = 99;
        HisState.requestedMode = 0;
        W.selected = 0;
        ToMenu();
        MouseAt(20, 20);
        for (int i = 0; i < c.downs; ++i) Key(kDikDown);
        Key(kDikDecide);
        EXPECT_TRUE(SE_IsPlaying(42));
        EXPECT_EQ(W.step, 7);
        EXPECT_EQ(W.fadeFlag, 0);
        const u32 fadeStart = W.fadeStart;
        ASSERT_TRUE(Until(8));
        EXPECT_GE(u32(W.frameTime - fadeStart), 1000u);
        EXPECT_EQ(CUR_GetType(), 0);
        Frame();
        EXPECT_EQ(SysSeq, c.scene);
        EXPECT_EQ(W.state, -1);
        EXPECT_EQ(BgmNo, -1);
        if (c.scene == 4) {
            EXPECT_EQ(BTL_GetState(0), 0);
        } else {
            EXPECT_EQ(HisState.requestedMode, 1);
        }
        ExpectAllFreed();
    }
}

TEST_F(TitleScreen, QuitShowsTheClosingPictureWhichCannotBeSkipped) {
    ToMenu();
    MouseAt(20, 20);
    Key(kDikUp);  // 0 wraps to 3
    EXPECT_EQ(W.selected, 3);
    Key(kDikDecide);
    ASSERT_TRUE(Until(8));
    TITLE_ELEM& e = W.elem[TITLE_ELEM_CLOSING];
    Frame(0);
    ASSERT_EQ(e.step, 1);
    const u32 start = e.start;
    clock_.Set(start + 400);
    Frame(0);
    EXPECT_EQ(Spr(TITLE_ELEM_CLOSING)->attr, 64u);
    EXPECT_EQ(Spr(TITLE_ELEM_CLOSING)->level, 16);
    clock_.Set(start + 800);
    Frame(0);
    EXPECT_EQ(Spr(TITLE_ELEM_CLOSING)->attr, 0u);
    const u32 plain = e.start;
    clock_.Set(plain + 8399);
    Key(kDikDecide, 0);
    Click(0, 0);
    EXPECT_EQ(e.step, 2);
    EXPECT_EQ(SysSeq, 2u);
    clock_.Set(plain + 8400);
    Frame(0);
    EXPECT_EQ(e.step, 3);
    clock_.Set(e.start + 400);
    Frame(0);
    EXPECT_EQ(Spr(TITLE_ELEM_CLOSING)->level, 16);
    clock_.Set(e.start + 800);
    Frame(0);
    EXPECT_EQ(SysSeq, 10u);
    ExpectAllFreed();
}

TEST_F(TitleScreen, TheTimeOutFadesToTheOpeningWhateverTheMouseDoes) {
    ToMenu();
    Frame();
    const u32 menuStart = u32(W.menuStart);
    // The pointer wanders over the entries and away: the timer runs on.
    for (int n = 0; u32(clock_.now() - menuStart) < 41874; ++n) {
        MouseAt(300 + n % 7, n % 3 == 0 ? 100 : 320 + 32 * (n % 4));
        Frame(std::min<u32>(kFrameMs, 41874 - (clock_.now() - menuStart)));
        ASSERT_EQ(W.step, 4) << n;
    }
    Frame(1);  // at 41874 ms
    EXPECT_EQ(W.step, 4);
    Frame();  // at 41875 ms
    EXPECT_EQ(W.step, 5);
    EXPECT_EQ(W.menuStart, -1);
    for (int n = 0; n < 2000 && SysSeq == 2; ++n) Frame();
    EXPECT_EQ(SysSeq, 1u);
    ExpectAllFreed();
}

TEST_F(TitleScreen, ATripToTheSubmenuDoesNotRestartTheIdleTimer) {
    ToMenu();
    Frame();
    const u32 menuStart = u32(W.menuStart);
    MouseAt(20, 20);
    Key(kDikDown);
    Key(kDikDown);
    Key(kDikDecide);
    ASSERT_TRUE(Until(11));
    clock_.Set(menuStart + 50000);
    Key(kDikCancel);
    EXPECT_TRUE(SE_IsPlaying(48));
    ASSERT_TRUE(Until(4));
    EXPECT_EQ(W.step, 4);
    Frame();
    EXPECT_EQ(W.step, 5);
}

TEST_F(TitleScreen, TheSubmenuOpensAndACancelOrARightClickBuildsTheMainMenuAgain) {
    ToMenu();
    platesChecked_ = true;
    MouseAt(20, 20);
    for (const bool click : {false, true}) {
        W.selected = 2;
        Key(kDikDecide);
        ASSERT_TRUE(Until(11));
        for (int i = 0; i < TITLE_MENU_MAX; ++i) EXPECT_EQ(W.elem[TITLE_ELEM_PLATE + i].sprite, -1);
        for (int i = 0; i < TITLE_SUBMENU_MAX; ++i) EXPECT_EQ(Spr(TITLE_ELEM_SUBPLATE + i)->x, 208);
        EXPECT_EQ(Spr(TITLE_ELEM_SUBLINE + 5)->drawW, 224);
        if (click)
            Click(1);
        else
            Key(kDikCancel);
        EXPECT_EQ(W.step, 14);
        EXPECT_TRUE(SE_IsPlaying(48));
        ASSERT_TRUE(Until(4));
        for (int i = 0; i < TITLE_SUBMENU_MAX; ++i) EXPECT_EQ(W.elem[TITLE_ELEM_SUBPLATE + i].sprite, -1);
        for (int i = 0; i < TITLE_MENU_MAX; ++i) EXPECT_EQ(Spr(TITLE_ELEM_PLATE + i)->x, 208);
        EXPECT_EQ(Spr(TITLE_ELEM_LINE + 4)->drawW, 224);
    }
}

TEST_F(TitleScreen, TheRectanglesHoldTheirLeftAndTopEdgesOnly) {
    struct Case {
        i32 x, y;
        int count, want;
    };
    for (const Case c : {Case{208, 308, 4, 0}, Case{431, 331, 4, 0}, Case{432, 320, 4, -1}, Case{207, 320, 4, -1},
                         Case{300, 332, 4, -1}, Case{300, 340, 4, 1}, Case{300, 427, 4, 3}, Case{300, 440, 4, -1},
                         Case{300, 440, 5, 4}, Case{300, 460, 5, -1}})
        EXPECT_EQ(TITLE_HitMenu(TitleMenuRect, c.count, c.x, c.y), c.want) << c.x << "," << c.y << " of " << c.count;
}

TEST_F(TitleScreen, KeysWrapTheMouseHoversAndAKeyMoveTakesThePointerAlong) {
    ToMenu();
    MouseAt(20, 20);
    Frame();
    EXPECT_EQ(CUR_GetType(), 0);
    struct Step {
        int dik;
        int want;
    };
    for (const Step s : {Step{kDikUp, 3}, Step{kDikDown, 0}, Step{kDikDown, 1}, Step{kDikUp, 0}}) {
        Key(s.dik);
        EXPECT_EQ(W.selected, s.want);
    }
    EXPECT_EQ(input_.warpCount, 0);  // the mouse lay over no entry
    // Hovering selects with the pointing shape.
    MouseAt(300, 380);
    Frame();
    EXPECT_EQ(W.selected, 2);
    EXPECT_EQ(CUR_GetType(), 1);
    // A key move over an entry takes the pointer to the new entry's top + 12.
    Key(kDikDown);
    EXPECT_EQ(W.selected, 3);
    EXPECT_EQ(input_.warpX, 300);
    EXPECT_EQ(input_.warpY, 404 + 12);
    Frame();
    EXPECT_EQ(W.selected, 3);  // the pointer now lies over it
    // The submenu wraps over five.
    MouseAt(20, 20);
    W.selected = 2;
    Key(kDikDecide);
    ASSERT_TRUE(Until(11));
    for (const Step s : {Step{kDikDown, 3}, Step{kDikDown, 4}, Step{kDikDown, 0}, Step{kDikUp, 4}}) {
        Key(s.dik);
        EXPECT_EQ(W.selected, s.want);
    }
}

TEST_F(TitleScreen, TheHighlightBouncesBetween128And196By2) {
    ToMenu();
    std::vector<int> levels;
    for (int n = 0; n < 80; ++n) {
        levels.push_back(W.highlight);
        Frame();
    }
    int lo = 999, hi = 0;
    for (size_t i = 1; i < levels.size(); ++i) {
        EXPECT_EQ(std::abs(levels[i] - levels[i - 1]), 2) << i;
        lo = std::min(lo, levels[i]);
        hi = std::max(hi, levels[i]);
    }
    EXPECT_EQ(lo, 128);
    EXPECT_EQ(hi, 196);
    // The selected rectangle is tinted toward (0, 128, 255), the rest of the row is not.
    plat::SurfaceDesc d{};
    ASSERT_EQ(SURF_Lock(DispBackBuffer, &d), 0);
    const u16* row = reinterpret_cast<const u16*>(static_cast<const u8*>(d.pixels) + 309 * d.pitch);
    const u16 inside = row[210], outside = row[200];
    SURF_Unlock(DispBackBuffer);
    EXPECT_NE(inside & 0x1F, 0);  // blue
    EXPECT_EQ(outside, 0);
}

TEST_F(TitleScreen, MissingPicturesLeaveEveryElementWithoutASpriteAndTheRoadIntact) {
    test::TempDir empty;
    test::ScopedCwd cwd(empty.path());
    ToMenu();
    for (const TITLE_ELEM& e : W.elem) EXPECT_EQ(e.sprite, -1);
    Key(kDikDecide);
    ASSERT_TRUE(Until(8));
    Frame();
    EXPECT_EQ(SysSeq, 4u);
}
