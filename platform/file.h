// Files by the game's own names. Names arrive Windows-style ("Dat\Fnt10x10.fnt", "bmp\etc\tbl.dat"):
// '\' separates folders (a double-byte character's trail byte is never taken for one) and every
// component is matched case-insensitively against what is on disk.
#pragma once
#include <cstddef>
#include <string>

#include "platform/types.h"

namespace plat {

// The on-disk path for a game name: existing components matched case-insensitively, the rest as given.
std::string ResolvePath(const char* name);

// True for "/..." and for names whose second character is ':' (a drive letter). A leading '\' is
// not enough: the game's own names are prefixed with the start-up directory even then.
bool IsAbsoluteName(const char* name);

// The process's current directory, without a trailing '/' (except the root).
std::string GetCurrentDir();

struct File;

// Existing regular files only; null when it cannot be opened. A pipe, device or folder is refused
// at once (with a debug line) rather than waited on or read without end.
File* FileOpenRead(const char* name);
void FileClose(File* file);
i64 FileSize(File* file);                          // -1 on error
i64 FileRead(File* file, void* buffer, i64 count);  // bytes read (short at the end), -1 on error
bool FileSeek(File* file, i64 offset);              // from the start
i64 FileTell(File* file);
// The open file's descriptor, for a library that reads the checked file itself; it stays the File's.
int FileDescriptor(File* file);

// A file opened for writing from its start (created, or emptied when it exists); null on failure.
// For tools that stream a format out field by field; the game's own saves use WriteFileAtomic.
File* FileCreateWrite(const char* name);
i64 FileWrite(File* file, const void* data, i64 count);  // bytes written, -1 on error

// Writes a whole file so that a failure loses nothing: a fresh temporary file beside it, then a rename.
// The new file keeps the old one's mode (and owner where allowed). Returns false (and keeps any old
// file) when anything fails or comes up short, and when the old file is write-protected (this process
// may not write it, or its owner's write bit is off). A write of a file cut off by a kill leaves at
// most its temporary, which the next write of that file removes.
bool WriteFileAtomic(const char* name, const void* data, std::size_t size);

// FileOpenRead and WriteFileAtomic for a native path (the settings file): used as given, with no case
// matching and '\' an ordinary character of a name.
File* FileOpenReadNative(const std::string& path);
bool WriteFileAtomicNative(const std::string& path, const void* data, std::size_t size);

// The temporary name that the next write of the on-disk path in this process tries first.
std::string TemporaryName(const std::string& path);

// Tests stop a write at each of its steps (0 before the temporary is made, 1 once it is open, 2 after
// each write, 3 after the sync, 4 after the close, 5 after the rename, 6 at the end); null for none.
void SetWriteStepHook(void (*hook)(int step));

bool FileExists(const char* name);

// Removes a file (never a folder); false when there was none or it could not be removed.
bool DeleteFile(const char* name);

// Makes the folder when it is missing (its parent must exist); true when it is there afterwards.
bool CreateFolder(const char* name);

}  // namespace plat
