// The battle's data files for tests and sample data, built on the game's own record writers:
// "Dat\%s.waz" (techniques), "Dat\Tama.dat" (weapons) and "Dat\%s.cpu" (CPU behaviour).
#pragma once
#include <vector>

#include "battle/data/cpu_data.h"
#include "battle/data/tama_data.h"
#include "battle/data/waza_data.h"
#include "platform/types.h"

namespace tools {

// i16 count, then each record's 4242 bytes.
std::vector<u8> WazFile(const std::vector<WAZA_DATA>& records);
// i16 count, then each record's 1422 bytes (the own index as the record holds it).
std::vector<u8> TamaFile(const std::vector<TAMA_DATA>& records);
// The record's 9584 bytes.
std::vector<u8> CpuFile(const CPU_DATA& data);

// A new technique / weapon / CPU record with the game's defaults (weapon: own index `index`, in use).
WAZA_DATA NewWaza(const char* name = nullptr);
TAMA_DATA NewTama(i16 index, const char* name = nullptr);
CPU_DATA NewCpu();

}  // namespace tools
