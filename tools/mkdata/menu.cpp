// The battle menus' pictures: "Bmp\MainMenu.bmp", "Bmp\Menu.bmp", "Bmp\Equip.bmp" and the seven
// "Bmp\MenuBG%02d.bmp" (stored as their ".grp"), plain generated art from the menu writer.
#include <string>

#include "tools/mkdata/mkdata.h"
#include "tools/writers/menu_writer.h"

namespace mkdata {

bool BuildMainMenu(const std::string& dataDir, std::string* error) {
    if (!tools::SaveMenuPictures(dataDir)) {
        *error = dataDir + "/Bmp: cannot write the menu pictures";
        return false;
    }
    return true;
}

}  // namespace mkdata
