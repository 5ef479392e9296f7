// The real start-up and shut-down give back everything they took: the census after the run equals
// the one before it.
#include <gtest/gtest.h>

#include "census.h"
#include "platform/input_fake.h"
#include "platform/settings.h"
#include "platform/window.h"
#include "shell/sys.h"
#include "test_support.h"

namespace {

TEST(Census, StartUpAndShutDownLeaveNothingBehind) {
    test::TempDir config;
    plat::SetSettingsFile(config.File("settings.txt").c_str());
    test::ScopedCwd cwd(KORVANE_SAMPLE_DATA_DIR);
    test::FakeClock clock;
    plat::FakeInputBackend input;
    plat::SetInputBackend(&input);
    SYS_ResetState();

    const test::ResourceCensus before = test::ResourceCensus::Take();
    ASSERT_EQ(SYS_InitWindow(), 1);
    SYS_InitGame();
    int code = 0;
    for (int turn = 0; turn < 60; ++turn) {
        ASSERT_TRUE(SYS_MessageTurn(&code));
        clock.Advance(17);
    }
    EXPECT_NE(test::ResourceCensus::Take(), before);
    plat::SimulateClose(MainWnd);
    for (int turns = 0; SYS_MessageTurn(&code) && turns < 1000; ++turns) clock.Advance(10);
    SYS_ReleaseGame();
    plat::ReleaseDestroyedWindows();
    const test::ResourceCensus after = test::ResourceCensus::Take();
    EXPECT_EQ(after, before) << "before: " << before.Describe() << "\nafter:  " << after.Describe();

    plat::SetInputBackend(nullptr);
    plat::SetSettingsFile("");
}

}  // namespace
