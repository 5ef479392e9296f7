// What the sample data builder wrote, file by file, so that a rebuild never replaces a file the game
// or the player has changed since (an edited technique, weapon or CPU file).
#pragma once
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/types.h"

namespace tools {

// Reads a whole file as the game reads a data file: regular files only (a pipe or device is refused at
// once, never waited on), at most limit bytes. Missing means nothing at all is at the path: a dangling
// link or a folder there is a failure.
enum class ReadResult { Ok, Missing, Failed };
ReadResult ReadDataFile(const std::string& path, std::vector<u8>* out, i64 limit = i64(64) << 20);

class BuildRecord {
public:
    // The record of the folder dir (its file ".mkdata-record"). A folder without one was built before
    // records were kept, and its files count as the builder's; a record that is there but cannot be
    // read counts none as the builder's, and is never replaced.
    explicit BuildRecord(std::string dir);

    enum class Action { Write, Same, Keep };
    // What to do with path (under the folder) that the builder would give these bytes: write it, leave
    // it because it already holds them, or keep it because it changed since the builder wrote it.
    Action Decide(const std::string& path, const std::vector<u8>& bytes);
    // The builder wrote (or found) these bytes at path.
    void Note(const std::string& path, const std::vector<u8>& bytes);
    // Forgets the files no Decide asked about since the record was read: after a whole build, the files
    // this builder no longer writes.
    void ForgetUnasked();
    // Writes the record through the game's atomic writer; false on failure. A record that could not be
    // read stays as it is, with a line saying so.
    bool Save() const;
    // True when the record was read and every file it names is there: nothing to build again.
    bool Complete() const;

    static u64 Hash(const std::vector<u8>& bytes);

private:
    std::string Key(const std::string& path) const;

    std::string dir_;
    bool legacy_ = false;      // no record yet
    bool unreadable_ = false;  // a record that could not be read
    std::map<std::string, u64> hashes_;
    std::set<std::string> asked_;
};

// While set, SaveFile asks the record first, writes only what it allows and notes what it wrote.
void SetBuildRecord(BuildRecord* record);

}  // namespace tools
