// The korvane executable: the shell's entry runs the game from the current directory.
#include <string>

#include "shell/sys.h"

int main(int argc, char** argv) {
    std::string cmdLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) cmdLine += ' ';
        cmdLine += argv[i];
    }
    return WinMain(nullptr, nullptr, cmdLine.data(), 1);
}
