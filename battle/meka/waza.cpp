#include "battle/meka/waza.h"

WAZA_DATA* CurWaza = nullptr;
WAZA_MOTION* CurMotion = nullptr;
WAZA_FRAME* CurFrame = nullptr;
