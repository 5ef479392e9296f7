#include "tools/writers/battle_data_writer.h"

#include <cstring>

namespace tools {

namespace {

void PutCount(std::vector<u8>& bytes, size_t count) {
    bytes[0] = u8(count);
    bytes[1] = u8(count >> 8);
}

void SetName(char* dst, size_t size, const char* name) {
    if (!name) return;
    std::memset(dst, 0, size);
    std::strncpy(dst, name, size - 1);
}

}  // namespace

std::vector<u8> WazFile(const std::vector<WAZA_DATA>& records) {
    std::vector<u8> bytes(2 + WAZA_FILE_SIZE * records.size(), 0);
    PutCount(bytes, records.size());
    for (size_t i = 0; i < records.size(); ++i) WAZA_WriteRecord(&records[i], bytes.data() + 2 + WAZA_FILE_SIZE * i);
    return bytes;
}

std::vector<u8> TamaFile(const std::vector<TAMA_DATA>& records) {
    std::vector<u8> bytes(2 + TAMA_FILE_SIZE * records.size(), 0);
    PutCount(bytes, records.size());
    for (size_t i = 0; i < records.size(); ++i) TAMA_WriteRecord(&records[i], bytes.data() + 2 + TAMA_FILE_SIZE * i);
    return bytes;
}

std::vector<u8> CpuFile(const CPU_DATA& data) {
    std::vector<u8> bytes(CPU_DATA_SIZE, 0);
    CPU_WriteRecord(&data, bytes.data());
    return bytes;
}

WAZA_DATA NewWaza(const char* name) {
    WAZA_DATA d;
    WAZA_SetNewData(&d);
    SetName(d.name, sizeof(d.name), name);
    return d;
}

TAMA_DATA NewTama(i16 index, const char* name) {
    TAMA_DATA d;
    TAMA_SetNewData(&d);
    SetName(d.name, sizeof(d.name), name);
    d.inUse = 1;
    d.index = index;
    return d;
}

CPU_DATA NewCpu() {
    CPU_DATA d{};
    CPU_FillDefault(&d);
    return d;
}

}  // namespace tools
