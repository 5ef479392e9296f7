#include "adv_env.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "platform/picture.h"
#include "script/core/ass_func.h"
#include "script/core/scr_data.h"
#include "shell/input/inp.h"
#include "shell/sound/sound.h"
#include "shell/sys.h"
#include "tools/writers/bmp_writer.h"
#include "tools/writers/grp_writer.h"
#include "tools/writers/script_asm.h"
#include "tools/writers/spr_writer.h"

namespace test {

void AdvTest::SetUp() {
    ASSERT_TRUE(display.ok());
    cwd_ = new ScopedCwd(dir.path());
    SPR_Init();
    DISP_SetClipRect(0, 0, 640, 480);
    oldWorkSurf_ = ScreenWorkSurf;
    ScreenWorkSurf = SPR_CreateSurf(640, 480, 0);
    oldSeVolume_ = SeVolume;
    plat::SetInputBackend(&fake);
    ASSERT_NE(INP_Init(nullptr, nullptr), nullptr);
    ASS_SetParts(nullptr);
    ASS_Init();
    ASS_InitKeyDevice(&key);
    ASS_SetTrace([this](const char* call) { trace.push_back(call); });
}

void AdvTest::TearDown() {
    ASS_Term();
    ASS_SetTrace(nullptr);
    ASS_InitKeyDevice(nullptr);
    ASS_SetScriptReadMode(0);
    ASS_RenewKeyDevice(0, 0, 0, 0);
    std::memset(ScrValueTbl, 0, sizeof(ScrValueTbl));
    INP_Term();
    plat::SetInputBackend(nullptr);
    plat::SetPicturePlacement(RECT{0, 0, 640, 480}, 640, 480);
    SPR_Release();
    for (int i = 0; i < SURF_SLOT_MAX; ++i)
        while (SurfTbl[i].useCount) SPR_DelSurfDat(i);
    ScreenWorkSurf = oldWorkSurf_;
    SeVolume = oldSeVolume_;
    delete cwd_;
}

void AdvTest::Run(const std::string& source, const std::string& name) {
    const tools::ScriptAsmResult r = tools::AssembleScript(source);
    ASSERT_TRUE(r.ok) << r.error;
    dir.Write("script/" + name, r.bytes);
    ASSERT_EQ(ASS_LoadScript(name.c_str()), 1);
    ASS_StartScript();
}

i32 AdvTest::Loop(u16 trigger, u32 advance) {
    key.trigger = trigger;
    INP_RenewMouse();
    i32 x = 0, y = 0;
    u32 word = 0;
    INP_GetMouse(&x, &y, &word);
    ASS_RenewKeyDevice(x, y, (mousePad_ ^ word) & word, word);
    mousePad_ = word;
    const i32 r = ASS_Loop();
    clock.Advance(advance);
    return r;
}

void AdvTest::MoveMouse(i32 x, i32 y) {
    fake.cursorX = x;
    fake.cursorY = y;
    INP_RenewMouse();
}

void AdvTest::WritePicture(const std::string& name, int w, int h, const std::function<Rgb8(int, int)>& colour) {
    tools::GrpImage img;
    img.bpp = 24;
    img.width = u32(w);
    img.height = u32(h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Rgb8 c = colour(x, y);
            img.pixels.push_back(u8(c.b));
            img.pixels.push_back(u8(c.g));
            img.pixels.push_back(u8(c.r));
        }
    ASSERT_TRUE(tools::SaveGrp(dir.File(name), img, false));
}

void AdvTest::WriteSpriteSet(const std::string& name, int pages) {
    const size_t slash = name.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : name.substr(0, slash + 1);
    const std::string base = name.substr(folder.size());
    const std::string stem = base.substr(0, base.find('.')) + "img";
    WritePicture(folder + stem + ".grp", 16 * pages, 16, [](int x, int) { return Rgb8{40 + (x / 16) * 50, 200, 90}; });
    tools::SprSetDef set;
    set.images.push_back(stem);
    for (int p = 0; p < pages; ++p) {
        tools::SprPageDef page;
        page.wait = 2;
        page.parts.push_back(tools::SprPartDef{0, RECT{0, -16, 16, 0}, RECT{16 * p, 0, 16 * p + 16, 16}, 0});
        set.pages.push_back(page);
        set.seqs[0].push_back(tools::SprStepDef{u16(p), 2});
    }
    dir.Write(name, tools::SprFile(set));
}

u16 AdvTest::Pixel(i32 x, i32 y) const {
    return reinterpret_cast<const u16*>(DispBackBuffer->pixels + y * DispBackBuffer->pitch)[x];
}

u16 AdvTest::Pack(Rgb8 c) { return DISP_PackRGB(u32(c.r), u32(c.g), u32(c.b)); }

void AdvTest::CheckGolden(const std::string& name, int w, int h) {
    tools::BmpImage got;
    got.width = w;
    got.height = h;
    got.pixels.resize(size_t(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const u16 p = Pixel(x, y);
            const int r5 = p >> 11, g6 = (p >> 5) & 63, b5 = p & 31;
            u8* o = &got.pixels[(size_t(y) * w + x) * 3];
            o[0] = u8(b5 << 3 | b5 >> 2);
            o[1] = u8(g6 << 2 | g6 >> 4);
            o[2] = u8(r5 << 3 | r5 >> 2);
        }
    tools::SaveBmp(std::string(KORVANE_BUILD_PICTURES) + "/" + name, got);
    const std::string path = std::string(KORVANE_TESTDATA_DIR) + "/" + name;
    if (const char* update = std::getenv("KORVANE_UPDATE_GOLDEN"); update && *update == '1') {
        ASSERT_TRUE(tools::SaveBmp(path, got));
        return;
    }
    std::ifstream in(path, std::ios::binary);
    const std::vector<u8> want((std::istreambuf_iterator<char>(in)), {});
    EXPECT_TRUE(want == tools::BmpBytes(got)) << "differs from " << path;
}

}  // namespace test
