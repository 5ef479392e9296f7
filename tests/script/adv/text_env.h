// The text window, faces and messages on the script engine's test bed: a probe font, wipe maps,
// the sample data's window picture, and single updates with chosen key and mouse words.
#pragma once
#include <functional>
#include <string>

#include "adv_env.h"
#include "script/adv/adv_face.h"
#include "script/adv/adv_message.h"
#include "script/adv/adv_window.h"

namespace test {

class TextTest : public AdvTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A wipe map of rows × 640 bytes, byte(x, y), as "bmp\etc\tbl.dat".
    void WriteMap(int rows, const std::function<u8(int x, int y)>& byte);
    // Copies the sample data's window picture (and its wipe map, unless noMap) and builds the text
    // window again on them.
    void UseSampleWindow(bool noMap = false);
    // A 14 × 14 (or size × size) probe font in the font slot: each glyph a box with a mark of its code.
    void LoadProbeFont(int slot, u16 size);
    // The sample data's fonts in slots 0 and 1.
    void LoadSampleFonts();

    // One update: key trigger and held words, mouse new and held words; the clock then moves 33 ms.
    void Step(u16 trigger = 0, u16 held = 0, u32 mouseTrg = 0, u32 mousePad = 0);
    // Lays text out as one page and runs updates until the window is open.
    void OpenPage(const std::string& text);
    // Clears the back buffer and draws every sprite.
    void DrawAll();
    int Count(const std::string& line) const;
};

// n wide Big5 characters (one code each: 0xA4 0x40 + i).
std::string Wide(int n);

}  // namespace test
