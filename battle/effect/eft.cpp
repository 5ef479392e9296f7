#include "battle/effect/eft.h"

i16 EftCnt = 0;
