// CPU behaviour files: one record per mech type, loaded on the first reference and freed on the last.
#include "battle/data/cpu_data.h"

#include <cstring>
#include <string>
#include <vector>

#include "battle/data/meka_type.h"
#include "battle/data/record_io.h"
#include "platform/file.h"
#include "platform/memory.h"
#include "shell/common.h"

namespace {

constexpr i16 kDefaultParams[CPU_PARAM_MAX] = {10, 10, 6, 18, 24, 10, 10, 10, 100, 10, 10, 100,
                                               1000, 0, 1, 1, 1, 1, 1, 1, 1, 1, 200, 10};

template <class Io, class Mode>
void ModeFields(const Io& io, Mode& m) {
    io.Field(0, m.move);
    io.Field(1, m.unused1);
    io.Field(2, m.dirKind);
    io.Field(4, m.time);
    io.Field(6, m.variable);
    io.Field(8, m.level);
    io.Field(9, m.unused9);
    io.Field(10, m.chance);
    io.Field(12, m.chanceStep);
    io.Array(14, m.unused14);
    io.Field(16, m.rangeMin);
    io.Field(20, m.rangeMax);
    io.Field(24, m.lifeLimit);
    io.Field(28, m.selfMask);
    io.Field(30, m.targetMask);
    io.Field(32, m.priority);
    io.Field(33, m.unused33);
    io.Field(34, m.atkChance);
    io.Field(36, m.delay);
    io.Array(38, m.unused38);
}

template <class Io, class Atk>
void AtkFields(const Io& io, Atk& a) {
    io.Field(0, a.waza);
    io.Field(2, a.level);
    io.Field(3, a.unused3);
    io.Field(4, a.chance);
    io.Field(6, a.chanceStep);
    io.Field(8, a.rangeMin);
    io.Field(12, a.rangeMax);
    io.Field(16, a.lifeLimit);
    io.Field(20, a.selfMask);
    io.Field(22, a.targetMask);
    io.Field(24, a.priority);
    io.Field(25, a.unused25);
    io.Field(26, a.cancelRule);
    io.Field(28, a.time);
    io.Field(30, a.timeCorrect);
    io.Field(32, a.joinChance);
    io.Array(34, a.unused34);
}

template <class Io, class Counter>
void CounterFields(const Io& io, Counter& c) {
    io.Field(0, c.type);
    io.Field(1, c.unused1);
    io.Field(2, c.action);
    io.Field(4, c.level);
    io.Field(5, c.unused5);
    io.Field(6, c.chance);
    io.Field(8, c.chanceStep);
    io.Field(10, c.delay);
    io.Field(12, c.delaySpread);
    io.Array(14, c.unused14);
    io.Field(16, c.rangeMin);
    io.Field(20, c.rangeMax);
    io.Field(24, c.selfMask);
    io.Field(26, c.priority);
    io.Field(27, c.unused27);
}

template <class Io, class Data>
void DataFields(const Io& io, Data& d) {
    io.Array(0, d.param);
    for (int i = 0; i < CPU_MODE_MAX; ++i) ModeFields(io.At(48 + 40 * i), d.mode[i]);
    for (int g = 0; g < CPU_GROUP_MAX; ++g) {
        const Io group = io.At(688 + 184 * g);
        group.Field(0, d.group[g].join);
        group.Array(1, d.group[g].unused1);
        for (int k = 0; k < CPU_ATK_MAX; ++k) AtkFields(group.At(4 + 36 * k), d.group[g].atk[k]);
    }
    for (int t = 0; t < CPU_COUNTER_MAX; ++t) CounterFields(io.At(5104 + 28 * t), d.counter[t]);
}

void ClearUnused(CPU_DATA* d) {
    for (CPU_MODE& m : d->mode) {
        m.unused1 = m.unused9 = m.unused33 = 0;
        std::memset(m.unused14, 0, sizeof(m.unused14));
        std::memset(m.unused38, 0, sizeof(m.unused38));
    }
    for (CPU_ATK_GROUP& g : d->group) {
        std::memset(g.unused1, 0, sizeof(g.unused1));
        for (CPU_ATK& a : g.atk) {
            a.unused3 = a.unused25 = 0;
            std::memset(a.unused34, 0, sizeof(a.unused34));
        }
    }
    for (CPU_COUNTER& c : d->counter) {
        c.unused1 = c.unused5 = c.unused27 = 0;
        std::memset(c.unused14, 0, sizeof(c.unused14));
    }
}

// Types whose last load found the file but could not read it: saves are refused until a load reads it.
bool g_unreadable[MEKA_TYPE_MAX];

MEKA_TYPE_DATA* CheckType(int type, const char* caller) {
    MEKA_TYPE_DATA* t = MEKA_GetTypeData(type);
    if (!t) DebugMsg("%s: mech type %d is outside 0..%d", caller, type, MEKA_TYPE_MAX - 1);
    return t;
}

// A type whose record is attached; null (with a debug line naming the caller) otherwise.
MEKA_TYPE_DATA* LoadedType(int type, const char* caller) {
    MEKA_TYPE_DATA* t = CheckType(type, caller);
    if (t && (t->cpuRef == 0 || !t->cpu)) {
        DebugMsg("%s: CPU data of mech type %d is not loaded", caller, type);
        return nullptr;
    }
    return t;
}

int WriteRecordFile(int type, const CPU_DATA& data) {
    std::vector<u8> bytes(CPU_DATA_SIZE, 0);
    CPU_WriteRecord(&data, bytes.data());
    // The on-disk form: messages show it as the platform writes it.
    const std::string path = plat::ResolvePath(MakeFilePath("Dat\\%s.cpu", MekaNameTbl[type]));
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

}  // namespace

void CPU_ReadRecord(const u8* bytes, CPU_DATA* data) {
    DataFields(RecReader{bytes}, *data);
}

void CPU_WriteRecord(const CPU_DATA* data, u8* bytes) {
    DataFields(RecWriter{bytes}, *data);
}

void CPU_FillDefault(CPU_DATA* d) {
    std::memcpy(d->param, kDefaultParams, sizeof(kDefaultParams));
    for (CPU_MODE& m : d->mode) {
        m.move = -1;
        m.dirKind = 0;
        m.time = 10;
        m.variable = 0;
        m.level = 0;
        m.chance = 500;
        m.chanceStep = 50;
        m.rangeMin = 0;
        m.rangeMax = 9999;
        m.lifeLimit = 500;
        m.selfMask = m.targetMask = 0;
        m.priority = 8;
        m.atkChance = 500;
        m.delay = 0;
    }
    for (CPU_ATK_GROUP& g : d->group) {
        g.join = 1;
        for (CPU_ATK& a : g.atk) {
            a.waza = -999;
            a.level = 0;
            a.chance = a.chanceStep = 0;
            a.rangeMin = 0;
            a.rangeMax = 9999;
            a.lifeLimit = 500;
            a.selfMask = a.targetMask = 0;
            a.priority = 8;
            a.cancelRule = 0;
            a.time = a.timeCorrect = 0;
            a.joinChance = 100;
        }
    }
    for (CPU_COUNTER& c : d->counter) {
        c.type = -1;
        c.action = 0;
        c.level = 0;
        c.chance = c.chanceStep = 0;
        c.delay = c.delaySpread = 0;
        c.rangeMin = 0;
        c.rangeMax = 9999;
        c.selfMask = 0;
        c.priority = 8;
    }
}

int CPU_LoadData(int type) {
    MEKA_TYPE_DATA* t = CheckType(type, "CPU_LoadData");
    if (!t) return 0;
    if (t->cpuRef == 0xFF) {
        DebugMsg("CPU_LoadData: mech type %d has too many holders", type);
        return 0;
    }
    if (++t->cpuRef != 1) return 1;
    plat::GlobalFree(t->cpu);
    t->cpu = static_cast<CPU_DATA*>(plat::GlobalAllocZero(sizeof(CPU_DATA)));
    if (!t->cpu) {
        DebugMsg("CPU_LoadData: out of memory");
        return 0;
    }
    DebugMsg("●メモリ確保 ： メカNo.%2dＣＰＵデータ ： %d Byte", type, CPU_DATA_SIZE);
    // The on-disk form: messages show it as the platform writes it.
    const std::string path = plat::ResolvePath(MakeFilePath("Dat\\%s.cpu", MekaNameTbl[type]));
    g_unreadable[type] = false;
    plat::File* file = plat::FileOpenRead(path.c_str());
    const bool opened = file != nullptr;
    std::vector<u8> bytes(CPU_DATA_SIZE, 0);
    const i64 got = opened ? plat::FileRead(file, bytes.data(), CPU_DATA_SIZE) : -1;
    plat::FileClose(file);
    if (got < 0) {
        // CPU mechs of the type play on the defaults. The editor can save them over a missing file,
        // never over one that is there but could not be read.
        g_unreadable[type] = opened || plat::FileExists(path.c_str());
        DebugMsg("%s:%s error; the CPU data starts from the defaults%s", path.c_str(), opened ? "Read" : "Open",
                 g_unreadable[type] ? ", and saves keep the file until it can be read" : "");
        CPU_FillDefault(t->cpu);
        return 0;
    }
    CPU_ReadRecord(bytes.data(), t->cpu);
    return 1;
}

int CPU_ReleaseData(int type) {
    MEKA_TYPE_DATA* t = CheckType(type, "CPU_ReleaseData");
    if (!t) return 0;
    if (t->cpuRef == 0) {
        DebugMsg("CPU_ReleaseData: CPU data of mech type %d is not loaded", type);
        return 0;
    }
    if (--t->cpuRef != 0) return 1;
    if (t->cpu) DebugMsg("○メモリ解放 ： メカNo.%2dＣＰＵデータ ： %d Byte", type, CPU_DATA_SIZE);
    plat::GlobalFree(t->cpu);
    t->cpu = nullptr;
    return 1;
}

int CPU_SaveData(int type) {
    const MEKA_TYPE_DATA* t = LoadedType(type, "CPU_SaveData");
    return t ? WriteRecordFile(type, *t->cpu) : 0;
}

int CPU_ConvertData(int type) {
    const MEKA_TYPE_DATA* t = LoadedType(type, "CPU_ConvertData");
    if (!t) return 0;
    CPU_DATA copy = *t->cpu;
    ClearUnused(&copy);
    return WriteRecordFile(type, copy);
}

int CPU_SetDefaultData(int type) {
    MEKA_TYPE_DATA* t = LoadedType(type, "CPU_SetDefaultData");
    if (!t) return 0;
    CPU_FillDefault(t->cpu);
    return 1;
}
