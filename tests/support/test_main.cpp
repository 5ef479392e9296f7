// Every test program runs headless (SDL's dummy video and audio drivers) and keeps its settings in a
// folder of its own, never in the user's: test programs run side by side, and what one stores (a
// window mode, a key table) must not reach another or a later run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    std::string config = (std::filesystem::temp_directory_path() / "korvane-test-config-XXXXXX").string();
    const bool own = mkdtemp(config.data()) != nullptr;
    if (own) setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    if (own) std::filesystem::remove_all(config, ignored);
    return result;
}
