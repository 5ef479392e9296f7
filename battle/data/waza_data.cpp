// Technique files: one per mech type, loaded on the first reference and freed on the last.
#include "battle/data/waza_data.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "battle/data/meka_type.h"
#include "battle/data/record_io.h"
#include "platform/file.h"
#include "platform/memory.h"
#include "shell/common.h"

namespace {

// "（新規技）" in Shift-JIS.
constexpr u8 kNewWazaName[] = {0x81, 0x69, 0x90, 0x56, 0x8B, 0x4B, 0x8B, 0x5A, 0x81, 0x6A};

template <class Io, class Frame>
void FrameFields(const Io& io, Frame& f) {
    io.Field(0, f.anim);
    io.Field(1, f.unused1);
    io.Field(2, f.boostAnim);
    io.Field(4, f.turn);
    io.Field(5, f.waitMode);
    io.Field(6, f.wait);
    io.Field(8, f.hitField);
    io.Field(10, f.attrIndex);
    io.Field(12, f.blendLevel);
    io.Field(14, f.sound);
    io.Field(15, f.armourRate);
}

template <class Io, class Motion>
void MotionFields(const Io& io, Motion& m) {
    for (int i = 0; i < WAZA_FRAME_MAX; ++i) FrameFields(io.At(16 * i), m.frame[i]);
    io.Field(160, m.byte160);
    io.Field(161, m.stepMarker);
    io.Field(162, m.cutIn);
    io.Field(163, m.facingMode);
    io.Field(164, m.velocityMode);
    io.Field(165, m.unused165);
    io.Field(166, m.angleOffset);
    io.Field(168, m.stepFlags);
    io.Field(169, m.unused169);
    io.Field(170, m.speed);
    io.Field(172, m.speedAdd);
    io.Field(174, m.speedMin);
    io.Field(176, m.speedMax);
    io.Field(178, m.zSpeed);
    io.Field(180, m.zSpeedAdd);
    io.Field(182, m.zSpeedMin);
    io.Field(184, m.zSpeedMax);
    io.Field(186, m.mekaHitLimit);
    io.Field(187, m.shotHitLimit);
    io.Field(188, m.hitCount);
    io.Field(189, m.unused189);
    io.Field(190, m.word190);
    io.Field(192, m.hitKnockDown);
    io.Field(193, m.hitTimedState);
    io.Field(194, m.hitByte194);
    io.Field(195, m.unused195);
    io.Field(196, m.hitPower);
    io.Field(198, m.hitMinDamage);
    io.Field(200, m.chainAdd);
    io.Field(202, m.hitStop);
    io.Field(203, m.knockDir);
    io.Field(204, m.knockSpeed);
    io.Field(206, m.reactTime);
    io.Field(208, m.downValue);
    io.Field(210, m.blowZSpeed);
    io.Field(212, m.sparkEffect);
    io.Field(213, m.sparkCount);
    io.Field(214, m.sparkSpread);
    io.Field(215, m.hitSound);
    io.Field(216, m.forceReact);
    io.Field(217, m.hitByte217);
    TamaFireFields(io.At(218), m.fire);
    io.Field(254, m.debris);
    io.Field(255, m.unused255);
}

template <class Io, class Data>
void DataFields(const Io& io, Data& d) {
    io.Array(0, d.name);
    io.Field(40, d.flag40);
    io.Field(41, d.costKind);
    io.Field(42, d.kind);
    io.Field(43, d.unused43);
    io.Field(44, d.cost);
    io.Field(46, d.airFlag);
    io.Field(47, d.unused47);
    io.Field(48, d.hitLimit);
    io.Field(50, d.moveShift);
    io.Field(51, d.unused51);
    io.Field(52, d.expBase);
    io.Array(54, d.stepTbl);
    for (int i = 0; i < WAZA_LOOP_MAX; ++i) {
        const Io e = io.At(86 + 3 * i);
        e.Field(0, d.loop[i].from);
        e.Field(1, d.loop[i].to);
        e.Field(2, d.loop[i].count);
    }
    for (int i = 0; i < WAZA_BRANCH_MAX; ++i) {
        const Io e = io.At(98 + 6 * i);
        e.Field(0, d.branch[i].from);
        e.Field(1, d.branch[i].to);
        e.Field(2, d.branch[i].kind);
        e.Field(3, d.branch[i].unused3);
        e.Field(4, d.branch[i].window);
    }
    for (int i = 0; i < WAZA_MOTION_MAX; ++i) MotionFields(io.At(146 + 256 * i), d.motion[i]);
}

void ClearUnused(WAZA_DATA* d) {
    d->unused43 = d->unused47 = d->unused51 = 0;
    for (WAZA_BRANCH& b : d->branch) b.unused3 = 0;
    for (WAZA_MOTION& m : d->motion) {
        for (WAZA_FRAME& f : m.frame) f.unused1 = 0;
        m.unused165 = m.unused169 = m.unused189 = m.unused195 = m.unused255 = 0;
        TamaFireClearReserved(&m.fire);
    }
}

// Types whose last load found the file but could not read it whole: a save would replace records it
// never saw, so saves are refused until a load reads it.
bool g_unreadable[MEKA_TYPE_MAX];

// A loaded type's entry; null (with a debug line naming the caller) otherwise.
MEKA_TYPE_DATA* LoadedType(int type, const char* caller) {
    MEKA_TYPE_DATA* t = MEKA_GetTypeData(type);
    if (!t) {
        DebugMsg("%s: mech type %d is outside 0..%d", caller, type, MEKA_TYPE_MAX - 1);
        return nullptr;
    }
    if (t->wazaRef == 0) {
        DebugMsg("%s: techniques of mech type %d are not loaded", caller, type);
        return nullptr;
    }
    return t;
}

void FreeRecords(MEKA_TYPE_DATA* t) {
    if (t->waza) {
        for (int i = 0; i < t->wazaCount; ++i) plat::GlobalFree(t->waza[i]);
        plat::GlobalFree(t->waza);
    }
    t->waza = nullptr;
    t->wazaCount = 0;
}

// Writes the type's records, each passed through `edit` first.
template <class Edit>
int WriteFile(int type, const MEKA_TYPE_DATA* t, Edit edit) {
    const int count = t->waza ? t->wazaCount : 0;
    std::vector<u8> bytes(2 + size_t(WAZA_FILE_SIZE) * size_t(count), 0);
    RecWriter{bytes.data()}.Field(0, i16(count));
    for (int i = 0; i < count; ++i) {
        WAZA_DATA copy = *t->waza[i];
        edit(&copy);
        WAZA_WriteRecord(&copy, bytes.data() + 2 + size_t(WAZA_FILE_SIZE) * size_t(i));
    }
    // The on-disk form: messages show it as the platform writes it.
    const std::string path = plat::ResolvePath(MakeFilePath("Dat\\%s.waz", MekaNameTbl[type]));
    if (g_unreadable[type]) {
        DebugMsg("%s: not saved; it could not be read when loaded, and a save would replace it", path.c_str());
        return 0;
    }
    if (!WriteBinaryFile(path.c_str(), bytes.data(), i32(bytes.size()))) {
        DebugMsg("%s:Write error", path.c_str());
        return 0;
    }
    return 1;
}

// Reads the type's file into its (empty) entry; 0 when it cannot be opened or read, or memory is out.
int ReadFile(int type, MEKA_TYPE_DATA* t) {
    // The on-disk form: messages show it as the platform writes it.
    const std::string path = plat::ResolvePath(MakeFilePath("Dat\\%s.waz", MekaNameTbl[type]));
    plat::File* file = plat::FileOpenRead(path.c_str());
    if (!file) {
        if (plat::FileExists(path.c_str())) {
            DebugMsg("%s:Open error; the file is there, so saves keep it until it can be read", path.c_str());
            g_unreadable[type] = true;
        } else {
            DebugMsg("%s:Open error", path.c_str());
        }
        return 0;
    }
    const i64 size = plat::FileSize(file);
    u8 head[2] = {};
    i16 count = 0;
    const i64 headRead = plat::FileRead(file, head, 2);
    if (headRead == 2) RecReader{head}.Field(0, count);
    if (count < 0) {
        DebugMsg("%s: record count %d is negative; nothing loaded", path.c_str(), count);
        count = 0;
    }
    // Records the file at least begins; the rest of a cut record reads as zeros. They are read in one
    // go, so a read error leaves nothing half loaded that a save could then write back short.
    const i64 held = size >= 2 ? (size - 2 + WAZA_FILE_SIZE - 1) / WAZA_FILE_SIZE : 0;
    std::vector<u8> bytes(size_t(std::min<i64>(count, held)) * WAZA_FILE_SIZE, 0);
    const i64 got = headRead < 0 ? -1 : plat::FileRead(file, bytes.data(), i64(bytes.size()));
    plat::FileClose(file);
    if (got < 0) {
        DebugMsg("%s:Read error; nothing loaded, and saves keep the file until it can be read", path.c_str());
        g_unreadable[type] = true;
        return 0;
    }
    const i64 records = (got + WAZA_FILE_SIZE - 1) / WAZA_FILE_SIZE;
    if (count > records) {
        DebugMsg("%s: record count %d but the file holds %lld; loading those", path.c_str(), count,
                 static_cast<long long>(records));
        count = i16(records);
    }
    t->waza = static_cast<WAZA_DATA**>(plat::GlobalAllocZero(sizeof(WAZA_DATA*) * size_t(count)));
    if (!t->waza) {
        DebugMsg("%s: out of memory", path.c_str());
        g_unreadable[type] = true;
        return 0;
    }
    for (int i = 0; i < count; ++i) {
        auto* d = static_cast<WAZA_DATA*>(plat::GlobalAllocZero(sizeof(WAZA_DATA)));
        if (!d) {
            DebugMsg("%s: out of memory", path.c_str());
            FreeRecords(t);
            g_unreadable[type] = true;
            return 0;
        }
        WAZA_ReadRecord(bytes.data() + size_t(WAZA_FILE_SIZE) * size_t(i), d);
        t->waza[i] = d;
        t->wazaCount = i16(i + 1);
    }
    DebugMsg("●メモリ確保 ： メカNo.%2d技データ ： %d Byte", type, t->wazaCount * WAZA_MEM_SIZE);
    return 1;
}

}  // namespace

void WAZA_ReadRecord(const u8* bytes, WAZA_DATA* data) {
    DataFields(RecReader{bytes}, *data);
}

void WAZA_WriteRecord(const WAZA_DATA* data, u8* bytes) {
    DataFields(RecWriter{bytes}, *data);
}

void WAZA_SetNewData(WAZA_DATA* d) {
    std::memset(d, 0, sizeof(*d));
    std::memcpy(d->name, kNewWazaName, sizeof(kNewWazaName));
    d->flag40 = 1;
    d->cost = 99;
    d->hitLimit = 9999;
    d->moveShift = 9;
    for (u8& s : d->stepTbl) s = 99;
    d->stepTbl[0] = 0;
    for (WAZA_LOOP& l : d->loop) l = {99, 99, 0};
    for (WAZA_BRANCH& b : d->branch) b = {99, 99, 0, 0, 0};
    for (WAZA_MOTION& m : d->motion) {
        for (WAZA_FRAME& f : m.frame) {
            f.boostAnim = -1;
            f.wait = -1;
            f.armourRate = 1;
        }
        m.speedMin = m.zSpeedMin = -255;
        m.speedMax = m.zSpeedMax = 255;
        m.hitCount = 63;
        m.hitKnockDown = 1;
        m.hitPower = 50;
        m.hitMinDamage = 16;
        m.chainAdd = 1;
        m.knockSpeed = 8;
        m.reactTime = 4;
        m.downValue = 0;
        m.blowZSpeed = 5;
        m.sparkCount = 63;
        m.sparkSpread = 16;
        m.hitSound = 26;
        TAMA_SetNewFire(&m.fire);
    }
}

int WAZA_LoadData(int type) {
    MEKA_TYPE_DATA* t = MEKA_GetTypeData(type);
    if (!t) {
        DebugMsg("WAZA_LoadData: mech type %d is outside 0..%d", type, MEKA_TYPE_MAX - 1);
        return 0;
    }
    if (t->wazaRef == 0xFF) {
        DebugMsg("WAZA_LoadData: mech type %d has too many holders", type);
        return 0;
    }
    if (++t->wazaRef != 1) return 1;
    FreeRecords(t);
    g_unreadable[type] = false;
    return ReadFile(type, t);
}

int WAZA_ReleaseData(int type) {
    MEKA_TYPE_DATA* t = LoadedType(type, "WAZA_ReleaseData");
    if (!t) return 0;
    if (--t->wazaRef != 0) return 1;
    DebugMsg("○メモリ解放 ： メカNo.%2d技データ ： %d Byte", type, t->wazaCount * WAZA_MEM_SIZE);
    FreeRecords(t);
    return 1;
}

int WAZA_SaveData(int type) {
    const MEKA_TYPE_DATA* t = LoadedType(type, "WAZA_SaveData");
    if (!t) return 0;
    return WriteFile(type, t, [](WAZA_DATA*) {});
}

int WAZA_ConvertData(int type) {
    const MEKA_TYPE_DATA* t = LoadedType(type, "WAZA_ConvertData");
    if (!t) return 0;
    return WriteFile(type, t, [](WAZA_DATA* d) { ClearUnused(d); });
}

int WAZA_AddData(int type) {
    MEKA_TYPE_DATA* t = LoadedType(type, "WAZA_AddData");
    if (!t) return 0;
    const int saved = WAZA_SaveData(type);
    if (!saved) DebugMsg("WAZA_AddData: mech type %d was not saved; the new technique is added in memory only", type);
    if (t->wazaCount == 0x7FFF) {
        DebugMsg("WAZA_AddData: mech type %d has no room for another technique", type);
        return 0;
    }
    const int count = t->waza ? t->wazaCount : 0;
    auto* table = static_cast<WAZA_DATA**>(plat::GlobalAllocZero(sizeof(WAZA_DATA*) * size_t(count + 1)));
    auto* added = static_cast<WAZA_DATA*>(plat::GlobalAllocZero(sizeof(WAZA_DATA)));
    if (!table || !added) {
        DebugMsg("WAZA_AddData: out of memory");
        plat::GlobalFree(table);
        plat::GlobalFree(added);
        return 0;
    }
    // The records themselves stay where they are: running techniques and launchers point into them.
    for (int i = 0; i < count; ++i) table[i] = t->waza[i];
    WAZA_SetNewData(added);
    table[count] = added;
    plat::GlobalFree(t->waza);
    t->waza = table;
    t->wazaCount = i16(count + 1);
    return saved;
}

int WAZA_GetCount(int type) {
    const MEKA_TYPE_DATA* t = MEKA_GetTypeData(type);
    return t ? t->wazaCount : 0;
}

WAZA_DATA* WAZA_GetData(int type, int n) {
    const MEKA_TYPE_DATA* t = MEKA_GetTypeData(type);
    if (!t || !t->waza || n < 0 || n >= t->wazaCount) return nullptr;
    return t->waza[n];
}
