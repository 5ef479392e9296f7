// Shared by the panel and balloon tests: a headless display with the sprite system, a font in slot 0
// whose glyphs are solid blocks, the three menu sounds on a mixer the tests pull, the screens' input
// on the fake backend, a fixed local time and "Bmp\MainMenu.bmp" in a temporary folder.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "display_support.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/font/font.h"
#include "graphics/sprite/spr.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/input_fake.h"
#include "platform/picture.h"
#include "screens/panel/ims.h"
#include "shell/input/inp.h"
#include "shell/input/key.h"
#include "shell/sound/sound.h"
#include "test_support.h"
#include "tools/writers/fnt_writer.h"
#include "tools/writers/grp_writer.h"
#include "tools/writers/wave_writer.h"

namespace paneltest {

constexpr int kDikUp = 72;
constexpr int kDikDown = 80;
constexpr int kDikDecide = 44;
constexpr int kDikCancel = 45;
constexpr int kSounds[] = {46, 48, 49};

// Every narrow and wide glyph of the Big5 lead bytes the fonts take is a solid block.
inline std::vector<u8> BlockFont() {
    static const std::vector<u8> bytes = [] {
        constexpr u32 kSlots = (0xC9 - 0xA1 + 1) * 160;
        tools::FntBuilder f(10, 10, kSlots);
        for (u32 row = 0; row < 10; ++row) {
            for (u32 c = 33; c < 127; ++c) f.NarrowRow(u8(c), row, 0x7C);  // columns 0..4
            for (u32 s = 0; s < kSlots; ++s) f.WideRow(s, row, 0x3FF0);  // columns 0..9
        }
        return f.Build();
    }();
    return bytes;
}

// Removes every panel without its callback and gives every group slot back.
inline void ClearPanels() {
    for (IMS_DATA& g : ImsTbl)
        if (g.first) IMS_DelChild(&g, g.first);
    std::memset(ImsTbl, 0, sizeof ImsTbl);
}

class PanelFixture : public ::testing::Test {
protected:
    PanelFixture() : cwd_(dir_.path()) {}

    void SetUp() override {
        ASSERT_TRUE(display_.ok());
        SPR_Init();
        FONT_Release();
        dir_.Write("font.fnt", BlockFont());
        ASSERT_EQ(FONT_LoadFont(0, dir_.File("font.fnt").c_str()), 1);

        tools::GrpImage menu;
        menu.width = 192;
        menu.height = 160;
        menu.pixels.assign(size_t(192) * 160 * 2, 0x42);
        ASSERT_TRUE(tools::SaveGrp(dir_.File("Bmp/MainMenu.grp"), menu, false));

        plat::AudioSetManualMix(8000);
        ASSERT_EQ(SND_InitDevice(nullptr), 1);
        SeVolume = 100;
        for (int n : kSounds) {
            dir_.Write("se.wav", tools::MakeWave(tools::WaveOptions{}, tools::IndexSamples16(400)));
            SeBuffer[n] = SND_LoadSound(dir_.File("se.wav").c_str());
            ASSERT_NE(SeBuffer[n], nullptr);
        }

        plat::SetInputBackend(&input_);
        plat::SetPicturePlacement(RECT{0, 0, 640, 480}, 640, 480);
        ASSERT_EQ(INP_Init(nullptr, nullptr), &input_);
        KEY_InitScreenKey();
        ScreenMousePad = ScreenMouseTrg = 0;

        plat::SetLocalTimeSource([] { return plat::LocalTime{2026, 12, 7, 9, 5, 3, 0, 1}; });

        ClearPanels();
        IMS_Init();
    }

    void TearDown() override {
        ClearPanels();
        plat::SetLocalTimeSource({});
        INP_Term();
        plat::SetInputBackend(nullptr);
        for (int n : kSounds) {
            SND_ReleaseBuffer(SeBuffer[n]);
            SeBuffer[n] = nullptr;
        }
        SND_TermDevice();
        plat::AudioSetManualMix(0);
        SPR_Release();
        for (int i = 0; i < SURF_SLOT_MAX; ++i)
            while (SurfTbl[i].useCount) SPR_DelSurfDat(i);
        FONT_Release();
    }

    // One frame: the keys pressed and the mouse as given, the screens' input read, the panels
    // stepped; then everything let go and read once more, so the next frame's press is new.
    void Step(int dik = -1, bool left = false, bool right = false) {
        if (dik >= 0) input_.Press(dik);
        input_.button[0] = left;
        input_.button[1] = right;
        KEY_RenewScreenKey();
        IMS_Loop();
        if (dik >= 0) input_.Let(dik);
        input_.button[0] = input_.button[1] = false;
        KEY_RenewScreenKey();
    }
    void MoveMouse(i32 x, i32 y) {
        input_.cursorX = x;
        input_.cursorY = y;
    }

    // Whether effect n started since the last look (it is stopped again).
    static bool Played(int n) {
        const bool playing = (SND_GetStatus(SeBuffer[n]) & plat::kSoundStatusPlaying) != 0;
        SND_Stop(SeBuffer[n]);
        return playing;
    }
    static u32 Looping(int n) { return SND_GetStatus(SeBuffer[n]) & plat::kSoundStatusLooping; }

    static u16 Pixel(plat::Surface* s, i32 x, i32 y) {
        plat::SurfaceDesc d{};
        if (SURF_Lock(s, &d) != plat::kSurfOk) return 0xDEAD;
        const u16 v = reinterpret_cast<const u16*>(static_cast<const u8*>(d.pixels) + y * d.pitch)[x];
        SURF_Unlock(s);
        return v;
    }

    test::TempDir dir_;
    plat::FakeInputBackend input_;

private:
    test::HeadlessDisplay display_;
    test::ScopedCwd cwd_;
};

}  // namespace paneltest
