// The ranking screen's pictures (stored as ".grp"): "Bmp\etc\Ranking.bmp" with its frame, caption,
// row plate, label and digit strip, the view's background "bmp\etc\ttt.bmp" and the closing
// picture "Bmp\etc\etc_t01.bmp". Plain generated art with words from the font.
#include <filesystem>
#include <string>
#include <vector>

#include "tools/mkdata/canvas.h"
#include "tools/mkdata/lettering.h"
#include "tools/mkdata/mkdata.h"

namespace mkdata {

bool BuildRanking(const std::string& dataDir, const std::string& fontFile, std::string* error) {
    Canvas sheet(640, 256);
    // The table frame blended under the rows.
    for (int y = 112; y < 240; ++y) sheet.Fill(0, y, 208, y + 1, Rgb(30, 40 + (y - 112), 120));
    sheet.Frame(0, 112, 208, 240, 3, Rgb(200, 220, 255));
    // The caption copied at the foot of the screen: a band with bars for its letters.
    sheet.Fill(216, 208, 506, 242, Rgb(20, 30, 70));
    sheet.Frame(216, 208, 506, 242, 2, Rgb(230, 200, 90));
    auto plot = [](Canvas& c) { return [&c](int x, int y, u16 colour) { c.Put(x, y, colour); }; };
    Ink ink;
    if (!Letter(fontFile, "生存模式 排行榜", 24, &ink, error)) return false;
    ink.StampShadowed(361 - ink.width / 2, 213, Rgb(250, 240, 200), Rgb(10, 10, 30), plot(sheet));
    // The row plate: a shaded band with a light rim; the date text and the waves go on top.
    for (int y = 120; y < 152; ++y) sheet.Fill(216, y, 536, y + 1, Rgb(40, 50 + 3 * (y - 120), 110));
    sheet.Frame(216, 120, 536, 152, 2, Rgb(170, 200, 250));
    // The "waves" label, copied onto the row at (144, 7) under the end of the date line: its words keep
    // to the lower rows, right of the time.
    if (!Letter(fontFile, "到達波數", 14, &ink, error)) return false;
    ink.StampShadowed(552 - 2 - ink.width, 8, Rgb(255, 220, 140), Rgb(40, 10, 10), plot(sheet));
    // Digits 0..9, 16×16 each, from (0, 56).
    for (int d = 0; d < 10; ++d) sheet.Digit(16 * d + 3, 58, 10, 12, 2, d, Rgb(255, 240, 120));

    Canvas back(640, 480);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            back.Put(x, y, Rgb(16 + y / 12, 24 + ((x / 32 + y / 32) % 2) * 16, 60 + y / 8));

    Canvas closing(640, 480);
    for (int y = 0; y < 480; ++y) closing.Fill(0, y, 640, y + 1, Rgb(y / 3, y / 4, 40 + y / 4));
    closing.Frame(120, 200, 520, 280, 4, Rgb(255, 255, 255));
    if (!Letter(fontFile, "感謝遊玩", 40, &ink, error)) return false;
    ink.StampShadowed(320 - ink.width / 2, 220, Rgb(240, 220, 160), Rgb(20, 10, 40), plot(closing));

    // The game names "Bmp\etc" and "bmp\etc"; the data folder holds both spellings as folders, so
    // each picture goes where its name leads (the closing picture is named both ways).
    const struct {
        const char* path;
        const Canvas* canvas;
    } files[] = {{"/Bmp/etc/Ranking.grp", &sheet},
                 {"/Bmp/etc/etc_t01.grp", &closing},
                 {"/bmp/etc/etc_t01.grp", &closing},
                 {"/bmp/etc/ttt.grp", &back}};
    for (const auto& f : files) {
        const std::string path = dataDir + f.path;
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
        if (!f.canvas->Save(path)) {
            *error = path + ": cannot write";
            return false;
        }
    }
    return true;
}

}  // namespace mkdata
