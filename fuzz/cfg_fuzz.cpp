// The configuration file "Save\Zentri.cfg": the reader setting the system key device up, the tables
// compared with the file, and that device read for a frame with every key held, then for one with
// only the joystick's buttons pressed.
#include <cstring>

#include "fuzz/fuzz_support.h"
#include "platform/input_fake.h"
#include "screens/save/cfg.h"
#include "shell/input/inp.h"
#include "shell/input/key.h"
#include "tools/writers/save_writer.h"

fuzz::Seeds FuzzSeeds() {
    u16 keys[KEY_SLOT_COUNT], pads[KEY_SLOT_COUNT];
    for (int i = 0; i < KEY_SLOT_COUNT; ++i) {
        keys[i] = u16(0x10 + i);
        pads[i] = u16(1u << (i % 16));
    }
    CFG_OPTION option{};
    option.bytes[3] = 1;
    option.words[0] = 300;
    return {{"full", tools::MakeConfig(keys, pads, option)}};
}

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
    static plat::FakeInputBackend& input = *[] {
        fuzz::UseGameRoot();
        auto* fake = new plat::FakeInputBackend;
        fake->joysticks.push_back({});
        plat::SetInputBackend(fake);
        fuzz::Check(INP_Init(nullptr, nullptr) == fake, "fake input");
        return fake;
    }();
    fuzz::InputFile("Save/Zentri.cfg", data, size);
    const int read = CFG_Load();
    fuzz::Check(read == (size >= size_t(CFG_KEYS_SIZE)), "key tables read from a long enough file");
    input.keys.fill(0x80);
    input.joysticks[0].buttons = 0;
    KEY_Renew(&SysKey);
    input.keys.fill(0);
    input.joysticks[0].buttons = 0x1FF;
    KEY_Renew(&SysKey);
    if (read) {
        for (int i = 0; i < KEY_SLOT_COUNT; ++i) {
            const u16 key = u16(data[2 * i] | data[2 * i + 1] << 8);
            const u16 pad = u16(data[40 + 2 * i] | data[41 + 2 * i] << 8);
            fuzz::Check(SysKey.keys[i] == key && SysKey.padMap[i] == pad, "tables as read");
        }
        if (size >= size_t(CFG_FILE_SIZE)) fuzz::Check(std::memcmp(CfgOption.bytes, data + 80, 6) == 0, "options");
    }
    return 0;
}
