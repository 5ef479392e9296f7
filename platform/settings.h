// The settings store in place of the registry: typed values under a key path, kept in a per-user file
// ($XDG_CONFIG_HOME, default ~/.config) and written atomically.
#pragma once
#include "platform/types.h"

namespace plat {

constexpr u32 kRegSz = 1;
constexpr u32 kRegBinary = 3;
constexpr u32 kRegDword = 4;
constexpr u32 kRegMultiSz = 7;

// Like the registry's query: with data null, *size receives the stored size. With data, a stored
// value larger than *size is refused (false, nothing copied, *size kept); else it is copied and
// *size set.
// type may be null.
bool SettingsRead(const char* keyPath, const char* name, u32* type, void* data, u32* size);

// Creates the key when needed and stores the value; false when it could not be written.
bool SettingsWrite(const char* keyPath, const char* name, u32 type, const void* data, u32 size);

// Tests point the store at a file of their own; empty restores the default location.
void SetSettingsFile(const char* path);

}  // namespace plat
