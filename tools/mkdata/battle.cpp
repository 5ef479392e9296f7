// What a battle reads: the mech sets of the player and of the 13 enemy types of the survival line-up,
// their technique and CPU files, and stage map 0 with its chip sheet and background objects.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "battle/data/cpu_data.h"
#include "battle/data/meka_type.h"
#include "platform/encoding.h"
#include "screens/survival/svv.h"
#include "tools/mkdata/mkdata.h"
#include "tools/mkdata/picture.h"
#include "tools/writers/battle_data_writer.h"
#include "tools/writers/byte_writer.h"
#include "tools/writers/map_writer.h"
#include "tools/writers/meka_set_writer.h"

namespace mkdata {

namespace {

constexpr int kPlayerTechniques = 90;
constexpr u16 kMapW = 100;
constexpr u16 kMapH = 80;

// Weapons of "Dat\Tama.dat" (weapons.cpp).
constexpr i16 kShot = 0, kLaser = 2, kMissile = 4;
bool IsLaser(i16 weapon) { return weapon == kLaser || weapon == 10 || weapon == 11; }
// What the volleys off the equipment grid fire, in turn: the other weapons.
constexpr i16 kVolleyWeapons[] = {1, 3, 5, 6, 7, 8, 9, 10, 11};

constexpr u32 kCellW = 64, kCellH = 96;
constexpr int kDirs[8][2] = {{0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}};

// A robot per facing, side by side: a body in the type's own colour with its type number on the
// chest, and a dark visor toward the facing.
Picture MekaPicture(int type) {
    Picture pic(kCellW * 8, kCellH);
    const u16 body = Rgb(80 + type * 37 % 170, 70 + type * 59 % 180, 60 + type * 83 % 190);
    for (int f = 0; f < 8; f++) {
        const int x0 = f * int(kCellW);
        pic.Rect(x0 + 10, 30, x0 + 54, 84, body);   // the trunk
        pic.Rect(x0 + 16, 84, x0 + 26, 96, body);   // the legs
        pic.Rect(x0 + 38, 84, x0 + 48, 96, body);
        pic.Rect(x0 + 18, 6, x0 + 46, 30, Rgb(200, 200, 210));  // the head
        const int vx = x0 + 32 + 8 * kDirs[f][0], vy = 18 + 5 * kDirs[f][1];
        pic.Rect(vx - 6, vy - 4, vx + 6, vy + 4, Rgb(20, 30, 60));
        pic.Digit(x0 + 14, 40, 4, type / 10, Rgb(250, 250, 250));
        pic.Digit(x0 + 34, 40, 4, type % 10, Rgb(250, 250, 250));
    }
    return pic;
}

// Pages for the 8 facings, each showing its own robot, with every rectangle the battle reads: the
// body, box and footprint, attack (1, 2), the shot mouth (5, 6), and the spots of sparks and debris;
// every animation the mech code and the techniques play.
tools::SprSetDef MekaSet(const std::string& stem) {
    tools::SprSetDef set = tools::SimpleMekaSet(stem);
    for (std::size_t f = 0; f < set.pages.size(); f++) {
        tools::SprPageDef& page = set.pages[f];
        const i32 x0 = i32(f % 8 * kCellW);
        page.parts = {{0, RECT{-32, -96, 32, 0}, RECT{x0, 0, x0 + i32(kCellW), i32(kCellH)}, 0}};
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

bool SaveMeka(const std::string& dir, int type) {
    const std::string base = dir + "/Bmp/Meka/" + MekaNameTbl[type];
    return MekaPicture(type).Save(base + ".grp") && tools::SaveFile(base + ".spr", tools::SprFile(MekaSet(MekaNameTbl[type])));
}

enum class Kind { Strike, Shot, Missile, CutInLaser, Dash, Boost, Special, Volley };

// The new-game equipment grid's groups (technique / 3) get the kinds its rows are for: near strikes,
// far shots (the C column's far technique opens with its cut-in), dash and boost strikes. Groups off
// the grid take turns.
Kind KindOf(int group) {
    switch (group) {
        case 1: case 9: case 14: return Kind::Strike;
        case 29: return Kind::Missile;
        case 6: return Kind::Shot;
        case 17: return Kind::CutInLaser;
        case 2: case 8: case 27: return Kind::Dash;
        case 22: case 23: case 24: return Kind::Boost;
        default: break;
    }
    constexpr Kind kTurns[] = {Kind::Strike, Kind::Volley, Kind::Dash, Kind::Boost, Kind::Special, Kind::Volley};
    return kTurns[group % 6];
}

// What the weapons fired by the volleys are called, by weapon (weapons.cpp).
const char* VolleyName(i16 weapon) {
    switch (weapon) {
        case 1: return "炸彈";
        case 3: return "護盾";
        case 5: return "蛇行彈";
        case 6: return "地雷";
        case 7: return "慣性彈";
        case 8: return "光環";
        case 9: return "碎片";
        case 10: return "追蹤光束";
        default: return "掃射光束";
    }
}

// A strike on the attack rectangle that knocks the mech back with a short hit-stop.
void Strike(WAZA_MOTION& mo, u8 anim, i16 power) {
    mo.frame[0].anim = anim;
    mo.frame[0].wait = 10;
    mo.frame[0].hitField = 1u << 2;
    mo.mekaHitLimit = 1;
    mo.shotHitLimit = 255;
    mo.hitPower = power;
    mo.hitMinDamage = 20;
    mo.hitStop = 3;
    mo.knockSpeed = 6;
    mo.reactTime = 12;
    mo.forceReact = 1;
    mo.sparkEffect = 1;
    mo.sparkCount = 3;
    mo.hitSound = 6;
}

// Fires the weapon from the shot mouth at the target for as long as the frame lasts.
void Fire(WAZA_MOTION& mo, u8 anim, i16 weapon, u16 shots, u16 loops, u16 interval) {
    mo.frame[0].anim = anim;
    mo.frame[0].wait = i16(interval * loops + 4);
    mo.hitPower = 0;
    TAMA_FIRE& f = mo.fire;
    f.weapon = weapon;
    f.aimMask = 1;
    f.startMask = 1;
    f.holdMask = 1;
    f.firePos = 5;
    f.rangeType = 1;
    f.interval = interval;
    f.shots = shots;
    f.loops = loops;
    if (shots > 1) f.fireType = 3, f.value1 = 20;  // a fan
    if (IsLaser(weapon)) f.fireType = 4, f.loops = 1;
}

WAZA_DATA Technique(int n) {
    WAZA_DATA w = tools::NewWaza(plat::Utf8ToRecordName(TechniqueGroupName(n / 3) + " Lv" + std::to_string(n % 3 + 1)).c_str());
    w.cost = 0;
    w.airFlag = 1;
    w.expBase = 20;
    const int level = n % 3;  // a group's three levels hit harder
    const i16 power = i16(180 + 30 * level);
    WAZA_MOTION& mo = w.motion[0];
    switch (KindOf(n / 3)) {
        case Kind::Strike: Strike(mo, u8(20 + n % 4), power); break;
        case Kind::Shot: Fire(mo, 24, kShot, u16(1 + level), 3, 5); break;
        case Kind::Missile: Fire(mo, 25, kMissile, u16(1 + level), 1, 4); break;
        case Kind::CutInLaser:
            // Step 0 is the cut-in pose, step 1 the beam.
            mo.frame[0].anim = 26;
            mo.frame[0].wait = 24;
            mo.cutIn = 1;
            w.stepTbl[1] = 1;
            Fire(w.motion[1], 27, kLaser, 1, 1, 1);
            w.motion[1].frame[0].wait = 30;
            w.motion[1].fire.interval = 2;
            break;
        case Kind::Dash:
            Strike(mo, 28, power);
            mo.velocityMode = 1;
            mo.speed = 12;
            break;
        case Kind::Boost:
            Strike(mo, 29, power);
            mo.velocityMode = 1;
            mo.speed = 16;
            mo.zSpeed = 4;
            mo.zSpeedAdd = -1;
            break;
        case Kind::Volley: {
            // Circling, radial and set-direction volleys in turn; lasers fire as lasers.
            const i16 weapon = kVolleyWeapons[(n / 3) % std::size(kVolleyWeapons)];
            Fire(mo, 25, weapon, 3, 2, 6);
            TAMA_FIRE& f = mo.fire;
            if (f.fireType != 4) {
                f.fireType = u8((n / 3) % 3);
                f.value1 = f.fireType == 1 ? 120 : 15;
                f.value2 = f.fireType == 2 ? 45 : 0;
            }
            break;
        }
        case Kind::Special:
            Strike(mo, 30, i16(power * 2));
            w.cost = 40;
            w.costKind = 2;
            mo.hitStop = 6;
            break;
    }
    return w;
}

}  // namespace

std::string TechniqueGroupName(int group) {
    static const char* const kNames[] = {"重拳", "連射", "飛彈", "雷射砲", "衝刺斬", "噴射蹴", "必殺技"};
    const Kind kind = KindOf(group);
    std::string name = kind == Kind::Volley ? VolleyName(kVolleyWeapons[group % std::size(kVolleyWeapons)])
                                            : kNames[int(kind)];
    char number[8];
    std::snprintf(number, sizeof number, "%02d", group);
    return name + number;
}

namespace {

// A CPU type: walks, wanders, boosts and dashes in turn, attacks in chains of a strike and a volley,
// and answers some of the player's groups.
CPU_DATA Cpu(int type) {
    CPU_DATA cpu = tools::NewCpu();
    cpu.param[CPU_PRM_LIFE] = 1;
    cpu.param[CPU_PRM_LIFE_STEP] = 0;
    cpu.param[CPU_PRM_ARMOUR] = 2;
    cpu.param[CPU_PRM_STRIKE_POWER] = 20;
    cpu.param[CPU_PRM_SHOT_POWER] = 20;
    cpu.param[CPU_PRM_DEFENCE] = 0;
    cpu.param[CPU_PRM_DEFENCE + 10] = 2;  // the defence step per level
    const i8 moves[] = {0, 1, 1, 2, 3, 4, 5};  // stand, walk toward, wander, boost, the three dashes
    for (std::size_t i = 0; i < sizeof(moves); i++) {
        cpu.mode[i].move = moves[i];
        cpu.mode[i].dirKind = i == 2 ? 2 : 0;
        cpu.mode[i].time = i16(20 + 4 * (type % 3));
        cpu.mode[i].chance = 300;
        cpu.mode[i].atkChance = 300;
    }
    // Group g opens with technique g % 3 and follows with the next one.
    for (int g = 0; g < 3; g++) {
        for (int k = 0; k < 2; k++) {
            CPU_ATK& a = cpu.group[g].atk[k];
            a.waza = i16((g + k) % 3);
            a.chance = 600;
            a.rangeMax = a.waza == 0 ? 140 : 600;
            a.lifeLimit = 99;
            a.time = 14;
            a.joinChance = 0;
        }
    }
    for (int t : {1, 9, 29}) {  // step aside from the player's first strikes and the missile
        cpu.counter[t].type = 1;
        cpu.counter[t].action = 6;
        cpu.counter[t].chance = 300;
    }
    return cpu;
}

// Blocks inside the map, kept off survival stage 0's meeting point and its whole formation.
bool Block(int x, int y) {
    const SVV_STAGE& st = SvvStageTbl[0];
    const int px = x * 16, py = y * 16;
    if (px >= st.x - 200 && px < st.x + 300 && py >= st.y - 160 && py < st.y + 160) return false;
    return (x / 6) % 4 == 3 && (y / 6) % 4 == 3 && x % 6 < 2 && y % 6 < 2;
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
            const bool wall = border || Block(x, y);
            map.chips[at] = u16(wall ? 2 : (x + y) % 2);
            map.attrA[at] = wall ? 1 : 0;
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
    return tools::SaveFile(base + ".map", tools::MapBytes(map)) && Picture(640, 16).Fill(chips).Save(base + "_f.grp") &&
           Picture(48, 96).Fill(tree_).Save(base + "_o.grp") &&
           tools::SaveFile(base + "_o.csp", tools::CspBytes({tree}));
}

}  // namespace

bool BuildBattle(const std::string& dataDir, std::string* error) {
    auto fail = [&](const std::string& what) {
        *error = "cannot write " + what;
        return false;
    };
    std::error_code ec;
    std::filesystem::create_directories(dataDir + "/Bmp/Meka", ec);
    if (!SaveMeka(dataDir, 0)) return fail("the player's mech set");
    std::vector<WAZA_DATA> player;
    for (int n = 0; n < kPlayerTechniques; n++) {
        player.push_back(Technique(n));
        // A name the records' encoding or the fonts cannot hold would show as question marks.
        const std::string back = plat::RecordNameToUtf8(player.back().name);
        if (back != TechniqueGroupName(n / 3) + " Lv" + std::to_string(n % 3 + 1) ||
            plat::Utf8ToDrawnText(back).find("\xA1\x48") != std::string::npos) {
            *error = "technique name " + back + " does not survive its encodings";
            return false;
        }
    }
    if (!tools::SaveFile(dataDir + "/Dat/player.waz", tools::WazFile(player))) return fail("Dat/player.waz");

    for (int type : SvvKindTbl) {
        const std::string stem = MekaNameTbl[type];
        if (!SaveMeka(dataDir, type)) return fail(stem + ".spr");
        // The player's first strike, volley of shots and missile.
        const std::vector<WAZA_DATA> waza = {Technique(3), Technique(18), Technique(87)};
        if (!tools::SaveFile(dataDir + "/Dat/" + stem + ".waz", tools::WazFile(waza))) return fail(stem + ".waz");
        if (!tools::SaveFile(dataDir + "/Dat/" + stem + ".cpu", tools::CpuFile(Cpu(type)))) return fail(stem + ".cpu");
    }
    if (!BuildMap(dataDir)) return fail("stage map 0");
    return true;
}

}  // namespace mkdata
