#include "text_env.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/font/font.h"
#include "graphics/sprite/spr.h"
#include "tools/writers/fnt_writer.h"

namespace test {

void TextTest::SetUp() {
    AdvTest::SetUp();
    _ass_settextwindowtype(0);
}

void TextTest::TearDown() {
    AdvTest::TearDown();
    for (int slot = 0; slot < FONT_MAX; ++slot) FONT_DelFont(slot);
}

void TextTest::WriteMap(int rows, const std::function<u8(int, int)>& byte) {
    std::vector<u8> map(size_t(rows) * TEXT_MAP_WIDTH);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < TEXT_MAP_WIDTH; ++x) map[size_t(y) * TEXT_MAP_WIDTH + size_t(x)] = byte(x, y);
    dir.Write("bmp/etc/tbl.dat", map);
}

void TextTest::UseSampleWindow(bool noMap) {
    namespace fs = std::filesystem;
    const fs::path from = fs::path(KORVANE_SAMPLE_DATA_DIR) / "bmp" / "etc";
    fs::create_directories(fs::path(dir.path()) / "bmp" / "etc");
    fs::copy_file(from / "window.grp", fs::path(dir.File("bmp/etc/window.grp")), fs::copy_options::overwrite_existing);
    if (!noMap) fs::copy_file(from / "tbl.dat", fs::path(dir.File("bmp/etc/tbl.dat")), fs::copy_options::overwrite_existing);
    _ass_termttext();
    _ass_inittext();
    _ass_settextwindowtype(0);
}

void TextTest::LoadProbeFont(int slot, u16 size) {
    tools::FntBuilder f(size, size, 10496);
    const u32 box = (1u << (size - 1)) - 2;  // columns 1..size-2
    for (u32 code = 0; code < 10496; ++code)
        for (u32 row = 1; row + 1 < size; ++row) {
            const bool edge = row == 1 || row + 2 == size;
            f.WideRow(code, row, edge ? box : (1u << 1 | 1u << (size - 2) | 1u << (2 + (code + row) % (size - 4))));
        }
    for (u32 code = 33; code < 127; ++code)
        for (u32 row = 2; row + 2 < size; ++row) f.NarrowRow(u8(code), row, 1u << (1 + (code + row) % (size / 2 - 2)));
    const std::string name = "probe" + std::to_string(slot) + ".fnt";
    dir.Write(name, f.Build());
    ASSERT_EQ(FONT_LoadFont(slot, dir.File(name).c_str()), 1);
}

void TextTest::LoadSampleFonts() {
    const std::string data = KORVANE_SAMPLE_DATA_DIR;
    ASSERT_EQ(FONT_LoadFont(0, (data + "/Dat/Fnt10x10.fnt").c_str()), 1);
    ASSERT_EQ(FONT_LoadFont(1, (data + "/Dat/Fnt14x14.fnt").c_str()), 1);
}

void TextTest::Step(u16 trigger, u16 held, u32 mouseTrg, u32 mousePad) {
    key.trigger = trigger;
    key.current = held;
    ASS_RenewKeyDevice(0, 0, mouseTrg, mousePad);
    ASS_Loop();
    clock.Advance(33);
}

void TextTest::OpenPage(const std::string& text) {
    ADV_SetMessage(text.c_str());
    ADV_DrawMessage();
    for (int i = 0; i < 20 && _ass_gettextwindowstate() != TEXT_WINDOW_OPEN; ++i) Step();
    ASSERT_EQ(_ass_gettextwindowstate(), TEXT_WINDOW_OPEN);
    trace.clear();
}

void TextTest::DrawAll() {
    SURF_Fill(DispBackBuffer, nullptr, 0);
    SPR_DrawAllSpr(-1);
}

int TextTest::Count(const std::string& line) const { return int(std::count(trace.begin(), trace.end(), line)); }

std::string Wide(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) {
        s += char(0xA4);
        s += char(0x40 + i % 60);
    }
    return s;
}

}  // namespace test
