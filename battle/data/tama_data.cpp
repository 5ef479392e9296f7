// The weapon table: "Dat\Tama.dat" loaded at start-up, edited in place, saved whole.
#include "battle/data/tama_data.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "battle/data/record_io.h"
#include "platform/file.h"
#include "platform/memory.h"
#include "platform/msgbox.h"
#include "shell/common.h"

const u32 TamaBlendAttrTbl[15] = {0, 1, 2, 4, 8, 1024, 2048, 16, 4096, 8192, 32, 64, 128, 256, 512};

TAMA_DATA* TamaDataTbl[TAMA_MAX];
i16 TamaDataCount;
i16 TamaListHead = -1;
i16 TamaListTail = -1;
i16 TamaListCount;

namespace {

constexpr char kTamaFile[] = "Dat\\Tama.dat";
// "新規弾" in Shift-JIS.
constexpr u8 kNewTamaName[] = {0x90, 0x56, 0x8B, 0x4B, 0x92, 0x65};

// The records a file held past the table's TAMA_MAX, as read (a cut last one zero-filled): a save
// writes them back after the table so that loading and saving loses nothing.
std::vector<u8> g_beyond;
// The last load found the file but could not read it whole: a save would replace records it never
// saw, so saves are refused until a load reads it.
bool g_unreadable;

template <class Io, class Step>
void StepFields(const Io& io, Step& s) {
    io.Field(0, s.anim);
    io.Field(1, s.reserved1);
    io.Field(2, s.reserved2);
    io.Field(4, s.facing);
    io.Field(5, s.timing);
    io.Field(6, s.duration);
    io.Field(8, s.hitFlag);
    io.Field(10, s.blend);
    io.Field(12, s.blendLevel);
    io.Field(14, s.sound);
    io.Field(15, s.reserved15);
}

template <class Io, class Scale>
void ScaleFields(const Io& io, Scale& s) {
    io.Field(0, s.mode);
    io.Field(1, s.reserved1);
    io.Field(2, s.value);
    io.Field(4, s.add);
    io.Field(6, s.min);
    io.Field(8, s.max);
}

template <class Io, class Phase>
void PhaseFields(const Io& io, Phase& p) {
    for (int i = 0; i < TAMA_STEP_MAX; ++i) StepFields(io.At(16 * i), p.step[i]);
    for (int i = 0; i < TAMA_STEP_MAX; ++i) ScaleFields(io.At(64 + 10 * i), p.scale[i]);
    io.Array(104, p.shadow);
    io.Field(108, p.nextOnCalcEnd);
    io.Field(109, p.nextOnAnimEnd);
    io.Field(110, p.nextOnLand);
    io.Field(111, p.reserved111);
    io.Field(112, p.charHitTrigger);
    io.Field(114, p.nextOnCharHit);
    io.Field(115, p.reserved115);
    io.Field(116, p.tamaHitTrigger);
    io.Field(118, p.nextOnTamaHit);
    io.Field(119, p.nextOnObstacle);
    io.Field(120, p.reserved120);
    io.Field(121, p.kind);
    io.Field(122, p.flags);
    io.Field(123, p.moveType);
    io.Field(124, p.laserType);
    io.Array(125, p.reserved125);
    io.Array(128, p.p);
    io.Array(192, p.q);
    io.Field(256, p.speed);
    io.Field(258, p.speedAdd);
    io.Field(260, p.speedMin);
    io.Field(262, p.speedMax);
    io.Field(264, p.height);
    io.Field(266, p.heightAdd);
    io.Field(268, p.heightMin);
    io.Field(270, p.heightMax);
    io.Field(272, p.charHits);
    io.Field(273, p.tamaHits);
    io.Field(274, p.hitRange);
    io.Field(275, p.reserved275);
    io.Field(276, p.thruster);
    io.Field(278, p.hitFlags);
    io.Field(279, p.attribute);
    io.Field(280, p.obstacle);
    io.Field(281, p.reserved281);
    io.Field(282, p.power);
    io.Field(284, p.powerMin);
    io.Field(286, p.combo);
    io.Field(288, p.hitWait);
    io.Field(289, p.knockDir);
    io.Field(290, p.knockSpeed);
    io.Field(292, p.knockCount);
    io.Field(294, p.knockAccum);
    io.Field(296, p.knockRange);
    io.Field(298, p.hitEffect);
    io.Field(299, p.hitEffectRange);
    io.Field(300, p.hitEffectSpread);
    io.Field(301, p.hitSound);
    io.Field(302, p.knockType);
    io.Field(303, p.cancelScale);
    io.Field(304, p.constEffect);
    io.Field(305, p.constBox);
    io.Field(306, p.constChance);
    io.Field(307, p.constSpread);
    TamaFireFields(io.At(308), p.fire);
}

template <class Io, class Data>
void DataFields(const Io& io, Data& d) {
    io.Array(0, d.name);
    io.Field(40, d.inUse);
    io.Array(41, d.reserved41);
    for (int i = 0; i < TAMA_PHASE_MAX; ++i) PhaseFields(io.At(44 + 344 * i), d.phase[i]);
    io.Field(1420, d.index);
}

void SetNewPhase(TAMA_PHASE* p) {
    for (TAMA_STEP& s : p->step) {
        s.reserved2 = -1;
        s.duration = -1;
        s.hitFlag = 2;
    }
    for (TAMA_SCALE& s : p->scale) {
        s.value = 256;
        s.max = 9999;
    }
    for (u8& s : p->shadow) s = 1;
    p->nextOnCalcEnd = p->nextOnAnimEnd = p->nextOnLand = -1;
    p->charHitTrigger = -1;
    p->nextOnCharHit = -1;
    p->tamaHitTrigger = -1;
    p->nextOnTamaHit = -1;
    p->nextOnObstacle = -1;
    p->speedMin = p->heightMin = -255;
    p->speedMax = p->heightMax = 255;
    p->hitRange = 63;
    p->hitFlags = 1;
    p->power = 50;
    p->powerMin = 1;
    p->combo = 1;
    p->knockSpeed = 8;
    p->knockCount = 4;
    p->knockAccum = 0;
    p->knockRange = 5;
    p->hitEffect = 0;
    p->hitEffectRange = 63;
    p->hitEffectSpread = 16;
    p->hitSound = 26;
    p->constChance = 63;
    p->constSpread = 16;
    TAMA_SetNewFire(&p->fire);
}

void ShowOutOfMemory() {
    plat::MessageBox("記憶體容量不足", "錯誤", plat::MB_OK | plat::MB_ICONEXCLAMATION);
}

void LinkTail(TAMA_DATA* d) {
    d->prev = TamaListTail;
    d->next = -1;
    if (TamaListTail >= 0)
        TamaDataTbl[TamaListTail]->next = d->index;
    else
        TamaListHead = d->index;
    TamaListTail = d->index;
    ++TamaListCount;
}

// Writes the table and the records kept past it, each record passed through `edit` first.
template <class Edit>
int SaveTable(Edit edit) {
    // The on-disk form: messages show it as the platform writes it.
    const std::string path = plat::ResolvePath(MakeFilePath(kTamaFile));
    if (g_unreadable) {
        DebugMsg("%s: not saved; it could not be read when loaded, and a save would replace it", path.c_str());
        return 0;
    }
    const size_t table = 2 + size_t(TAMA_FILE_SIZE) * size_t(TamaDataCount);
    std::vector<u8> bytes(table + g_beyond.size(), 0);
    RecWriter{bytes.data()}.Field(0, i16(TamaDataCount + g_beyond.size() / TAMA_FILE_SIZE));
    for (int i = 0; i < TamaDataCount; ++i) {
        if (!TamaDataTbl[i]) continue;
        TAMA_DATA copy = *TamaDataTbl[i];
        edit(&copy);
        TAMA_WriteRecord(&copy, bytes.data() + 2 + size_t(TAMA_FILE_SIZE) * size_t(i));
    }
    // The records kept past the table go through the same fields as the table's.
    for (size_t at = 0; at < g_beyond.size(); at += TAMA_FILE_SIZE) {
        TAMA_DATA copy{};
        TAMA_ReadRecord(g_beyond.data() + at, &copy);
        edit(&copy);
        TAMA_WriteRecord(&copy, bytes.data() + table + at);
    }
    if (!WriteBinaryFile(path.c_str(), bytes.data(), i32(bytes.size()))) {
        DebugMsg("%s:Write error", path.c_str());
        return 0;
    }
    return 1;
}

}  // namespace

void TAMA_ReadRecord(const u8* bytes, TAMA_DATA* data) {
    DataFields(RecReader{bytes}, *data);
}

void TAMA_WriteRecord(const TAMA_DATA* data, u8* bytes) {
    DataFields(RecWriter{bytes}, *data);
}

void TAMA_SetNewFire(TAMA_FIRE* fire) {
    *fire = TAMA_FIRE{};
    fire->weapon = TAMA_NO_WEAPON;
    fire->firePos = 6;
    fire->rangeType = 1;
    fire->aimOrigin = 1;
    fire->shots = 1;
    fire->loops = 1;
    fire->barrage = 63;
}

void TAMA_SetNewData(TAMA_DATA* data) {
    std::memset(data, 0, sizeof(*data));
    std::memcpy(data->name, kNewTamaName, sizeof(kNewTamaName));
    for (TAMA_PHASE& p : data->phase) SetNewPhase(&p);
    data->prev = data->next = -1;
}

void TAMA_ClearData() {
    for (TAMA_DATA*& d : TamaDataTbl) {
        plat::GlobalFree(d);
        d = nullptr;
    }
    TamaDataCount = 0;
    TamaListHead = TamaListTail = -1;
    TamaListCount = 0;
    std::vector<u8>().swap(g_beyond);
}

int TAMA_LoadData() {
    TAMA_ClearData();
    g_unreadable = false;
    // The on-disk form: messages show it as the platform writes it.
    const std::string path = plat::ResolvePath(MakeFilePath(kTamaFile));
    plat::File* file = plat::FileOpenRead(path.c_str());
    if (!file) {
        if (plat::FileExists(path.c_str())) {
            DebugMsg("%s:Open error; the file is there, so saves keep it until it can be read", path.c_str());
            g_unreadable = true;
        } else {
            DebugMsg("%s:Open error", path.c_str());
        }
        return 0;
    }
    const i64 size = plat::FileSize(file);
    // A count cut short reads its missing byte as zero, like any other field.
    u8 head[2] = {};
    const i64 headRead = plat::FileRead(file, head, 2);
    i16 count = 0;
    RecReader{head}.Field(0, count);
    if (count < 0) {
        DebugMsg("%s: record count %d is negative; nothing loaded", path.c_str(), count);
        count = 0;
    }
    // Records the file at least begins; the rest of a cut record reads as zeros. They are read in one
    // go, so a read error leaves nothing half loaded that a save could then write back short.
    const i64 held = size >= 2 ? (size - 2 + TAMA_FILE_SIZE - 1) / TAMA_FILE_SIZE : 0;
    std::vector<u8> bytes(size_t(std::min<i64>(count, held)) * TAMA_FILE_SIZE, 0);
    const i64 got = headRead < 0 ? -1 : plat::FileRead(file, bytes.data(), i64(bytes.size()));
    plat::FileClose(file);
    if (got < 0) {
        DebugMsg("%s:Read error; nothing loaded, and saves keep the file until it can be read", path.c_str());
        g_unreadable = true;
        return 0;
    }
    bytes.resize(size_t((got + TAMA_FILE_SIZE - 1) / TAMA_FILE_SIZE) * TAMA_FILE_SIZE);
    const i64 records = i64(bytes.size()) / TAMA_FILE_SIZE;
    if (count > TAMA_MAX) {
        DebugMsg("%s: record count %d is above %d; the first %d are loaded, the rest kept for saving",
                 path.c_str(), count, TAMA_MAX, TAMA_MAX);
        count = TAMA_MAX;
    }
    if (count > records) {
        DebugMsg("%s: record count %d but the file holds %lld; loading those", path.c_str(), count,
                 static_cast<long long>(records));
        count = i16(records);
    }
    for (int i = 0; i < count; ++i) {
        TamaDataTbl[i] = static_cast<TAMA_DATA*>(plat::GlobalAllocZero(sizeof(TAMA_DATA)));
        if (!TamaDataTbl[i]) {
            ShowOutOfMemory();
            TAMA_ClearData();
            g_unreadable = true;
            return 0;
        }
    }
    TamaDataCount = count;
    DebugMsg("TAMA_DATA 已保有 %d Byte 之記憶容量", count * TAMA_MEM_SIZE);
    for (int i = 0; i < count; ++i) {
        TAMA_DATA* d = TamaDataTbl[i];
        TAMA_ReadRecord(bytes.data() + size_t(TAMA_FILE_SIZE) * size_t(i), d);
        d->index = i16(i);
        d->prev = d->next = -1;
        // A record stored free stays a free slot (and is saved as it is).
        if (d->inUse) LinkTail(d);
    }
    const i64 beyond = records - TAMA_MAX;
    if (beyond > 0) g_beyond.assign(bytes.begin() + std::ptrdiff_t(TAMA_MAX) * TAMA_FILE_SIZE, bytes.end());
    return 1;
}

int TAMA_SaveData() {
    return SaveTable([](TAMA_DATA*) {});
}

int TAMA_ConvertData() {
    return SaveTable([](TAMA_DATA* d) {
        std::memset(d->reserved41, 0, sizeof(d->reserved41));
        d->index = 0;
        for (TAMA_PHASE& p : d->phase) {
            for (TAMA_STEP& s : p.step) {
                s.reserved1 = 0;
                s.reserved2 = 0;
                s.reserved15 = 0;
            }
            for (TAMA_SCALE& s : p.scale) s.reserved1 = 0;
            p.reserved111 = p.reserved115 = p.reserved120 = 0;
            std::memset(p.reserved125, 0, sizeof(p.reserved125));
            p.reserved275 = p.reserved281 = 0;
            TamaFireClearReserved(&p.fire);
        }
    });
}

TAMA_DATA* TAMA_GetFreeData() {
    for (int i = 0; i < TamaDataCount; ++i) {
        TAMA_DATA* d = TamaDataTbl[i];
        if (!d || d->inUse) continue;
        d->inUse = 1;
        d->index = i16(i);
        LinkTail(d);
        return d;
    }
    return nullptr;
}

int TAMA_UnlinkData(int n) {
    TAMA_DATA* d = TAMA_GetData(n);
    if (!d || !d->inUse) return -1;
    const int prev = d->prev;
    const int next = d->next;
    if (prev >= 0)
        TamaDataTbl[prev]->next = i16(next);
    else
        TamaListHead = i16(next);
    if (next >= 0)
        TamaDataTbl[next]->prev = i16(prev);
    else
        TamaListTail = i16(prev);
    d->prev = d->next = -1;
    d->inUse = 0;
    --TamaListCount;
    return next;
}

int TAMA_NewData() {
    if (TamaDataCount >= TAMA_MAX) {
        DebugMsg("TAMA_NewData: the weapon table is full (%d records)", TAMA_MAX);
        return 0;
    }
    auto* d = static_cast<TAMA_DATA*>(plat::GlobalAllocZero(sizeof(TAMA_DATA)));
    if (!d) {
        ShowOutOfMemory();
        return 0;
    }
    TAMA_SetNewData(d);
    d->index = TamaDataCount;
    d->inUse = 1;
    TamaDataTbl[TamaDataCount++] = d;
    LinkTail(d);
    return 1;
}

TAMA_DATA* TAMA_GetData(int n) {
    if (n < 0 || n >= TamaDataCount) return nullptr;
    return TamaDataTbl[n];
}
