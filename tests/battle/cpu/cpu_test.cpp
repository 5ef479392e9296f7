#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "battle/effect/eft.h"
#include "battle/cpu/cpu.h"
#include "battle/data/cpu_data.h"
#include "battle/map/cam.h"
#include "tests/battle/meka/meka_drive.h"

namespace {

using Ints = std::vector<int>;

constexpr int kPass = 0;
constexpr int kFail = 999;
constexpr int kMapW = 80;  // chips
constexpr int kMapH = 60;

// A CPU mech (slot 1) against a standing player on the fixture's 80×60 map, with six
// techniques of its own, editable CPU data and a scripted random generator.
class CpuAi : public test::MekaDrive {
protected:
    void SetUp() override {
        MekaDrive::SetUp();
        WAZA_DATA w = Tech();
        w.motion[0].stepMarker = 1;
        WriteWaz(test::kCpuType, std::vector<WAZA_DATA>(6, w));
        WriteWaz(test::kPlayerType, {Tech()});
        MakePair(900, 400, 480, 400);
        data_ = MekaTypeTbl[test::kCpuType].cpu;
        ASSERT_NE(data_, nullptr);
        *data_ = tools::NewCpu();
        m_ = cpu_->meka;
        w_ = &CpuWorkTbl[1];
    }
    // The fixture's 80×60 map with attribute A from `attr` (bit 0 blocks).
    void Walls(const std::function<u8(int, int)>& attr) {
        for (int cy = 0; cy < kMapH; cy++)
            for (int cx = 0; cx < kMapW; cx++) cells_[std::size_t(cy * kMapW + cx)].attrA = attr(cx, cy);
    }
    // Rand() gives these values, then `rest`; drawn_ counts every draw.
    void Script(std::deque<int> values, int rest = kPass) {
        script_ = std::move(values);
        drawn_ = 0;
        plat::SetRandSource([this, rest] {
            drawn_++;
            if (script_.empty()) return rest;
            const int v = script_.front();
            script_.pop_front();
            return v;
        });
    }
    static CPU_MODE Mode(int move, int dirKind = 0, int time = 10) {
        CPU_MODE m = tools::NewCpu().mode[0];
        m.move = i8(move);
        m.dirKind = i16(dirKind);
        m.time = i16(time);
        m.chanceStep = 0;
        return m;
    }
    static CPU_ATK Atk(int waza) {
        CPU_ATK a = tools::NewCpu().group[0].atk[0];
        a.waza = i16(waza);
        a.chance = 1000;
        a.joinChance = 0;
        return a;
    }
    void Cur() {
        CurObj = cpu_;
        CurMeka = m_;
    }
    int Think() {
        Cur();
        return CPU_Think();
    }
    // The current mode n running its movement (as its delay ended).
    void Run(int n, const CPU_MODE& mode) {
        data_->mode[n] = mode;
        w_->mode = i8(n);
        w_->phase = 2;
        w_->timer = mode.time;
        MEKA_SetAct(cpu_, mode.move);
    }
    // One call of the CPU mech's handler without movement; the sprites' animations advance.
    void Act() {
        Cur();
        int g = 0;
        CpuActTbl[m_->act](&g);
        SPR_RenewAnime();
    }
    // Techniques the CPU mech started in the calls `each` makes, one call per frame.
    std::vector<int> Started(int frames, const std::function<void()>& each) {
        std::vector<int> out;
        for (int i = 0; i < frames; i++) {
            m_->wazaFlag = 0;
            m_->stepMark = 1;
            each();
            if (m_->wazaFlag) out.push_back(m_->waza);
        }
        return out;
    }
    int Heading() const { return MATH_GetAngle(0, 0, m_->moveVx, m_->moveVy); }

    CPU_DATA* data_ = nullptr;
    MEKA_WORK* m_ = nullptr;
    CPU_WORK* w_ = nullptr;
    std::deque<int> script_;
    int drawn_ = 0;
};

TEST_F(CpuAi, ModeLotteryEliminatesByRollsInModeOrder) {
    struct Case {
        const char* name;
        std::vector<std::pair<int, int>> modes;  // index, movement
        std::deque<int> rolls;
        int chosen, drawn;
    };
    const Case cases[] = {
        {"second pass keeps one", {{2, 0}, {5, 0}, {9, 0}}, {kPass, kPass, kPass, kFail, kPass, kFail}, 5, 6},
        {"a pass of failures comes back", {{2, 0}, {5, 0}}, {kPass, kPass, kFail, kFail, kPass, kFail}, 2, 6},
        {"movement 7 is never a candidate", {{3, 7}, {4, 0}}, {kPass}, 4, 1},
        {"a failed first roll leaves none", {{6, 1}}, {kFail}, -1, 1},
    };
    for (const Case& c : cases) {
        *data_ = tools::NewCpu();
        for (auto [n, move] : c.modes) data_->mode[n] = Mode(move);
        CPU_ResetAct(cpu_);
        Script(c.rolls, kFail);
        Cur();
        EXPECT_EQ(CPU_SelectMode(), c.chosen >= 0) << c.name;
        EXPECT_EQ(w_->mode, c.chosen) << c.name;
        EXPECT_EQ(drawn_, c.drawn) << c.name;
        EXPECT_EQ(w_->phase, c.chosen >= 0 ? 2 : 0) << c.name;  // no delay: the movement starts at once
    }
    // Two modes that never fail a roll: the lottery gives up after 4096 passes with its last pick.
    *data_ = tools::NewCpu();
    data_->mode[2] = data_->mode[9] = Mode(0);
    CPU_ResetAct(cpu_);
    Script({}, kPass);
    Cur();
    EXPECT_EQ(CPU_SelectMode(), 1);
    EXPECT_EQ(w_->mode, 9);
    EXPECT_EQ(drawn_, 2 * 4096);
}

TEST_F(CpuAi, ChoiceRetriesEveryFrameAndSkipsTheCurrentMode) {
    data_->mode[0] = Mode(0);
    data_->mode[0].level = 2;  // above the CPU level: never drawn for
    data_->mode[7] = Mode(1);
    Script({kFail, kFail, kFail});
    for (int frame = 0; frame < 3; frame++) {
        Think();
        EXPECT_EQ(w_->phase, 0);
        EXPECT_EQ(drawn_, frame + 1);
    }
    Think();
    EXPECT_EQ(w_->mode, 7);
    EXPECT_EQ(m_->act, 1);

    // A lone stand mode: its 1-in-20 re-choice finds nothing while it is current, and it keeps standing.
    *data_ = tools::NewCpu();
    data_->mode[3] = Mode(0);
    CPU_ResetAct(cpu_);
    Script({}, kPass);
    Think();
    ASSERT_EQ(w_->mode, 3);
    Act();  // Rand() % 20 == 0
    EXPECT_EQ(w_->phase, 0);
    Think();
    EXPECT_EQ(w_->phase, 0);
    EXPECT_EQ(w_->mode, 3);
    EXPECT_EQ(m_->act, 0);
    CPU_ResetAct(cpu_);
    Think();
    EXPECT_EQ(w_->mode, 3);
    EXPECT_EQ(w_->phase, 2);
}

TEST_F(CpuAi, ChainsRunFiveEntriesOrJoinAnotherGroup) {
    struct Case {
        const char* name;
        int joinChance, group3Join;
        std::vector<int> techs;
        int endGroup;
    };
    const Case cases[] = {
        {"five entries, then the chain is over", 0, 1, {0, 1, 2, 3, 4}, 0},
        {"forced join", 1000, 1, {0, 5}, 3},
        {"a group that accepts no join", 1000, 0, {0, 1, 2, 3, 4}, 0},
    };
    for (const Case& c : cases) {
        *data_ = tools::NewCpu();
        for (int k = 0; k < CPU_ATK_MAX; k++) data_->group[0].atk[k] = Atk(k);
        data_->group[0].atk[0].joinChance = i16(c.joinChance);
        data_->group[3].join = u8(c.group3Join);
        data_->group[3].atk[0] = Atk(5);
        CPU_ResetAttack(cpu_);
        Script({}, kPass);
        bool over = false;
        int endGroup = -1;
        const std::vector<int> techs = Started(20, [&] {
            if (w_->atkState == 3 && !over) {
                Cur();
                WAZA_Start(cpu_, 0);
                CPU_SetAttack(0, 0);
            } else {
                Think();
                if (w_->atkState == 6 && !over) endGroup = w_->group;
                over |= w_->atkState == 6;
            }
        });
        EXPECT_EQ(techs, c.techs) << c.name;
        EXPECT_TRUE(over) << c.name;
        EXPECT_EQ(endGroup, c.endGroup) << c.name;
    }
}

TEST_F(CpuAi, CancelRuleOneCountsNoFramesInTheAir) {
    for (auto [rule, z, counted] : {std::tuple{0, 40, 5}, {1, 40, 0}, {1, 0, 5}}) {
        *data_ = tools::NewCpu();
        data_->group[0].atk[0] = Atk(0);
        data_->group[0].atk[0].cancelRule = u16(rule);
        data_->group[0].atk[0].time = 100;
        CPU_ResetAttack(cpu_);
        Script({}, kPass);
        Cur();
        ASSERT_EQ(CPU_TryAttackGroup(0), 0);
        cpu_->z = z;
        for (int i = 0; i < 5; i++) Think();
        EXPECT_EQ(w_->chainCnt, counted) << "rule " << rule << " z " << z;
        cpu_->z = 0;
    }
    // A level-corrected time beyond 16 bits saturates instead of wrapping into "due at once".
    data_->group[0].atk[0].time = 9999;
    data_->group[0].atk[0].timeCorrect = 9999;
    w_->level = 10;
    Script({32767});
    Cur();
    CPU_SetAttack(0, 0);
    EXPECT_EQ(w_->chainTime, 32767);
}

TEST_F(CpuAi, AttackEntryTests) {
    struct Case {
        const char* name;
        std::function<void(CPU_ATK&)> edit;
        int level;
        std::deque<int> rolls;
        int allowed, drawn;
    };
    const auto level = [](int chance, int step, int required) {
        return [=](CPU_ATK& a) {
            a.chance = i16(chance);
            a.chanceStep = i16(step);
            a.level = i8(required);
        };
    };
    const auto range = [](int lo, int hi) {
        return [=](CPU_ATK& a) {
            a.rangeMin = lo;
            a.rangeMax = hi;
        };
    };
    const Case cases[] = {
        {"technique 500 of 6 is empty", [](CPU_ATK& a) { a.waza = 500; }, 0, {}, 0, 0},
        {"required level above the CPU's", level(1000, 0, 2), 1, {}, 0, 0},
        {"one level above: +100", level(0, 100, 2), 3, {99}, 1, 1},
        {"one level above: not 100", level(0, 100, 2), 3, {100}, 0, 1},
        {"the step wraps as 16 bits", level(30000, 10000, 0), 1, {0}, 0, 1},
        {"range 420 exactly", range(420, 420), 0, {0}, 1, 1},
        {"range up to 419", range(0, 419), 0, {0}, 0, 1},
        {"range from 421", range(421, 9999), 0, {0}, 0, 1},
        {"life above the limit", [](CPU_ATK& a) { a.lifeLimit = 0; }, 0, {0}, 0, 1},
        {"self mask: on the ground", [](CPU_ATK& a) { a.selfMask = 1; }, 0, {0}, 0, 1},
        {"target mask: target in the air", [](CPU_ATK& a) { a.targetMask = 2; }, 0, {0}, 1, 1},
        {"self mask: boosting in state 4", [this](CPU_ATK& a) { a.selfMask = 1 << 4, m_->act = 4; }, 0, {0}, 0, 1},
        {"target mask: target hit", [this](CPU_ATK& a) { a.targetMask = 1 << 7, player_->meka->act = 6; }, 0, {0}, 0, 1},
        {"target mask: target blown away", [this](CPU_ATK& a) { a.targetMask = 1 << 8, player_->meka->act = 7; }, 0, {0},
         0, 1},
    };
    for (const Case& c : cases) {
        m_->act = player_->meka->act = 0;
        data_->group[0].atk[0] = Atk(0);
        c.edit(data_->group[0].atk[0]);
        w_->level = i8(c.level);
        Script(c.rolls, kFail);
        Cur();
        EXPECT_EQ(CPU_CheckAttack(0, 0), c.allowed) << c.name;
        EXPECT_EQ(drawn_, c.drawn) << c.name;
    }
    // A gauge that is not empty forbids an attack outside a special technique.
    data_->group[0].atk[0] = Atk(0);
    m_->gauge = 10;
    EXPECT_EQ(CPU_TryAttackGroup(0), -1);
    EXPECT_EQ(m_->waza, 0);
    EXPECT_EQ(m_->wazaFlag, 0);
}

// A condition bit forbids exactly while its condition holds. Self bit 8 can't be reached through an
// attack entry (a cooling gauge already forbids the attack), so the two tests are called directly.
TEST_F(CpuAi, ConditionBitsForbidOnlyWhileTheyHold) {
    const struct {
        const char* name;
        bool self;
        int bit;
        std::function<void()> set;
        int allowed;
    } cases[] = {
        {"self 7: a technique frame runs", true, 7, [this] { m_->subAct = 1; }, 0},
        {"self 7: none runs", true, 7, [] {}, 1},
        {"self 8: the gauge cools", true, 8, [this] { m_->gauge = 10; }, 0},
        {"self 8: the gauge feeds a special", true, 8, [this] { m_->special = 1, m_->gauge = 10; }, 1},
        {"self 8: an empty gauge", true, 8, [] {}, 1},
        {"self 9: a chain runs", true, 9, [this] { w_->atkState = 4; }, 0},
        {"self 9: a chain waits", true, 9, [this] { w_->atkState = 5; }, 1},
        {"target 5: boosting in state 2", false, 5, [this] { player_->meka->act = 2; }, 0},
        {"target 5: boosting in state 4", false, 5, [this] { player_->meka->act = 4; }, 0},
        {"target 5: walking", false, 5, [this] { player_->meka->act = 1; }, 1},
        {"target 5: dashing", false, 5, [this] { player_->meka->act = 5; }, 1},
    };
    for (const auto& c : cases) {
        m_->subAct = m_->special = m_->gauge = 0;
        w_->atkState = player_->meka->act = 0;
        c.set();
        Cur();
        EXPECT_EQ(c.self ? CPU_CheckSelfCond(1 << c.bit) : CPU_CheckTargetCond(1 << c.bit), c.allowed) << c.name;
    }
}

TEST_F(CpuAi, CountersToTheOpponentsTechniques) {
    struct Case {
        const char* name;
        std::function<void(CPU_COUNTER&)> edit;
        int oppWaza;
        int phase, mode, act, atkState, tech;
    };
    const auto entry = [](int type, int action, int delay) {
        return [=](CPU_COUNTER& e) {
            e.type = i8(type);
            e.action = i16(action);
            e.delay = i16(delay);
            e.chance = 1000;
        };
    };
    const Case cases[] = {
        {"type -1 skips the decision", [](CPU_COUNTER&) {}, 0, 0, -1, 0, 3, -1},
        {"technique 600 has no entry", entry(0, 2, 0), 600, 2, 0, 0, 3, -1},
        {"type 0 at once", entry(0, 2, 0), 1, 0, -1, 0, 6, 2},
        {"type 0 after a delay", entry(0, 2, 3), 2, 0, -1, 0, 5, -1},
        {"type 0 with technique 500", entry(0, 500, 0), 0, 2, 0, 0, 3, -1},
        {"type 1 at once", entry(1, 4, 0), 0, 2, 4, 1, 3, -1},
        {"type 1 after a delay", entry(1, 4, 2), 0, 1, 4, 0, 3, -1},
        {"type 1 with movement 7", entry(1, 5, 0), 0, 2, 0, 0, 3, -1},
        {"below the current priority", [&](CPU_COUNTER& e) { entry(0, 2, 0)(e), e.priority = 7; }, 0, 2, 0, 0, 3, -1},
    };
    for (const Case& c : cases) {
        *data_ = tools::NewCpu();
        data_->mode[0] = Mode(0);
        data_->mode[0].chance = 1000;
        data_->mode[4] = Mode(1, 0, 20);
        data_->mode[4].chance = 0;  // reachable only by the counter
        data_->mode[5] = Mode(7);
        c.edit(data_->counter[0]);
        CPU_ResetAct(cpu_);
        CPU_ResetAttack(cpu_);
        w_->priority = 8;
        player_->meka->wazaFlag = 1;
        player_->meka->waza = i16(c.oppWaza);
        m_->wazaFlag = 0;
        Script({}, kPass);
        EXPECT_EQ((Ints{Think(), w_->phase, w_->mode, m_->act, w_->atkState}),
                  (Ints{1, c.phase, c.mode, c.act, c.atkState})) << c.name;
        EXPECT_EQ(m_->wazaFlag ? m_->waza : -1, c.tech) << c.name;
    }
    // The delayed counter starts its technique when the shared timer runs out.
    player_->meka->wazaFlag = 0;
    data_->mode[0].move = -1;
    EXPECT_EQ(Started(4, [&] { Think(); }), std::vector<int>{});
    w_->atkState = 5;
    w_->timer = 3;
    w_->counterGroup = 0;
    data_->counter[0] = CPU_COUNTER{};
    entry(0, 2, 3)(data_->counter[0]);
    EXPECT_EQ(Started(3, [&] { Think(); }), std::vector<int>{2});
    EXPECT_EQ(w_->atkState, 6);
}

TEST_F(CpuAi, WalkStepsWithFootfallsAndWandersWithoutAMap) {
    Run(1, Mode(1, 0, 100));
    std::vector<int> anims, footfalls;
    for (int frame = 0; frame < 80 && anims.size() < 6; frame++) {
        SE_Stop(34);
        ScrQuake = 0;
        const int before = cpu_->anime;
        Act();
        if (cpu_->anime != before || frame == 0) anims.push_back(cpu_->anime);
        if (SE_IsPlaying(34) && ScrQuake == 2) {
            footfalls.push_back(cpu_->anime);
            EXPECT_EQ(m_->moveSpeed, 0);
        }
    }
    EXPECT_EQ(anims, (std::vector<int>{7, 8, 9, 10, 7, 8}));
    EXPECT_EQ(footfalls, (std::vector<int>{8, 10, 8}));

    // Without an open map the wander point is the mech itself: the walk ends at once.
    map_.mapNo = MAP_NONE;
    Run(2, Mode(1, 2, 100));
    Act();
    EXPECT_EQ((Ints{w_->pointX, w_->pointY, w_->mode, m_->act}), (Ints{cpu_->x, cpu_->y, -1, 0}));
}

TEST_F(CpuAi, WanderWalkEndsNearItsPoint) {
    for (unsigned seed : {3u, 11u, 29u}) {
        plat::SRand(seed);
        MEKA_SetX(cpu_, 640);
        MEKA_SetY(cpu_, 480);
        Run(1, Mode(1, 2, 5000));
        int frame = 0;
        for (; frame < 3000 && w_->mode == 1; frame++) {
            Frame(0);
            SPR_RenewAnime();
        }
        ASSERT_EQ(w_->mode, -1) << "seed " << seed;
        const i64 dx = cpu_->x - w_->pointX, dy = cpu_->y - w_->pointY;
        EXPECT_LT(dx * dx + dy * dy, (80 + 7) * (80 + 7)) << "seed " << seed;  // plus the last step
    }
}

TEST_F(CpuAi, BoostSwitchesSoundsAndBrakesFromFive) {
    Run(2, Mode(2, 0, 10));
    std::ostringstream trace;
    for (int frame = 1; frame <= 20 && m_->act == 2; frame++) {
        Act();
        trace << frame << ':' << cpu_->anime << ',' << m_->moveSpeed << ',' << SE_IsPlaying(13) << SE_IsPlaying(14)
              << SE_IsPlaying(15) << ' ';
    }
    EXPECT_EQ(trace.str(),
              "1:11,18,100 2:11,18,100 3:11,18,100 4:11,18,100 5:12,18,010 6:12,18,010 7:12,18,010 "
              "8:12,18,010 9:12,18,010 10:12,18,010 11:12,18,010 12:13,5,001 13:13,4,001 14:13,3,001 "
              "15:13,2,001 16:13,1,001 17:13,0,001 ");
    EXPECT_EQ(w_->mode, -1);
}

TEST_F(CpuAi, BoostTurnsAtMostThirtyDegreesAFrame) {
    Run(2, Mode(2, 0, 50));
    m_->moveVx = -65535;
    m_->moveVy = 0;
    std::vector<int> headings;
    for (int i = 0; i < 7; i++) {
        Act();
        headings.push_back(Heading());
    }
    int last = 180;
    for (int h : headings) {
        const int turn = std::abs(((h - last) % 360 + 540) % 360 - 180);
        EXPECT_LE(turn, 31) << h;
        last = h;
    }
    EXPECT_NEAR(headings[6] > 180 ? headings[6] - 360 : headings[6], 0, 1);
}

TEST_F(CpuAi, WallDashLooksFurtherWhileClearAndTurnsToTheClearSide) {
    Run(3, Mode(3, 0, 50));
    std::vector<int> looks;
    for (int i = 0; i < 4; i++) {
        Act();
        looks.push_back(w_->angleStep);
    }
    EXPECT_EQ(looks, (std::vector<int>{10, 20, 30, 40}));
    EXPECT_EQ(w_->angle, 0);

    // A wall 48 pixels ahead, either above the mech's row (the positive side, down, is clear) or below.
    struct Case {
        int wallFrom, wallTo, sign, heading;
    };
    for (const Case c : {Case{0, 24, 1, 25}, Case{25, kMapH - 1, -1, 335}}) {
        Walls([&](int cx, int cy) { return cx == 33 && cy >= c.wallFrom && cy <= c.wallTo ? 1 : 0; });
        m_->actCnt[1] = i16(-c.sign);  // the entry's random sign is overruled by the scan
        m_->contact = 1;
        w_->angle = 0;
        w_->angleStep = 100;
        w_->scanDone = 0;
        Act();
        EXPECT_EQ((Ints{m_->actCnt[1], w_->angle, w_->angleStep, w_->scanDone, m_->moveSpeed}),
                  (Ints{c.sign, c.heading, 80, 1, 18 - 220 / 32}));
    }
}

TEST_F(CpuAi, ShortDashLeavesAfterImagesAndEndsByItsTimer) {
    for (auto [time, act] : {std::pair{10, 5}, {20, 0}}) {
        Run(5, Mode(5, 0, time));
        const int effects0 = EftCnt;
        int frame = 0, switchFrame = 0;
        for (; frame < 30 && m_->actStep != 2 && m_->act == 5; frame++) {
            Act();
            if (cpu_->anime == 12 && !switchFrame) switchFrame = frame + 1;
        }
        EXPECT_EQ(frame, 11) << time;
        EXPECT_EQ(switchFrame, 4) << time;  // frames 10: the switch at 7
        EXPECT_EQ(EftCnt - effects0, 11) << time;  // after-images (type 24) of the mech's own page
        EXPECT_EQ(m_->act, act) << time;
        EXPECT_TRUE(SE_IsPlaying(15));
        EXPECT_EQ(m_->moveSpeed, act == 5 ? 5 : 24) << time;
    }
}

TEST_F(CpuAi, GaugeCostOfEachState) {
    // A step of 2 starts in the braking frames.
    for (auto [move, step, special, gauge] : {std::tuple{0, 0, 0, 92}, {1, 0, 0, 95}, {2, 0, 0, 97}, {3, 0, 0, 97},
                                              {4, 0, 0, 97}, {5, 0, 0, 98}, {5, 0, 1, 100}, {5, 2, 0, 100}}) {
        Run(0, Mode(move));
        m_->actStep = i16(step);
        m_->moveSpeed = 5;
        m_->special = u8(special);
        m_->gauge = 100;
        Act();
        EXPECT_EQ(m_->gauge, gauge) << "movement " << move;
    }
    m_->special = 0;
}

// A CPU mech against a standing player for 600 frames; the log of its decisions lies in the test's
// folder as "cpu_decisions.log".
TEST_F(CpuAi, ClosesInAndAttacksOnAGeneratedMap) {
    Walls([](int cx, int cy) { return cx == 40 && cy >= 10 && cy < 20 ? 1 : 0; });
    MEKA_SetX(player_, 300);
    MEKA_SetY(player_, 300);
    MEKA_SetX(cpu_, 1100);
    MEKA_SetY(cpu_, 800);
    const std::pair<int, int> modes[] = {{1, 0}, {2, 0}, {0, 0}, {5, 0}, {3, 0}, {4, 0}, {1, 2}};
    const int ranges[][2] = {{120, 9999}, {250, 9999}, {0, 200}, {100, 400}, {200, 9999}, {200, 9999}, {0, 9999}};
    for (int i = 0; i < 7; i++) {
        data_->mode[i] = Mode(modes[i].first, modes[i].second, 20);
        data_->mode[i].chance = i16(i == 6 ? 100 : 300);
        data_->mode[i].rangeMin = ranges[i][0];
        data_->mode[i].rangeMax = ranges[i][1];
        data_->mode[i].atkChance = 100;
    }
    for (int g = 0; g < 2; g++) {
        data_->group[g].atk[0] = Atk(g * 2);
        data_->group[g].atk[0].chance = 800;
        data_->group[g].atk[0].rangeMax = 250;
        data_->group[g].atk[1] = Atk(g * 2 + 1);
        data_->group[g].atk[0].time = 2;
    }
    plat::SRand(5);
    std::ostringstream log;
    int techs = 0;
    i64 closest = INT64_MAX;
    std::string last;
    for (int frame = 0; frame < 600; frame++) {
        m_->frameDone = 1;
        Frame(0);
        SPR_RenewAnime();
        ASSERT_TRUE(cpu_->x >= 0 && cpu_->x < kMapW * 16 && cpu_->y >= 0 && cpu_->y < kMapH * 16) << log.str();
        const i64 dx = cpu_->x - player_->x, dy = cpu_->y - player_->y;
        closest = std::min(closest, dx * dx + dy * dy);
        const int tech = m_->wazaFlag ? m_->waza : -1;
        techs += tech >= 0;
        std::ostringstream line;
        line << w_->phase << ' ' << int(w_->mode) << ' ' << w_->atkState << ' ' << tech;
        if (line.str() != last || tech >= 0) log << frame << ' ' << line.str() << '\n';
        last = line.str();
    }
    std::ofstream(dir_.File("cpu_decisions.log")) << log.str();
    EXPECT_LT(closest, 250 * 250) << log.str();
    EXPECT_GE(techs, 1) << log.str();
}

}  // namespace
