#include "screens/save/save.h"

#include <cstdio>
#include <cstring>

#include "platform/clock.h"
#include "platform/file.h"
#include "platform/random.h"
#include "shell/common.h"

GAME_DATA GameData;
SAVE_SLOT SaveSlotTbl[SAVE_SLOT_MAX];
i32 SaveSlotCnt = 0;

namespace {

constexpr i16 kNewStart[GAME_START_MAX] = {2, 2, 1, 6, 18, 24, 8, 2, 2, 100, 100};
constexpr i16 kNewEquip[GAME_EQUIP_MAX] = {3, 27, 42, 87, 18, 51, 6, 24, 81, 69, 72, 66};

// Little-endian fields at a moving offset.
struct Reader {
    const u8* p;
    u8 U8() { return *p++; }
    i16 I16() {
        u16 v = u16(p[0] | (p[1] << 8));
        p += 2;
        return i16(v);
    }
    i32 I32() {
        u32 v = u32(p[0]) | u32(p[1]) << 8 | u32(p[2]) << 16 | u32(p[3]) << 24;
        p += 4;
        return i32(v);
    }
    void Bytes(void* out, std::size_t n) {
        std::memcpy(out, p, n);
        p += n;
    }
};

struct Writer {
    u8* p;
    void U8(u8 v) { *p++ = v; }
    void I16(i16 v) {
        p[0] = u8(u16(v));
        p[1] = u8(u16(v) >> 8);
        p += 2;
    }
    void I32(i32 v) {
        for (int i = 0; i < 4; ++i) p[i] = u8(u32(v) >> (8 * i));
        p += 4;
    }
    void Bytes(const void* in, std::size_t n) {
        std::memcpy(p, in, n);
        p += n;
    }
};

// The slot's file name as the game gives it (relative, for messages and for MakeFilePath).
const char* SlotName(int n) {
    static char name[32];
    std::snprintf(name, sizeof name, "Save\\Save%02d.dat", n);
    return name;
}

bool ValidSlot(int n) {
    if (n >= 0 && n < SAVE_SLOT_MAX) return true;
    DebugMsg("save slot %d: no such slot", n);
    return false;
}

SAVE_HEAD ReadHead(const u8* bytes) {
    Reader r{bytes};
    SAVE_HEAD head;
    head.month = u16(r.I16());
    head.day = u16(r.I16());
    head.hour = u16(r.I16());
    head.minute = u16(r.I16());
    return head;
}

// A slot file's 3320 bytes; false when it is missing or shorter (a longer one gives its start).
bool ReadSlotFile(int n, u8* bytes) {
    plat::File* f = plat::FileOpenRead(MakeFilePath("%s", SlotName(n)));
    if (!f) return false;
    const i64 got = plat::FileRead(f, bytes, SAVE_FILE_SIZE);
    plat::FileClose(f);
    if (got == SAVE_FILE_SIZE) return true;
    DebugMsg("%s: %lld bytes, not a saved game of %d", SlotName(n), (long long)got, SAVE_FILE_SIZE);
    return false;
}

}  // namespace

void SAVE_ReadGameData(GAME_DATA* data, const u8* bytes) {
    Reader r{bytes};
    for (i16& v : data->start) v = r.I16();
    data->zero22 = r.I16();
    data->value24 = r.I32();
    for (i16& v : data->equip) v = r.I16();
    r.Bytes(data->zero52, sizeof data->zero52);
    r.Bytes(data->stageFlag, sizeof data->stageFlag);
    r.Bytes(data->zero85, sizeof data->zero85);
    data->byte91 = r.U8();
    data->stage = r.U8();
    data->cpuLevel = i8(r.U8());
    r.Bytes(data->zero94, sizeof data->zero94);
    for (WAZA_EXP& e : data->exp) {
        e.level = i8(r.U8());
        r.Bytes(e.zero1, sizeof e.zero1);
        e.useCnt = r.I32();
        e.exp = r.I16();
        e.shownExp = r.I16();
        e.penalty = r.I16();
        e.damage = r.I16();
        e.mastery = r.I16();
        e.zero18 = r.I16();
    }
}

void SAVE_WriteGameData(const GAME_DATA* data, u8* bytes) {
    Writer w{bytes};
    for (i16 v : data->start) w.I16(v);
    w.I16(data->zero22);
    w.I32(data->value24);
    for (i16 v : data->equip) w.I16(v);
    w.Bytes(data->zero52, sizeof data->zero52);
    w.Bytes(data->stageFlag, sizeof data->stageFlag);
    w.Bytes(data->zero85, sizeof data->zero85);
    w.U8(data->byte91);
    w.U8(data->stage);
    w.U8(u8(data->cpuLevel));
    w.Bytes(data->zero94, sizeof data->zero94);
    for (const WAZA_EXP& e : data->exp) {
        w.U8(u8(e.level));
        w.Bytes(e.zero1, sizeof e.zero1);
        w.I32(e.useCnt);
        w.I16(e.exp);
        w.I16(e.shownExp);
        w.I16(e.penalty);
        w.I16(e.damage);
        w.I16(e.mastery);
        w.I16(e.zero18);
    }
}

int SAVE_InitGameData() {
    GameData = GAME_DATA{};
    std::memcpy(GameData.start, kNewStart, sizeof kNewStart);
    GameData.value24 = 3000;
    std::memcpy(GameData.equip, kNewEquip, sizeof kNewEquip);
    GameData.byte91 = 1;
    GameData.stage = u8(plat::Rand() & 7);
    GameData.stageFlag[GameData.stage] = 1;
    GameData.cpuLevel = 0;
    return 1;
}

void SAVE_ScanSlots() {
    SaveSlotCnt = 0;
    u8 bytes[SAVE_FILE_SIZE];
    for (int n = 0; n < SAVE_SLOT_MAX; ++n) {
        SAVE_SLOT& slot = SaveSlotTbl[n];
        slot = SAVE_SLOT{};
        if (!ReadSlotFile(n, bytes)) continue;
        slot.present = 1;
        slot.head = ReadHead(bytes);
        ++SaveSlotCnt;
    }
}

int SAVE_WriteSlot(int n) {
    if (!ValidSlot(n)) return 0;
    const plat::LocalTime now = plat::GetLocalTime();
    const SAVE_HEAD head{u16(now.month), u16(now.day), u16(now.hour), u16(now.minute)};
    u8 bytes[SAVE_FILE_SIZE];
    Writer w{bytes};
    w.I16(i16(head.month));
    w.I16(i16(head.day));
    w.I16(i16(head.hour));
    w.I16(i16(head.minute));
    SAVE_WriteGameData(&GameData, bytes + SAVE_HEAD_SIZE);

    plat::CreateFolder(MakeFilePath("Save"));
    if (!WriteBinaryFile(MakeFilePath("%s", SlotName(n)), bytes, SAVE_FILE_SIZE)) {
        DebugMsg("%s: could not be written; the slot keeps what it held", SlotName(n));
        return 0;
    }
    SAVE_SLOT& slot = SaveSlotTbl[n];
    if (!slot.present) ++SaveSlotCnt;
    slot.present = 1;
    slot.head = head;
    return 1;
}

int SAVE_ReadSlot(int n) {
    if (!ValidSlot(n)) return 0;
    u8 bytes[SAVE_FILE_SIZE];
    if (!ReadSlotFile(n, bytes)) {
        SAVE_InitGameData();
        return 0;
    }
    SAVE_ReadGameData(&GameData, bytes + SAVE_HEAD_SIZE);
    // The equipped numbers index the per-group tables: one out of range takes its new-game value.
    for (int i = 0; i < GAME_EQUIP_MAX; ++i) {
        const i16 number = GameData.equip[i];
        if (number < 0 || number / 3 >= GAME_EXP_MAX) {
            DebugMsg("save slot %d: equipped technique %d out of range, %d used", n, number, kNewEquip[i]);
            GameData.equip[i] = kNewEquip[i];
        }
    }
    SAVE_ReadDebugTxt();
    return 1;
}

int SAVE_DeleteSlot(int n) {
    if (!ValidSlot(n)) return 0;
    if (!plat::DeleteFile(MakeFilePath("%s", SlotName(n)))) return 0;
    SAVE_SLOT& slot = SaveSlotTbl[n];
    if (slot.present) --SaveSlotCnt;
    slot.present = 0;
    return 1;
}

int SAVE_ReadDebugTxt() {
    plat::File* f = plat::FileOpenRead(MakeFilePath("Debug.txt"));
    if (!f) return 0;
    // Lines come in pieces of up to 255 characters. Comment lines ("//") are skipped and no other
    // line sets anything yet, so only the walk is left.
    char line[256];
    int len = 0;
    char block[4096];
    i64 got;
    while ((got = plat::FileRead(f, block, sizeof block)) > 0) {
        for (i64 i = 0; i < got; ++i) {
            if (block[i] == '\r') continue;  // text mode
            line[len++] = block[i];
            if (block[i] == '\n' || len == int(sizeof line) - 1) len = 0;
        }
    }
    plat::FileClose(f);
    return 1;
}
