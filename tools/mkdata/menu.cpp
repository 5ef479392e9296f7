// The battle menus' pictures: "Bmp\MainMenu.bmp", "Bmp\Menu.bmp", "Bmp\Equip.bmp" and the seven
// "Bmp\MenuBG%02d.bmp" (stored as their ".grp"): the menu writer's art, with words where it has marks
// standing for them.
#include <cstdio>
#include <string>

#include "screens/menu/menu.h"
#include "tools/mkdata/canvas.h"
#include "tools/mkdata/lettering.h"
#include "tools/mkdata/mkdata.h"
#include "tools/writers/menu_writer.h"

namespace mkdata {

namespace {

constexpr u16 kInk = Rgb(250, 250, 236);
constexpr u16 kShadow = Rgb(16, 16, 24);

class Sheet {
public:
    Sheet(tools::GrpImage img, const std::string& fontFile) : img_(std::move(img)), font_(fontFile) {}
    u16 Get(int x, int y) const {
        const size_t at = (size_t(y) * img_.width + size_t(x)) * 2;
        return u16(img_.pixels[at] | img_.pixels[at + 1] << 8);
    }
    void Put(int x, int y, u16 c) {
        if (x < 0 || y < 0 || x >= int(img_.width) || y >= int(img_.height)) return;
        const size_t at = (size_t(y) * img_.width + size_t(x)) * 2;
        img_.pixels[at] = u8(c);
        img_.pixels[at + 1] = u8(c >> 8);
    }
    // The writer's plates are shaded by row only: each row of the box takes the colour its pixel in
    // column fromX has, which wipes the marks standing for a label.
    void Wipe(int l, int t, int r, int b, int fromX) {
        for (int y = t; y < b; ++y) {
            const u16 c = Get(fromX, y);
            for (int x = l; x < r; ++x) Put(x, y, c);
        }
    }
    // The words centred on the box (l, t)-(r, b) in lines `height` pixels high.
    bool Words(const std::string& text, int l, int t, int r, int b, int height, std::string* error) {
        Ink ink;
        if (!Letter(font_, text, height, &ink, error)) return false;
        ink.StampShadowed(l + (r - l - ink.width) / 2, t + (b - t - height) / 2, kInk, kShadow,
                          [this](int x, int y, u16 c) { Put(x, y, c); });
        return true;
    }
    bool Save(const std::string& path, std::string* error) const {
        if (tools::SaveGrp(path, img_, true)) return true;
        *error = path + ": cannot write";
        return false;
    }

private:
    tools::GrpImage img_;
    std::string font_;
};

// The main (pause) menu's buttons, by action: equipment, the mech and technique menus, the web page,
// the save files and the last, which has no action.
bool MainMenu(const std::string& dataDir, const std::string& fontFile, std::string* error) {
    Sheet s(tools::MainMenuPicture(), fontFile);
    const char* const labels[MENU_MAIN_ITEMS] = {"裝備", "機體資料", "網頁", "存檔", "其他"};
    for (int b = 0; b < MENU_MAIN_ITEMS; ++b) {
        s.Wipe(16, 32 * b + 14, 80, 32 * b + 18, 8);
        if (!s.Words(labels[b], 0, 32 * b, 96, 32 * b + 32, 14, error)) return false;
    }
    return s.Save(dataDir + "/Bmp/MainMenu.grp", error);
}

// The technique menu's five commands: add a technique, save the file, the CPU and weapon editors, the
// next page.
bool Menu(const std::string& dataDir, const std::string& fontFile, std::string* error) {
    Sheet s(tools::MenuPicture(), fontFile);
    const char* const commands[5] = {"新增", "存檔", "CPU", "武器", "翻頁"};
    for (int k = 0; k < 5; ++k) {
        // The button is a 32 × 20 plate with a one-pixel rim: the words keep inside the rim.
        s.Wipe(40 * k + 1, 248, 40 * k + 31, 252, 40 * k + 3);
        for (int y = 248; y < 252; ++y) s.Put(40 * k + 31, y, s.Get(40 * k + 31, 246));  // the last dot is on the rim
        if (!s.Words(commands[k], 40 * k + 1, 241, 40 * k + 31, 259, 13, error)) return false;
    }
    return s.Save(dataDir + "/Bmp/Menu.grp", error);
}

// The equipment menus: the grid's rows by the moment a button picks them (near, far, dashing,
// boosting), its columns by button, the six categories with the groups they hold, and the groups.
bool Equip(const std::string& dataDir, const std::string& fontFile, std::string* error) {
    Sheet s(tools::EquipPicture(), fontFile);
    const char* const rows[4] = {"近距離", "遠距離", "衝刺中", "噴射中"};
    for (int r = 0; r < 4; ++r) {
        s.Wipe(68 * r + 8, 44, 68 * r + 66, 52, 68 * r + 4);
        if (!s.Words(rows[r], 68 * r, 32, 68 * r + 68, 64, 14, error)) return false;
    }
    // The tabs show their tops above the rows.
    const char* const buttons[3] = {"Z", "X", "C"};
    for (int t = 0; t < 3; ++t)
        if (!s.Words(buttons[t], 568 + 24 * t, 2, 592 + 24 * t, 28, 20, error)) return false;
    // The picker shows each category's label (92 × 52 from (92c, 64)) in a panel of the category's
    // height: the last two panels are 32 rows, so their labels keep to those rows and end in the
    // plate's bottom edge.
    for (int c = 0; c < MENU_CATEGORIES; ++c) {
        char range[16];
        std::snprintf(range, sizeof range, "%02d-%02d", MenuCategoryTbl[c], MenuCategoryTbl[c + 1] - 1);
        const int x = 92 * c, shown = c < 4 ? 52 : 32;
        s.Wipe(x + 8, 84, x + 90, 94, x + 4);
        if (shown < 52)
            for (int px = x; px < x + 92; ++px) s.Put(px, 64 + shown - 1, s.Get(px, 64 + 51));
        const int name = shown < 52 ? 66 : 72, line = shown < 52 ? 15 : 22;
        if (!s.Words("第" + std::to_string(c + 1) + "類", x, name, x + 92, name + 14, 14, error) ||
            !s.Words(range, x, name + line, x + 92, name + line + 14, 14, error))
            return false;
    }
    for (int t = 0; t < MENU_WAZA_GROUPS; ++t) {
        const int x = (t % 6) * 92, y = (t / 6) * 20 + 200;
        s.Wipe(x + 4, y + 4, x + 90, y + 16, x + 2);
        if (!s.Words(TechniqueGroupName(t), x, y, x + 92, y + 20, 14, error)) return false;
    }
    return s.Save(dataDir + "/Bmp/Equip.grp", error);
}

}  // namespace

bool BuildMainMenu(const std::string& dataDir, const std::string& fontFile, std::string* error) {
    // The backgrounds come as they are; the three labelled sheets are written again over the writer's.
    if (!tools::SaveMenuPictures(dataDir)) {
        *error = dataDir + "/Bmp: cannot write the menu pictures";
        return false;
    }
    return MainMenu(dataDir, fontFile, error) && Menu(dataDir, fontFile, error) && Equip(dataDir, fontFile, error);
}

}  // namespace mkdata
