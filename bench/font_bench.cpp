// Text drawing into the back buffer: one 40-character line per iteration, by style and size.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/font/font.h"
#include "tools/writers/fnt_writer.h"

namespace {

bool SetUpFont() {
    static bool ready = false;
    if (ready) return true;
    if (!DISP_DeviceExists() && DISP_Init(nullptr, 640, 480, 16, 1, 0, 1) != 1) return false;
    tools::FntBuilder f(14, 14, 800);
    for (u32 r = 0; r < 14; ++r) {
        for (u32 c = 32; c < 128; ++c) f.NarrowRow(u8(c), r, (c * 37 + r * 11) & 0xFE);
        for (u32 s = 0; s < 800; ++s) f.WideRow(s, r, (s * 97 + r * 13) & 0x7FFE);
    }
    const std::string path = (std::filesystem::temp_directory_path() / "korvane_bench_font.fnt").string();
    if (!tools::SaveFnt(path, f.Build())) return false;
    FONT_Release();
    const bool ok = FONT_LoadFont(0, path.c_str()) == 1;
    std::filesystem::remove(path);
    FONT_SelectFont(0);
    return ready = ok;
}

void BM_DrawText(benchmark::State& state) {
    if (!SetUpFont()) {
        state.SkipWithError("no display or font");
        return;
    }
    FONT_SetFont(0, int(state.range(0)), int(state.range(1)));
    FONT_SetColor(state.range(2) ? 0xF800 : 0xFFFF, 0xFFFF, 0x0001);
    // Mixed single-byte text and Big5 characters.
    const char* text = "Score 0123456789 \xA4\x40\xA4\x41\xA4\x42\xA4\x43 ABCDEFGHIJ klmnop";
    for (auto _ : state) benchmark::DoNotOptimize(TXT_DrawText(DispBackBuffer, 8, 100, "%s", text));
}
// style, large, gradient
BENCHMARK(BM_DrawText)
    ->Args({0, 0, 0})
    ->Args({0, 0, 1})
    ->Args({1, 0, 0})
    ->Args({3, 0, 1})
    ->Args({4, 0, 0})
    ->Args({0, 1, 0})
    ->Args({4, 1, 0});

}  // namespace
