#include <filesystem>
#include <fstream>
#include <sstream>

#include "tools/mkdata/mkdata.h"
#include "tools/writers/byte_writer.h"
#include "tools/writers/script_asm.h"

namespace mkdata {

bool BuildTutorials(const std::string& dataDir, const std::string& sourceDir, std::string* error) {
    std::error_code ec;
    std::filesystem::create_directories(dataDir + "/script", ec);
    for (const char* name : {"TT_Move", "TT_At", "TT_Combo", "TT_Pow", "TT_Wnd"}) {
        std::ifstream in(sourceDir + "/" + name + ".txt");
        if (!in) {
            *error = std::string(name) + ".txt: not found in " + sourceDir;
            return false;
        }
        std::stringstream source;
        source << in.rdbuf();
        const tools::ScriptAsmResult r = tools::AssembleScript(source.str());
        if (!r.ok) {
            *error = std::string(name) + ".txt: " + r.error;
            return false;
        }
        if (!tools::SaveFile(dataDir + "/script/" + name + ".scr", r.bytes)) {
            *error = std::string("script/") + name + ".scr: not written";
            return false;
        }
    }
    return true;
}

}  // namespace mkdata
