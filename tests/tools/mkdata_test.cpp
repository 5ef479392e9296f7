// The sample data builder, run into a fresh folder, and its files read back by the game's own readers.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <filesystem>
#include <map>
#include <numeric>
#include <set>
#include <string>
#include <vector>

#include "battle/data/cpu_data.h"
#include "battle/data/meka_type.h"
#include "battle/data/waza_data.h"
#include "battle/effect/eft.h"
#include "battle/map/map.h"
#include "battle/panel/pnl.h"
#include "battle/tama/tama.h"
#include "shell/common.h"
#include "display_support.h"
#include "battle/data/tama_data.h"
#include "graphics/display/grp.h"
#include "graphics/font/font.h"
#include "graphics/sprite/spr.h"
#include "platform/encoding.h"
#include "platform/memory.h"
#include "platform/movie.h"
#include "platform/surface.h"
#include "screens/panel/ims_file.h"
#include "screens/survival/svv.h"
#include "shell/sound/snd.h"
#include "shell/sound/sound.h"
#include "test_support.h"
#include "tools/mkdata/canvas.h"
#include "tools/mkdata/mkdata.h"
#include "tools/writers/build_record.h"
#include "tools/writers/byte_writer.h"

namespace {

constexpr u32 kWideSlots = 10496;

// A glyph as rows of columns, column 0 on the left as the drawers place it.
struct Glyph {
    int width = 0;
    std::vector<u32> rows;  // the row bits as stored
    bool Ink(int x, int y) const { return (rows[size_t(y)] >> (width - x)) & 1; }
    int Count() const { return int(Ink().size()); }
    std::vector<std::pair<int, int>> Ink() const {  // the inked (x, y), row by row
        std::vector<std::pair<int, int>> ink;
        for (int y = 0; y < int(rows.size()); ++y)
            for (int x = 0; x < width; ++x)
                if (Ink(x, y)) ink.emplace_back(x, y);
        return ink;
    }
    int LeftColumn() const {
        int m = width;
        for (const auto& p : Ink()) m = std::min(m, p.first);
        return m;
    }
    int RightColumn() const {
        int m = -1;
        for (const auto& p : Ink()) m = std::max(m, p.first);
        return m;
    }
    int FullestColumn() const {
        std::vector<int> n(size_t(width) + 1);
        for (const auto& p : Ink()) ++n[size_t(p.first)];
        return int(std::max_element(n.begin(), n.end()) - n.begin());
    }
    double MeanX() const { return Mean(false); }
    double MeanY() const { return Mean(true); }
    double Mean(bool vertical) const {
        double sum = 0;
        for (const auto& p : Ink()) sum += vertical ? p.second : p.first;
        return sum / Count();
    }
};

Glyph ReadGlyph(const FONT_DATA& f, size_t offset, u32 rowBytes, int width) {
    Glyph g;
    g.width = width;
    for (u32 y = 0; y < f.height; ++y) {
        u32 bits = 0;
        for (u32 i = 0; i < rowBytes; ++i) bits |= u32(f.glyphs[offset + y * rowBytes + i]) << (8 * i);
        g.rows.push_back(bits);
    }
    return g;
}

Glyph Narrow(const FONT_DATA& f, char c) {
    return ReadGlyph(f, size_t(u8(c) - 32) * f.narrowSize, f.narrowRow, f.width >> 1);
}

Glyph WideSlot(const FONT_DATA& f, u32 slot) {
    return ReadGlyph(f, size_t(96) * f.narrowSize + size_t(slot) * f.wideSize, f.wideRow, f.width);
}

u32 Slot(u32 lead, u32 trail) { return (lead - 0xA1) * 160 + (trail < 0x80 ? trail - 0x40 : trail - 0x60); }

// The slot of a character given in UTF-8, through the same encoding the game's text takes.
u32 SlotOf(const char* utf8) {
    const std::string big5 = plat::Utf8ToBig5(utf8);
    EXPECT_EQ(big5.size(), 2u) << utf8;
    if (big5.size() != 2) return 0;
    return Slot(u8(big5[0]), u8(big5[1]));
}

class SampleData : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(test::RunProgram(KORVANE_MKDATA, {dir_.path()}), 0);
    }
    std::string File(const std::string& rel) const { return dir_.path() + "/" + rel; }

    void CheckFont(const char* name, u16 size);
    void CheckDebugGlyphs();
    void CheckCursor();
    void CheckSounds();
    void CheckMovie();
    void CheckMainMenu();
    void CheckWeapons();
    void CheckBattle();
    void CheckSurvival();
    void CheckTitle();

    test::TempDir dir_;
};

void SampleData::CheckFont(const char* name, u16 size) {
    SCOPED_TRACE(name);
    ASSERT_EQ(FONT_LoadFont(0, File(name).c_str()), 1);
    const FONT_DATA& f = FontTbl[0];
    ASSERT_EQ(f.width, size);
    ASSERT_EQ(f.height, size);
    ASSERT_EQ(f.blockSize, 96 * f.narrowSize + kWideSlots * f.wideSize) << "every wide slot is in the file";

    // A glyph keeps to the bits the plain drawer shows of its own row (half + 1 or width + 3 columns) and
    // off those it reads for the row above (the 14-pixel wide cell's bit 1); bit 0 is never drawn.
    const u32 narrowMask = size == 10 ? 0x7Eu : 0xFEu, wideMask = size == 10 ? 0x3FFEu : 0xFFFCu;
    for (char c = 32; c < 127; ++c)
        for (u32 row : Narrow(f, c).rows) ASSERT_EQ(row & ~narrowMask, 0u) << "'" << c << "'";
    u32 drawn = 0;
    for (u32 slot = 0; slot < kWideSlots; ++slot) {
        const Glyph g = WideSlot(f, slot);
        for (u32 row : g.rows) ASSERT_EQ(row & ~wideMask, 0u) << "slot " << slot;
        drawn += g.Count() > 0;
    }
    EXPECT_GT(drawn, 10000u) << "nearly every Big5 character has a glyph";

    // Letters and digits are inked and placed: the cell's top, bottom, left and right where expected.
    for (const char* set : {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "abcdefghijklmnopqrstuvwxyz", "0123456789!?#%&@"})
        for (const char* c = set; *c; ++c) EXPECT_GT(Narrow(f, *c).Count(), 3) << "'" << *c << "'";
    EXPECT_EQ(Narrow(f, ' ').Count(), 0);
    const double mid = (size - 1) / 2.0;
    EXPECT_GT(Narrow(f, '.').MeanY(), mid);
    EXPECT_LT(Narrow(f, '\'').MeanY(), mid);
    EXPECT_GT(Narrow(f, '_').MeanY(), Narrow(f, 'A').MeanY());
    EXPECT_LT(Narrow(f, '[').MeanX(), Narrow(f, ']').MeanX());

    // Wide glyphs: an ideograph, kana of the kana rows, brackets facing the right way, and blanks
    // where Big5 has no character.
    const Glyph one = WideSlot(f, SlotOf("一"));
    int inkedRows = 0;
    for (int y = 0; y < size; ++y) inkedRows += one.rows[size_t(y)] != 0;
    EXPECT_GE(one.Count(), size / 2);
    EXPECT_LE(inkedRows, 2) << "one horizontal stroke";
    EXPECT_NEAR(one.MeanY(), mid, size / 4.0);
    for (const char* c : {"中", "機", "龍", "あ", "ア", "ン"}) EXPECT_GT(WideSlot(f, SlotOf(c)).Count(), 4) << c;
    EXPECT_GT(WideSlot(f, SlotOf("，")).Count(), 0);
    const u32 kana = SlotOf("あ");
    EXPECT_GE(kana / 160, 0xC6u - 0xA1);
    const Glyph open = WideSlot(f, SlotOf("「"));
    const Glyph close = WideSlot(f, SlotOf("」"));
    ASSERT_TRUE(open.Count() > 0 && close.Count() > 0);
    EXPECT_LT(open.MeanY(), close.MeanY());
    EXPECT_EQ(open.FullestColumn(), open.LeftColumn()) << "「 has its upright on the left";
    EXPECT_EQ(close.FullestColumn(), close.RightColumn()) << "」 has its upright on the right";
    EXPECT_EQ(WideSlot(f, 0).Count(), 0) << "the ideographic space";
    EXPECT_EQ(WideSlot(f, Slot(0xA4, 0x7F)).Count(), 0) << "trail 0x7F is no character";
    EXPECT_EQ(WideSlot(f, Slot(0xA4, 0xA0)).Count(), 0) << "trail 0xA0 is no character";

    // Every character of the file panel's help lines, as they are drawn: lead bytes the fonts take.
    for (int e = 0; e < 4; ++e) {
        const std::string help = IMS_FILE_GetHelpStr(e);
        for (size_t i = 0; i + 1 < help.size(); i += 2) {
            const u32 lead = u8(help[i]);
            const u32 trail = u8(help[i + 1]);
            ASSERT_TRUE(lead >= 0xA1 && lead <= 0xC9) << "help " << e << " byte " << i;
            EXPECT_GT(WideSlot(f, Slot(lead, trail)).Count(), 0) << "help " << e << " character " << i / 2;
        }
    }
    FONT_DelFont(0);
}

// One 8×8 cell of a 16-bit picture as 0/1 ink.
std::vector<int> CellInk(const GRP_DATA& g, u32 cx, u32 cy) {
    std::vector<int> ink;
    for (u32 y = 0; y < 8; ++y)
        for (u32 x = 0; x < 8; ++x) {
            const size_t at = (size_t(cy + y) * g.width + cx + x) * 2;
            ink.push_back((g.pixels[at] | g.pixels[at + 1]) != 0);
        }
    return ink;
}

u16 Pixel(const GRP_DATA& g, i32 x, i32 y) {
    const size_t at = (size_t(y) * g.width + size_t(x)) * 2;
    return u16(g.pixels[at] | g.pixels[at + 1] << 8);
}

int Sum(const std::vector<int>& v, size_t from = 0, size_t step = 1) {
    int n = 0;
    for (size_t i = from; i < v.size(); i += step) n += v[i];
    return n;
}

void SampleData::CheckDebugGlyphs() {
    GRP_DATA font{};
    GRP_DATA eft{};
    ASSERT_EQ(SURF_ReadGrp(File("dfont.grp").c_str(), &font), 1);
    ASSERT_EQ(SURF_ReadGrp(File("Bmp/DebugEft.grp").c_str(), &eft), 1);
    EXPECT_EQ(font.bpp, 16);
    EXPECT_EQ(eft.bpp, 16);
    ASSERT_GE(font.width, 16u * 8);
    ASSERT_GE(font.height, 6u * 8) << "codes 32..127";
    ASSERT_EQ(eft.height, 8u) << "one row";
    ASSERT_GE(eft.width, 94u * 8) << "'!' to '~'";
    auto fontCell = [&](char c) { return CellInk(font, u32(c - 32) % 16 * 8, u32(c - 32) / 16 * 8); };
    auto eftCell = [&](char c) { return CellInk(eft, u32(c - 33) * 8, 0); };
    EXPECT_EQ(Sum(fontCell(' ')), 0);
    for (char c = 33; c < 127; ++c) {
        EXPECT_GT(Sum(fontCell(c)), 1) << "'" << c << "'";
        // The overlay's cells sit 7 apart: the 8th column stays clear.
        EXPECT_EQ(Sum(eftCell(c), 7, 8), 0) << "'" << c << "'";
        EXPECT_EQ(eftCell(c), fontCell(c)) << "both pictures show '" << c << "' in its own cell";
    }
    // Digits stand seven rows tall: rasterised into five, 7 and 2 read as kana.
    for (char c = '0'; c <= '9'; ++c) {
        const std::vector<int> ink = fontCell(c);
        int rows = 0;
        for (size_t y = 0; y < 8; ++y) rows += std::count(ink.begin() + 8 * y, ink.begin() + 8 * y + 8, 1) > 0;
        EXPECT_EQ(rows, 7) << "'" << c << "'";
    }
    const std::vector<int> dot = fontCell('.');
    EXPECT_EQ(Sum(std::vector<int>(dot.begin(), dot.begin() + 32)), 0) << "'.' sits low";
    SURF_FreeGrp(&font);
    SURF_FreeGrp(&eft);
}

void SampleData::CheckCursor() {
    test::HeadlessDisplay display;
    ASSERT_TRUE(display.ok());
    SPR_Init();
    {
        // Loaded as the game loads it: relative, with its picture beside it.
        test::ScopedCwd cwd(dir_.path());
        ASSERT_EQ(SPR_LoadSprGrp(0, "Bmp\\Cursor\\Cursor.spr", 0), 1);
    }
    GRP_DATA sheet{};
    ASSERT_EQ(SURF_ReadGrp(File("Bmp/Cursor/Cursor.grp").c_str(), &sheet), 1);
    ASSERT_EQ(SprGrpTbl[0].imageCount, 1);
    EXPECT_NE(SPR_GetSlotSurf(SprGrpTbl[0].imageSlot[0]), nullptr);
    auto pixel = [&](i32 x, i32 y) {
        const size_t at = (size_t(y) * sheet.width + size_t(x)) * 2;
        return u16(sheet.pixels[at] | sheet.pixels[at + 1] << 8);
    };
    for (int type = 0; type < SPR_SEQ_MAX; ++type) {
        SCOPED_TRACE("sequence " + std::to_string(type));
        const SPR_SEQ& seq = SprSeqTbl[0][type];
        if (type >= 5) {
            EXPECT_EQ(seq.count, 0);
            continue;
        }
        ASSERT_GE(seq.count, 2) << "an animation";
        std::set<std::vector<u16>> frames;
        for (u16 s = 0; s < seq.count; ++s) {
            ASSERT_LT(seq.steps[s].page, SprGrpTbl[0].pageCount);
            const SPR_PAGE& page = SprPageTbl[0][seq.steps[s].page];
            ASSERT_EQ(page.partCount, 1);
            const RECT& src = page.parts[0].src;
            const RECT& dest = page.parts[0].dest;
            ASSERT_TRUE(src.left >= 0 && src.top >= 0 && src.right <= i32(sheet.width) && src.bottom <= i32(sheet.height));
            EXPECT_EQ(src.right - src.left, dest.right - dest.left);
            EXPECT_EQ(src.bottom - src.top, dest.bottom - dest.top);
            // The mouse point lies on the picture (on the pointers' tip); the background is the
            // transparent colour 0.
            EXPECT_TRUE(dest.left <= 0 && dest.right > 0 && dest.top <= 0 && dest.bottom > 0);
            if (type <= 1) {
                EXPECT_NE(pixel(src.left - dest.left, src.top - dest.top), 0) << "ink at the tip";
            }
            EXPECT_EQ(pixel(src.right - 1, src.bottom - 1), 0);
            EXPECT_EQ(pixel(src.left, src.bottom - 1) | pixel(src.right - 1, src.top), 0);
            std::vector<u16> frame;
            for (i32 y = src.top; y < src.bottom; ++y)
                for (i32 x = src.left; x < src.right; ++x) frame.push_back(pixel(x, y));
            frames.insert(frame);
        }
        EXPECT_EQ(frames.size(), seq.count) << "every step shows another frame";
    }
    SURF_FreeGrp(&sheet);
    SPR_Release();
    for (int i = 0; i < SURF_SLOT_MAX; ++i)
        while (SurfTbl[i].useCount) SPR_DelSurfDat(i);
}

void SampleData::CheckSounds() {
    std::set<std::vector<u8>> effects;
    // Reads one file; its length in milliseconds, -1 when it does not read as 16-bit mono PCM.
    auto read = [&](const std::string& path, std::vector<u8>* samples) -> i64 {
        WAVE_FORMAT format{};
        u32 size = 0;
        void* data = SND_ReadWaveFile(path.c_str(), &size, &format);
        if (!data) return -1;
        if (samples) samples->assign(static_cast<u8*>(data), static_cast<u8*>(data) + size);
        plat::GlobalFree(data);
        if (!SND_CheckFormat(&format) || format.channels != 1 || format.bitsPerSample != 16) return -1;
        return i64(size) / 2 * 1000 / format.samplesPerSec;
    };
    for (int i = 0; i < kSeCount; ++i) {
        std::vector<u8> samples;
        const i64 ms = read(File(std::string("Wav/") + SeTbl[i].stem + ".wav"), &samples);
        EXPECT_TRUE(ms > 0 && ms <= 2000) << SeTbl[i].stem << ": " << ms << " ms";
        effects.insert(samples);
    }
    EXPECT_EQ(effects.size(), size_t(kSeCount)) << "every effect sounds different";
    for (int i = 0; i < kBgmCount; ++i) {
        const i64 ms = read(File(std::string("Music/") + BgmTbl[i].stem + ".wav"), nullptr);
        EXPECT_GE(ms, 8000) << BgmTbl[i].stem;
        EXPECT_GT(ms, i64(BgmTbl[i].loopMs)) << BgmTbl[i].stem << " reaches its loop position";
    }
    EXPECT_GT(read(File("Voice/0001.wav"), nullptr), 0);
}

void SampleData::CheckMovie() {
    test::FakeClock clock;
    plat::MovieStream* movie = plat::MovieOpen(File("opening.mpg").c_str(), nullptr);
    ASSERT_NE(movie, nullptr);
    i32 w = 0;
    i32 h = 0;
    ASSERT_TRUE(plat::MovieGetVideoSize(movie, &w, &h));
    EXPECT_EQ(w * 3, h * 4) << "the screen's shape";
    EXPECT_GE(plat::MovieGetDuration(movie), i64(2000) * 10000) << "at least 2 s";
    // Half-way through, the title stands bright on a dark picture.
    plat::Surface* surface = plat::CreateSurface(w, h, 16, 0xF800, 0x07E0, 0x001F, plat::kCapsSystemMemory);
    ASSERT_NE(surface, nullptr);
    const RECT rect{0, 0, w, h};
    plat::MovieSample* sample = plat::MovieCreateSample(movie, surface, &rect);
    ASSERT_NE(sample, nullptr);
    plat::MovieSetRunning(movie, true);
    clock.Advance(u32(plat::MovieGetDuration(movie) / 10000 / 2));
    EXPECT_EQ(plat::MovieUpdate(sample), plat::MovieUpdateResult::kNewFrame);
    plat::SurfaceDesc d{};
    ASSERT_EQ(plat::LockSurface(surface, &d), plat::kSurfOk);
    i64 bright = 0;
    i64 dark = 0;
    for (i32 y = 0; y < h; ++y)
        for (i32 x = 0; x < w; ++x) {
            const u16 p = reinterpret_cast<const u16*>(static_cast<const u8*>(d.pixels) + y * d.pitch)[x];
            const int green = (p >> 5) & 63;
            bright += green > 48;
            dark += green < 24;
        }
    plat::UnlockSurface(surface);
    EXPECT_GT(bright, i64(w) * h / 50);
    EXPECT_GT(dark, i64(w) * h / 2);
    plat::MovieReleaseSample(sample);
    plat::MovieClose(movie);
    plat::ReleaseSurface(surface);
}

// Five buttons down the left column, their overlays beside them: a frame, clear inside.
void SampleData::CheckMainMenu() {
    GRP_DATA sheet{};
    ASSERT_EQ(SURF_ReadGrp(File("Bmp/MainMenu.grp").c_str(), &sheet), 1);
    EXPECT_EQ(sheet.bpp, 16);
    EXPECT_EQ(sheet.width, 192u);
    EXPECT_EQ(sheet.height, 160u);
    auto pixel = [&](u32 x, u32 y) {
        const size_t at = (size_t(y) * sheet.width + x) * 2;
        return u16(sheet.pixels[at] | sheet.pixels[at + 1] << 8);
    };
    for (u32 b = 0; b < 5; ++b) {
        SCOPED_TRACE(b);
        for (u32 y = 0; y < 32; ++y)
            for (u32 x = 0; x < 96; ++x) ASSERT_NE(pixel(x, 32 * b + y), 0) << x << "," << y;
        EXPECT_NE(pixel(96, 32 * b), 0);
        EXPECT_NE(pixel(191, 32 * b + 31), 0);
        EXPECT_EQ(pixel(96 + 48, 32 * b + 16), 0);
    }
    EXPECT_NE(pixel(6, 16), pixel(6, 48)) << "the buttons differ";
    SURF_FreeGrp(&sheet);
    // The other menu pictures, at the sizes their rectangles need.
    const struct {
        const char* name;
        u32 w, h;
    } others[] = {{"Bmp/Menu.grp", 200, 320}, {"Bmp/Equip.grp", 640, 360}, {"Bmp/MenuBG00.grp", 640, 480}, {"Bmp/MenuBG06.grp", 640, 480}};
    for (const auto& o : others) {
        GRP_DATA g{};
        ASSERT_EQ(SURF_ReadGrp(File(o.name).c_str(), &g), 1) << o.name;
        EXPECT_EQ(g.width, o.w) << o.name;
        EXPECT_EQ(g.height, o.h) << o.name;
        SURF_FreeGrp(&g);
    }
    // Words keep to the part of a cut the game shows: ink of their colour inside `cut` lies in `shown`
    // (and there is some); with no `shown`, the colour (a mark the words replace) is gone.
    const struct {
        const char* name;
        u16 colour;
        RECT cut, shown;
    } words[] = {
        // The title's name: its piece is drawn from y -40, the plate covers the screen from y 102.
        {"bmp/etc/title.grp", mkdata::Rgb(255, 240, 200), {0, 356, 432, 596}, {0, 396, 432, 498}},
        // The last two categories' labels in their panels of 32 rows.
        {"Bmp/Equip.grp", mkdata::Rgb(250, 250, 236), {368, 64, 460, 116}, {368, 64, 460, 96}},
        {"Bmp/Equip.grp", mkdata::Rgb(250, 250, 236), {460, 64, 552, 116}, {460, 64, 552, 96}},
        // The first and last technique commands with their shadows a pixel clear of the buttons' rims, the
        // last's marks wiped.
        {"Bmp/Menu.grp", mkdata::Rgb(250, 250, 236), {0, 240, 40, 260}, {2, 242, 29, 256}},
        {"Bmp/Menu.grp", mkdata::Rgb(250, 250, 236), {160, 240, 200, 260}, {162, 242, 189, 256}},
        {"Bmp/Menu.grp", mkdata::Rgb(250, 250, 250), {160, 240, 200, 260}, {}},
    };
    for (const auto& w : words) {
        SCOPED_TRACE(std::string(w.name) + " " + std::to_string(w.cut.left) + "," + std::to_string(w.cut.top));
        GRP_DATA g{};
        ASSERT_EQ(SURF_ReadGrp(File(w.name).c_str(), &g), 1);
        int in = 0, out = 0;
        for (i32 y = w.cut.top; y < w.cut.bottom; ++y)
            for (i32 x = w.cut.left; x < w.cut.right; ++x)
                if (Pixel(g, x, y) == w.colour)
                    ++(x >= w.shown.left && x < w.shown.right && y >= w.shown.top && y < w.shown.bottom ? in : out);
        EXPECT_EQ(out, 0);
        EXPECT_EQ(in > 0, w.shown.right > w.shown.left);
        SURF_FreeGrp(&g);
    }
}

void SampleData::CheckWeapons() {
    test::ScopedCwd cwd(dir_.path());
    ASSERT_EQ(TAMA_LoadData(), 1);
    const char* const names[] = {"Shot",       "Arcing bomb",      "Chain laser", "Barrier",
                                 "Homing missile", "Wobbling shot", "Mine",        "Inertial missile",
                                 "Ring field", "Chip field",       "Tracking laser", "Sweeping laser"};
    ASSERT_EQ(TamaDataCount, int(std::size(names)));
    EXPECT_EQ(TamaListCount, TamaDataCount);
    for (int i = 0; i < TamaDataCount; ++i) {
        const TAMA_DATA* d = TamaDataTbl[i];
        EXPECT_STREQ(d->name, names[i]);
        EXPECT_EQ(d->index, i);
        EXPECT_GE(d->phase[0].step[0].duration, 0) << "phase 0 has a step";
        for (const TAMA_PHASE& p : d->phase) {
            // Phase links and fired weapons name records that exist.
            for (i8 next : {p.nextOnCalcEnd, p.nextOnAnimEnd, p.nextOnLand, p.nextOnCharHit, p.nextOnTamaHit,
                            p.nextOnObstacle})
                EXPECT_LT(next, TAMA_PHASE_MAX);
            EXPECT_LT(p.fire.weapon, TamaDataCount);
        }
        // Every shot sequence a weapon shows is in the effect set.
        EXPECT_LT(d->phase[0].step[0].anim, mkdata::kShotSeq + mkdata::kShotSeqCount);
    }
    // Every missile, force-field and laser behaviour has a weapon.
    bool kinds[3][5] = {};
    for (int i = 0; i < TamaDataCount; ++i) kinds[TamaDataTbl[i]->phase[0].kind][TamaDataTbl[i]->phase[0].moveType] = true;
    for (int t = 0; t < TAMA_MSL_TYPES; ++t) EXPECT_TRUE(kinds[0][t]) << "missile " << t;
    for (int t = 0; t < TAMA_FLD_TYPES; ++t) EXPECT_TRUE(kinds[1][t]) << "force field " << t;
    for (int t = 0; t < TAMA_LSR_TYPES; ++t) EXPECT_TRUE(kinds[2][t]) << "laser " << t;
    TAMA_ClearData();
}

// Every stage map loads and its meeting point, with the whole formation, stands on open ground well
// inside the walls (stage map 0's blocks included); every sprite set and picture the survival opens is
// there.
void SampleData::CheckSurvival() {
    MAP_DATA map{};
    MAP_SetMapPtr(&map);
    for (const SVV_STAGE& st : SvvStageTbl) {
        char stem[16];
        std::snprintf(stem, sizeof stem, "%02d_%d_%c", st.mapNo, st.subNo, st.flag ? 'D' : 'L');
        SCOPED_TRACE(stem);
        ASSERT_EQ(MAP_LoadMap(File(std::string("Bmp/Map/") + stem + ".map").c_str()), 1);
        for (i32 y = st.y - 100; y <= st.y + 100; y += 8)
            for (i32 x = st.x - 164; x <= st.x + 264; x += 8) {
                ASSERT_GE(x / 16, 4);
                ASSERT_LT(x / 16, map.width - 4);
                ASSERT_LT(y / 16, map.height - 4);
                EXPECT_EQ(map.cells[size_t(y / 16) * size_t(map.width) + size_t(x / 16)].attrA & 1, 0);
            }
        std::snprintf(stem, sizeof stem, "%02d_0_%c", st.mapNo, st.flag ? 'D' : 'L');
        for (const char* part : {"_f.grp", "_o.grp", "_o.csp"})
            EXPECT_TRUE(std::filesystem::exists(File(std::string("Bmp/Map/") + stem + part))) << part;
        plat::GlobalFree(map.cells);
        map.cells = nullptr;
    }
    MAP_SetMapPtr(nullptr);
    EXPECT_TRUE(std::filesystem::exists(File("Bmp/Meka/player.spr")));
    for (i32 type : SvvKindTbl) EXPECT_TRUE(std::filesystem::exists(File(std::string("Bmp/Meka/") + MekaNameTbl[type] + ".spr")));
    for (const char* name : {"Bmp/Survival.grp", "Bmp/MiniRogo.grp", "Bmp/Title2.grp", "Bmp/Svv/Chr01.grp", "Bmp/Svv/Chr16.grp"})
        EXPECT_TRUE(std::filesystem::exists(File(name))) << name;
}

TEST_F(SampleData, WritesFilesTheGameReads) {
    CheckFont("Dat/Fnt10x10.fnt", 10);
    CheckFont("Dat/Fnt14x14.fnt", 14);
    CheckDebugGlyphs();
    CheckCursor();
    CheckSounds();
    CheckMovie();
    CheckMainMenu();
    CheckWeapons();
    CheckBattle();
    CheckSurvival();
    CheckTitle();

    // The play command's rebuild keeps the player's edits (a movie too) and makes again what was removed.
    const std::string edited = "an edited technique file", movie = "the player's own briefing";
    dir_.Write("Dat/player.waz", edited);
    dir_.Write("bmp/adv/tt_brief.mpg", movie);
    std::filesystem::remove(File("Dat/Tama.dat"));
    ASSERT_EQ(test::RunProgram(KORVANE_MKDATA, {"--if-missing", dir_.path()}), 0);
    EXPECT_TRUE(dir_.Read("Dat/player.waz") == edited) << "the edit was replaced";
    EXPECT_TRUE(dir_.Read("bmp/adv/tt_brief.mpg") == movie) << "the movie was replaced";
    EXPECT_TRUE(std::filesystem::exists(File("Dat/Tama.dat")));
}

// Every rectangle the title and the opening cut from their pictures has ink.
void SampleData::CheckTitle() {
    struct Cut {
        const char* file;
        u32 width, height;
        RECT rect;
    };
    const Cut cuts[] = {
        {"bmp/etc/title.grp", 640, 912, {16, 0, 416, 32}},     {"bmp/etc/title.grp", 640, 912, {32, 48, 400, 128}},
        {"bmp/etc/title.grp", 640, 912, {32, 256, 400, 336}},  {"bmp/etc/title.grp", 640, 912, {0, 356, 432, 596}},
        {"bmp/etc/title.grp", 640, 912, {8, 732, 232, 734}},   {"bmp/etc/title.grp", 640, 912, {16, 848, 240, 864}},
        {"bmp/etc/title.grp", 640, 912, {16, 896, 240, 912}},  {"bmp/etc/title.grp", 640, 912, {248, 736, 472, 752}},
        {"bmp/etc/title.grp", 640, 912, {248, 800, 472, 816}}, {"bmp/etc/etc_t00.grp", 496, 64, {0, 0, 128, 64}},
        {"bmp/etc/etc_t00.grp", 496, 64, {128, 0, 496, 56}},   {"bmp/etc/logo.grp", 560, 208, {0, 0, 560, 208}},
    };
    for (const Cut& c : cuts) {
        SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.rect.left) + "," + std::to_string(c.rect.top));
        GRP_DATA g{};
        ASSERT_EQ(SURF_ReadGrp(File(c.file).c_str(), &g), 1);
        EXPECT_EQ(g.width, c.width);
        EXPECT_EQ(g.height, c.height);
        int ink = 0;
        for (i32 y = c.rect.top; y < c.rect.bottom; ++y)
            for (i32 x = c.rect.left; x < c.rect.right; ++x) {
                const size_t at = (size_t(y) * g.width + size_t(x)) * 2;
                ink += (g.pixels[at] | g.pixels[at + 1]) != 0;
            }
        EXPECT_GT(ink, 0);
        SURF_FreeGrp(&g);
    }
}

// Everything a battle opens, read back through the battle's own loaders.
void SampleData::CheckBattle() {
    test::HeadlessDisplay display;
    ASSERT_TRUE(display.ok());
    SPR_Init();
    test::ScopedCwd cwd(dir_.path());
    ASSERT_EQ(TAMA_LoadData(), 1);
    std::vector<int> types = {0};
    types.insert(types.end(), std::begin(SvvKindTbl), std::end(SvvKindTbl));
    for (int type : types) {
        SCOPED_TRACE(MekaNameTbl[type]);
        ASSERT_EQ(SPR_LoadSprGrp(0, MakeFilePath("Bmp\\Meka\\%s.spr", MekaNameTbl[type]), 0), 1);
        EXPECT_GE(SprGrpTbl[0].pageCount, 8);
        EXPECT_GE(SprSeqTbl[0][2].count, 8);
        SPR_DelSprGrp(0);
        ASSERT_EQ(WAZA_LoadData(type), 1);
        EXPECT_GE(MekaTypeTbl[type].wazaCount, type == 0 ? 90 : 3);
        // Every technique fires a weapon there is, or strikes; the player's names tell them apart.
        std::set<std::string> names;
        for (int n = 0; n < MekaTypeTbl[type].wazaCount; ++n) names.insert(WAZA_GetData(type, n)->name);
        EXPECT_TRUE(type != 0 || names.size() == size_t(MekaTypeTbl[type].wazaCount)) << names.size();
        for (int n = 0; n < MekaTypeTbl[type].wazaCount; ++n)
            for (const WAZA_MOTION& mo : WAZA_GetData(type, n)->motion)
                EXPECT_TRUE(mo.fire.weapon < 0 || TAMA_GetData(mo.fire.weapon) != nullptr) << n;
        WAZA_ReleaseData(type);
        if (type) {
            EXPECT_EQ(CPU_LoadData(type), 1);
            CPU_ReleaseData(type);
        }
    }
    MAP_Open(0, 0, 0);
    ASSERT_NE(MapData, nullptr);
    EXPECT_EQ(MapData->width, 100);
    EXPECT_EQ(MapData->height, 80);
    EXPECT_EQ(MapData->cells[0].attrA & 1, 1);  // the border blocks
    MAP_Close();
    // The effect set holds every sequence the effects and the marker start; the HUD bitmaps cover the
    // rectangles the panels copy from.
    ASSERT_EQ(EFT_Init(), 1);
    for (int seq : {17, 18, 47, 57, 60, 61, 62, 64, 65, 70, 82, 83, 87, 92, 97, 103, 104, 106, 107, 111, 115, 116, 117})
        EXPECT_GT(SprSeqTbl[EftSprGrpNo][seq].count, 0) << seq;
    EXPECT_NE(SPR_GetGrpPage(EftSprGrpNo, 39), nullptr) << "40 facings";
    ASSERT_EQ(PNL_Init(), 1);
    i32 w = 0, h = 0;
    ASSERT_EQ(SPR_GetSurfSize(PnlPartsSurf, &w, &h), PnlPartsSurf);
    EXPECT_TRUE(w >= 328 && h >= 300) << w << "x" << h;
    ASSERT_EQ(SPR_GetSurfSize(PnlIconSurf, &w, &h), PnlIconSurf);
    EXPECT_TRUE(w >= 320 && h >= 160) << w << "x" << h;
    PNL_Term();
    EFT_Term();
    SPR_Release();
    TAMA_ClearData();

    // The HUD's cells stand for figures, words and faces: each has ink (pixels brighter than the cell's
    // mean) that is no pattern repeating a few columns on, and no two of a kind are alike.
    const struct {
        const char* file;
        i32 x, y, w, h, count, perRow, dx, dy;
    } kinds[] = {{"Bmp/Parts.grp", 160, 124, 10, 16, 10, 10, 10, 0},           // the hit count's figures
                 {"Bmp/Parts.grp", 260, 124, 18, 16, 1, 1, 0, 0},              // its label
                 {"Bmp/Parts.grp", 0, 100, 68, 8, MEKA_TYPE_MAX, 1, 0, 8},     // the name labels
                 {"Bmp/MekaPnl.grp", 2, 2, 36, 36, MEKA_TYPE_MAX, 8, 40, 40}};  // the portraits
    for (const auto& k : kinds) {
        SCOPED_TRACE(std::string(k.file) + " " + std::to_string(k.x) + "," + std::to_string(k.y));
        GRP_DATA g{};
        ASSERT_EQ(SURF_ReadGrp(File(k.file).c_str(), &g), 1);
        std::set<std::vector<int>> seen;
        for (i32 i = 0; i < k.count; ++i) {
            const i32 left = k.x + i % k.perRow * k.dx, top = k.y + i / k.perRow * k.dy;
            ASSERT_TRUE(left + k.w <= i32(g.width) && top + k.h <= i32(g.height)) << i;
            // Colours by order of first use, so that cells differ by their shapes alone.
            std::map<u16, int> order;
            std::vector<int> shape, light;
            for (i32 y = top; y < top + k.h; ++y)
                for (i32 x = left; x < left + k.w; ++x) {
                    const u16 p = Pixel(g, x, y);
                    shape.push_back(order.emplace(p, int(order.size())).first->second);
                    light.push_back((p >> 10 & 31) + (p >> 5 & 31) + (p & 31));
                }
            const double mean = std::accumulate(light.begin(), light.end(), 0.0) / double(light.size());
            const auto ink = [&](i32 x, i32 y) { return light[size_t(y * k.w + x)] > mean; };
            i32 l = k.w, r = -1, t = k.h, b = -1;  // the ink's bounds
            for (i32 y = 0; y < k.h; ++y)
                for (i32 x = 0; x < k.w; ++x)
                    if (ink(x, y)) l = std::min(l, x), r = std::max(r, x), t = std::min(t, y), b = std::max(b, y);
            EXPECT_GE(r, 0) << i << " is blank";
            for (i32 s = 1; s <= 4; ++s) {
                bool repeats = true;
                for (i32 y = t; y <= b; ++y)
                    for (i32 x = l; x + s <= r; ++x) repeats = repeats && ink(x, y) == ink(x + s, y);
                EXPECT_FALSE(repeats) << i << " repeats every " << s << " columns";
            }
            EXPECT_TRUE(seen.insert(shape).second) << i << " looks like another";
        }
        SURF_FreeGrp(&g);
    }
}

// What a rebuild does with each file it would write: the builder's own (as recorded) is replaced, a
// changed one stays, however often the builder runs again. What is planted in the folder is neither
// written through, waited on, nor replaced.
TEST(BuildRecord, RebuildReplacesOnlyWhatTheBuilderLeftAsItWas) {
    const std::vector<u8> a = {1, 2, 3}, b = {4, 5}, edit = {9, 9, 9, 9};
    // built: the builder wrote a and recorded it; edited: then the file became edit; noRecord: the folder
    // was built before records were kept; at: then a link to linkTo (a pipe when null) was put there;
    // mode: then the file was given it.
    struct Row {
        const char* name;
        bool built, edited, noRecord;
        std::vector<u8> expect;
        const char* at = nullptr;
        const char* linkTo = nullptr;
        mode_t mode = 0;
    } rows[] = {
        {"new file", false, false, false, b},
        {"builder's file", true, false, false, b},
        {"edited file", true, true, false, edit},
        {"file made by someone else", false, true, false, edit},
        {"folder built before records", true, true, true, b},
        {"link at its old temporary", true, false, false, b, "Dat/x.waz.part", "outside"},
        {"record a dangling link", true, true, false, edit, ".mkdata-record", "nowhere"},
        {"record a pipe", true, true, false, edit, ".mkdata-record"},
        {"pipe for the file", true, false, false, {}, "Dat/x.waz"},
        {"write-protected builder's file", true, false, false, a, nullptr, nullptr, 0444},
    };
    // One run of the builder: a file of its own, and `x` when given.
    const auto build = [&](const std::string& dir, const std::vector<u8>* x) {
        tools::BuildRecord record(dir);
        tools::SetBuildRecord(&record);
        EXPECT_TRUE(tools::SaveFile(dir + "/Dat/other.cpu", a));
        const bool saved = !x || tools::SaveFile(dir + "/Dat/x.waz", *x);
        tools::SetBuildRecord(nullptr);
        return saved && record.Save();
    };
    namespace fs = std::filesystem;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        test::TempDir dir;
        dir.Write("outside", "untouched");
        ASSERT_TRUE(build(dir.path(), r.built ? &a : nullptr));
        if (r.edited) dir.Write("Dat/x.waz", edit);
        if (r.noRecord) fs::remove(dir.path() + "/.mkdata-record");
        if (r.mode) fs::permissions(dir.path() + "/Dat/x.waz", fs::perms(r.mode));
        const std::string at = r.at ? dir.path() + "/" + r.at : "";
        if (r.at) {
            fs::remove(at);
            ASSERT_EQ(r.linkTo ? symlink((dir.path() + "/" + r.linkTo).c_str(), at.c_str()) : mkfifo(at.c_str(), 0600), 0);
        }
        // In a child, so that a read that waits on a pipe ends with the alarm.
        for (int rebuild = 0; rebuild < 2; ++rebuild) {
            const int status = test::InChild([&] { _exit(build(dir.path(), &b) ? 0 : 1); });
            EXPECT_EQ(status, 0) << "rebuild " << rebuild;
            if (status != 0) break;
            if (r.at && std::string(r.at) == "Dat/x.waz") continue;
            const std::string now = dir.Read("Dat/x.waz");
            EXPECT_EQ(std::vector<u8>(now.begin(), now.end()), r.expect) << "rebuild " << rebuild;
        }
        EXPECT_EQ(dir.Read("outside"), "untouched");
        if (r.at) {
            EXPECT_EQ(fs::symlink_status(at).type(), r.linkTo ? fs::file_type::symlink : fs::file_type::fifo);
        }
        EXPECT_EQ(test::FileCount(dir.path() + "/Dat"), r.at && std::string(r.at) == "Dat/x.waz.part" ? 3u : 2u)
            << "no temporary is left";
    }
}

}  // namespace
