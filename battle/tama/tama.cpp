#include "battle/tama/tama.h"

i16 TamaShotCnt = 0;
