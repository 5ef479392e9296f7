// A battle for the weapon tests: the technique fixture's map and mechs (mech boxes 5 and 6 at known
// offsets, technique 0 holding its launchers), an effect set that shots draw from (40 facings, box 2
// around the centre, box 8 a link point 12 pixels along the page's facing), weapon records made in memory, and frames
// run through the pool's walk with launchers and shots only.
#pragma once
#include <vector>

#include "battle/data/tama_data.h"
#include "battle/effect/eft.h"
#include "battle/meka/hit.h"
#include "battle/tama/tama.h"
#include "screens/btl/btl.h"
#include "shell/common.h"
#include "shell/sys.h"
#include "tests/battle/meka/meka_drive.h"
#include "tools/writers/spr_writer.h"

namespace test {

constexpr RECT kBox5{10, -30, 12, -20};   // fires from (x + 10, y - 20, z + 10)
constexpr RECT kBox6{-10, -30, -8, -20};  // fires from (x - 10, y - 20, z + 10)

class TamaFixture : public MekaDrive {
protected:
    void SetUp() override {
        MekaDrive::SetUp();
        tools::SprSetDef mech = tools::SimpleMekaSet("player");
        for (tools::SprPageDef& page : mech.pages) {
            page.hit[5] = kBox5;
            page.hit[6] = kBox6;
        }
        for (int type : {kPlayerType, kCpuType}) {
            mech.images = {MekaNameTbl[type]};
            ASSERT_TRUE(tools::SaveMekaSet(dir_.path(), MekaNameTbl[type], mech));
            WriteWaz(type, {Tech(4)});
        }
        tools::SprSetDef eft = tools::SimpleMekaSet("effect");
        eft.pages.resize(TAMA_LSR_DIRS, eft.pages[0]);
        for (int f = 0; f < TAMA_LSR_DIRS; f++) {
            tools::SprPageDef& page = eft.pages[std::size_t(f)];
            page.hit = {};
            page.hit[2] = RECT{-4, -4, 4, 4};
            const POINT p = Link(f);
            page.hit[8] = RECT{p.x, p.y, p.x, p.y};
        }
        eft.seqs[0] = {{0, 0}};
        eft.seqs[1] = {{0, 1}, {0, 3}, {0, 5}};
        eft.seqs[2].assign(200, tools::SprStepDef{0, 2});
        eft.seqs[3] = {{0, 7}};
        ASSERT_TRUE(tools::SaveMekaSet(dir_.path(), "effect", eft));
        EftSprGrpNo = SPR_GetFreeSprGrp();
        ASSERT_EQ(SPR_LoadSprGrp(EftSprGrpNo, MakeFilePath("Bmp\\Meka\\effect.spr"), 0), 1);
        TAMA_ClearData();
        TamaLnchCnt = 0;
        TamaShotCnt = 0;
        SYS_SetSeq(4);
        BTL_SetState(5);
        BTL_SetState(5);
    }
    void TearDown() override {
        TAMA_ClearData();
        EftSprGrpNo = -1;
        SYS_SetSeq(0);
        MekaDrive::TearDown();
    }

    // The tail point of a laser member facing f (sectors of 9 degrees from "down").
    static POINT Link(int f) {
        i32 vx, vy;
        MATH_GetAngleVec(f * 9, &vx, &vy);
        return POINT{i32((i64(vx) * 12 + 32768) >> 16), i32((i64(vy) * 12 + 32768) >> 16)};
    }
    // Back to an empty battle between the cases of a table.
    void Reset() {
        for (LIST_DATA* o : Live(OBJ_KIND_LAUNCHER)) TAMA_DeleteLauncher(o);
        for (LIST_DATA* o : Live(OBJ_KIND_SHOT)) TAMA_DeleteShot(o);
        for (int slot = 0; slot < MEKA_SLOT_MAX; slot++) MEKA_Delete(slot);
        TAMA_ClearData();
        BtlStandIn = BTL_STANDIN_LOG{};
        plat::SRand(7);
    }
    // A new weapon whose phase 0 is a straight missile living 100 frames with no hits to deal.
    static TAMA_DATA* NewWeapon() {
        EXPECT_EQ(TAMA_NewData(), 1);
        TAMA_DATA* d = TamaDataTbl[TamaDataCount - 1];
        for (TAMA_PHASE& ph : d->phase) {
            ph.step[0].duration = 100;
            ph.step[0].timing = 2;
        }
        return d;
    }
    static TAMA_PHASE& Phase(int weapon, int n = 0) { return TamaDataTbl[weapon]->phase[n]; }

    // The player's technique 0, motion 0: a launcher held while the mech stays in its frame.
    static TAMA_FIRE& Fire() { return WAZA_GetData(kPlayerType, 0)->motion[0].fire; }
    void MakeHeld(i32 px = 400, i32 py = 400, i32 cx = 600, i32 cy = 400) {
        MakePair(px, py, cx, cy);
        MEKA_WORK* m = player_->meka;
        m->subAct = 2;
        m->waza = 0;
        m->motion = 0;
        m->frame = 0;
        TAMA_FIRE& f = Fire();
        TAMA_SetNewFire(&f);
        f.weapon = 0;
        f.holdMask = 0xffff;
        f.targetMode = 3;
    }
    LIST_DATA* Launch() { return OBJ_Get(TAMA_CreateLauncher(player_, &Fire())); }

    // One battle frame for launchers and shots.
    static void Frame(int n = 1) {
        const OBJ_RENEW_FUNC funcs[OBJ_KIND_COUNT] = {nullptr, TAMA_RenewLauncher, TAMA_RenewShot,
                                                      nullptr, nullptr,            nullptr};
        for (int i = 0; i < n; i++) OBJ_RenewAll(funcs);
    }
    static std::vector<LIST_DATA*> Live(int kind) {
        std::vector<LIST_DATA*> out;
        for (LIST_DATA* o = OBJ_Get(ObjActHead); o; o = OBJ_Get(o->next))
            if (o->kind == kind) out.push_back(o);
        return out;
    }
    static std::vector<LIST_DATA*> Shots() { return Live(OBJ_KIND_SHOT); }
    // A shot of the weapon made directly (no launcher) at (x, y) heading toward (tx, ty).
    LIST_DATA* MakeShot(int weapon, i32 x, i32 y, i32 tx, i32 ty, i32 z = 0) {
        return OBJ_Get(TAMA_CreateShot(weapon, player_, x, y, z, x, y, z, tx, ty, z, 6));
    }
    // The heading of a shot in whole degrees counted from "down".
    static int Heading(const LIST_DATA* s) { return MATH_GetVecSector(1, s->vx16, s->vy16); }
};

}  // namespace test
