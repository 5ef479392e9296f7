#include "platform/riff.h"

#include "platform/file.h"

namespace plat {

struct RiffFile {
    File* file;
};

namespace {
u32 Le32(const u8* p) { return u32(p[0]) | (u32(p[1]) << 8) | (u32(p[2]) << 16) | (u32(p[3]) << 24); }
}  // namespace

RiffFile* RiffOpen(const char* name) {
    File* f = FileOpenRead(name);
    return f ? new RiffFile{f} : nullptr;
}

void RiffClose(RiffFile* file) {
    if (!file) return;
    FileClose(file->file);
    delete file;
}

bool RiffDescend(RiffFile* file, RiffChunk* chunk, const RiffChunk* parent, u32 findId) {
    if (!file || !chunk) return false;
    const i64 fileSize = FileSize(file->file);
    const i64 end = parent ? i64(parent->dataOffset) + parent->size : fileSize;
    i64 pos = FileTell(file->file);
    for (;;) {
        if (pos < 0 || pos + 8 > end || pos + 8 > fileSize) return false;
        u8 head[8];
        if (!FileSeek(file->file, pos) || FileRead(file->file, head, 8) != 8) return false;
        RiffChunk c{Le32(head), Le32(head + 4), 0, u32(pos + 8)};
        bool hasForm = c.id == MakeFourCC('R', 'I', 'F', 'F') || c.id == MakeFourCC('L', 'I', 'S', 'T');
        if (findId == 0 || c.id == findId) {
            if (hasForm) {
                u8 form[4];
                if (c.size < 4 || FileRead(file->file, form, 4) != 4) return false;
                c.formType = Le32(form);
            }
            *chunk = c;
            return true;
        }
        pos = i64(c.dataOffset) + c.size + (c.size & 1);
    }
}

bool RiffAscend(RiffFile* file, const RiffChunk* chunk) {
    if (!file || !chunk) return false;
    return FileSeek(file->file, i64(chunk->dataOffset) + chunk->size + (chunk->size & 1));
}

i64 RiffRead(RiffFile* file, void* buffer, i64 count) { return file ? FileRead(file->file, buffer, count) : -1; }

bool RiffSeek(RiffFile* file, i64 offset) { return file && FileSeek(file->file, offset); }

i64 RiffTell(RiffFile* file) { return file ? FileTell(file->file) : -1; }

i64 RiffFileSize(RiffFile* file) { return file ? FileSize(file->file) : -1; }

}  // namespace plat
