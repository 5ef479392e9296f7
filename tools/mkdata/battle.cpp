// What a survival battle reads: the player's and three CPU types' mech sets, technique and CPU files,
// stage map 0 with its chip sheet and background objects.
#include <string>
#include <vector>

#include "battle/data/cpu_data.h"
#include "battle/data/meka_type.h"
#include "tools/mkdata/mkdata.h"
#include "tools/writers/battle_data_writer.h"
#include "tools/writers/byte_writer.h"
#include "tools/writers/grp_writer.h"
#include "tools/writers/map_writer.h"
#include "tools/writers/meka_set_writer.h"

namespace mkdata {

namespace {

constexpr int kCpuTypes[] = {4, 7, 5};  // the survival line-up's first types
constexpr int kPlayerTechniques = 90;
constexpr u16 kMapW = 100;
constexpr u16 kMapH = 80;

// Every page carries the rectangles the battle reads: attack (1, 2), the box and footprint, the
// shot mouth (5, 6), and the spots of sparks and debris.
tools::SprSetDef MekaSet(const std::string& stem) {
    tools::SprSetDef set = tools::SimpleMekaSet(stem);
    for (tools::SprPageDef& page : set.pages) {
        page.hit[1] = RECT{-40, -90, 40, 0};
        page.hit[2] = RECT{-90, -90, 90, 10};
        page.hit[5] = RECT{20, -60, 24, -56};
        page.hit[6] = RECT{-24, -60, -20, -56};
        for (int n : {10, 11, 12}) page.hit[n] = RECT{-8, -70, 8, -50};
        page.hit[14] = RECT{-24, -80, 24, -10};
        page.hit[15] = RECT{-16, -60, 16, -20};
    }
    for (int seq = 0; seq < 32; seq++) set.seqs[std::size_t(seq)] = {{0, 3}, {0, 3}};
    set.seqs[2].assign(8, tools::SprStepDef{0, 2});  // the walk
    return set;
}

// A melee strike on motion 0, or a shot of the weapon; the strike's hit makes a short hit-stop.
WAZA_DATA Technique(int n) {
    WAZA_DATA w = tools::NewWaza();
    w.cost = 0;
    w.airFlag = 1;
    WAZA_MOTION& mo = w.motion[0];
    mo.frame[0].anim = u8(20 + n % 4);
    mo.frame[0].wait = 8;
    mo.frame[0].hitField = 1u << 2;  // the attack rectangle
    mo.mekaHitLimit = 1;
    mo.shotHitLimit = 255;
    mo.hitPower = i16(120 + 10 * (n % 5));
    mo.hitMinDamage = 20;
    mo.hitStop = 3;
    mo.knockSpeed = 6;
    mo.reactTime = 12;
    mo.sparkEffect = 1;
    mo.sparkCount = 3;
    mo.hitSound = 6;
    const int row = (n / 3) % 4;  // the equipment grid's rows: 0 and 1 near, 2 and 3 far
    if (row >= 2) {
        mo.fire.weapon = i16(n % 4 == 2 ? 0 : n % 4);  // the straight shot, the bomb, the beam
        mo.fire.startMask = 1;
        mo.fire.rangeType = 1;
        mo.fire.interval = 4;
        mo.fire.shots = 1;
        mo.fire.loops = 2;
        mo.hitPower = 0;
    }
    if (n == 9) mo.cutIn = 1;  // a special technique with its cut-in
    if (n % 3 == 2) mo.velocityMode = 1, mo.speed = 12;  // dash strikes
    return w;
}

bool BuildMap(const std::string& dir) {
    tools::MapDef map;
    map.width = kMapW;
    map.height = kMapH;
    const std::size_t n = std::size_t(kMapW) * kMapH;
    map.chips.resize(n);
    map.objs.assign(n, 0);
    map.attrA.assign(n, 0);
    map.attrB.assign(n, 0);
    for (u16 y = 0; y < kMapH; y++)
        for (u16 x = 0; x < kMapW; x++) {
            const std::size_t at = std::size_t(y) * kMapW + x;
            const bool border = x == 0 || y == 0 || x == kMapW - 1 || y == kMapH - 1;
            const bool block = (x / 6) % 4 == 3 && (y / 6) % 4 == 3 && x % 6 < 2 && y % 6 < 2;
            map.chips[at] = u16(border || block ? 2 : (x + y) % 2);
            map.attrA[at] = border || block ? 1 : 0;
        }
    // Trees the mechs pass behind, one near (800, 600).
    for (auto [x, y] : {std::pair{50, 38}, {20, 20}, {70, 30}, {30, 60}, {80, 65}}) map.objs[std::size_t(y) * kMapW + x] = 1;
    const tools::CspDef tree{0, 0, 48, 96, 24, 96};

    const std::string base = dir + "/Bmp/Map/00_0_L";
    auto chips = [](u32 x, u32 y) -> u16 {
        const u32 chip = x / 16;
        if (chip == 2) return u16(0x294A + ((x ^ y) & 4 ? 0x0421 : 0));  // wall
        return u16(chip ? 0x0200 + ((y / 4) % 2) * 0x0020 : 0x0180 + ((x / 4 + y / 4) % 2) * 0x0040);
    };
    auto tree_ = [](u32 x, u32 y) -> u16 {
        const int dx = int(x) - 24;
        if (y < 60) return dx * dx + (int(y) - 30) * (int(y) - 30) < 22 * 22 ? u16(0x0160 + (y % 8) * 0x20) : 0;
        return dx > -5 && dx < 5 ? u16(0x2885) : 0;
    };
    return tools::SaveFile(base + ".map", tools::MapBytes(map)) &&
           tools::SaveGrp(base + "_f.grp", tools::Grp16(640, 16, chips), true) &&
           tools::SaveGrp(base + "_o.grp", tools::Grp16(48, 96, tree_), true) &&
           tools::SaveFile(base + "_o.csp", tools::CspBytes({tree}));
}

}  // namespace

bool BuildBattle(const std::string& dataDir, std::string* error) {
    auto fail = [&](const std::string& what) {
        *error = "cannot write " + what;
        return false;
    };
    if (!tools::SaveMekaSet(dataDir, MekaNameTbl[0], MekaSet(MekaNameTbl[0]))) return fail("the player's mech set");
    std::vector<WAZA_DATA> player;
    for (int n = 0; n < kPlayerTechniques; n++) player.push_back(Technique(n));
    if (!tools::SaveFile(dataDir + "/Dat/player.waz", tools::WazFile(player))) return fail("Dat/player.waz");

    for (int type : kCpuTypes) {
        const std::string stem = MekaNameTbl[type];
        if (!tools::SaveMekaSet(dataDir, stem, MekaSet(stem))) return fail(stem + ".spr");
        if (!tools::SaveFile(dataDir + "/Dat/" + stem + ".waz", tools::WazFile({Technique(0), Technique(6)})))
            return fail(stem + ".waz");
        CPU_DATA cpu = tools::NewCpu();
        const i8 moves[] = {0, 1, 1, 2, 3, 4, 5};  // stand, walk toward, wander, boost, the three dashes
        for (std::size_t i = 0; i < sizeof(moves); i++) {
            cpu.mode[i].move = moves[i];
            cpu.mode[i].dirKind = i == 2 ? 2 : 0;
            cpu.mode[i].time = 20;
            cpu.mode[i].chance = 300;
            cpu.mode[i].atkChance = 60;
        }
        for (int k = 0; k < 2; k++) {
            CPU_ATK& a = cpu.group[0].atk[k];
            a.waza = i16(k);
            a.chance = 400;
            a.rangeMax = k ? 600 : 140;
            a.time = 10;
        }
        cpu.counter[0].type = 1;  // the player's first group: step aside
        cpu.counter[0].action = 6;
        cpu.counter[0].chance = 300;
        std::vector<u8> bytes = tools::CpuFile(cpu);
        if (!tools::SaveFile(dataDir + "/Dat/" + stem + ".cpu", bytes)) return fail(stem + ".cpu");
    }
    if (!BuildMap(dataDir)) return fail("stage map 0");
    return true;
}

}  // namespace mkdata
