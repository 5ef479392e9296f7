#include "shell/movie/dwwl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "display_support.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "platform/audio.h"
#include "shell/sound/snd.h"
#include "test_support.h"
#include "tools/writers/movie_writer.h"

namespace {

constexpr u32 kRate = 44100;
constexpr u16 kMarker = 0x1234;

// One movie for the whole program: 64×48, 2 seconds at 25 fps (frame i shows from 40·i ms plus the
// few milliseconds the sound starts earlier), with a 440 Hz tone.
test::TempDir* g_dir = nullptr;

const std::string& MoviePath() {
    static test::TempDir dir;
    static const std::string path = [] {
        g_dir = &dir;
        const std::string p = g_dir->File("opening.mpg");
        EXPECT_TRUE(tools::WriteTestMovie(p));
        return p;
    }();
    return path;
}

int Count(const std::string& text, const std::string& piece) {
    int n = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
    return n;
}

u16 Pixel(plat::Surface* s, i32 x, i32 y) { return reinterpret_cast<const u16*>(s->pixels + y * s->pitch)[x]; }

i32 FrameOf565(u16 p) {
    return tools::TestMovieFrameOf(u8((p >> 11) << 3), u8(((p >> 5) & 0x3F) << 2), u8((p & 0x1F) << 3));
}

// Every pixel of rect shows the frame (and, with outside, every other pixel is the marker).
::testing::AssertionResult Shows(plat::Surface* s, const RECT& rect, i32 frame) {
    for (i32 y = 0; y < s->height; ++y)
        for (i32 x = 0; x < s->width; ++x) {
            const bool inside = x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
            const u16 p = Pixel(s, x, y);
            if (inside && (p == kMarker || FrameOf565(p) != frame))
                return ::testing::AssertionFailure() << "pixel " << x << "," << y << " shows frame " << FrameOf565(p);
            if (!inside && p != kMarker) return ::testing::AssertionFailure() << "pixel " << x << "," << y << " drawn";
        }
    return ::testing::AssertionSuccess();
}

class DwwlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(MoviePath().empty());
        ASSERT_TRUE(display_.ok());
        plat::AudioSetManualMix(kRate);
        ASSERT_EQ(SND_InitDevice(nullptr), 1);
        SURF_Fill(DispBackBuffer, nullptr, kMarker);
    }
    void TearDown() override {
        DWWL_Close(&movie_);
        SND_TermDevice();
        plat::AudioSetManualMix(0);
    }
    DWWL_DATA* OpenMovie() {
        movie_ = DWWL_Open(MoviePath().c_str(), DispDevice);
        return movie_;
    }
    static int Peak(u32 frames) {
        std::vector<i16> out(frames * 2);
        plat::AudioMix(out.data(), frames);
        int peak = 0;
        for (i16 v : out) peak = std::max(peak, std::abs(int(v)));
        return peak;
    }

    test::HeadlessDisplay display_;
    test::FakeClock clock_;
    test::DebugCapture debug_;
    test::MessageBoxCapture boxes_;
    DWWL_DATA* movie_ = nullptr;
};

TEST_F(DwwlTest, NullRecordsAndHandlesDoNothing) {
    DWWL_Play(nullptr);
    DWWL_Stop(nullptr);
    DWWL_Pause(nullptr);
    DWWL_SetPos(nullptr, 1, 2);
    DWWL_SetSize(nullptr, 3, 4);
    DWWL_Update(nullptr);
    DWWL_Draw(nullptr, DispBackBuffer);
    EXPECT_EQ(DWWL_GetTime(nullptr), 0);
    EXPECT_EQ(DWWL_GetDuration(nullptr), 0);
    EXPECT_EQ(DWWL_CreateRenderer(nullptr), 0);
    i32 a = 7, b = 7;
    DWWL_GetPos(nullptr, &a, &b);
    EXPECT_EQ(a + b, 0);
    a = b = 7;
    DWWL_GetSize(nullptr, &a, &b);
    EXPECT_EQ(a + b, 0);
    DWWL_Close(nullptr);
    DWWL_DATA* none = nullptr;
    DWWL_Close(&none);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(debug_.text(), "");
    EXPECT_TRUE(boxes_.calls().empty());
}

TEST_F(DwwlTest, AFileThatCannotBeOpenedGivesARecordWhoseTimesAreZero) {
    movie_ = DWWL_Open(g_dir->File("absent.mpg").c_str(), DispDevice);
    ASSERT_NE(movie_, nullptr);
    EXPECT_EQ(std::string(movie_->name), g_dir->File("absent.mpg"));
    EXPECT_TRUE(debug_.Contains("movie open....(" + g_dir->File("absent.mpg") + ")\n"));
    EXPECT_TRUE(boxes_.calls().empty()) << "nothing to render, so no message";
    DWWL_Play(movie_);
    clock_.Advance(1000);
    // The opening waits for time == duration: it ends at once.
    EXPECT_EQ(DWWL_GetTime(movie_), 0);
    EXPECT_EQ(DWWL_GetDuration(movie_), 0);
    EXPECT_EQ(movie_->playing, 0);
    DWWL_Draw(movie_, DispBackBuffer);
    EXPECT_TRUE(Shows(DispBackBuffer, RECT{0, 0, 0, 0}, 0));
    DWWL_Close(&movie_);
    EXPECT_EQ(movie_, nullptr);
    EXPECT_TRUE(debug_.Contains("movie close ..... (" + g_dir->File("absent.mpg") + ")\n"));
    EXPECT_FALSE(debug_.Contains("movie playing"));

    // Bytes that are no movie behave the same.
    g_dir->Write("junk.mpg", std::string(3000, '\x33'));
    movie_ = DWWL_Open(g_dir->File("junk.mpg").c_str(), DispDevice);
    ASSERT_NE(movie_, nullptr);
    EXPECT_EQ(DWWL_GetDuration(movie_), 0);
    EXPECT_TRUE(boxes_.calls().empty());
}

TEST_F(DwwlTest, OpensAtTheVideoSizeAndTracesPlayStopAndPause) {
    ASSERT_NE(OpenMovie(), nullptr);
    i32 x = -1, y = -1, w = 0, h = 0;
    DWWL_GetPos(movie_, &x, &y);
    DWWL_GetSize(movie_, &w, &h);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 48);
    EXPECT_NEAR(DWWL_GetDuration(movie_), 2000, 40);
    EXPECT_EQ(movie_->playing, 0);
    EXPECT_TRUE(boxes_.calls().empty());

    const std::string n = "(" + MoviePath() + ")\n";
    DWWL_Pause(movie_);  // never played: nothing
    DWWL_Stop(movie_);
    DWWL_Play(movie_);
    EXPECT_EQ(movie_->playing, 1);
    DWWL_Pause(movie_);
    DWWL_Pause(movie_);  // one line for two pauses
    EXPECT_EQ(movie_->paused, 1);
    DWWL_Play(movie_);
    EXPECT_EQ(movie_->paused, 0);
    DWWL_Stop(movie_);
    EXPECT_EQ(movie_->playing, 1) << "a stop keeps the playing flag";
    DWWL_Pause(movie_);  // so a pause after a stop acts again
    DWWL_Stop(movie_);
    EXPECT_EQ(movie_->paused, 0);
    DWWL_Close(&movie_);
    EXPECT_EQ(movie_, nullptr);
    EXPECT_EQ(debug_.text(), "movie open...." + n + "movie playing...." + n + "movie pause...." + n +
                                 "movie playing...." + n + "movie stop...." + n + "movie pause...." + n +
                                 "movie stop...." + n + "movie close ..... " + n);

    DWWL_SetPos(OpenMovie(), -5, 7);
    DWWL_SetSize(movie_, 640, 480);
    DWWL_GetPos(movie_, &x, &y);
    DWWL_GetSize(movie_, &w, &h);
    EXPECT_EQ(x * 1000 + y, -5000 + 7);
    EXPECT_EQ(w * 1000 + h, 640480);
}

TEST_F(DwwlTest, TimeFollowsTheClockKeepsStillWhenStoppedAndSticksAtTheDuration) {
    ASSERT_NE(OpenMovie(), nullptr);
    clock_.Advance(300);
    EXPECT_EQ(DWWL_GetTime(movie_), 0);
    DWWL_Play(movie_);
    clock_.Advance(500);
    EXPECT_EQ(DWWL_GetTime(movie_), 500);
    DWWL_Pause(movie_);
    clock_.Advance(1000);
    EXPECT_EQ(DWWL_GetTime(movie_), 500);
    DWWL_Play(movie_);
    clock_.Advance(250);
    EXPECT_EQ(DWWL_GetTime(movie_), 750);
    DWWL_Stop(movie_);
    clock_.Advance(1000);
    EXPECT_EQ(DWWL_GetTime(movie_), 750);
    DWWL_Play(movie_);
    // The opening's end test: once the movie is over the time equals the duration, frame after frame.
    for (int i = 0; i < 100; ++i) {
        clock_.Advance(33);
        DWWL_Draw(movie_, DispBackBuffer);
        EXPECT_LE(DWWL_GetTime(movie_), DWWL_GetDuration(movie_));
    }
    EXPECT_EQ(DWWL_GetTime(movie_), DWWL_GetDuration(movie_));
    clock_.Advance(100000);
    EXPECT_EQ(DWWL_GetTime(movie_), DWWL_GetDuration(movie_));
}

TEST_F(DwwlTest, DrawStretchesNewFramesOntoTheTargetAndNothingElse) {
    ASSERT_NE(OpenMovie(), nullptr);
    DWWL_SetSize(movie_, 640, 480);
    const RECT all{0, 0, 640, 480};
    DWWL_Draw(movie_, DispBackBuffer);
    EXPECT_TRUE(Shows(DispBackBuffer, RECT{0, 0, 0, 0}, 0)) << "not playing: nothing drawn";

    DWWL_Play(movie_);
    DWWL_Draw(movie_, DispBackBuffer);
    EXPECT_TRUE(Shows(DispBackBuffer, all, 0));
    const std::string bmp = g_dir->File("frame0.bmp");
    EXPECT_TRUE(plat::SaveSurfaceBmp(DispBackBuffer, bmp.c_str()));

    // No new frame: the back buffer keeps what it has.
    SURF_Fill(DispBackBuffer, nullptr, kMarker);
    clock_.Advance(20);
    DWWL_Draw(movie_, DispBackBuffer);
    EXPECT_TRUE(Shows(DispBackBuffer, RECT{0, 0, 0, 0}, 0));

    clock_.Advance(1000);
    DWWL_Draw(movie_, DispBackBuffer);
    EXPECT_TRUE(Shows(DispBackBuffer, all, 25));

    // DWWL_Update brings the surface up to date without drawing; the draw then has nothing new.
    SURF_Fill(DispBackBuffer, nullptr, kMarker);
    clock_.Advance(40);
    DWWL_Update(movie_);
    DWWL_Draw(movie_, DispBackBuffer);
    EXPECT_TRUE(Shows(DispBackBuffer, RECT{0, 0, 0, 0}, 0));

    // A smaller rectangle elsewhere.
    DWWL_SetPos(movie_, 100, 50);
    DWWL_SetSize(movie_, 64, 48);
    clock_.Advance(40);
    DWWL_Draw(movie_, DispBackBuffer);
    EXPECT_TRUE(Shows(DispBackBuffer, RECT{100, 50, 164, 98}, 27));
    EXPECT_TRUE(boxes_.calls().empty());
}

TEST_F(DwwlTest, DrawsPartlyOffTheTargetClippedWithoutAnyMessage) {
    ASSERT_NE(OpenMovie(), nullptr);
    DWWL_Play(movie_);
    clock_.Advance(20);  // mid-frame from here on
    const struct {
        RECT place;
        RECT seen;
    } cases[] = {
        {{600, 440, 1240, 920}, {600, 440, 640, 480}},
        {{-32, -24, 32, 24}, {0, 0, 32, 24}},
        {{-100, 200, 740, 260}, {0, 200, 640, 260}},
        {{700, 0, 764, 48}, {0, 0, 0, 0}},   // wholly outside
        {{10, 10, 10, 58}, {0, 0, 0, 0}},    // no width
        {{10, 10, -54, 58}, {0, 0, 0, 0}},   // negative width
        {{0x7FFFFFF0, 0, 0x7FFFFFFF, 48}, {0, 0, 0, 0}},
    };
    i32 frame = 0;
    for (const auto& c : cases) {
        SURF_Fill(DispBackBuffer, nullptr, kMarker);
        DWWL_SetPos(movie_, c.place.left, c.place.top);
        DWWL_SetSize(movie_, c.place.right - c.place.left, c.place.bottom - c.place.top);
        DWWL_Draw(movie_, DispBackBuffer);
        EXPECT_TRUE(Shows(DispBackBuffer, c.seen, frame)) << c.place.left << "," << c.place.top;
        clock_.Advance(40);
        ++frame;
    }
    EXPECT_TRUE(boxes_.calls().empty());
    EXPECT_FALSE(debug_.Contains("Blt failed"));
}

TEST_F(DwwlTest, AFailingDrawIsLoggedOnceAndTheNextDrawTriesAgain) {
    ASSERT_NE(OpenMovie(), nullptr);
    DWWL_Play(movie_);
    plat::SurfaceDesc desc{};
    ASSERT_EQ(plat::LockSurface(DispBackBuffer, &desc), plat::kSurfOk);
    for (int i = 0; i < 5; ++i) {
        DWWL_Draw(movie_, DispBackBuffer);
        clock_.Advance(40);
    }
    plat::UnlockSurface(DispBackBuffer);
    EXPECT_EQ(Count(debug_.text(), "Blt failed"), 1);
    EXPECT_TRUE(boxes_.calls().empty());
    DWWL_Draw(movie_, DispBackBuffer);
    EXPECT_TRUE(Shows(DispBackBuffer, RECT{0, 0, 64, 48}, 4));
}

TEST_F(DwwlTest, SoundPlaysWithThePictureAndPausesWithIt) {
    ASSERT_NE(OpenMovie(), nullptr);
    EXPECT_EQ(Peak(kRate / 10), 0);
    DWWL_Play(movie_);
    DWWL_Draw(movie_, DispBackBuffer);
    EXPECT_GT(Peak(kRate / 10), 10000);
    DWWL_Pause(movie_);
    EXPECT_EQ(Peak(kRate / 10), 0);
    DWWL_Play(movie_);
    EXPECT_GT(Peak(kRate / 10), 10000);
    DWWL_Close(&movie_);
    EXPECT_EQ(Peak(kRate / 10), 0) << "the close releases the sound";

    // Without a sound device the picture plays alone.
    SND_TermDevice();
    ASSERT_NE(OpenMovie(), nullptr);
    DWWL_Play(movie_);
    clock_.Advance(100);
    DWWL_Draw(movie_, DispBackBuffer);
    EXPECT_TRUE(Shows(DispBackBuffer, RECT{0, 0, 64, 48}, 2));
}

TEST_F(DwwlTest, TracesAreCutAt255Characters) {
    const std::string longText(300, 'x');
    DWWL_Printf("%s", longText.c_str());
    EXPECT_EQ(debug_.text(), std::string(255, 'x'));
    debug_.Clear();
    DWWL_Printf("%d-%s", 42, "no line end");
    EXPECT_EQ(debug_.text(), "42-no line end");

    // A name longer than the record holds is cut to 259 characters, and its trace to 255.
    debug_.Clear();
    const std::string name(400, 'n');
    movie_ = DWWL_Open(name.c_str(), DispDevice);
    ASSERT_NE(movie_, nullptr);
    EXPECT_EQ(std::string(movie_->name), name.substr(0, 259));
    EXPECT_EQ(debug_.text().substr(debug_.text().size() - 255), "movie open....(" + std::string(240, 'n'));
}

TEST(DwwlSetUpTest, SurfaceAndRendererFailuresShowTheirMessagesAndKeepTheRecord) {
    ASSERT_FALSE(MoviePath().empty());
    test::MessageBoxCapture boxes;
    test::DebugCapture debug;
    EXPECT_EQ(DWWL_CreateSurface(nullptr, 64, 48), nullptr);
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].text, "サーフェース作成に失敗");
    EXPECT_EQ(boxes.calls()[0].caption, "エラー");

    // An 8-bit display gets a movie surface, but no frames can be written into it.
    test::HeadlessDisplay display(plat::PixelLayout::k565, 640, 480, 8);
    ASSERT_TRUE(display.ok());
    test::FakeClock clock;
    DWWL_DATA* movie = DWWL_Open(MoviePath().c_str(), DispDevice);
    ASSERT_NE(movie, nullptr);
    ASSERT_EQ(boxes.calls().size(), 2u);
    EXPECT_EQ(boxes.calls()[1].text, "レンダラの作成失敗");
    EXPECT_EQ(boxes.calls()[1].caption, "Error");
    // The times still come from the stream; draws do nothing.
    EXPECT_NEAR(DWWL_GetDuration(movie), 2000, 40);
    DWWL_Play(movie);
    clock.Advance(100);
    EXPECT_EQ(DWWL_GetTime(movie), 100);
    DWWL_Draw(movie, DispBackBuffer);
    DWWL_Close(&movie);
    EXPECT_EQ(movie, nullptr);

    // Without a display the surface fails, with its own message only.
    movie = DWWL_Open(MoviePath().c_str(), nullptr);
    ASSERT_NE(movie, nullptr);
    ASSERT_EQ(boxes.calls().size(), 3u);
    EXPECT_EQ(boxes.calls()[2].text, "サーフェース作成に失敗");
    DWWL_Close(&movie);
}

TEST(DwwlSetUpTest, A555DisplayGetsFramesInItsOwnLayout) {
    ASSERT_FALSE(MoviePath().empty());
    test::HeadlessDisplay display(plat::PixelLayout::k555);
    ASSERT_TRUE(display.ok());
    test::FakeClock clock;
    test::DebugCapture debug;
    DWWL_DATA* movie = DWWL_Open(MoviePath().c_str(), DispDevice);
    ASSERT_NE(movie, nullptr);
    DWWL_SetSize(movie, 640, 480);
    DWWL_Play(movie);
    clock.Advance(1220);
    DWWL_Draw(movie, DispBackBuffer);
    const tools::Rgb want = tools::TestMovieColour(30);
    for (const POINT at : {POINT{0, 0}, POINT{639, 479}, POINT{320, 240}}) {
        const u16 p = Pixel(DispBackBuffer, at.x, at.y);
        EXPECT_NEAR((p >> 10) << 3, want.r, 12);
        EXPECT_NEAR(((p >> 5) & 0x1F) << 3, want.g, 12);
        EXPECT_NEAR((p & 0x1F) << 3, want.b, 12);
    }
    DWWL_Close(&movie);
}

}  // namespace
