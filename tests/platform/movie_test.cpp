#include "platform/movie.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "platform/audio.h"
#include "platform/file.h"
#include "platform/movie_encode.h"
#include "test_support.h"
#include "tools/writers/movie_writer.h"

namespace {

constexpr i64 kUnitsPerMs = 10000;
constexpr u32 kRate = 44100;

// One 64×48, 2-second, 25 fps movie with a 440 Hz tone, shared by every test of the file.
class MovieStreamTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new test::TempDir;
        path_ = dir_->File("clip.mpg");
        ASSERT_TRUE(tools::WriteTestMovie(path_));
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    void SetUp() override {
        plat::AudioSetManualMix(kRate);
        device_ = plat::AudioOpenDevice();
        ASSERT_NE(device_, nullptr);
    }
    void TearDown() override {
        for (plat::Surface* s : surfaces_) plat::ReleaseSurface(s);
        plat::AudioCloseDevice(device_);
        plat::AudioSetManualMix(0);
    }
    plat::Surface* Surface565(i32 w = 64, i32 h = 48) {
        return Keep(plat::CreateSurface(w, h, 16, 0xF800, 0x07E0, 0x001F, plat::kCapsSystemMemory));
    }
    plat::Surface* Keep(plat::Surface* s) {
        if (s) surfaces_.push_back(s);
        return s;
    }
    // The frame shown at pixel (x, y) of a 565 surface.
    static i32 FrameAt565(plat::Surface* s, i32 x, i32 y) {
        const u16 p = reinterpret_cast<const u16*>(s->pixels + y * s->pitch)[x];
        return tools::TestMovieFrameOf(u8((p >> 11) << 3), u8(((p >> 5) & 0x3F) << 2), u8((p & 0x1F) << 3));
    }
    // Left-channel samples of the next frames of the mix; with a stream, its sound thread then catches
    // up with what the mixer took, as it would long before a real device came back for more.
    static std::vector<i16> Mix(u32 frames, const plat::MovieStream* stream = nullptr) {
        std::vector<i16> out(frames * 2);
        plat::AudioMix(out.data(), frames);
        EXPECT_TRUE(plat::MovieWaitSoundIdle(stream, 10000));
        std::vector<i16> left(frames);
        for (u32 i = 0; i < frames; ++i) left[i] = out[2 * i];
        return left;
    }
    // The next seconds of the mix in 40 ms pulls, the clock following when advance is set.
    std::vector<i16> MixSeconds(double seconds, const plat::MovieStream* stream, bool advance) {
        std::vector<i16> all;
        for (int i = 0; i < int(seconds * 25 + 0.5); ++i) {
            const std::vector<i16> part = Mix(kRate / 25, stream);
            all.insert(all.end(), part.begin(), part.end());
            if (advance) clock_.Advance(40);
        }
        return all;
    }
    // The first and last sample louder than a quiet level, or -1.
    static std::pair<long, long> Loud(const std::vector<i16>& samples) {
        long first = -1, last = -1;
        for (size_t i = 0; i < samples.size(); ++i)
            if (std::abs(int(samples[i])) > 1000) {
                if (first < 0) first = long(i);
                last = long(i);
            }
        return {first, last};
    }
    static int Peak(const std::vector<i16>& samples) {
        int peak = 0;
        for (i16 v : samples) peak = std::max(peak, std::abs(int(v)));
        return peak;
    }
    static int UpwardCrossings(const std::vector<i16>& samples) {
        int n = 0;
        for (size_t i = 1; i < samples.size(); ++i) n += samples[i - 1] < 0 && samples[i] >= 0;
        return n;
    }

    static test::TempDir* dir_;
    static std::string path_;
    plat::AudioDevice* device_ = nullptr;
    std::vector<plat::Surface*> surfaces_;
    test::FakeClock clock_;
};

test::TempDir* MovieStreamTest::dir_ = nullptr;
std::string MovieStreamTest::path_;

struct StreamCloser {
    void operator()(plat::MovieStream* s) const { plat::MovieClose(s); }
};
using StreamPtr = std::unique_ptr<plat::MovieStream, StreamCloser>;

TEST_F(MovieStreamTest, OpensWithSizeAndDurationAndRefusesWhatIsNoMovie) {
    // A pipe put at the name once it was checked is never waited on: the file checked is the file read.
    // (Forked before any movie runs its sound thread, which the child's allocator could wait on.)
    const int status = test::InChild([&] {
        const std::string name = dir_->File("swapped.mpg"), staging = name + ".swap";
        std::atomic<bool> done{false};
        std::thread swapper([&] {
            for (bool pipe = false; !done; pipe = !pipe) {
                unlink(staging.c_str());
                if (pipe ? mkfifo(staging.c_str(), 0600) : link(path_.c_str(), staging.c_str())) _exit(2);
                rename(staging.c_str(), name.c_str());
            }
        });
        int opened = 0;
        // Until enough opens found the movie, however the swaps fall under load; a wait on a pipe
        // meets the alarm.
        while (opened < 100) {
            plat::MovieStream* m = plat::MovieOpen(name.c_str(), nullptr);
            opened += m != nullptr;
            plat::MovieClose(m);
        }
        done = true;
        swapper.join();
        _exit(opened == 100 ? 0 : 1);
    });
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    StreamPtr s(plat::MovieOpen(path_.c_str(), device_));
    ASSERT_NE(s, nullptr);
    i32 w = 0, h = 0;
    ASSERT_TRUE(plat::MovieGetVideoSize(s.get(), &w, &h));
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 48);
    EXPECT_NEAR(double(plat::MovieGetDuration(s.get())), 2000.0 * kUnitsPerMs, 40.0 * kUnitsPerMs);
    EXPECT_EQ(plat::MovieGetTime(s.get()), 0);
    EXPECT_FALSE(plat::MovieIsRunning(s.get()));

    dir_->Write("junk.mpg", std::string(4000, '\x5a'));
    EXPECT_EQ(plat::MovieOpen(dir_->File("junk.mpg").c_str(), device_), nullptr);
    dir_->Write("empty.mpg", std::string());
    EXPECT_EQ(plat::MovieOpen(dir_->File("empty.mpg").c_str(), device_), nullptr);
    EXPECT_EQ(plat::MovieOpen(dir_->File("missing.mpg").c_str(), device_), nullptr);
    ASSERT_EQ(mkfifo(dir_->File("pipe.mpg").c_str(), 0600), 0);
    EXPECT_EQ(plat::MovieOpen(dir_->File("pipe.mpg").c_str(), device_), nullptr);  // at once, not waiting
    EXPECT_EQ(plat::MovieOpen(nullptr, device_), nullptr);

    // What a movie's bytes name is never opened: a list naming that pipe, a playlist naming a server
    // of this test's own. Whatever is reached is let go at once, so a player that opens it ends. (The
    // open movie's sound thread goes first: a child forked beside it could not start its watcher.)
    s.reset();
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t addrSize = sizeof(addr);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
    ASSERT_EQ(listen(listener, 8), 0);
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &addrSize), 0);
    const std::string pipe = dir_->File("pipe.mpg");
    const std::pair<const char*, std::string> naming[] = {
        {"concat.mpg", "ffconcat version 1.0\nfile pipe.mpg\n"},
        {"playlist.mpg", "#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1,\nhttp://127.0.0.1:" +
                             std::to_string(ntohs(addr.sin_port)) + "/seg.ts\n#EXT-X-ENDLIST\n"},
    };
    for (const auto& [name, text] : naming) {
        SCOPED_TRACE(name);
        dir_->Write(name, text);
        const int child = test::InChild([&, name = name] {
            std::atomic<bool> done{false};
            std::atomic<int> reached{0};
            const auto reach = [&] {
                // Opening the pipe's other end without waiting succeeds only while someone opens it.
                if (const int fd = open(pipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC); fd >= 0 && close(fd) == 0)
                    reached |= 2;
                if (const int fd = accept(listener, nullptr, nullptr); fd >= 0 && close(fd) == 0) reached |= 4;
            };
            std::thread watch([&] {
                for (; !done; usleep(1000)) reach();
            });
            plat::MovieStream* m = plat::MovieOpen(dir_->File(name).c_str(), nullptr);
            done = true;
            watch.join();
            reach();
            _exit((m != nullptr) | reached);
        });
        EXPECT_TRUE(WIFEXITED(child) && WEXITSTATUS(child) == 0) << child;
    }
    close(listener);

    // Names are matched on disk ignoring case, as every game file name is.
    StreamPtr upper(plat::MovieOpen(dir_->File("CLIP.MPG").c_str(), nullptr));
    EXPECT_NE(upper, nullptr);
}

TEST_F(MovieStreamTest, ClockRunsOnlyWhileRunningAndStopsAtTheDuration) {
    StreamPtr s(plat::MovieOpen(path_.c_str(), device_));
    ASSERT_NE(s, nullptr);
    clock_.Advance(700);  // time before the run does not count
    EXPECT_EQ(plat::MovieGetTime(s.get()), 0);
    ASSERT_TRUE(plat::MovieSetRunning(s.get(), true));
    clock_.Advance(500);
    EXPECT_EQ(plat::MovieGetTime(s.get()), 500 * kUnitsPerMs);
    plat::MovieSetRunning(s.get(), false);
    clock_.Advance(3000);
    EXPECT_EQ(plat::MovieGetTime(s.get()), 500 * kUnitsPerMs);
    plat::MovieSetRunning(s.get(), true);
    plat::MovieSetRunning(s.get(), true);  // running again does not restart the clock
    clock_.Advance(250);
    EXPECT_EQ(plat::MovieGetTime(s.get()), 750 * kUnitsPerMs);
    clock_.Advance(60000);
    EXPECT_EQ(plat::MovieGetTime(s.get()), plat::MovieGetDuration(s.get()));

    // The clock survives the millisecond counter's wrap.
    StreamPtr t(plat::MovieOpen(path_.c_str(), nullptr));
    clock_.Set(0xFFFFFF00u);
    plat::MovieSetRunning(t.get(), true);
    clock_.Advance(0x200);
    EXPECT_EQ(plat::MovieGetTime(t.get()), 0x200 * kUnitsPerMs);
}

TEST_F(MovieStreamTest, UpdateWritesTheNewestDueFrameOnceThenReportsTheEnd) {
    StreamPtr s(plat::MovieOpen(path_.c_str(), device_));
    ASSERT_NE(s, nullptr);
    plat::Surface* surface = Surface565();
    const RECT rect{0, 0, 64, 48};
    plat::MovieSample* sample = plat::MovieCreateSample(s.get(), surface, &rect);
    ASSERT_NE(sample, nullptr);
    EXPECT_EQ(plat::MovieCreateSample(s.get(), Surface565(), &rect), nullptr) << "one sample per stream";

    EXPECT_EQ(plat::MovieUpdate(sample), plat::MovieUpdateResult::kNoUpdate) << "stopped";
    plat::MovieSetRunning(s.get(), true);
    ASSERT_EQ(plat::MovieUpdate(sample), plat::MovieUpdateResult::kNewFrame);
    EXPECT_EQ(FrameAt565(surface, 0, 0), 0);
    EXPECT_EQ(FrameAt565(surface, 63, 47), 0);
    EXPECT_EQ(plat::MovieUpdate(sample), plat::MovieUpdateResult::kNoUpdate);
    clock_.Advance(20);
    EXPECT_EQ(plat::MovieUpdate(sample), plat::MovieUpdateResult::kNoUpdate);

    // Late updates skip to the newest due frame.
    clock_.Advance(1000);
    ASSERT_EQ(plat::MovieUpdate(sample), plat::MovieUpdateResult::kNewFrame);
    EXPECT_EQ(FrameAt565(surface, 32, 24), 25);
    clock_.Advance(40);
    ASSERT_EQ(plat::MovieUpdate(sample), plat::MovieUpdateResult::kNewFrame);
    EXPECT_EQ(FrameAt565(surface, 32, 24), 26);

    // A stopped stream reports nothing new, even when frames would be due by the wall clock.
    plat::MovieSetRunning(s.get(), false);
    clock_.Advance(400);
    EXPECT_EQ(plat::MovieUpdate(sample), plat::MovieUpdateResult::kNoUpdate);
    plat::MovieSetRunning(s.get(), true);
    clock_.Advance(40);
    ASSERT_EQ(plat::MovieUpdate(sample), plat::MovieUpdateResult::kNewFrame);
    EXPECT_EQ(FrameAt565(surface, 32, 24), 27);

    clock_.Advance(5000);
    ASSERT_EQ(plat::MovieUpdate(sample), plat::MovieUpdateResult::kNewFrame);
    EXPECT_EQ(FrameAt565(surface, 32, 24), 49);
    EXPECT_EQ(plat::MovieUpdate(sample), plat::MovieUpdateResult::kEnd);
    EXPECT_EQ(plat::MovieUpdate(sample), plat::MovieUpdateResult::kEnd);
    plat::MovieReleaseSample(sample);
}

TEST_F(MovieStreamTest, SamplesWriteThe16And32BitLayoutsAndRefuseOthers) {
    const RECT rect{0, 0, 64, 48};
    const tools::Rgb want = tools::TestMovieColour(0);
    {
        StreamPtr s(plat::MovieOpen(path_.c_str(), nullptr));
        plat::Surface* surface = Keep(plat::CreateSurface(64, 48, 16, 0x7C00, 0x03E0, 0x001F, 0));
        plat::MovieSample* sample = plat::MovieCreateSample(s.get(), surface, &rect);
        ASSERT_NE(sample, nullptr);
        plat::MovieSetRunning(s.get(), true);
        ASSERT_EQ(plat::MovieUpdate(sample), plat::MovieUpdateResult::kNewFrame);
        const u16 p = reinterpret_cast<const u16*>(surface->pixels)[10];
        EXPECT_NEAR((p >> 10) << 3, want.r, 12);
        EXPECT_NEAR(((p >> 5) & 0x1F) << 3, want.g, 12);
        EXPECT_NEAR((p & 0x1F) << 3, want.b, 12);
        EXPECT_EQ(p & 0x8000, 0);
        // MovieClose releases a sample left behind.
    }
    {
        StreamPtr s(plat::MovieOpen(path_.c_str(), nullptr));
        // A sample into a part of a larger surface leaves the rest alone.
        plat::Surface* surface = Keep(plat::CreateSurface(80, 60, 32, 0xFF0000, 0xFF00, 0xFF, 0));
        const RECT inner{8, 6, 72, 54};
        plat::MovieSample* sample = plat::MovieCreateSample(s.get(), surface, &inner);
        ASSERT_NE(sample, nullptr);
        plat::MovieSetRunning(s.get(), true);
        ASSERT_EQ(plat::MovieUpdate(sample), plat::MovieUpdateResult::kNewFrame);
        const auto* row = reinterpret_cast<const u32*>(surface->pixels + 6 * surface->pitch);
        EXPECT_EQ(row[7], 0u);
        EXPECT_EQ(row[72], 0u);
        EXPECT_NEAR(int((row[8] >> 16) & 0xFF), want.r, 8);
        EXPECT_NEAR(int((row[71] >> 8) & 0xFF), want.g, 8);
        EXPECT_NEAR(int(row[40] & 0xFF), want.b, 8);
        EXPECT_EQ(reinterpret_cast<const u32*>(surface->pixels + 5 * surface->pitch)[40], 0u);
        plat::MovieReleaseSample(sample);
    }
    {
        // A width the scaler's blocks do not divide: pixels right of the rectangle, and the rows below
        // it, keep what they held.
        tools::TestMovieOptions narrow;
        narrow.width = 30;
        narrow.height = 10;
        narrow.frames = 2;
        narrow.sampleRate = 0;
        ASSERT_TRUE(tools::WriteTestMovie(dir_->File("narrow.mpg"), narrow));
        StreamPtr s(plat::MovieOpen(dir_->File("narrow.mpg").c_str(), nullptr));
        ASSERT_NE(s, nullptr);
        plat::Surface* surface = Surface565(64, 12);
        std::fill_n(reinterpret_cast<u16*>(surface->pixels), surface->pitch / 2 * 12, u16(0x1234));
        const RECT inner{1, 1, 31, 11};
        plat::MovieSample* sample = plat::MovieCreateSample(s.get(), surface, &inner);
        ASSERT_NE(sample, nullptr);
        plat::MovieSetRunning(s.get(), true);
        ASSERT_EQ(plat::MovieUpdate(sample), plat::MovieUpdateResult::kNewFrame);
        for (i32 y = 0; y < 12; ++y) {
            const auto* row = reinterpret_cast<const u16*>(surface->pixels + y * surface->pitch);
            for (i32 x = 0; x < 64; ++x) {
                if (x >= 1 && x < 31 && y >= 1 && y < 11) continue;
                ASSERT_EQ(row[x], 0x1234) << x << "," << y;
            }
        }
        EXPECT_EQ(FrameAt565(surface, 30, 10), 0);
    }
    StreamPtr s(plat::MovieOpen(path_.c_str(), nullptr));
    EXPECT_EQ(plat::MovieCreateSample(s.get(), Keep(plat::CreateSurface(64, 48, 8, 0, 0, 0, 0)), &rect), nullptr);
    EXPECT_EQ(plat::MovieCreateSample(s.get(), Keep(plat::CreateSurface(64, 48, 24, 0xFF0000, 0xFF00, 0xFF, 0)),
                                      &rect),
              nullptr);
    const RECT outside{1, 0, 65, 48};
    EXPECT_EQ(plat::MovieCreateSample(s.get(), Surface565(), &outside), nullptr);
    const RECT empty{10, 10, 10, 20};
    EXPECT_EQ(plat::MovieCreateSample(s.get(), Surface565(), &empty), nullptr);
    EXPECT_EQ(plat::MovieCreateSample(s.get(), nullptr, &rect), nullptr);
    EXPECT_EQ(plat::MovieCreateSample(nullptr, Surface565(), &rect), nullptr);

    // A surface that cannot be locked now gives an error, and the next update writes again.
    plat::Surface* surface = Surface565();
    plat::MovieSample* sample = plat::MovieCreateSample(s.get(), surface, &rect);
    ASSERT_NE(sample, nullptr);
    plat::MovieSetRunning(s.get(), true);
    plat::SurfaceDesc desc{};
    ASSERT_EQ(plat::LockSurface(surface, &desc), plat::kSurfOk);
    EXPECT_EQ(plat::MovieUpdate(sample), plat::MovieUpdateResult::kError);
    plat::UnlockSurface(surface);
    clock_.Advance(40);
    EXPECT_EQ(plat::MovieUpdate(sample), plat::MovieUpdateResult::kNewFrame);
}

TEST_F(MovieStreamTest, SoundPlaysTheToneWhileRunningAndSilenceAfterIt) {
    StreamPtr s(plat::MovieOpen(path_.c_str(), device_));
    ASSERT_NE(s, nullptr);
    plat::Surface* surface = Surface565();
    const RECT rect{0, 0, 64, 48};
    plat::MovieSample* sample = plat::MovieCreateSample(s.get(), surface, &rect);
    ASSERT_NE(sample, nullptr);

    EXPECT_EQ(Peak(Mix(kRate / 10)), 0) << "nothing before the run";
    plat::MovieSetRunning(s.get(), true);
    // Updates every 40 ms, as the frames come, with the mixer pulled in step.
    std::vector<i16> first;
    for (int i = 0; i < 25; ++i) {
        plat::MovieUpdate(sample);
        const std::vector<i16> part = Mix(kRate / 25, s.get());
        first.insert(first.end(), part.begin(), part.end());
        clock_.Advance(40);
    }
    // Full volume: the tone's amplitude as written (12000), and 440 Hz over the second.
    EXPECT_GT(Peak(first), 10000);
    EXPECT_NEAR(UpwardCrossings(first), 440, 6);

    plat::MovieSetRunning(s.get(), false);
    EXPECT_EQ(Peak(Mix(kRate / 10)), 0) << "a stop silences the sound";
    plat::MovieSetRunning(s.get(), true);
    EXPECT_GT(Peak(Mix(kRate / 10)), 10000) << "and running again continues it";

    // Past the end of the sound the ring plays silence, never the old tone again.
    for (int i = 0; i < 60; ++i) {
        plat::MovieUpdate(sample);
        Mix(kRate / 25, s.get());
        clock_.Advance(40);
    }
    for (int i = 0; i < 30; ++i) {
        plat::MovieUpdate(sample);
        EXPECT_EQ(Peak(Mix(kRate / 25, s.get())), 0) << "update " << i;
    }
}

TEST_F(MovieStreamTest, SoundPlaysToItsEndOnceWhenNothingUpdatesThePicture) {
    StreamPtr s(plat::MovieOpen(path_.c_str(), device_));
    ASSERT_NE(s, nullptr);
    const RECT rect{0, 0, 64, 48};
    plat::MovieSample* sample = plat::MovieCreateSample(s.get(), Surface565(), &rect);
    ASSERT_NE(sample, nullptr);
    plat::MovieSetRunning(s.get(), true);
    ASSERT_EQ(plat::MovieUpdate(sample), plat::MovieUpdateResult::kNewFrame);
    // A stalled game: three seconds of sound and time with no update at all.
    const std::vector<i16> out = MixSeconds(3.0, s.get(), true);
    const auto [first, last] = Loud(out);
    EXPECT_LT(first, long(kRate / 50));  // the sound codec's own delay
    EXPECT_NEAR(double(last), 2.0 * kRate, 0.03 * kRate) << "the tone ends with the movie, never repeats";
    EXPECT_NEAR(UpwardCrossings(std::vector<i16>(out.begin(), out.begin() + 2 * kRate)), 880, 10);
    EXPECT_EQ(Peak(std::vector<i16>(out.begin() + long(2.05 * kRate), out.end())), 0);
    EXPECT_EQ(plat::MovieGetTime(s.get()), plat::MovieGetDuration(s.get()));
}

TEST_F(MovieStreamTest, PauseAndRunKeepSoundAndTimeTogether) {
    StreamPtr s(plat::MovieOpen(path_.c_str(), device_));
    ASSERT_NE(s, nullptr);
    plat::MovieSetRunning(s.get(), true);
    std::vector<i16> heard = MixSeconds(0.6, s.get(), true);
    plat::MovieSetRunning(s.get(), false);
    const i64 pausedAt = plat::MovieGetTime(s.get());
    EXPECT_EQ(Peak(MixSeconds(2.5, s.get(), true)), 0) << "a paused movie is silent";
    EXPECT_EQ(plat::MovieGetTime(s.get()), pausedAt);
    plat::MovieSetRunning(s.get(), true);
    // The rest of the sound ends when the time reaches the duration, not before nor after.
    const i64 rest = plat::MovieGetDuration(s.get()) - pausedAt;
    const std::vector<i16> after = MixSeconds(1.5, s.get(), true);
    EXPECT_NEAR(double(Loud(after).second), double(rest) * kRate / 1e7, 0.03 * kRate);
    heard.insert(heard.end(), after.begin(), after.end());
    EXPECT_NEAR(UpwardCrossings(heard), 880, 10) << "nothing lost or repeated around the pause";
}

TEST_F(MovieStreamTest, SoundThatStartsAfterThePictureKeepsItsWholeLead) {
    tools::TestMovieOptions late;
    late.frames = 75;
    late.soundDelayMs = 2000;
    ASSERT_TRUE(tools::WriteTestMovie(dir_->File("late.mpg"), late));
    StreamPtr s(plat::MovieOpen(dir_->File("late.mpg").c_str(), device_));
    ASSERT_NE(s, nullptr);
    EXPECT_NEAR(double(plat::MovieGetDuration(s.get())), 3000.0 * kUnitsPerMs, 40.0 * kUnitsPerMs);
    const RECT rect{0, 0, 64, 48};
    plat::MovieSample* sample = plat::MovieCreateSample(s.get(), Surface565(), &rect);
    ASSERT_NE(sample, nullptr);
    plat::MovieSetRunning(s.get(), true);
    std::vector<i16> out;
    for (int i = 0; i < 90; ++i) {
        plat::MovieUpdate(sample);
        const std::vector<i16> part = Mix(kRate / 25, s.get());
        out.insert(out.end(), part.begin(), part.end());
        clock_.Advance(40);
    }
    const auto [first, last] = Loud(out);
    EXPECT_NEAR(double(first), 2.0 * kRate, 0.02 * kRate) << "two seconds of silence first";
    EXPECT_NEAR(double(last), 3.0 * kRate, 0.03 * kRate);
}

TEST_F(MovieStreamTest, SilentAndCutShortMoviesPlayWhatTheyHold) {
    tools::TestMovieOptions silent;
    silent.sampleRate = 0;
    ASSERT_TRUE(tools::WriteTestMovie(dir_->File("silent.mpg"), silent));
    const std::string whole = dir_->Read("clip.mpg");
    dir_->Write("cut.mpg", whole.substr(0, whole.size() / 2));

    for (const char* name : {"silent.mpg", "cut.mpg"}) {
        SCOPED_TRACE(name);
        StreamPtr s(plat::MovieOpen(dir_->File(name).c_str(), device_));
        ASSERT_NE(s, nullptr);
        const RECT rect{0, 0, 64, 48};
        plat::Surface* surface = Surface565();
        plat::MovieSample* sample = plat::MovieCreateSample(s.get(), surface, &rect);
        ASSERT_NE(sample, nullptr);
        plat::MovieSetRunning(s.get(), true);
        int frames = 0;
        i32 last = -1;
        plat::MovieUpdateResult r = plat::MovieUpdateResult::kNoUpdate;
        for (int i = 0; i < 200 && r != plat::MovieUpdateResult::kEnd; ++i) {
            r = plat::MovieUpdate(sample);
            if (r == plat::MovieUpdateResult::kNewFrame) {
                const i32 frame = FrameAt565(surface, 32, 24);
                EXPECT_GE(frame, last);  // a damaged last frame may repeat the one before
                last = frame;
                ++frames;
            }
            Mix(kRate / 25);
            clock_.Advance(40);
        }
        EXPECT_EQ(r, plat::MovieUpdateResult::kEnd);
        EXPECT_GT(frames, 10);
        EXPECT_EQ(plat::MovieGetTime(s.get()), plat::MovieGetDuration(s.get()));
    }
}

TEST_F(MovieStreamTest, SoundThatChangesLayoutOrRateMidStreamPlaysOn) {
    struct Change {
        const char* name;
        i32 channels;
        u32 rate;
    };
    for (const Change& c : {Change{"stereo", 2, 0}, Change{"stereo-48k", 2, 48000}, Change{"mono-32k", 1, 32000}}) {
        SCOPED_TRACE(c.name);
        tools::TestMovieOptions o;
        o.soundChangeMs = 1000;
        o.changedChannels = c.channels;
        o.changedRate = c.rate;
        const std::string path = dir_->File(std::string(c.name) + ".mpg");
        ASSERT_TRUE(tools::WriteTestMovie(path, o));
        StreamPtr s(plat::MovieOpen(path.c_str(), device_));
        ASSERT_NE(s, nullptr);
        const RECT rect{0, 0, 64, 48};
        plat::Surface* surface = Surface565();
        plat::MovieSample* sample = plat::MovieCreateSample(s.get(), surface, &rect);
        ASSERT_NE(sample, nullptr);
        plat::MovieSetRunning(s.get(), true);
        std::vector<i16> out;
        plat::MovieUpdateResult r = plat::MovieUpdateResult::kNoUpdate;
        for (int i = 0; i < 75; ++i) {
            const plat::MovieUpdateResult now = plat::MovieUpdate(sample);
            if (now != plat::MovieUpdateResult::kNoUpdate) r = now;
            const std::vector<i16> part = Mix(kRate / 25, s.get());
            out.insert(out.end(), part.begin(), part.end());
            clock_.Advance(40);
        }
        EXPECT_EQ(r, plat::MovieUpdateResult::kEnd);
        EXPECT_EQ(FrameAt565(surface, 32, 24), 49);
        // The tone goes on past the change at its own pitch (a resampler left at the old rate would
        // shift it) and ends with the movie.
        const std::vector<i16> later(out.begin() + long(1.1 * kRate), out.begin() + long(1.9 * kRate));
        EXPECT_GT(Peak(later), 8000);
        EXPECT_NEAR(UpwardCrossings(later), 352, 4);
        EXPECT_NEAR(UpwardCrossings(std::vector<i16>(out.begin(), out.begin() + 2 * kRate)), 880, 12);
        EXPECT_NEAR(double(Loud(out).second), 2.0 * kRate, 0.03 * kRate);
    }
}

TEST_F(MovieStreamTest, DamagedMovieWhoseSoundChangesLayoutPlaysToItsEnd) {
    // A fuzzer's file: the stream's header tells one channel layout, its frames bring another.
    const std::string path = std::string(KORVANE_TESTDATA_DIR) + "/fuzz/movie/sound-layout-change";
    StreamPtr s(plat::MovieOpen(path.c_str(), device_));
    ASSERT_NE(s, nullptr);
    i32 w = 0, h = 0;
    ASSERT_TRUE(plat::MovieGetVideoSize(s.get(), &w, &h));
    const RECT rect{0, 0, w, h};
    plat::MovieSample* sample = plat::MovieCreateSample(s.get(), Surface565(w, h), &rect);
    ASSERT_NE(sample, nullptr);
    plat::MovieSetRunning(s.get(), true);
    plat::MovieUpdateResult r = plat::MovieUpdateResult::kNoUpdate;
    for (int i = 0; i < 500 && r != plat::MovieUpdateResult::kEnd; ++i) {
        r = plat::MovieUpdate(sample);
        Mix(kRate / 25, s.get());
        clock_.Advance(40);
    }
    EXPECT_EQ(r, plat::MovieUpdateResult::kEnd);
    // The sound thread is past the whole file's sound and the mixer still pulls from the stream.
    Mix(kRate, s.get());
}

TEST(MovieEncodeTest, RefusesImpossibleMoviesAndWritesNothing) {
    test::TempDir dir;
    const std::string path = dir.File("bad.mpg");
    const auto fill = [](i32, u8*) {};
    plat::MovieEncodeOptions o;
    o.width = 0;
    EXPECT_FALSE(plat::EncodeMovie(path.c_str(), o, fill));
    o = {};
    o.frames = 0;
    EXPECT_FALSE(plat::EncodeMovie(path.c_str(), o, fill));
    o = {};
    o.sampleRate = 12345;  // not a rate the sound codec has
    EXPECT_FALSE(plat::EncodeMovie(path.c_str(), o, fill));
    EXPECT_FALSE(plat::EncodeMovie(path.c_str(), {}, nullptr));
    EXPECT_FALSE(plat::FileExists(path.c_str()));
}

}  // namespace
