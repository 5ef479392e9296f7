// The history record's bytes, the insertion of a finished run and the two history files.
#include <cstring>

#include "platform/file.h"
#include "screens/ranking/his.h"

HIS_DATA HisData{};

namespace {

u32 GetU32(const u8*& p) {
    const u32 v = u32(p[0]) | u32(p[1]) << 8 | u32(p[2]) << 16 | u32(p[3]) << 24;
    p += 4;
    return v;
}
u16 GetU16(const u8*& p) {
    const u16 v = u16(p[0] | (p[1] << 8));
    p += 2;
    return v;
}
void PutU32(u8*& p, u32 v) {
    for (int i = 0; i < 4; ++i) *p++ = u8(v >> (8 * i));
}
void PutU16(u8*& p, u16 v) {
    *p++ = u8(v);
    *p++ = u8(v >> 8);
}

const char* const kHistoryFiles[] = {"History.dat", "Save\\Svv.dat"};

}  // namespace

void HIS_ReadData(HIS_DATA* data, const u8* bytes) {
    const u8* p = bytes;
    data->word0 = i32(GetU32(p));
    for (HIS_ENTRY& e : data->entry) {
        e.word0 = i32(GetU32(p));
        e.waves = i32(GetU32(p));
        for (i32& t : e.type) t = i32(GetU32(p));
        for (u16& f : e.time) f = GetU16(p);
    }
}

void HIS_WriteData(const HIS_DATA* data, u8* bytes) {
    u8* p = bytes;
    PutU32(p, u32(data->word0));
    for (const HIS_ENTRY& e : data->entry) {
        PutU32(p, u32(e.word0));
        PutU32(p, u32(e.waves));
        for (i32 t : e.type) PutU32(p, u32(t));
        for (u16 f : e.time) PutU16(p, f);
    }
}

int HIS_GetEntryPlace(const HIS_DATA* data) {
    const i32 waves = data->entry[HIS_ENTRY_MAX].waves;
    for (int i = 0; i < HIS_ENTRY_MAX; ++i)
        if (data->entry[i].waves <= waves) return i;
    return HIS_ENTRY_MAX;
}

int HIS_StoreEntry(HIS_DATA* data) {
    const int p = HIS_GetEntryPlace(data);
    if (p >= HIS_ENTRY_MAX) return p;
    for (int i = HIS_ENTRY_MAX - 1; i > p; --i) data->entry[i] = data->entry[i - 1];
    data->entry[p] = data->entry[HIS_ENTRY_MAX];
    return p;
}

int SVV_SaveHistory() {
    u8 bytes[HIS_DATA_SIZE];
    HIS_WriteData(&HisData, bytes);
    if (!plat::CreateFolder(MakeFilePath("Save"))) DebugMsg("history: cannot make the folder Save");
    int ok = 1;
    for (const char* name : kHistoryFiles) {
        if (WriteBinaryFile(MakeFilePath("%s", name), bytes, HIS_DATA_SIZE)) continue;
        DebugMsg("history: %s could not be written; the old file is kept", name);
        ok = 0;
    }
    return ok;
}

int SVV_LoadHistory() {
    plat::File* f = plat::FileOpenRead(MakeFilePath("Save\\Svv.dat"));
    if (!f) return 0;
    u8 bytes[HIS_DATA_SIZE];
    const i64 got = plat::FileRead(f, bytes, HIS_DATA_SIZE);
    plat::FileClose(f);
    if (got != HIS_DATA_SIZE) {
        DebugMsg("Save\\Svv.dat: %lld bytes, not a history of %d", (long long)got, HIS_DATA_SIZE);
        return 0;
    }
    HIS_ReadData(&HisData, bytes);
    return 1;
}
