// Hit detection and damage: the damage formula, endurance, life with carried bars, reactions, the
// hit-stop rules, the geometry of technique frames and shots, budgets, and a fight to the last bar.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "battle/battle.h"
#include "battle/data/meka_type.h"
#include "battle/map/cam.h"
#include "battle/map/map.h"
#include "battle/meka/hit.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "battle/tama/tama.h"
#include "graphics/sprite/spr.h"
#include "platform/random.h"
#include "screens/btl/btl.h"
#include "screens/save/save.h"
#include "script/bsc/bsc.h"
#include "shell/sound/sound.h"
#include "shell/sys.h"
#include "test_support.h"
#include "tests/battle/battle_env.h"
#include "tools/writers/battle_data_writer.h"
#include "tools/writers/byte_writer.h"
#include "tools/writers/meka_set_writer.h"

namespace {

using Ints = std::vector<int>;

constexpr RECT kAttackRect{0, -40, 48, 0};  // the frame's attack rectangles, in front of the mech

class Hit : public test::BattleEnv {
protected:
    void SetUp() override {
        for (int type : {0, 1, 2}) {
            tools::SprSetDef set = tools::SimpleMekaSet(MekaNameTbl[type]);
            for (tools::SprPageDef& page : set.pages)
                for (int n : {1, 2, 10, 11, 12}) page.hit[std::size_t(n)] = kAttackRect;
            ASSERT_TRUE(tools::SaveMekaSet(dir_.path(), MekaNameTbl[type], set));
            const std::vector<WAZA_DATA> records(1, tools::NewWaza());
            ASSERT_TRUE(tools::SaveFile(dir_.File(std::string("Dat/") + MekaNameTbl[type] + ".waz"), tools::WazFile(records)));
        }
        BattleEnv::SetUp();
        SAVE_InitGameData();
        mBSC_Clear();
        SYS_SetSeq(4);
        BTL_SetState(5);
        BTL_SetState(5);
        HitSlowCnt = HitStopCnt = 0;
        ScrQuake = 0;
        HitMask = 0;
        HitMarkSlot = -1;
        plat::SRand(1);
    }
    void TearDown() override {
        BattleEnv::TearDown();
        TAMA_ClearData();
    }
    // A mech running technique 0, motion 0, frame 0, whose hit block is plain: power, no minimum, no
    // chain growth, no sound, nothing but what a test sets.
    static LIST_DATA* Make(int slot, int team, int ctrl, int type, i32 x, i32 y) {
        EXPECT_EQ(MEKA_Create(slot, team, ctrl, type, x, y), 1);
        LIST_DATA* obj = MekaSlotTbl[slot];
        MEKA_WORK* m = obj->meka;
        m->waza = 0;
        m->motion = 0;
        m->frame = 0;
        m->stat1 = m->stat4 = 20;  // rate 100
        m->stat7 = 0;
        m->life = MEKA_LIFE_UNITS;
        m->lifeBar = 2;
        WAZA_MOTION& mo = Motion(type);
        mo = WAZA_MOTION{};
        mo.mekaHitLimit = mo.shotHitLimit = 255;
        mo.hitPower = 100;
        mo.frame[0].hitField = 1u << 2;
        return obj;
    }
    static WAZA_MOTION& Motion(int type) { return WAZA_GetData(type, 0)->motion[0]; }
    static int Damage(LIST_DATA* victim, LIST_DATA* attacker) {
        const int before = victim->meka->life;
        HIT_Damage(victim, attacker);
        return before - victim->meka->life;
    }
    // A kind-2 shot of the player's team firing weapon 0, drawn with mech type 0's sprite set.
    static LIST_DATA* Shot(LIST_DATA* owner, i32 x, i32 y) {
        EXPECT_EQ(TAMA_NewData(), 1);
        TAMA_PHASE& ph = TamaDataTbl[0]->phase[0];
        ph.charHits = ph.tamaHits = 255;
        ph.power = 100;
        ph.powerMin = 0;
        ph.combo = 0;
        ph.hitSound = 0;
        ph.hitEffect = 0;
        ph.knockAccum = 0;
        ph.hitRange = 63;
        LIST_DATA* s = OBJ_Alloc(OBJ_KIND_SHOT);
        s->team = owner->team;
        s->mekaNo = owner->mekaNo;
        s->owner = owner->index;
        s->tama->weapon = TamaDataTbl[0];
        s->tama->rangeType = 1;
        s->spr = i16(SPR_GetFreeSpr());
        EXPECT_EQ(SPR_CreateSpr(s->spr, 128, x, y, owner->meka->sprGrp, 0), 1);
        s->x = x;
        s->y = y;
        s->boxTop = 20;
        return s;
    }

};

TEST_F(Hit, DamageFormula) {
    LIST_DATA* a = Make(0, 0, MEKA_CTRL_PLAYER, 0, 100, 200);
    LIST_DATA* v = Make(1, 1, MEKA_CTRL_CPU, 1, 130, 200);
    struct Case {
        i16 stat1, gauge;
        u8 repeat;
        i16 power, minimum;
        i32 chain;
        int damage;
    };
    const Case cases[] = {
        {20, 0, 0, 100, 0, 0, 100},   {20, 130, 0, 100, 0, 0, 200}, {20, 0, 2, 100, 0, 0, 33},
        {40, 0, 0, 100, 0, 0, 150},   {20, 0, 0, 10, 16, 0, 16},    {20, 0, 0, 100, 0, 10, 90},
        {20, 130, 0, 100, 0, 10, 160}, {20, 0, 0, 0, 0, 0, 1},
    };
    for (const Case& c : cases) {
        a->meka->stat1 = c.stat1;
        a->meka->repeat = c.repeat;
        a->meka->chain = c.chain;
        v->meka->gauge = c.gauge;
        v->meka->life = MEKA_LIFE_UNITS;
        Motion(0).hitPower = c.power;
        Motion(0).hitMinDamage = c.minimum;
        Motion(0).chainAdd = 7;
        Motion(0).hitCount = 70;
        EXPECT_EQ(Damage(v, a), c.damage) << "power " << c.power << " stat1 " << c.stat1 << " gauge " << c.gauge;
        EXPECT_EQ(a->meka->chain, c.chain + 7);
        EXPECT_EQ(a->meka->hitDelay, 7);
    }
    EXPECT_EQ(a->meka->stepMark, 1);
    EXPECT_EQ(a->meka->wazaHitCnt, 8);
    // Half of it goes to the group's damage experience; the player's counters add up.
    EXPECT_EQ((Ints{GameData.exp[0].damage, a->meka->hitCnt, a->meka->hitDamage[0], a->meka->hitDamage[2]}),
              (Ints{50 + 100 + 16 + 75 + 8 + 45 + 80 + 0, 8, 750, 650}));
}

TEST_F(Hit, EnduranceAbsorbsOrGivesWay) {
    LIST_DATA* a = Make(0, 0, MEKA_CTRL_PLAYER, 0, 100, 200);
    LIST_DATA* v = Make(1, 1, MEKA_CTRL_CPU, 1, 130, 200);
    MEKA_WORK* m = v->meka;
    m->subAct = 1;  // in a technique frame
    Motion(1).frame[0].armourRate = 1;
    m->endure = 500;
    EXPECT_EQ(Damage(v, a), 12);
    EXPECT_EQ(m->endure, 400);
    EXPECT_EQ(m->act, 0);
    EXPECT_TRUE(m->freeze == 1 || m->freeze == 2);
    EXPECT_EQ(SPR_GetSpr(v->spr)->running, 0);
    ASSERT_EQ(test::LiveEffects().size(), 1u);
    EXPECT_EQ(test::LiveEffects()[0][0], HIT_EFT_ABSORB);

    // 2000 × 100 lies far below -32768: clamped there, and the hit is not absorbed.
    Motion(0).hitPower = 2000;
    Motion(1).frame[0].armourRate = 100;
    m->endure = 500;
    EXPECT_EQ(Damage(v, a), 2000);
    EXPECT_EQ(m->endure, -32768);

    // Byte 127, a negative byte, and no technique: -1, -2 (a forced hit state), -1.
    Motion(0).hitPower = 10;
    for (auto [rate, subAct, want, act] : {std::array<int, 4>{127, 1, -1, 0}, {-3, 1, -2, 6}, {5, 0, -1, 0}}) {
        MEKA_SetAct(v, 0);
        m->subAct = i16(subAct);
        Motion(1).frame[0].armourRate = i8(rate);
        m->endure = 500;
        HIT_Damage(v, a);
        EXPECT_EQ(m->endure, want) << rate;
        EXPECT_EQ(m->act, act) << rate;
    }
}

TEST_F(Hit, LifeCarriesThroughBars) {
    LIST_DATA* v = Make(1, 1, MEKA_CTRL_CPU, 1, 130, 200);
    ASSERT_EQ(PNL_Create(1, 1, 440, 436), 1);
    struct Case {
        i16 units, bars;
        i32 damage;
        i16 unitsAfter, barsAfter;
        int result;
        bool hud;
    };
    for (const Case& c : {Case{10, 0, 20, 0, -1, 1, true}, Case{100, 3, 5000, 1340, 0, 0, true},
                          Case{100, 3, 9000, 0, -1, 1, true}, Case{0, -1, 5, 0, -1, 2, false},
                          Case{2080, 2, 15, 2065, 2, 0, true}, Case{100, 2, 1, 99, 2, 0, false}}) {
        v->meka->life = c.units;
        v->meka->lifeBar = c.bars;
        PNL_SetDamageWait(1, 0);
        EXPECT_EQ(HIT_SubLife(v, v, c.damage), c.result) << c.units << " - " << c.damage;
        EXPECT_EQ(v->meka->life, c.unitsAfter) << c.units << " - " << c.damage;
        EXPECT_EQ(v->meka->lifeBar, c.barsAfter) << c.units << " - " << c.damage;
        EXPECT_EQ(PnlTbl[1].damageWait, c.hud ? 20 : 0) << c.units << " - " << c.damage;
    }
    // The HUD hears the units before the carry: 6 px lost, 306 px into the next bars, which shows the
    // carried bar's colour, the overflow clamped to one bar and a trail over both bars.
    PNL_ResetGauge(1);
    v->meka->life = 100;
    v->meka->lifeBar = 3;
    const int chips = PnlChipCnt;
    HIT_SubLife(v, v, 5000);
    EXPECT_EQ(PnlChipCnt, chips + 2);  // the lost 6 px and one overflow chip
    const PNL_DATA& p = PnlTbl[1];
    EXPECT_EQ(p.twoTrail, 1);
    EXPECT_EQ(p.life.src.left, 130);
    EXPECT_EQ(p.life.src.top, 5);  // bar count 0 after the hit
    EXPECT_EQ(p.damageB.src.left, 0);
}

TEST_F(Hit, FatalHitsBlowTheMechAwayWithALongerHitStop) {
    LoadSounds();
    LIST_DATA* a = Make(0, 0, MEKA_CTRL_PLAYER, 0, 100, 200);
    LIST_DATA* v = Make(1, 1, MEKA_CTRL_CPU, 1, 130, 200);
    Motion(0).hitPower = 20;
    Motion(0).hitStop = 2;
    Motion(0).knockSpeed = 9;
    Motion(0).blowZSpeed = 12;
    v->meka->life = 10;
    v->meka->lifeBar = 0;
    HIT_Damage(v, a);
    EXPECT_EQ((Ints{v->meka->life, v->meka->lifeBar, v->meka->act, v->flagA, v->flagB, v->zSpeed, v->meka->knockSpeed}),
              (Ints{0, -1, 7, 1, 100, 12, 9}));
    EXPECT_EQ((Ints{HitMarkSlot, HitStopCnt, SE_IsPlaying(HIT_SE_FATAL), BTL_GetState(0)}), (Ints{1, 10, 1, 6}));
    // The reaction reads the mech's own copy of the block.
    EXPECT_EQ(v->meka->lastHit.blowZSpeed, 12);

    // Hit again while already out: a shorter stop, the same sound.
    HitStopCnt = 0;
    HIT_Damage(v, a);
    EXPECT_EQ(HitStopCnt, 4);
}

TEST_F(Hit, QuakeAndHitStopOnlyWhenThePlayerTakesPart) {
    LIST_DATA* p = Make(0, 0, MEKA_CTRL_PLAYER, 0, 100, 200);
    LIST_DATA* v = Make(1, 1, MEKA_CTRL_CPU, 1, 130, 200);
    LIST_DATA* c = Make(2, 2, MEKA_CTRL_CPU, 2, 160, 200);
    Motion(0).hitStop = Motion(2).hitStop = 5;
    HIT_Damage(v, c);  // CPU against CPU
    EXPECT_EQ(HitStopCnt, 0);
    EXPECT_EQ(ScrQuake, 0);
    EXPECT_EQ(BTL_GetState(0), 5);
    HIT_Damage(v, p);
    EXPECT_EQ((Ints{HitStopCnt, HitSlowCnt, ScrQuake, BTL_GetState(0)}), (Ints{5, 5, 25, 6}));
    BTL_SetState(5);
    HIT_Damage(p, c);  // a CPU hitting the player
    EXPECT_EQ(BTL_GetState(0), 6);
}

TEST_F(Hit, TheScriptSceneLosesNoLifeAndInterruptsTheQueue) {
    LIST_DATA* a = Make(0, 0, MEKA_CTRL_PLAYER, 0, 100, 200);
    LIST_DATA* v = Make(3, 1, MEKA_CTRL_CPU, 1, 130, 200);
    Motion(0).forceReact = 1;
    Motion(0).hitStop = 3;
    SYS_SetSeq(5);
    EXPECT_EQ(Damage(v, a), 0);
    EXPECT_EQ(v->meka->act, 6);
    EXPECT_EQ((Ints{BscQueueTbl[3].cur, BscQueueTbl[3].saved, BscActCnt, ScrQuake, HitStopCnt, BTL_GetState(0)}),
              (Ints{BSC_INTERRUPTED, -1, 1, 25, 3, 5}));
}

TEST_F(Hit, DataBytesOutOfRangeStaySilentAndMakeNothing) {
    LoadSounds();
    LIST_DATA* a = Make(0, 0, MEKA_CTRL_PLAYER, 0, 100, 200);
    LIST_DATA* v = Make(1, 1, MEKA_CTRL_CPU, 1, 130, 200);
    WAZA_MOTION& mo = Motion(0);
    mo.hitSound = 200;
    mo.sparkEffect = 30;  // type 29
    mo.sparkCount = 62;   // two sparks
    HIT_Damage(v, a);
    for (int se = 0; se < kSeCount; se++) EXPECT_EQ(SE_IsPlaying(se), 0) << se;
    for (const auto& e : test::LiveEffects()) EXPECT_NE(e[0], 29);

    // A real spark type and sound: two sparks owned by the attacker, the sound plays.
    test::ClearEffects();
    mo.hitSound = 6;
    mo.sparkEffect = 4;
    HIT_Damage(v, a);
    int sparks = 0;
    for (const auto& e : test::LiveEffects()) sparks += e[0] == 3 && e[1] == a->index;
    EXPECT_EQ(sparks, 2);
    EXPECT_EQ(SE_IsPlaying(5), 1);
}

TEST_F(Hit, ARepeatedTimedStateLengthensItsFrames) {
    LIST_DATA* a = Make(0, 0, MEKA_CTRL_PLAYER, 0, 100, 200);
    LIST_DATA* v = Make(1, 1, MEKA_CTRL_CPU, 1, 130, 200);
    Motion(0).hitTimedState = 1;
    HIT_Damage(v, a);
    EXPECT_EQ(v->meka->timedState, 1);
    EXPECT_EQ(v->meka->timedFrames, 10);
    EXPECT_EQ(v->meka->shakePhase, 1);
    HIT_Damage(v, a);
    EXPECT_EQ(v->meka->timedFrames, 13);
    int flames = 0;
    for (const auto& e : test::LiveEffects()) flames += e[0] == HIT_EFT_TIMED;
    EXPECT_EQ(flames, 1);
}

// Each rectangle slot's height window, at its edges, and what a frame may not hit.
TEST_F(Hit, TechniqueFrameGeometry) {
    LIST_DATA* a = Make(0, 0, MEKA_CTRL_PLAYER, 0, 100, 200);
    LIST_DATA* v = Make(1, 1, MEKA_CTRL_CPU, 1, 130, 200);
    CurObj = a;
    // Windows with the attacker on the ground (upper edges) and 100 up (lower edges; the mech spans
    // z .. z + 90): 45 ± 8, 90 ± 12 and 0 ± 8 above the attacker.
    struct Case {
        int rect;
        i32 attackerZ, z;
        int hit;
    };
    for (const Case c : {Case{2, 0, 53, 1}, Case{2, 0, 54, 0}, Case{11, 0, 53, 1}, Case{4, 0, 102, 1}, Case{4, 0, 103, 0},
                         Case{12, 0, 102, 1}, Case{12, 0, 103, 0}, Case{1, 0, 8, 1}, Case{1, 0, 9, 0}, Case{10, 0, 8, 1},
                         Case{2, 100, 47, 1}, Case{2, 100, 46, 0}, Case{4, 100, 88, 1}, Case{4, 100, 87, 0},
                         Case{1, 100, 2, 1}, Case{10, 100, 1, 0}}) {
        Motion(0).frame[0].hitField = u16(1u << c.rect);
        a->z = c.attackerZ;
        v->z = c.z;
        EXPECT_EQ(HIT_Check(0, 0), c.hit) << "rectangle " << c.rect << " at heights " << c.attackerZ << ", " << c.z;
    }
    a->z = v->z = 0;
    // A downed mech: only the low rectangles, and only while its counter is below 10.
    MEKA_SetAct(v, 8);
    v->meka->actCnt[0] = 9;
    Motion(0).frame[0].hitField = 1u << 2;
    EXPECT_EQ(HIT_Check(0, 0), 0);
    Motion(0).frame[0].hitField = 1u << 1;
    EXPECT_EQ(HIT_Check(0, 0), 1);
    v->meka->actCnt[0] = 10;
    EXPECT_EQ(HIT_Check(0, 0), 0);
    MEKA_SetAct(v, 0);
    EXPECT_EQ(HIT_Check(0, 1u << 1), 0);  // slot mask
    v->meka->actStep = 99;                 // out of play
    EXPECT_EQ(HIT_Check(0, 0), 0);
    v->meka->actStep = 0;
    v->team = 0;
    EXPECT_EQ(HIT_Check(0, 0), 0);
    v->team = 1;
    BTL_SetState(4);  // the fight start
    EXPECT_EQ(HIT_Check(0, 0), 0);
    BTL_SetState(5);
    a->meka->waza = 5;  // not below the technique count: no frame runs
    EXPECT_EQ(HIT_Check(0, 0), 0);
}

TEST_F(Hit, BudgetsAndTheHitMask) {
    LIST_DATA* a = Make(0, 0, MEKA_CTRL_PLAYER, 0, 100, 200);
    Make(2, 1, MEKA_CTRL_CPU, 1, 130, 200);
    Make(5, 1, MEKA_CTRL_CPU, 1, 130, 210);
    for (int slot : {2, 5}) MekaSlotTbl[slot]->meka->lifeBar = 20;
    CurObj = a;
    Motion(0).mekaHitLimit = 2;
    a->meka->mekaHits = 2;
    HIT_ClearFlag();
    EXPECT_EQ(HIT_Check(1, 0), 1);
    EXPECT_EQ(HIT_GetFlag(), 0x24u);
    EXPECT_EQ(a->meka->mekaHits, 1);  // two mechs hit, lowered once
    EXPECT_EQ(HIT_Check(1, 0), 1);
    EXPECT_EQ(HIT_Check(1, 0), 0);
    Motion(0).mekaHitLimit = 255;
    for (int i = 0; i < 5; i++) EXPECT_EQ(HIT_Check(1, 0), 1);
    // Test mode uses up budgets too.
    Motion(0).mekaHitLimit = 1;
    a->meka->mekaHits = 1;
    EXPECT_EQ(HIT_Check(0, 0), 1);
    EXPECT_EQ(HIT_Check(0, 0), 0);
}

TEST_F(Hit, ChanceCounts) {
    int r = 0;
    plat::SetRandSource([&] { return r; });
    struct Case {
        int code, rand, count;
    };
    for (const Case c : {Case{0, 0, 64}, Case{63, 0, 1}, Case{64, 0, 0}, Case{64, 1, 1}, Case{95, 2, 0}, Case{95, 1, 1},
                         Case{96, 3, 1}, Case{96, 1, 0}, Case{127, 34, 1}, Case{127, 33, 0}}) {
        r = c.rand;
        EXPECT_EQ(HIT_CheckChance(c.code), c.count) << c.code << " rand " << c.rand;
    }
}

TEST_F(Hit, ShotsDamageByTheirPhaseAndTheirMech) {
    LIST_DATA* p = Make(0, 0, MEKA_CTRL_PLAYER, 0, 100, 200);
    LIST_DATA* v = Make(1, 1, MEKA_CTRL_CPU, 1, 130, 200);
    LIST_DATA* s = Shot(p, 100, 200);
    TAMA_PHASE& ph = TamaDataTbl[0]->phase[0];
    p->meka->stat1 = 0;  // a shot-range weapon rates by stat 4 (20: 100 %)
    s->tama->combo = 30;
    p->meka->chain = 10;
    ph.combo = 4;
    ph.hitRange = 70;
    EXPECT_EQ(Damage(v, s), 70);
    EXPECT_EQ(p->meka->chain, 14);
    EXPECT_EQ(s->tama->hitPause, 7);
    // Heights: the shot spans z .. z + 20, the mech 0 .. 90.
    CurObj = s;
    s->z = 90;
    EXPECT_EQ(HIT_Check(0, 0), 1);
    s->z = 91;
    EXPECT_EQ(HIT_Check(0, 0), 0);
    // Its mech gone: the combo snapshot alone, at rate 50.
    MEKA_Delete(0);
    v->meka->life = MEKA_LIFE_UNITS;
    EXPECT_EQ(Damage(v, s), 20);
}

TEST_F(Hit, AFrameStrikingAShotCountsAWeaponHit) {
    LoadSounds();
    LIST_DATA* a = Make(0, 0, MEKA_CTRL_PLAYER, 0, 100, 200);
    LIST_DATA* v = Make(1, 1, MEKA_CTRL_CPU, 1, 400, 200);
    LIST_DATA* s = Shot(v, 130, 200);
    s->hitBox = RECT{-8, -8, 8, 8};
    s->boxHeight = 60;
    CurObj = a;
    Motion(0).hitCount = 66;
    EXPECT_EQ((Ints{HIT_Check(1, 0), s->tama->struck, a->meka->wazaHitCnt, a->meka->hitDelay,
                    SE_IsPlaying(HIT_SE_WEAPON)}),
              (Ints{2, 1, 1, 3, 1}));
    ASSERT_FALSE(test::LiveEffects().empty());
    EXPECT_EQ(test::LiveEffects().back(), (std::array<int, 5>{HIT_EFT_ABSORB, -1, 115, 200, 0}));
}

// A fight on an open map: the attacker's frame hits every call until the victim's last bar is gone.
TEST_F(Hit, AFightToTheLastBar) {
    OpenBlankMap(40, 40, 0);
    LIST_DATA* a = Make(0, 0, MEKA_CTRL_PLAYER, 0, 300, 300);
    LIST_DATA* v = Make(1, 1, MEKA_CTRL_CPU, 1, 330, 300);
    Motion(0).hitPower = 120;
    Motion(0).hitStop = 2;
    Motion(0).forceReact = 1;
    v->meka->lifeBar = 1;
    CurObj = a;
    struct Entry {
        int life, bars, act, state, quake;
    };
    std::vector<Entry> log;
    for (int call = 0; call < 60 && v->meka->lifeBar >= 0; call++) {
        BTL_SetState(5);
        ScrQuake = 0;
        ASSERT_EQ(HIT_Check(1, 0), 1) << call;
        log.push_back({v->meka->life, v->meka->lifeBar, v->meka->act, BTL_GetState(0), ScrQuake});
    }
    ASSERT_EQ(log.size(), 35u);
    EXPECT_EQ(log[0].life, 1960);
    EXPECT_EQ(log[16].life, 40);
    EXPECT_EQ(log[16].bars, 1);
    EXPECT_EQ(log[17].life, 2000);  // 40 - 120 carried into the last bar
    EXPECT_EQ(log[17].bars, 0);
    for (std::size_t i = 0; i + 1 < log.size(); i++) {
        EXPECT_EQ(log[i].act, 6) << i;
        EXPECT_EQ(log[i].state, 6) << i;
        EXPECT_EQ(log[i].quake, 30) << i;  // max(120 / 4, 1)
    }
    EXPECT_EQ((Ints{log.back().bars, log.back().life, log.back().act, HitMarkSlot, HitStopCnt}),
              (Ints{-1, 0, 7, 1, 10}));
}

}  // namespace

namespace {

// Every byte of a motion's and a phase's hit block lands where the block's layout puts it (the block's
// C++ offsets equal its file offsets, and the test host is little-endian).
TEST(HitParam, ReadsMotionAndPhaseBlocksAtTheirFileOffsets) {
    u8 bytes[WAZA_FILE_SIZE];
    for (int i = 0; i < WAZA_FILE_SIZE; i++) bytes[i] = u8(i * 7 + 3);
    WAZA_DATA waza{};
    WAZA_ReadRecord(bytes, &waza);
    const HIT_PARAM m = HIT_GetParam(&waza.motion[2]);
    EXPECT_EQ(std::memcmp(&m, bytes + 146 + 2 * 256 + 192, sizeof m), 0);
    EXPECT_EQ(HIT_GetChainAdd(m), waza.motion[2].chainAdd);
    EXPECT_EQ(HIT_GetSound(m), waza.motion[2].hitSound - 1);

    u8 tb[TAMA_FILE_SIZE];
    for (int i = 0; i < TAMA_FILE_SIZE; i++) tb[i] = u8(i * 5 + 1);
    TAMA_DATA tama{};
    TAMA_ReadRecord(tb, &tama);
    const HIT_PARAM p = HIT_GetParam(&tama.phase[1]);
    EXPECT_EQ(std::memcmp(&p, tb + 44 + 344 + 278, sizeof p), 0);
    EXPECT_EQ(HIT_GetEffectChance(p), tama.phase[1].cancelScale);
}

}  // namespace
