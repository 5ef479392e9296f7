#include "tools/writers/save_writer.h"

#include "tools/writers/byte_writer.h"

namespace tools {

std::vector<u8> MakeSaveSlot(const SAVE_HEAD& head, const std::vector<u8>& body) {
    ByteWriter w;
    w.U16(head.month).U16(head.day).U16(head.hour).U16(head.minute).Bytes(body);
    return w.bytes();
}

std::vector<u8> MakeSaveSlot(const SAVE_HEAD& head, const GAME_DATA& data) {
    std::vector<u8> body(GAME_DATA_SIZE);
    SAVE_WriteGameData(&data, body.data());
    return MakeSaveSlot(head, body);
}

std::vector<u8> MakeConfig(const u16* keys, const u16* pads, const CFG_OPTION& option) {
    ByteWriter w;
    for (int i = 0; i < 20; ++i) w.U16(keys[i]);
    for (int i = 0; i < 20; ++i) w.U16(pads[i]);
    w.Bytes(option.bytes, sizeof option.bytes).U16(option.words[0]).U16(option.words[1]);
    return w.bytes();
}

}  // namespace tools
