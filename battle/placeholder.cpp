// Stands in for the battle world until it is built: the weapon file is only checked for, and the
// battle's draw presents the sprites alone.
#include "battle/battle.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "platform/file.h"
#include "shell/common.h"
#include "shell/sys.h"

int TAMA_LoadData() {
    plat::File* f = plat::FileOpenRead(MakeFilePath("Dat\\Tama.dat"));
    if (!f) return 0;
    plat::FileClose(f);
    return 1;
}

void TAMA_ClearData() {}

int BTL_Draw() {
    SYS_DrawDefault();
    return 1;
}

// The battle draw offset stays (0, 0) until the renderer sets it.
void BTL_DrawSurfOfs(int surf, int x, int y, const RECT* src) {
    if (!SprDrawSurf || !*SprDrawSurf) return;
    BLT_Copy(*SprDrawSurf, x, y, SPR_GetSlotSurf(surf), src, 1);
}
