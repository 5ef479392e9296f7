#include "screens/save/save.h"

GAME_DATA GameData;
