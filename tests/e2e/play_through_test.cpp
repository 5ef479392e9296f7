// The whole game by play, headless: the road through every scene from the real start-up to the quit
// through the window, checked against a golden log (tests/data/play_through.log), repeated identically,
// and leaving nothing behind. KORVANE_UPDATE_GOLDEN=1 rewrites the golden log on purpose; review
// its diff before committing it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "census.h"
#include "platform/settings.h"
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

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(PlayThrough, EveryScenePlayedMatchesTheGoldenLogTwiceAndLeavesNothing) {
    const std::filesystem::path outDir = std::filesystem::current_path();
    test::TempDir home;
    plat::SetSettingsFile(home.File("settings.txt").c_str());

    const RoadRun first = RunRoad();
    for (const std::string& f : first.failures) ADD_FAILURE() << f;
    for (const std::string& l : first.leaks) ADD_FAILURE() << "left behind " << l;

    const char* update = std::getenv("KORVANE_UPDATE_GOLDEN");
    if (update && *update == '1') {
        std::ofstream out(kGolden);
        for (const std::string& line : first.log) out << line << '\n';
        ASSERT_TRUE(out.good()) << kGolden;
    } else {
        const std::vector<std::string> golden = ReadLines(kGolden);
        ASSERT_FALSE(golden.empty()) << "no golden log at " << kGolden << " (KORVANE_UPDATE_GOLDEN=1 makes one)";
        const size_t n = std::min(golden.size(), first.log.size());
        for (size_t i = 0; i < n; i++)
            ASSERT_EQ(first.log[i], golden[i]) << "first difference at line " << i + 1;
        EXPECT_EQ(first.log.size(), golden.size());
    }

    const RoadRun second = RunRoad();
    if (second.log != first.log) {  // both kept beside the test for the diff
        for (const auto& [name, log] : {std::pair{"play_through_first.log", &first.log}, std::pair{"play_through_second.log", &second.log}}) {
            std::ofstream out(outDir / name);
            for (const std::string& line : *log) out << line << '\n';
        }
    }
    ASSERT_EQ(second.log.size(), first.log.size());
    for (size_t i = 0; i < first.log.size(); i++) ASSERT_EQ(second.log[i], first.log[i]) << "line " << i + 1;
    plat::SetSettingsFile("");
}

}  // namespace
