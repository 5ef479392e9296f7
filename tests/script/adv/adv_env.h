// The script engine with its real neighbours on a headless display: the sprite system, a 640×480 work
// surface, the fake input backend, a fake clock, a temporary data folder made current, and the calls
// to the text window, messages, faces and sound traced.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "display_support.h"
#include "platform/input_fake.h"
#include "script/core/ass.h"
#include "test_support.h"

namespace test {

// 8-bit channels of a pixel.
struct Rgb8 {
    int r, g, b;
};

class AdvTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Assembles source into "script/<name>", loads it as the bottom script and starts it.
    void Run(const std::string& source, const std::string& name = "t.scr");
    // One update with the key trigger word; the mouse is read as the screens read it (its new presses
    // from the fake's buttons); then the clock moves on by advance ms.
    i32 Loop(u16 trigger = 0, u32 advance = 0);
    // The pointer where the player put it, read by the next mouse read.
    void MoveMouse(i32 x, i32 y);

    // A ".grp" picture (24 bits) whose pixel (x, y) is colour(x, y).
    void WritePicture(const std::string& name, int w, int h, const std::function<Rgb8(int, int)>& colour);
    // A ".spr" set of `pages` pages, each one part of a 16×16 picture "<stem>img"; sequence 0 plays them.
    void WriteSpriteSet(const std::string& name, int pages);

    u16 Pixel(i32 x, i32 y) const;  // of the back buffer
    static u16 Pack(Rgb8 c);
    // The back buffer saved (as a 24-bit picture) to tests/data/<name> when KORVANE_UPDATE_GOLDEN=1,
    // else compared with it; always also written to the build folder for a look.
    void CheckGolden(const std::string& name, int w, int h);

    HeadlessDisplay display;
    TempDir dir;
    FakeClock clock;
    KEY_DEVICE key{};
    plat::FakeInputBackend fake;
    std::vector<std::string> trace;

private:
    ScopedCwd* cwd_ = nullptr;
    i32 oldWorkSurf_ = -1;
    u32 mousePad_ = 0;
    int oldSeVolume_ = 0;
};

}  // namespace test
