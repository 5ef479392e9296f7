// Script choice rectangles: up to eight hot rectangles the player chooses from with the mouse or the
// pad, each carrying the answer label the script jumps to.
#pragma once
#include "platform/types.h"

void _ass_initselectrect();
void _ass_termselectrect();
void _ass_dispselectrect(int flag);
// -1 when no choice wait is open; else 0 or 1 (a rectangle under the mouse) or 2 (one was chosen).
int _ass_renewselectrect();
int _ass_getselectrectwait();
int _ass_getselectrectans();
i32 _ass_getselectrectasnlabel();
