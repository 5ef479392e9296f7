// Stands in for the battle world until it is built: the battle's draw presents the sprites alone.
#include "battle/battle.h"
#include "shell/sys.h"

int BTL_Draw() {
    SYS_DrawDefault();
    return 1;
}
