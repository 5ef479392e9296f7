// The world the script fuzzers run in: a headless display brought up once, a private folder made
// current with the seed scripts the state blocks name, and a clock the input drives.
#pragma once
#include <string>

#include "platform/types.h"
#include "shell/input/key.h"

namespace fuzz {

class ScriptWorld {
public:
    static ScriptWorld& Get();
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    std::string ScriptPath(const std::string& name) const { return dir_ + "/script/" + name; }

    KEY_DEVICE key{};
    u32 now = 0;
    // Set when an update was cut by the statement budget: the next ones would repeat it.
    bool spun = false;

private:
    ScriptWorld();
    std::string dir_;
};

int GameFunc(i32 n);

}  // namespace fuzz
