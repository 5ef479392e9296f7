// RIFF chunk walking in place of the multimedia file functions: descend into a chunk (optionally
// searching the siblings inside a parent for an identifier), ascend behind it (chunks are padded to an
// even size), and plain reads and seeks in between.
#pragma once
#include "platform/types.h"

namespace plat {

constexpr u32 MakeFourCC(char a, char b, char c, char d) {
    return u32(u8(a)) | (u32(u8(b)) << 8) | (u32(u8(c)) << 16) | (u32(u8(d)) << 24);
}

struct RiffChunk {
    u32 id;
    u32 size;        // bytes of data (for "RIFF" and "LIST" including the form type)
    u32 formType;    // "RIFF" and "LIST" only
    u32 dataOffset;  // file offset of the chunk's data
};

struct RiffFile;

RiffFile* RiffOpen(const char* name);  // null when the file cannot be opened
void RiffClose(RiffFile* file);

// Reads the chunk header at the current position (and the form type of "RIFF" and "LIST", leaving the
// position behind it). With findId not 0, chunks of other identifiers are skipped until one matches;
// the search ends at the parent's end (the file's end without a parent). False when nothing is found.
bool RiffDescend(RiffFile* file, RiffChunk* chunk, const RiffChunk* parent, u32 findId);
// Moves behind the chunk and its pad byte.
bool RiffAscend(RiffFile* file, const RiffChunk* chunk);

i64 RiffRead(RiffFile* file, void* buffer, i64 count);  // bytes read, -1 on error
bool RiffSeek(RiffFile* file, i64 offset);              // from the start of the file
i64 RiffTell(RiffFile* file);
i64 RiffFileSize(RiffFile* file);

}  // namespace plat
