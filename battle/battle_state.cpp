// State of the battle frame steps that other modules raise.
#include "battle/battle.h"

i16 HitSlowCnt = 0;
i16 HitStopCnt = 0;
