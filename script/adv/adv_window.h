// The text window: the box the script's messages appear in, its presets, its wipe and its frame.
#pragma once

void _ass_inittext();
void _ass_termttext();
// The debug overlay of the message line records (drawn while ass_debug is set).
void _ass_drawtext();
// 0 closed, 1 opening, 2 open, 3 closing.
int _ass_gettextwindowstate();
