#include "screens/save/cfg.h"

#include <cstring>

#include "platform/file.h"
#include "shell/common.h"
#include "shell/input/key.h"

CFG_OPTION CfgOption;

namespace {

constexpr const char* kCfgName = "Save\\Zentri.cfg";

void SetDefaultOption() {
    CfgOption = CFG_OPTION{};
    CfgOption.bytes[3] = 1;
}

u16 GetU16(const u8* p) { return u16(p[0] | (p[1] << 8)); }

void PutU16(u8* p, u16 v) {
    p[0] = u8(v);
    p[1] = u8(v >> 8);
}

}  // namespace

int CFG_Load() {
    u8 data[CFG_FILE_SIZE] = {};
    i64 got = -1;
    if (plat::File* f = plat::FileOpenRead(MakeFilePath("%s", kCfgName))) {
        got = plat::FileRead(f, data, sizeof data);
        plat::FileClose(f);
    }
    SetDefaultOption();
    if (got < CFG_KEYS_SIZE) {
        if (got >= 0) DebugMsg("%s: %lld bytes, too short for the key tables; defaults used", kCfgName, (long long)got);
        KEY_Init(&SysKey, nullptr, nullptr);
        return 0;
    }
    u16 keys[KEY_SLOT_COUNT], pads[KEY_SLOT_COUNT];
    for (int i = 0; i < KEY_SLOT_COUNT; ++i) {
        keys[i] = GetU16(data + 2 * i);
        pads[i] = GetU16(data + 40 + 2 * i);
    }
    KEY_Init(&SysKey, keys, pads);
    if (got >= CFG_FILE_SIZE) {
        std::memcpy(CfgOption.bytes, data + 80, 6);
        CfgOption.words[0] = GetU16(data + 86);
        CfgOption.words[1] = GetU16(data + 88);
    }
    return 1;
}

int CFG_Save() {
    u8 data[CFG_FILE_SIZE];
    for (int i = 0; i < KEY_SLOT_COUNT; ++i) {
        PutU16(data + 2 * i, SysKey.keys[i]);
        PutU16(data + 40 + 2 * i, SysKey.padMap[i]);
    }
    std::memcpy(data + 80, CfgOption.bytes, 6);
    PutU16(data + 86, CfgOption.words[0]);
    PutU16(data + 88, CfgOption.words[1]);
    plat::CreateFolder(MakeFilePath("Save"));
    if (!WriteBinaryFile(MakeFilePath("%s", kCfgName), data, sizeof data)) {
        DebugMsg("%s: could not be written", kCfgName);
        return 0;
    }
    return 1;
}
