// The battle menus' pictures for tests and sample data, plain generated art laid out on the rectangles
// the menus cut: "Bmp\MainMenu.bmp" (five 96×32 buttons at (0, 32i), their overlays at (96, 32i)),
// "Bmp\Menu.bmp" (mech cards and their highlights, command buttons, technique-line backgrounds),
// "Bmp\Equip.bmp" (row and category panels, tabs, the slot marker, the blank icon, 45 group icons) and
// the backgrounds "Bmp\MenuBG00.bmp" .. "Bmp\MenuBG06.bmp", each written as its ".grp".
#pragma once
#include <string>

#include "tools/writers/grp_writer.h"

namespace tools {

constexpr int kMenuBgCount = 7;

GrpImage MainMenuPicture();
GrpImage MenuPicture();
GrpImage EquipPicture();
GrpImage MenuBgPicture(int n);
// All of them under "<dir>/Bmp/"; false when one cannot be written.
bool SaveMenuPictures(const std::string& dir);

}  // namespace tools
