// The real start-up on the sample data, the real loop through the opening and the title, a close
// through the platform's event path during the opening's movie and the real shut-down, headless.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "battle/data/tama_data.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/font/dbgtext.h"
#include "graphics/font/font.h"
#include "graphics/sprite/spr.h"
#include "platform/display.h"
#include "platform/input_fake.h"
#include "platform/picture.h"
#include "platform/settings.h"
#include "platform/window.h"
#include "screens/op.h"
#include "shell/input/cur.h"
#include "shell/input/inp.h"
#include "shell/sound/sound.h"
#include "shell/sys.h"
#include "test_support.h"

namespace {

using Log = std::vector<std::string>;

// The steps as the game's start-up and shut-down must run them.
const Log kInitOrder = {
    "InitCommon",     "CheckProcessor", "SRand",           "SYS_InitSound",  "INP_Init",       "SPR_Init",
    "MATH_SetShift",  "CUR_Init",       "CUR_SetType",     "KEY_Init",       "FONT_Init",      "FONT_LoadFont 0",
    "FONT_LoadFont 1", "DBG_InitText",  "SAVE_ScanSlots",  "TAMA_LoadData",  "SVV_LoadHistory", "SPR_CreateSurf",
    "SPR_GetFreeSpr", "SPR_CreateTSpr", "SPR_Hide"};
const Log kReleaseOrder = {"TAMA_ClearData", "DBG_TermText",     "SPR_Release", "FONT_Release",
                           "SYS_ReleaseSurf", "SYS_ReleaseSound", "INP_Term",    "DISP_Release"};

// The trace from index from on.
Log Since(const Log& trace, size_t from) { return Log(trace.begin() + long(std::min(from, trace.size())), trace.end()); }

u16 BackBufferPixel(i32 x, i32 y) {
    plat::SurfaceDesc desc{};
    if (SURF_Lock(DispBackBuffer, &desc) != 0) return 0;
    u16 px;
    std::memcpy(&px, static_cast<u8*>(desc.pixels) + y * desc.pitch + x * 2, 2);
    SURF_Unlock(DispBackBuffer);
    return px;
}

TEST(StartUp, RunsOnTheSampleDataAndShutsDownThroughTheWindow) {
    test::TempDir config;
    plat::SetSettingsFile(config.File("settings.txt").c_str());
    test::ScopedCwd cwd(KORVANE_SAMPLE_DATA_DIR);
    test::DebugCapture debug;
    test::MessageBoxCapture boxes;
    test::FakeClock clock;
    plat::FakeInputBackend input;
    plat::SetInputBackend(&input);

    std::vector<std::string> trace;
    SYS_ResetState();
    SYS_SetTrace([&](const char* e) { trace.emplace_back(e); });

    ASSERT_EQ(SYS_InitWindow(), 1);
    const size_t initFrom = trace.size();
    SYS_InitGame();
    EXPECT_EQ(Since(trace, initFrom), kInitOrder);

    // Everything the start-up loads from the data folder is there.
    EXPECT_TRUE(FontTbl[0].loaded);
    EXPECT_TRUE(FontTbl[1].loaded);
    EXPECT_NE(SPR_GetSlotSurf(DebugFontSurf), nullptr);
    EXPECT_NE(SPR_GetSlotSurf(DBG_GlyphSurf), nullptr);
    EXPECT_EQ(DBG_TextDisp, 1);
    EXPECT_EQ(TamaDataCount, 12);
    EXPECT_EQ(TamaListCount, 12);
    int loadedEffects = 0;
    for (int i = 0; i < kSeCount; ++i) loadedEffects += SeBuffer[i] != nullptr;
    EXPECT_EQ(loadedEffects, 55);
    int cursor = -1;
    for (int s = 0; s < SPR_MAX; ++s)
        if (SPR_GetSpr(s)) cursor = s;
    ASSERT_NE(cursor, -1);
    EXPECT_NE(ScreenWorkSpr, -1);
    EXPECT_EQ(SprTbl[ScreenWorkSpr]->view, 0);
    EXPECT_FALSE(debug.Contains("見つかりません")) << debug.text();
    EXPECT_FALSE(debug.Contains("Open error")) << debug.text();
    EXPECT_TRUE(boxes.calls().empty());

    // The opening runs first, its logo with the pointer hidden.
    for (int turn = 0; turn < 40; ++turn) {
        int code = 0;
        ASSERT_TRUE(SYS_MessageTurn(&code));
        clock.Advance(10);
    }
    EXPECT_EQ(SysSeq, 1u);
    EXPECT_EQ(OpStep, 1);
    EXPECT_EQ(SprTbl[cursor]->view, 0);

    // The title shows the pointer; it is drawn where the mouse is, below the intro's pieces.
    SYS_SetSeq(2);
    i32 wx, wy;
    plat::PictureToWindow(200, 440, &wx, &wy);
    input.cursorX = wx;
    input.cursorY = wy;
    const u64 presents = plat::GetPresentCount();
    for (int turn = 0; turn < 40; ++turn) {
        int code = 0;
        ASSERT_TRUE(SYS_MessageTurn(&code));
        clock.Advance(10);
    }
    EXPECT_EQ(SysSeq, 2u);
    EXPECT_GT(plat::GetPresentCount(), presents);
    EXPECT_EQ(SprTbl[cursor]->view, 1);
    EXPECT_EQ(SprTbl[cursor]->x, 200);
    EXPECT_EQ(SprTbl[cursor]->y, 440);
    bool drawn = false;
    for (i32 dy = -2; dy <= 8 && !drawn; ++dy)
        for (i32 dx = -2; dx <= 8 && !drawn; ++dx) drawn = BackBufferPixel(200 + dx, 440 + dy) != 0;
    EXPECT_TRUE(drawn) << "no cursor pixels near the mouse";

    // Back in the opening until its movie plays: the window is closed during the movie.
    SYS_SetSeq(1);
    for (int turn = 0; turn < 1000 && !(OpMovie && OpMovie->playing); ++turn) {
        int code = 0;
        ASSERT_TRUE(SYS_MessageTurn(&code));
        clock.Advance(10);
    }
    ASSERT_NE(OpMovie, nullptr);
    EXPECT_EQ(OpMovie->playing, 1);

    // Closing the window ends the loop at the next get.
    plat::SimulateClose(MainWnd);
    int exitCode = -1, turns = 0;
    while (SYS_MessageTurn(&exitCode) && ++turns < 1000) clock.Advance(10);
    EXPECT_LT(turns, 1000);
    EXPECT_EQ(exitCode, 0);
    const size_t releaseFrom = trace.size();
    SYS_ReleaseGame();
    plat::ReleaseDestroyedWindows();
    EXPECT_EQ(TamaDataCount, 0);
    for (const TAMA_DATA* d : TamaDataTbl) EXPECT_EQ(d, nullptr);
    EXPECT_EQ(Since(trace, releaseFrom), kReleaseOrder);
    EXPECT_EQ(OpMovie, nullptr);  // the sound release closed it first

    // A full-screen run writes only the mode.
    u32 mode = 7, size = 4;
    EXPECT_TRUE(plat::SettingsRead("Software\\QUOLIA\\KV_SC\\Main", "WndMode", nullptr, &mode, &size));
    EXPECT_EQ(mode, 0u);
    size = 0;
    EXPECT_FALSE(plat::SettingsRead("Software\\QUOLIA\\KV_SC\\Main", "WndRect", nullptr, nullptr, &size));

    SYS_SetTrace({});
    plat::SetInputBackend(nullptr);
    plat::SetSettingsFile("");
}

}  // namespace
