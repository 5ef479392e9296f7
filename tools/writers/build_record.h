// What the sample data builder wrote, file by file, so that a rebuild never replaces a file the game
// or the player has changed since (an edited technique, weapon or CPU file).
#pragma once
#include <map>
#include <string>
#include <vector>

#include "platform/types.h"

namespace tools {

class BuildRecord {
public:
    // The record of the folder dir (its file ".mkdata-record"); a folder without one was built before
    // records were kept, and its files count as the builder's.
    explicit BuildRecord(std::string dir);

    enum class Action { Write, Same, Keep };
    // What to do with path (under the folder) that the builder would give these bytes: write it, leave
    // it because it already holds them, or keep it because it changed since the builder wrote it.
    Action Decide(const std::string& path, const std::vector<u8>& bytes);
    // The builder wrote (or found) these bytes at path.
    void Note(const std::string& path, const std::vector<u8>& bytes);
    // Writes the record (temporary, then rename); false on failure.
    bool Save() const;

    static u64 Hash(const std::vector<u8>& bytes);

private:
    std::string Key(const std::string& path) const;

    std::string dir_;
    bool legacy_ = false;  // no record yet
    std::map<std::string, u64> hashes_;
};

// While set, SaveFile asks the record first, writes only what it allows and notes what it wrote.
void SetBuildRecord(BuildRecord* record);

}  // namespace tools
