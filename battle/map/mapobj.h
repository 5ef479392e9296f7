// Background-object pieces drawn in front of sprites: the extension record of object kind 5 and the
// live count.
#pragma once
#include "platform/types.h"

struct MAP_OBJ_WORK {
    RECT src;  // the piece's rectangle in the object sheet
};

extern i16 MapObjLiveCnt;  // live pieces (kind-5 objects)
