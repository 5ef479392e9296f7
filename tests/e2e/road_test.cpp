// The whole game by play, headless: the road through every scene from the real start-up to the quit
// through the window, checked against a golden log (tests/data/road.golden), repeated identically,
// and leaving nothing behind. KORVANE_UPDATE_GOLDEN=1 rewrites the golden log on purpose; review
// its diff before committing it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
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
const char* const kGolden = KORVANE_TESTDATA_DIR "/road.golden";

// Scripted play: moving back and forth while the three attack keys fire at their own paces.
void FightStep(harness::Road& road, int n) {
    const bool right = (n / 90) % 2 == 0;
    road.Let(right ? harness::kDikPad4 : harness::kDikPad6);
    road.Press(right ? harness::kDikPad6 : harness::kDikPad4);
    for (int dik : {harness::kDikZ, harness::kDikX, harness::kDikC}) road.Let(dik);
    if (n % 8 == 0) road.Press(harness::kDikZ);
    if (n % 13 == 0) road.Press(harness::kDikX);
    if (n % 21 == 0) road.Press(harness::kDikC);
}

void LetAll(harness::Road& road) {
    for (int dik : {harness::kDikPad4, harness::kDikPad6, harness::kDikZ, harness::kDikX, harness::kDikC})
        road.Let(dik);
}

// Taps decide every few frames until the scene is left for `to`.
bool DecideUntilScene(harness::Road& road, u32 to, int maxFrames, const char* what) {
    for (int n = 0; n < maxFrames; n += 12) {
        if (SysSeq == to) return true;
        road.Tap(harness::kDikZ);
        road.Frames(10);
    }
    return road.Until([to] { return SysSeq == to; }, 1, what);
}

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
    road.Note("opening");
    road.Until([] { return SysSeq == 2; }, 3000, "the title after the opening");
    road.Frames(5);
    checkTitle("the opening");

    road.Note("survival");
    road.Tap(harness::kDikZ);
    road.Until([] { return SysSeq == 4; }, 600, "the battle mode");
    for (int n = 0; n < 40000 && SysSeq == 4; n++) {
        FightStep(road, n);
        road.Frame();
    }
    LetAll(road);
    road.Until([] { return SysSeq != 4; }, 1, "the end of the survival run");

    road.Note("ranking");
    DecideUntilScene(road, 2, 3000, "the title after the ranking");
    road.Frames(5);
    checkTitle("the ranking");

    road.Note("ranking view");
    road.Tap(harness::kDikX);
    road.Until([] { return SysSeq == 6; }, 300, "the ranking view");
    DecideUntilScene(road, 2, 3000, "the title after the ranking view");
    road.Frames(5);
    checkTitle("the ranking view");

    for (int k = 0; k < 5; k++) {
        road.Note("script scene " + std::to_string(k));
        ADV_SetScriptNo(k);
        mBSC_Init();
        SYS_SetSeq(5);
        DecideUntilScene(road, 2, 20000, "the title after a script scene");
        road.Frames(5);
        checkTitle("a script scene");
    }

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

TEST(Road, EveryScenePlayedMatchesTheGoldenLogTwiceAndLeavesNothing) {
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
    ASSERT_EQ(second.log.size(), first.log.size());
    for (size_t i = 0; i < first.log.size(); i++) ASSERT_EQ(second.log[i], first.log[i]) << "line " << i + 1;
    plat::SetSettingsFile("");
}

}  // namespace
