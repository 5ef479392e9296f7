// The whole game by play, headless: the road through every scene from the real start-up to the quit
// through the window, checked against a golden log (tests/data/play_through.log), repeated identically,
// and leaving nothing behind. The golden log is rewritten on purpose only, its diff reviewed:
//   KORVANE_UPDATE_GOLDEN=1 build-test/tests/test_e2e --gtest_filter='PlayThrough.*'
// (with SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy).
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "census.h"
#include "platform/settings.h"
#include "platform/window.h"
#include "script/bsc/bsc.h"
#include "script/script.h"
#include "shell/sys.h"
#include "test_support.h"
#include "tests/harness/battle_harness.h"
#include "tests/harness/road.h"

namespace {

constexpr u32 kSeed = 20261207;
const char* const kGolden = KORVANE_TESTDATA_DIR "/play_through.log";

struct RoadRun {
    std::vector<std::string> log;
    std::vector<std::string> failures;
    std::vector<std::string> leaks;
};

// Each road plays on its own copy of the sample data: the ranking writes the history there.
RoadRun RunRoad() {
    test::TempDir data;
    std::filesystem::copy(KORVANE_SAMPLE_DATA_DIR, data.path(), std::filesystem::copy_options::recursive);
    test::ScopedCwd cwd(data.path());
    plat::FakeInputBackend input;
    harness::Road road(input, kSeed);
    RoadRun out;
    const test::ResourceCensus atStart = test::ResourceCensus::Take();
    test::ResourceCensus atTitle;
    bool titleSeen = false;
    const auto checkTitle = [&](const char* after) {
        const test::ResourceCensus now = test::ResourceCensus::Take();
        if (!titleSeen) {
            atTitle = now;
            titleSeen = true;
        } else if (now != atTitle) {
            out.leaks.push_back(std::string("back at the title after ") + after + ": " + now.Describe() +
                                " (first visit: " + atTitle.Describe() + ")");
        }
    };

    road.StartUp();
    harness::PlayWholeRoad(road, checkTitle);
    road.ShutDown();
    const test::ResourceCensus atEnd = test::ResourceCensus::Take();
    if (atEnd != atStart) out.leaks.push_back("after the shut-down: " + atEnd.Describe() + " (before: " + atStart.Describe() + ")");
    out.log = road.log();
    out.failures = road.failures();
    return out;
}

std::vector<std::string> ReadLines(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

void WriteLines(const std::filesystem::path& path, const std::vector<std::string>& lines) {
    std::ofstream out(path);
    for (const std::string& line : lines) out << line << '\n';
}

// A road in a process of its own, as the game runs once per process: a second road in this one would
// start from the scenes' state the first left behind.
RoadRun RunRoadInChild(const std::filesystem::path& dir) {
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        const RoadRun r = RunRoad();
        WriteLines(dir / "log", r.log);
        WriteLines(dir / "failures", r.failures);
        WriteLines(dir / "leaks", r.leaks);
        std::fflush(stdout);
        _exit(0);
    }
    int status = -1;
    waitpid(pid, &status, 0);
    RoadRun r;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) r.failures.push_back("the road's process did not end cleanly");
    for (auto [name, lines] : {std::pair{"log", &r.log}, std::pair{"failures", &r.failures}, std::pair{"leaks", &r.leaks}})
        for (const std::string& l : ReadLines(dir / name)) lines->push_back(l);
    return r;
}

TEST(PlayThrough, EveryScenePlayedMatchesTheGoldenLogTwiceAndLeavesNothing) {
    const std::filesystem::path outDir = std::filesystem::current_path();
    test::TempDir home, firstDir, secondDir;
    plat::SetSettingsFile(home.File("settings.txt").c_str());

    const RoadRun first = RunRoadInChild(firstDir.path());
    for (const std::string& f : first.failures) ADD_FAILURE() << f;
    for (const std::string& l : first.leaks) ADD_FAILURE() << "left behind " << l;
    ASSERT_FALSE(first.log.empty());
    const harness::GoldenCheck golden = harness::CheckGolden(kGolden, first.log);
    EXPECT_EQ(golden.error, "");
    EXPECT_EQ(golden.firstDiff, -1) << "line " << golden.firstDiff + 1 << "\n want: " << golden.want
                                    << "\n  got: " << golden.got;

    const RoadRun second = RunRoadInChild(secondDir.path());
    if (second.log != first.log) {  // both kept beside the test for the diff
        WriteLines(outDir / "play_through_first.log", first.log);
        WriteLines(outDir / "play_through_second.log", second.log);
    }
    EXPECT_TRUE(second.log == first.log) << "two roads from one seed differ (see play_through_*.log)";
    plat::SetSettingsFile("");
}

// The title takes no dropped script (the shell lets the names go); a tutorial started after one runs
// as always and gives back everything it took.
TEST(PlayThrough, ADropOnTheTitleThenATutorialLeaveNothing) {
    test::TempDir home, data;
    plat::SetSettingsFile(home.File("settings.txt").c_str());
    std::filesystem::copy(KORVANE_SAMPLE_DATA_DIR, data.path(), std::filesystem::copy_options::recursive);
    test::ScopedCwd cwd(data.path());
    plat::FakeInputBackend input;
    harness::Road road(input, kSeed);
    road.StartUp();
    harness::LegOpening(road, false);
    harness::SettleInTitleMenu(road);
    const test::ResourceCensus before = test::ResourceCensus::Take();
    plat::SimulateDrop(MainWnd, {data.File("script/TT_Drop.scr")});
    road.Frames(5);
    EXPECT_EQ(SysSeq, 2u);
    harness::LegTutorial(road, 0);
    harness::SettleInTitleMenu(road);
    const test::ResourceCensus after = test::ResourceCensus::Take();
    EXPECT_EQ(after, before) << "before: " << before.Describe() << "\nafter:  " << after.Describe();
    road.ShutDown();
    for (const std::string& f : road.failures()) ADD_FAILURE() << f;
    plat::SetSettingsFile("");
}

}  // namespace
