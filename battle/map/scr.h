// The scroll buffer.
#pragma once
#include "platform/types.h"

// Full redraw of the buffer for a view centred at (cx, cy).
void SCR_Redraw(i32 cx, i32 cy);
