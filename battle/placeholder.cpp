// Stands in for the battle world until it is built: the weapon file is only checked for, and the
// battle's draw presents the sprites alone.
#include "battle/battle.h"
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

// ---- battle renderer: script picture ----
// Until the battle renderer is built, the script's battle picture is the sprites alone.
#include "graphics/sprite/spr.h"

int BTL_DrawScript() {
    SPR_DrawAllSpr(-1);
    return 1;
}
