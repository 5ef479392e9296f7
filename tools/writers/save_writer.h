// Save-slot files ("Save\Save%02d.dat") and the configuration file ("Save\Zentri.cfg").
#pragma once
#include <vector>

#include "platform/types.h"
#include "screens/save/cfg.h"
#include "screens/save/save.h"

namespace tools {

// The 8-byte head (month, day, hour, minute) and the record's 3312 bytes.
std::vector<u8> MakeSaveSlot(const SAVE_HEAD& head, const std::vector<u8>& body);
std::vector<u8> MakeSaveSlot(const SAVE_HEAD& head, const GAME_DATA& data);

// The 20 key codes, the 20 joystick entries and the option block: 90 bytes.
std::vector<u8> MakeConfig(const u16* keys, const u16* pads, const CFG_OPTION& option);

}  // namespace tools
