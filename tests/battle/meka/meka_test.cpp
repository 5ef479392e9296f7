#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <vector>

#include "battle/battle.h"
#include "battle/cpu/cpu.h"
#include "battle/data/meka_type.h"
#include "battle/map/cam.h"
#include "battle/map/map.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "graphics/sprite/spr.h"
#include "platform/random.h"
#include "screens/save/save.h"
#include "shell/sound/sound.h"
#include "test_support.h"
#include "tests/battle/battle_env.h"
#include "tools/writers/battle_data_writer.h"
#include "tools/writers/byte_writer.h"
#include "tools/writers/meka_set_writer.h"

namespace {

using Ints = std::vector<int>;

constexpr int kPlayer = 0;  // mech type "player"
constexpr int kZako = 1;    // "zako01"

class Meka : public test::BattleEnv {
protected:
    void SetUp() override {
        for (int type : {0, 1, 2, 3, 4, 20}) ASSERT_TRUE(tools::SaveSimpleMekaSet(dir_.path(), MekaNameTbl[type]));
        BattleEnv::SetUp();
        SAVE_InitGameData();
        FightOver = 0;
        ScrQuake = 0;
        HitSlowCnt = HitStopCnt = 0;
    }
    void TearDown() override {
        for (int slot = 0; slot < MEKA_SLOT_MAX; slot++) MEKA_Delete(slot);
        // Every reference a mech took went back with it.
        for (const MEKA_TYPE_DATA& t : MekaTypeTbl) {
            EXPECT_EQ(t.wazaRef, 0);
            EXPECT_EQ(t.cpuRef, 0);
        }
        BattleEnv::TearDown();
    }
    void WriteCpu(int type, const std::map<int, i16>& params) {
        CPU_DATA cpu = tools::NewCpu();
        for (auto [n, v] : params) cpu.param[n] = v;
        ASSERT_TRUE(tools::SaveFile(dir_.File(std::string("Dat/") + MekaNameTbl[type] + ".cpu"), tools::CpuFile(cpu)));
    }
    void WriteWaz(int type, int count) {
        std::vector<WAZA_DATA> records(std::size_t(count), tools::NewWaza());
        ASSERT_TRUE(tools::SaveFile(dir_.File(std::string("Dat/") + MekaNameTbl[type] + ".waz"), tools::WazFile(records)));
    }
    static LIST_DATA* Make(int slot, int team, int ctrl, int type, int x = 100, int y = 100) {
        EXPECT_EQ(MEKA_Create(slot, team, ctrl, type, x, y), 1) << "slot " << slot;
        return MekaSlotTbl[slot];
    }
};

TEST_F(Meka, CreateSetsEveryFieldItsKindReadsEvenInAReusedRecord) {
    // Fill the pool so the mech lands in the one record freed after its last user left marks in it.
    while (LIST_DATA* chip = OBJ_Alloc(OBJ_KIND_CHIP)) chip->level = 0;
    ObjTbl[900]->dir = 23;
    ObjTbl[900]->child = 5;
    OBJ_Free(900);

    LIST_DATA* obj = Make(3, 1, MEKA_CTRL_PLAYER, kPlayer, 120, 340);
    ASSERT_EQ(obj, ObjTbl[900]);
    const SPR_DATA* spr = SPR_GetSpr(obj->spr);
    ASSERT_NE(spr, nullptr);
    const MEKA_WORK* m = obj->meka;
    EXPECT_EQ((Ints{obj->dir, obj->child, obj->owner, obj->target, obj->team, obj->mekaNo, obj->level, obj->subStepCnt,
                    obj->subStep, int(obj->shadow), obj->x, obj->y16}),
              (Ints{0, -999, -1, -1, 1, 3, 5, 1, 4, 1, 120, 340 << 16}));
    EXPECT_EQ((Ints{spr->owner, spr->priority, spr->step, spr->last}), (Ints{900, 128, 6, 0}));  // animation 6, once
    EXPECT_EQ((Ints{m->gaugeMax, m->timedState, m->pendingWaza, m->wazaHist[24], m->act}),
              (Ints{130, -1, -1, -999, 0}));
}

TEST_F(Meka, PlayerStatsComeFromTheGameRecord) {
    const MEKA_WORK* m = Make(0, 0, MEKA_CTRL_PLAYER, kPlayer)->meka;
    const i16 got[] = {m->walkSpeed, m->boostSpeed, m->dashSpeed, m->dashTime, m->stat3, m->stat6, m->lifeBarMax,
                       m->lifeBar,   m->endureMax,  m->endure,    m->stat1,    m->stat4, m->stat7,      m->life};
    const i16 want[] = {6, 18, 24, 8, 100, 100, 2, 2, 500, 500, 40, 40, 0, 2080};
    EXPECT_EQ(std::vector<i16>(std::begin(got), std::end(got)), std::vector<i16>(std::begin(want), std::end(want)));
    EXPECT_EQ(m->stat2 | m->stat5, 0);
}

TEST_F(Meka, CpuStatsScaleWithTheMechType) {
    struct Case {
        int type;
        std::map<int, i16> params;  // none: no ".cpu" file
        i16 bars, endure, stat3, stat7;
    };
    const Case cases[] = {
        {20, {{0, 1}, {14, 1}, {1, 1}, {15, 1}, {8, 50}, {18, 1}, {13, 2}, {23, 3}}, 7, 2000, 30, 62},
        {2, {{0, 1}, {14, 1}, {1, 5}, {15, 1}, {8, 9}, {18, 6}, {13, 0}, {23, 0}}, 3, 700, 0, 0},  // 9 - 12 = -3
        {4, {}, 7, 1400, 96, 40},  // the defaults
    };
    GameData.cpuLevel = 3;
    for (const Case& c : cases) {
        if (!c.params.empty()) WriteCpu(c.type, c.params);
        LIST_DATA* obj = Make(4, 1, MEKA_CTRL_CPU, c.type);
        const MEKA_WORK* m = obj->meka;
        EXPECT_EQ((Ints{m->lifeBarMax, m->lifeBar, m->endureMax, m->stat3, m->stat7}),
                  (Ints{c.bars, c.bars, c.endure, c.stat3, c.stat7})) << c.type;
        EXPECT_EQ((Ints{CpuWorkTbl[4].type, CpuWorkTbl[4].level, CpuWorkTbl[4].mode, CpuWorkTbl[4].atkState}),
                  (Ints{c.type, 3, -1, 3}));
    }
}

TEST_F(Meka, TypeDataIsSharedAndReleasedByItsHolders) {
    WriteWaz(kZako, 2);
    Make(1, 1, MEKA_CTRL_CPU, kZako);
    WriteWaz(kZako, 5);  // a second mech of the type must not read the file again
    Make(2, 1, MEKA_CTRL_CPU, kZako);
    EXPECT_EQ(WAZA_GetCount(kZako), 2);
    EXPECT_EQ(MekaTypeTbl[kZako].wazaRef, 2);
    EXPECT_EQ(MekaTypeTbl[kZako].cpuRef, 2);
    MEKA_Delete(2);

    // A player mech of the same type takes no CPU reference, so deleting it keeps the CPU mech's.
    Make(0, 0, MEKA_CTRL_PLAYER, kZako);
    EXPECT_EQ(MekaTypeTbl[kZako].cpuRef, 1);
    MEKA_Delete(0);
    EXPECT_EQ(MekaTypeTbl[kZako].cpuRef, 1);
    EXPECT_NE(MekaTypeTbl[kZako].cpu, nullptr);
    EXPECT_NE(MEKA_Delete(1), -999);
    EXPECT_EQ(MekaTypeTbl[kZako].cpuRef, 0);
    EXPECT_EQ(MekaTypeTbl[kZako].cpu, nullptr);
    EXPECT_EQ(MEKA_Delete(1), -999);
    EXPECT_EQ(MekaTypeTbl[kZako].cpuRef, 0);
}

TEST_F(Meka, FailedCreateKeepsNothing) {
    auto fillSprites = [] {
        for (int s; (s = SPR_GetFreeSpr()) >= 0;) SPR_CreateFSpr(s, 0, nullptr);
    };
    struct Case {
        const char* what;
        int slot, type;
        void (*prepare)();
    };
    const Case cases[] = {
        {"no sprite set", 1, 5, nullptr},
        {"slot 10", 10, kZako, nullptr},
        {"slot -1", -1, kZako, nullptr},
        {"type 25", 1, 25, nullptr},
        {"no free sprite", 1, kZako, +fillSprites},
    };
    Make(0, 0, MEKA_CTRL_PLAYER, kPlayer);
    const int freeGroup = SPR_GetFreeSprGrp();
    for (const Case& c : cases) {
        if (c.prepare) c.prepare();
        EXPECT_EQ(MEKA_Create(c.slot, 1, MEKA_CTRL_CPU, c.type, 0, 0), -1) << c.what;
        EXPECT_EQ(ObjLiveCnt, 1) << c.what;
        EXPECT_EQ(MekaSlotTbl[1], nullptr) << c.what;
        EXPECT_EQ(SPR_GetFreeSprGrp(), freeGroup) << c.what;
        for (int t : {5, kZako}) EXPECT_EQ(MekaTypeTbl[t].cpuRef + MekaTypeTbl[t].wazaRef, 0) << c.what;
    }
}

TEST_F(Meka, CreateIntoAnOccupiedSlotReplacesTheMech) {
    Make(3, 1, MEKA_CTRL_CPU, kZako);
    Make(3, 1, MEKA_CTRL_CPU, kZako);
    EXPECT_EQ(ObjLiveCnt, 1);
    EXPECT_EQ(MekaTypeTbl[kZako].cpuRef, 1);
    EXPECT_EQ(MekaTypeTbl[kZako].wazaRef, 1);
}

TEST_F(Meka, ResetMakesTheMechFreshInPlaceOrMovesIt) {
    LIST_DATA* obj = Make(2, 1, MEKA_CTRL_PLAYER, kPlayer, 300, 400);
    MEKA_WORK* m = obj->meka;
    m->gauge = 50;
    m->act = 3;
    m->timedState = 2;
    m->life = 7;
    m->lifeBar = 0;
    m->wazaHist[0] = 12;
    m->lastHit.power = 5;
    obj->dir = 3;
    obj->child = 7;
    EXPECT_EQ(MEKA_Reset(2, -999, -999), 1);
    // In place, animation 6 now looping.
    EXPECT_EQ((Ints{obj->x, obj->y, obj->dir, obj->child, SPR_GetSpr(obj->spr)->last}), (Ints{300, 400, 0, -999, 1}));
    EXPECT_EQ((Ints{m->gauge, m->act, m->timedState, m->life, m->lifeBar, m->wazaHist[0], m->lastHit.power}),
              (Ints{0, 0, -1, 2080, 2, -999, 0}));
    EXPECT_EQ(MEKA_Reset(2, 10, -999), 1);
    EXPECT_EQ((Ints{obj->x, obj->y}), (Ints{10, 400}));
    EXPECT_EQ(MEKA_Reset(5, 0, 0), 0);  // empty slot
    EXPECT_EQ(MEKA_Reset(12, 0, 0), 0);
    EXPECT_EQ(MEKA_Delete(5), -999);
}

TEST_F(Meka, GaugeEndsTheChainAtZeroAndStopsAtItsMaximum) {
    LIST_DATA* obj = Make(0, 0, MEKA_CTRL_PLAYER, kPlayer);
    MEKA_WORK* m = obj->meka;
    struct Case {
        i16 gauge;
        u8 special;
        int delta, result;
        i16 after;
        bool historyCleared;
    };
    const Case cases[] = {
        {5, 0, -10, 1, 0, true},     {0, 0, -10, 1, 0, false}, {0, 0, 0, 1, 0, false}, {120, 0, 30, 2, 130, false},
        {120, 1, -1, -1, 120, false}, {120, 1, 5, 0, 125, false}, {40, 0, 20, 0, 60, false},
    };
    for (const Case& c : cases) {
        m->gauge = c.gauge;
        m->special = c.special;
        m->chain = 9;
        m->histCnt = 1;
        m->wazaHist[0] = 4;
        EXPECT_EQ(MEKA_AddGauge(obj, c.delta), c.result) << c.gauge << " + " << c.delta;
        EXPECT_EQ(m->gauge, c.after) << c.gauge << " + " << c.delta;
        EXPECT_EQ(m->wazaHist[0] == -999 && m->histCnt == 0 && m->chain == 0, c.historyCleared)
            << c.gauge << " + " << c.delta;
    }
}

TEST_F(Meka, TargetModes) {
    LIST_DATA* me = Make(0, 0, MEKA_CTRL_PLAYER, kPlayer, 0, 0);
    LIST_DATA* far = Make(2, 1, MEKA_CTRL_PLAYER, kZako, 300, 0);
    LIST_DATA* tieLow = Make(5, 1, MEKA_CTRL_PLAYER, kZako, 0, 100);
    LIST_DATA* friendly = Make(7, 0, MEKA_CTRL_PLAYER, kZako, 1, 1);
    LIST_DATA* tieHigh = Make(8, 1, MEKA_CTRL_PLAYER, kZako, 100, 0);
    auto target = [me](int mode, int slot = 0) {
        EXPECT_EQ(MEKA_SelectTarget(me, mode, slot), -1);
        return me->target;
    };
    EXPECT_EQ((Ints{target(0, 7), target(0, 4), target(0, 10), target(1), target(3)}),
              (Ints{friendly->index, -1, -1, far->index, tieLow->index}));
    me->target = 77;
    EXPECT_EQ(target(4), 77);

    // Random order: taken values are drawn again; a mech without bars is passed over.
    std::vector<int> draws = {8, 8, 5, 2, 0, 1, 3, 4, 6, 7, 9};
    std::size_t at = 0;
    plat::SetRandSource([&] { return draws[at++ % draws.size()]; });
    EXPECT_EQ(target(2), tieHigh->index);
    EXPECT_EQ(at, 11u);
    at = 0;
    tieHigh->meka->lifeBar = -1;
    EXPECT_EQ(target(2), tieLow->index);
    plat::SetRandSource({});
    plat::SRand(7);
    EXPECT_EQ(target(2), far->index);  // pinned for seed 7
}

TEST_F(Meka, FacingFollowsTheSectorAndRestartsTheAnimationOnAChange) {
    LIST_DATA* me = Make(0, 0, MEKA_CTRL_PLAYER, kPlayer, 100, 100);
    LIST_DATA* other = Make(1, 1, MEKA_CTRL_PLAYER, kZako);
    me->anime = 9;
    SPR_DATA* spr = SPR_GetSpr(me->spr);
    struct Case {
        i32 x, y;  // the target's position, or the aim offset when aim is set
        bool aim;
        i8 dir;
        bool restarted;
    };
    const Case cases[] = {
        {100, 200, false, 0, false}, {0, 100, false, 2, true},  {0, 110, false, 2, false},
        {200, 100, false, 6, true},  {100, 0, false, 4, true},   {-50, -50, true, 3, true},
    };
    for (const Case& c : cases) {
        spr->first = 1;
        spr->step = 0;
        if (c.aim) {
            me->meka->aimX = c.x;
            me->meka->aimY = c.y;
        } else {
            other->x = c.x;
            other->y = c.y;
        }
        EXPECT_EQ(MEKA_FaceTarget(me, c.aim ? nullptr : other), 1);
        EXPECT_EQ(me->dir, c.dir) << c.x << "," << c.y;
        EXPECT_EQ(spr->pageOffset, c.dir);
        EXPECT_EQ(spr->first == 0 && spr->step == 9, c.restarted) << c.x << "," << c.y;
    }
    EXPECT_EQ(MEKA_FaceTarget(nullptr, other), 0);
}

TEST_F(Meka, SpeedsSplitIntoSubStepsAndPositionsKeepTheirCellOffset) {
    const std::array<int, 3> speeds[] = {{0, 1, 0}, {15, 1, 15}, {16, 2, 8}, {40, 3, 13}, {-40, 3, -13}};
    for (auto [speed, n, step] : speeds) {
        i16 gotN = 0, gotStep = 0;
        BTL_SplitSpeed(i16(speed), &gotN, &gotStep);
        EXPECT_EQ(gotN, n) << speed;
        EXPECT_EQ(gotStep, step) << speed;
    }
    LIST_DATA* obj = Make(0, 0, MEKA_CTRL_PLAYER, kPlayer);
    EXPECT_EQ(MEKA_SetX(obj, -3), -3);  // the remainder keeps the dividend's sign
    EXPECT_EQ(obj->x16, -3 * 65536);
    obj->foot1 = {5, -5, 64, 40};
    EXPECT_EQ(MEKA_SetX(obj, 20), 9);
    EXPECT_EQ(MEKA_SetY(obj, 37), 0);
    MEKA_SetY16(obj, (70 << 16) + 0x8000);
    EXPECT_EQ(obj->y, 70);
    EXPECT_EQ(obj->meka->cellY, 1);
    MEKA_SetX16(obj, -(1 << 16));
    EXPECT_EQ(obj->x, -1);
    EXPECT_EQ(obj->meka->cellX, 4);
}

TEST_F(Meka, TestSpawnPlacesAtTheMapsTestPointAndCentresTheCamera) {
    // An open map of one cell is all the spawn reads of the map: its number.
    MAP_CELL cell{};
    MAP_DATA map{};
    map.cells = &cell;
    map.width = map.height = 1;
    map.mapNo = 2;
    MAP_SetMapPtr(&map);
    MEKA_TestSpawn(1, MEKA_CTRL_CPU, 1, kZako);
    map.mapNo = 14;  // beyond the table: the first point
    MEKA_TestSpawn(0, MEKA_CTRL_PLAYER, 0, kPlayer);
    MAP_SetMapPtr(nullptr);
    const LIST_DATA *a = MekaSlotTbl[0], *b = MekaSlotTbl[1];
    EXPECT_EQ((Ints{a->x, a->y, b->x, b->y, a->target, b->target}), (Ints{876, 674, 1030, 832, b->index, a->index}));
    EXPECT_EQ((Ints{CamData.ramp, CamData.rampStep, CamData.speed, ObjLiveCnt}), (Ints{0, 1, 12, 2}));
}

TEST_F(Meka, ShowAllHidesAndPausesTheMechs) {
    LIST_DATA* obj = Make(4, 1, MEKA_CTRL_PLAYER, kZako);
    MapSpr = SPR_GetFreeSpr();
    ASSERT_EQ(SPR_CreateFSpr(MapSpr, 161, nullptr), 1);
    for (int flag : {0, 1}) {
        BTL_ShowAll(flag);
        EXPECT_EQ(SprTbl[MapSpr]->view, flag);
        EXPECT_EQ(SPR_GetSpr(obj->spr)->view, flag);
        EXPECT_EQ(SPR_GetSpr(obj->spr)->running, flag);
    }
    SPR_DelSpr(MapSpr);
    MapSpr = -1;
}

// ---- destruction inside the update walk ----

int explodeSlot = -1;
std::vector<int> visited;

int RenewMeka() {
    visited.push_back(CurObj->index);
    CurMeka = CurObj->meka;
    if (CurObj->mekaNo == explodeSlot) MEKA_Explode();
    return 1;
}
int RenewOther() {
    visited.push_back(CurObj->index);
    return 1;
}

TEST_F(Meka, ExplodeInsideTheWalk) {
    LoadSounds();

    LIST_DATA* player = Make(0, 0, MEKA_CTRL_PLAYER, kPlayer, 0, 0);
    LIST_DATA* victim = Make(1, 1, MEKA_CTRL_CPU, kZako, 500, 300);
    LIST_DATA* next = Make(2, 1, MEKA_CTRL_CPU, kZako, 900, 0);
    LIST_DATA* chip = OBJ_Alloc(OBJ_KIND_CHIP);
    chip->level = 5;
    player->target = victim->index;
    next->target = player->index;
    const int victimIndex = victim->index;
    ASSERT_EQ(PNL_Create(1, kZako, 440, 436), 1);
    PNL_CreateSlotPanel(0, 0);
    PNL_SetSlotMark(1, 0, 0);
    plat::Surface* slotPanel = SPR_GetSlotSurf(PnlHud.slotSurf);
    ASSERT_NE(slotPanel, nullptr);
    const u16 unmarked = test::Pixel16(SPR_GetSlotSurf(PnlPartsSurf), 121, 153);
    ASSERT_NE(test::Pixel16(slotPanel, 45, 29), unmarked);

    // y offsets are drawn before x offsets: 0 then 128 puts every piece at (x - 64, y + 64).
    int draw = 0;
    plat::SetRandSource([&] { return draw++ % 2 == 0 ? 0 : 128; });
    const OBJ_RENEW_FUNC funcs[OBJ_KIND_COUNT] = {RenewMeka, nullptr, nullptr, nullptr, RenewOther, nullptr};
    explodeSlot = 1;
    visited.clear();
    OBJ_RenewAll(funcs);

    EXPECT_EQ(visited, (std::vector<int>{player->index, victimIndex, next->index, chip->index}));
    const auto effects = test::LiveEffects();
    ASSERT_EQ(effects.size(), 21u);
    EXPECT_EQ(effects[0], (std::array<int, 5>{0, -1, 500, 300, 0}));
    for (std::size_t i = 1; i < 21; i++) EXPECT_EQ(effects[i], (std::array<int, 5>{14, -1, 436, 364, 0}));
    // The quake alone, no hit-stop; the panel gone, the nearest opponent left targeted, the chain's
    // marks cleared, the fight not yet decided.
    EXPECT_EQ((Ints{SE_IsPlaying(9), ScrQuake, HitSlowCnt, HitStopCnt, PnlTbl[1].use, player->target, FightOver}),
              (Ints{1, 16, 0, 0, 0, next->index, 0}));
    EXPECT_EQ(MekaSlotTbl[1], nullptr);
    EXPECT_EQ(test::Pixel16(slotPanel, 45, 29), unmarked);

    // The player's last opponent: the fight is decided.
    explodeSlot = 2;
    OBJ_RenewAll(funcs);
    EXPECT_EQ((Ints{player->target, FightOver, ScrQuake, HitSlowCnt, HitStopCnt, ObjLiveCnt - EftCnt}),
              (Ints{-1, 1, 20, 5, 5, 2}));
    explodeSlot = -1;
}

}  // namespace
