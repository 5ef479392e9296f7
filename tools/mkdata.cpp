// Builds the sample data folder the game starts in, one part per row of the table below.
//   korvane_mkdata [--if-missing] <data folder>
// --if-missing builds only when a file of the record is missing (or the record cannot be read), so that
// the play command, which runs it every time, makes again what the player removed and is quick otherwise.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tools/mkdata/mkdata.h"
#include "tools/writers/build_record.h"

#ifndef KORVANE_CJK_FONT
#define KORVANE_CJK_FONT "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc"
#endif

int main(int argc, char** argv) {
    const bool ifMissing = argc == 3 && std::string(argv[1]) == "--if-missing";
    if (argc != 2 && !ifMissing) {
        std::fprintf(stderr, "usage: korvane_mkdata [--if-missing] <data folder>\n");
        return 2;
    }
    const std::string dir = argv[argc - 1];
    const std::string font = KORVANE_CJK_FONT;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        std::fprintf(stderr, "korvane_mkdata: %s: %s\n", dir.c_str(), ec.message().c_str());
        return 1;
    }
    const std::vector<std::pair<const char*, std::function<bool(std::string*)>>> parts = {
        {"cursor", [&](std::string* e) { return mkdata::BuildCursor(dir, e); }},
        {"debug glyphs", [&](std::string* e) { return mkdata::BuildDebugGlyphs(dir, font, e); }},
        {"fonts", [&](std::string* e) { return mkdata::BuildFonts(dir, font, e); }},
        {"text window", [&](std::string* e) { return mkdata::BuildWindow(dir, e); }},
        {"sounds", [&](std::string* e) { return mkdata::BuildSounds(dir, e); }},
        {"main menu picture", [&](std::string* e) { return mkdata::BuildMainMenu(dir, font, e); }},
        {"opening movie", [&](std::string* e) { return mkdata::BuildMovie(dir, font, e); }},
        {"weapons", [&](std::string* e) { return mkdata::BuildWeapons(dir, e); }},
        // Before the battle, whose stage map 0 replaces the survival's plain one.
        {"survival", [&](std::string* e) { return mkdata::BuildSurvival(dir, font, e); }},
        {"effects and HUD", [&](std::string* e) { return mkdata::BuildEffectsAndHud(dir, e); }},
        {"battle", [&](std::string* e) { return mkdata::BuildBattle(dir, e); }},
        {"ranking pictures", [&](std::string* e) { return mkdata::BuildRanking(dir, font, e); }},
        {"level-up picture", [&](std::string* e) { return mkdata::BuildLevelUp(dir, font, e); }},
        {"title pictures", [&](std::string* e) { return mkdata::BuildTitle(dir, font, e); }},
        {"tutorial scripts", [&](std::string* e) { return mkdata::BuildTutorials(dir, KORVANE_SCRIPT_SRC_DIR, e); }},
    };
    // Files the game or the player changed since they were built (an edited technique, say) stay.
    tools::BuildRecord record(dir);
    if (ifMissing && record.Complete()) return 0;
    tools::SetBuildRecord(&record);
    for (const auto& [name, build] : parts) {
        const auto start = std::chrono::steady_clock::now();
        std::string error;
        if (!build(&error)) {
            std::fprintf(stderr, "korvane_mkdata: %s: %s\n", name, error.c_str());
            record.Save();
            return 1;
        }
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        std::printf("korvane_mkdata: %s (%lld ms)\n", name, static_cast<long long>(ms.count()));
    }
    tools::SetBuildRecord(nullptr);
    record.ForgetUnasked();
    if (!record.Save()) {
        std::fprintf(stderr, "korvane_mkdata: %s: cannot write the record of built files\n", dir.c_str());
        return 1;
    }
    return 0;
}
