// The survival road end to end on a copy of the sample data, through the real scene switch with the
// clock advancing 34 ms a turn: the title's battle entry, wave 1 won by a scripted player, the level-up
// screen, wave 2 lost by an idle player, the ranking entering the run and writing both history files,
// the title again; then a second start loads the history and the title's ranking entry shows it.
// The turn log and the history bytes are compared with tests/data/survival_road.log and
// survival_road_history.dat; KORVANE_UPDATE_GOLDEN=1 rewrites both:
//   SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy KORVANE_UPDATE_GOLDEN=1 build-test/tests/test_e2e --gtest_filter='SurvivalRoad.*'
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "battle/battle.h"
#include "battle/map/cam.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "graphics/display/disp.h"
#include "graphics/sprite/spr.h"
#include "platform/clock.h"
#include "platform/input_fake.h"
#include "platform/settings.h"
#include "platform/window.h"
#include "screens/btl/btl.h"
#include "screens/ranking/his.h"
#include "screens/save/save.h"
#include "screens/survival/lvup.h"
#include "screens/survival/svv.h"
#include "screens/title/title.h"
#include "shell/sound/sound.h"
#include "shell/sys.h"
#include "test_support.h"
#include "tests/e2e/title_entry.h"
#include "tests/harness/battle_harness.h"

namespace {

constexpr int kDikDecide = 44, kDikCancel = 45;  // Z and X on both key devices
constexpr int kMaxTurns = 20000;
constexpr u32 kSeed = 1234;

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool Updating() {
    const char* update = std::getenv("KORVANE_UPDATE_GOLDEN");
    return update && *update == '1';
}

// What the road went through.
struct Road {
    std::vector<std::string> log;
    bool levelUpSeen = false, levelUpFilled = false, rankingSeen = false, backOnTitle = false;
    bool drawTargetKept = true;
    int wavesAtLevelUp = -1;
    int turns = 0;
};

class SurvivalRoad : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::copy(KORVANE_SAMPLE_DATA_DIR, data_.path(), std::filesystem::copy_options::recursive);
        std::filesystem::remove_all(data_.File("Save"));
        std::filesystem::remove(data_.File("History.dat"));
        cwd_ = std::make_unique<test::ScopedCwd>(data_.path());
        plat::SetSettingsFile(config_.File("settings.txt").c_str());
        plat::SetInputBackend(&input_);
        plat::SetLocalTimeSource([] { return plat::LocalTime{2026, 12, 7, 13, 5, 9, 250, 1}; });
    }
    void TearDown() override {
        plat::SetLocalTimeSource({});
        plat::SetInputBackend(nullptr);
        plat::SetSettingsFile("");
    }

    void Start() {
        SYS_ResetState();
        ASSERT_EQ(SYS_InitWindow(), 1);
        SYS_InitGame();
        BgmVolume = 0;  // the music number is kept without playing
    }
    void Stop() {
        plat::SimulateClose(MainWnd);
        int code = 0, turns = 0;
        while (SYS_MessageTurn(&code) && ++turns < 1000) clock_.Advance(10);
        SYS_ReleaseGame();
        plat::ReleaseDestroyedWindows();
        BgmVolume = 100;
    }
    // One turn of the real loop with these keys and the left button held.
    void Turn(const std::vector<int>& keys, bool click) {
        for (int k : {kDikDecide, kDikCancel, harness::kDikPad2, harness::kDikPad4, harness::kDikPad6, harness::kDikPad8})
            input_.Let(k);
        for (int k : keys) input_.Press(k);
        input_.button[0] = click;
        int code = 0;
        SYS_MessageTurn(&code);
        clock_.Advance(34);
    }

    // Wave 1's player: walks at the enemy and strikes once close.
    static std::vector<int> Chase(int fightTurn) {
        const LIST_DATA* p = MEKA_GetSlot(0);
        const LIST_DATA* e = nullptr;
        for (int s = 1; s < MEKA_SLOT_MAX && !e; s++) e = MEKA_GetSlot(s);
        if (!p || !e) return {};
        const int dx = e->x - p->x, dy = e->y - p->y;
        std::vector<int> keys;
        if (fightTurn % 12 == 9 && std::abs(dx) < 120 && std::abs(dy) < 40) return {harness::kDikZ};
        if (fightTurn % 12 >= 8) return keys;
        if (dx > 50) keys.push_back(harness::kDikPad6);
        if (dx < -50) keys.push_back(harness::kDikPad4);
        if (dy > 16) keys.push_back(harness::kDikPad2);
        if (dy < -16) keys.push_back(harness::kDikPad8);
        return keys;
    }

    static std::string Headline() {
        char buf[160];
        std::snprintf(buf, sizeof buf, "seq=%u st=%d wave=%d bgm=%d lvup=%d his=%d/%d", SYS_GetSeq(0), BtlState, SvvWave,
                      BgmNo, LvupStep, HisState.phase, HisState.entryStep);
        return buf;
    }

    Road RunRoad() {
        Road road;
        harness::SeedRandom(kSeed);
        std::string last;
        int fight = 0, waits = 0, shortened = 0;
        for (int turn = 0; turn < kMaxTurns; turn++) {
            const u32 seq = SYS_GetSeq(0);
            std::vector<int> keys;
            bool click = false;
            if (seq == 2 && !road.rankingSeen) {
                if (const int key = e2e::TitleEntryKey(0, turn)) keys.push_back(key);
            } else if (seq == 2 && road.rankingSeen) {
                road.backOnTitle = true;
                road.turns = turn;
                break;
            }
            if (seq == 4 && BtlState == 5 && shortened == SvvWave) {
                // The fights are shortened, so the road does not hang on the sample data's balance:
                // wave 1's enemy and wave 2's player start on their last bar with little life.
                LIST_DATA* loser = MEKA_GetSlot(SvvWave == 0 ? 1 : 0);
                if (loser && loser->meka) {
                    loser->meka->lifeBar = 0;
                    loser->meka->life = SvvWave == 0 ? 100 : 200;
                }
                shortened++;
            }
            if (seq == 4 && BtlState == 5 && SvvWave == 0) keys = Chase(fight++);
            if (seq == 4 && BtlState == 17) {
                road.levelUpSeen = true;
                road.wavesAtLevelUp = SvvWave;
                for (const LVUP_BAR& bar : LvupBarTbl) road.levelUpFilled |= bar.flags != 0;
                click = LvupStep == 2 && waits++ % 8 == 7;
            }
            if (seq == 4 && BtlState == 19) {
                road.rankingSeen = true;
                const bool waiting = HisState.entryStep == 4 || HisState.entryStep == 9;
                click = waiting && waits++ % 8 == 7;
            }
            Turn(keys, click);
            // The screens draw the battle into the work surface and must give the target back.
            road.drawTargetKept &= SprDrawSurf == &DispBackBuffer;
            const std::string head = Headline();
            if (head != last || turn % 30 == 0) {
                std::string line = std::to_string(turn) + " " + head;
                if (SYS_GetSeq(0) == 4) {
                    // The battle's state without its frame number and picture checksum.
                    const std::string battle = harness::FrameLine(turn);
                    const size_t from = battle.find(' '), to = battle.find(" pic=");
                    line += battle.substr(from, to == std::string::npos ? std::string::npos : to - from);
                }
                road.log.push_back(line);
                last = head;
            }
        }
        harness::RestoreRandom();
        return road;
    }

    test::TempDir data_, config_;
    std::unique_ptr<test::ScopedCwd> cwd_;
    test::FakeClock clock_;
    test::DebugCapture debug_;
    test::MessageBoxCapture boxes_;
    plat::FakeInputBackend input_;
};

std::string Joined(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += l + "\n";
    return s;
}

TEST_F(SurvivalRoad, FromTheTitleThroughTwoWavesAndTheRankingBackToTheTitleAndAgain) {
    Start();
    const Road road = RunRoad();
    Stop();
    ASSERT_TRUE(road.levelUpSeen) << Joined(road.log);
    EXPECT_EQ(road.wavesAtLevelUp, 0) << "the level-up counts wave 1 at its end";
    EXPECT_TRUE(road.levelUpFilled) << "the techniques used in wave 1 gain something";
    ASSERT_TRUE(road.rankingSeen) << Joined(road.log);
    ASSERT_TRUE(road.backOnTitle) << Joined(road.log);
    EXPECT_TRUE(road.drawTargetKept);
    EXPECT_EQ(HisData.entry[0].waves, 1);
    const std::string history = ReadText(data_.File("History.dat"));
    ASSERT_EQ(history.size(), size_t(HIS_DATA_SIZE));
    EXPECT_EQ(ReadText(data_.File("Save/Svv.dat")), history);

    const std::string logPath = std::string(KORVANE_TESTDATA_DIR) + "/survival_road.log";
    const std::string hisPath = std::string(KORVANE_TESTDATA_DIR) + "/survival_road_history.dat";
    if (Updating()) {
        std::ofstream(logPath, std::ios::binary) << Joined(road.log);
        std::ofstream(hisPath, std::ios::binary) << history;
        std::printf("golden files written: %s, %s\n", logPath.c_str(), hisPath.c_str());
    }
    const std::string want = ReadText(logPath);
    EXPECT_FALSE(want.empty()) << "missing " << logPath << " (KORVANE_UPDATE_GOLDEN=1 writes it)";
    std::istringstream in(want);
    std::vector<std::string> wantLines;
    for (std::string l; std::getline(in, l);) wantLines.push_back(l);
    size_t differ = 0;
    while (differ < std::min(wantLines.size(), road.log.size()) && road.log[differ] == wantLines[differ]) differ++;
    EXPECT_TRUE(differ == wantLines.size() && differ == road.log.size())
        << "first difference at line " << differ << ":\n  got  "
        << (differ < road.log.size() ? road.log[differ] : "(end)") << "\n  want "
        << (differ < wantLines.size() ? wantLines[differ] : "(end)");
    EXPECT_EQ(history, ReadText(hisPath));

    // A second start loads the history, and the title's cancel shows it without writing.
    HisData = HIS_DATA{};
    Start();
    EXPECT_EQ(HisData.entry[0].waves, 1);
    EXPECT_EQ(HisData.entry[0].time[0], 2026);
    EXPECT_EQ(HisData.entry[0].time[5], 5);
    bool viewed = false, rowsBuilt = false, back = false;
    int waits = 0;
    for (int turn = 0; turn < 2000 && !back; turn++) {
        const u32 seq = SYS_GetSeq(0);
        if (seq == 6) {
            viewed = true;
            rowsBuilt |= HisState.row[0].sprite >= 0;
        }
        if (seq == 2 && viewed) back = true;
        const bool click = seq == 6 && HisState.viewStep == 4 && waits++ % 8 == 7;
        std::vector<int> keys;
        if (seq == 2 && !viewed)
            if (const int key = e2e::TitleEntryKey(1, turn)) keys.push_back(key);
        Turn(keys, click);
    }
    Stop();
    EXPECT_TRUE(viewed);
    EXPECT_TRUE(rowsBuilt);
    EXPECT_TRUE(back);
    EXPECT_EQ(HisState.mode, 1);
    EXPECT_EQ(ReadText(data_.File("Save/Svv.dat")), history);
}

}  // namespace
