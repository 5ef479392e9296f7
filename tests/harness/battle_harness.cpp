#include "tests/harness/battle_harness.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "battle/battle.h"
#include "battle/btl_draw.h"
#include "battle/effect/eft.h"
#include "battle/map/cam.h"
#include "battle/map/map.h"
#include "battle/map/scr.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "battle/panel/pnl.h"
#include "battle/tama/tama.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "platform/random.h"
#include "screens/btl/btl.h"
#include "screens/save/save.h"
#include "screens/screens.h"
#include "shell/input/cur.h"
#include "shell/sound/sound.h"

namespace harness {

namespace {

constexpr i32 kPlayerX = 760, kPlayerY = 640;

u32 RandSeed = 1;

int CountedRand() {
    RandSeed = RandSeed * 214013u + 2531011u;
    return int((RandSeed >> 16) & 0x7FFF);
}

}  // namespace

u32 BackBufferSum() {
    plat::SurfaceDesc d{};
    if (SURF_Lock(DispBackBuffer, &d) != 0) return 0;
    u32 sum = 0;
    for (u32 y = 0; y < u32(d.height); y++) {
        const u8* row = static_cast<const u8*>(d.pixels) + std::size_t(y) * d.pitch;
        for (u32 x = 0; x < u32(d.width) * 2; x++) sum = sum * 31u + row[x];
    }
    SURF_Unlock(DispBackBuffer);
    return sum;
}

void SeedRandom(u32 seed) {
    RandSeed = seed;
    plat::SetRandSource(CountedRand);
}

void RestoreRandom() { plat::SetRandSource({}); }

u32 RandomState() { return RandSeed; }

void SetupBattle(const std::vector<int>& cpuTypes) {
    // What an earlier battle of the same process leaves behind.
    ScrQuake = ScrQuakeOfs = 0;
    ScrQuakeCnt = 0;
    HitSlowCnt = HitStopCnt = 0;
    CUR_Show(0);  // as the battle mode's first state
    SAVE_InitGameData();
    BtlBattleType = 1;
    OBJ_Init();
    BTL_ResetBattleWork();
    EFT_Init();
    PNL_Init();
    MAP_Open(0, 0, 0);
    MEKA_Create(0, 0, MEKA_CTRL_PLAYER, 0, kPlayerX, kPlayerY);
    for (std::size_t n = 0; n < cpuTypes.size() && n + 1 < std::size_t(MEKA_SLOT_MAX); n++)
        MEKA_Create(int(n + 1), 1, MEKA_CTRL_CPU, cpuTypes[n], kPlayerX + 240 + 40 * int(n % 3), kPlayerY - 80 + 60 * int(n));
    for (int slot = 0; slot < MEKA_SLOT_MAX; slot++)
        if (LIST_DATA* obj = MEKA_GetSlot(slot)) MEKA_SelectTarget(obj, 0, slot ? 0 : 1);
    PNL_InitAll();
    PNL_CreateSlotPanel(8, 8);
    PNL_CreateCountPopup();
    PNL_CreateMarker();
    LIST_DATA* player = MEKA_GetSlot(0);
    if (player) CAM_SetPos(player->x, player->y);
    CAM_Setup(CAM_MODE_FOLLOW, player, MEKA_GetSlot(1));
    CAM_SetSpeed(0, 1, 16);
    CAM_SetLimit(120, 80);
    // The map is drawn at the centre just set: the scroll follows only the centre's later moves.
    SCR_Redraw(CamData.x, CamData.y);
    BtlPhaseCnt = 0;
    BTL_SetState(5);
}

void TeardownBattle() {
    BTL_ReleaseBattle();
    BtlState = BtlPrevState = BtlFrameState = 0;
}

void ApplyInput(plat::FakeInputBackend& input, const std::vector<HeldKey>& script, int frame) {
    for (const HeldKey& k : script) input.Let(k.dik);
    for (const HeldKey& k : script)
        if (frame >= k.from && frame <= k.to) input.Press(k.dik);
}

std::string FrameLine(int frame) {
    int kinds[OBJ_KIND_COUNT] = {};
    for (int i = ObjActHead; i >= 0; i = ObjTbl[i]->next)
        if (ObjTbl[i]->kind >= 0 && ObjTbl[i]->kind < OBJ_KIND_COUNT) kinds[ObjTbl[i]->kind]++;
    char buf[256];
    std::snprintf(buf, sizeof(buf), "%d st=%d over=%d hs=%d/%d cam=%d,%d obj=%d,%d,%d,%d,%d,%d rnd=%08x", frame,
                  BtlState, FightOver, HitSlowCnt, HitStopCnt, CamData.x, CamData.y, kinds[0], kinds[1], kinds[2],
                  kinds[3], kinds[4], kinds[5], RandSeed);
    std::string line = buf;
    for (int slot = 0; slot < MEKA_SLOT_MAX; slot++) {
        const LIST_DATA* o = MEKA_GetSlot(slot);
        if (!o || !o->meka) continue;
        const MEKA_WORK* m = o->meka;
        std::snprintf(buf, sizeof(buf), " | %d:%d,%d,%d a%d s%d w%d l%d/%d g%d", slot, o->x, o->y, o->z, m->act, m->subAct,
                      m->waza, m->lifeBar, m->life, m->gauge);
        line += buf;
    }
    if (frame % 30 == 0) {
        std::snprintf(buf, sizeof(buf), " pic=%08x", BackBufferSum());
        line += buf;
    }
    return line;
}

RunResult RunBattle(plat::FakeInputBackend& input, const std::vector<HeldKey>& script, u32 seed, int maxFrames) {
    RunResult r;
    SeedRandom(seed);
    for (int frame = 0; frame < maxFrames; frame++) {
        ApplyInput(input, script, frame);
        BTL_Loop();
        BTL_Draw();
        if (std::find(r.statesSeen.begin(), r.statesSeen.end(), BtlState) == r.statesSeen.end())
            r.statesSeen.push_back(BtlState);
        r.log.push_back(FrameLine(frame));
        r.frames = frame + 1;
        if (BtlState == 17 || BtlState == 19) break;
    }
    r.endState = BtlState;
    for (const HeldKey& k : script) input.Let(k.dik);
    RestoreRandom();
    return r;
}

GoldenCheck CheckGolden(const std::string& path, const std::vector<std::string>& log) {
    GoldenCheck c;
    if (const char* update = std::getenv("KORVANE_UPDATE_GOLDEN"); update && std::string(update) == "1") {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        for (const std::string& line : log) out << line << '\n';
        out.close();
        c.written = bool(out);
        if (!c.written) c.error = "cannot write " + path;
        return c;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        c.error = "cannot read " + path + " (KORVANE_UPDATE_GOLDEN=1 writes it)";
        return c;
    }
    std::string line;
    std::size_t n = 0;
    for (; std::getline(in, line); n++) {
        if (n >= log.size() || log[n] != line) {
            c.firstDiff = int(n);
            c.want = line;
            c.got = n < log.size() ? log[n] : "";
            return c;
        }
    }
    if (n < log.size()) {
        c.firstDiff = int(n);
        c.got = log[n];
    }
    return c;
}

}  // namespace harness
