// A battle for the technique and action-state tests: a blank open map, mech sprite sets with chosen
// sequences, technique files built from new records, the battle key device filled by the test,
// every sound effect loaded and a seeded generator. Frames are run as the play step runs them.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "battle/battle.h"
#include "battle/data/meka_type.h"
#include "battle/map/map.h"
#include "battle/meka/meka.h"
#include "battle/meka/meka_act.h"
#include "battle/meka/waza.h"
#include "battle/object/obj.h"
#include "graphics/sprite/spr.h"
#include "platform/random.h"
#include "screens/save/save.h"
#include "shell/input/key.h"
#include "shell/math.h"
#include "shell/sound/sound.h"
#include "test_support.h"
#include "tests/battle/battle_env.h"
#include "tools/writers/battle_data_writer.h"
#include "tools/writers/byte_writer.h"
#include "tools/writers/meka_set_writer.h"

namespace test {

constexpr int kPlayerType = 0;
constexpr int kCpuType = 1;

class MekaDrive : public BattleEnv {
protected:
    void SetUp() override {
        tools::SprSetDef set = tools::SimpleMekaSet("player");
        for (tools::SprPageDef& page : set.pages) page.hit[2] = RECT{-120, -90, 120, 0};  // the attack
        // Sequence 20: steps of 3 and 1; 21: one step; 22: four steps of 0.
        set.seqs[20] = {{0, 3}, {0, 1}};
        set.seqs[21] = {{0, 5}};
        set.seqs[22] = {{0, 0}, {0, 0}, {0, 0}, {0, 0}};
        for (int type : {kPlayerType, kCpuType}) {
            set.images = {MekaNameTbl[type]};
            ASSERT_TRUE(tools::SaveMekaSet(dir_.path(), MekaNameTbl[type], set));
        }
        BattleEnv::SetUp();
        MATH_SetShift(16);
        LoadSounds(4000);
        SAVE_InitGameData();
        FightOver = 0;
        CutInTbl[0] = CutInTbl[1] = -1;
        SysKey = KEY_DEVICE{};
        SysKey.source = KEY_SOURCE_KEYBOARD;
        PadHistIndex = 0;
        plat::SRand(7);
        OpenBlankMap(80, 60, 0);
    }
    void TearDown() override {
        CurWaza = nullptr;
        CurMotion = nullptr;
        CurFrame = nullptr;
        BattleEnv::TearDown();
    }

    // A new record whose motion 0 plays frame 0 of animation `anim` for wait `wait` (mode 0).
    static WAZA_DATA Tech(int waitMode = 0, int wait = 2, int anim = 20) {
        WAZA_DATA w = tools::NewWaza();
        w.cost = 0;
        w.airFlag = 1;
        for (WAZA_MOTION& mo : w.motion) {
            mo.frame[0].anim = u8(anim);
            mo.frame[0].waitMode = u8(waitMode);
            mo.frame[0].wait = i16(wait);
            mo.mekaHitLimit = 255;
            mo.shotHitLimit = 255;
        }
        return w;
    }
    void WriteWaz(int type, const std::vector<WAZA_DATA>& records) {
        ASSERT_TRUE(tools::SaveFile(dir_.File(std::string("Dat/") + MekaNameTbl[type] + ".waz"), tools::WazFile(records)));
    }
    // The player in slot 0 and a CPU mech in slot 1, aiming at each other.
    void MakePair(i32 px = 400, i32 py = 400, i32 cx = 480, i32 cy = 400) {
        ASSERT_EQ(MEKA_Create(0, 0, MEKA_CTRL_PLAYER, kPlayerType, px, py), 1);
        ASSERT_EQ(MEKA_Create(1, 1, MEKA_CTRL_CPU, kCpuType, cx, cy), 1);
        player_ = MekaSlotTbl[0];
        cpu_ = MekaSlotTbl[1];
        player_->target = cpu_->index;
        cpu_->target = player_->index;
    }
    // One read of the key device as KEY_Renew makes it.
    static void Key(u16 current) {
        SysKey.trigger = u16(current & ~SysKey.current);
        SysKey.release = u16(SysKey.current & ~current);
        SysKey.current = current;
        SysKey.historyIndex = (SysKey.historyIndex + 1) % KEY_HISTORY_COUNT;
        SysKey.history[SysKey.historyIndex] = current;
    }
    // One play frame: the walk with the mech driver.
    static void Frame(u16 keys) {
        Key(keys);
        const OBJ_RENEW_FUNC funcs[OBJ_KIND_COUNT] = {MEKA_Renew, nullptr, nullptr, nullptr, nullptr, nullptr};
        OBJ_RenewAll(funcs);
    }
    // Starts technique n on the player as the driver would.
    int Start(int n) {
        CurObj = player_;
        CurMeka = player_->meka;
        return WAZA_Start(player_, n);
    }
    // One technique frame of the player's sub-state; every frame's animation has ended.
    static void SubFrame(LIST_DATA* obj) {
        MEKA_WORK* m = obj->meka;
        CurObj = obj;
        CurMeka = m;
        m->frameDone = 1;
        int g = 0;
        if (m->subAct == 1 || m->subAct == 2) MekaSubActTbl[m->subAct](&g);
    }

    LIST_DATA* player_ = nullptr;
    LIST_DATA* cpu_ = nullptr;
};

}  // namespace test
