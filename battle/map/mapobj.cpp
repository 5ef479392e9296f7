#include "battle/map/mapobj.h"

i16 MapObjLiveCnt = 0;
