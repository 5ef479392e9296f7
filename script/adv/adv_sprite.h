// Script sprites: the 128 slots of pictures, characters, busts, animations and movies that scripts
// load, show with timed transitions and release.
#pragma once

// Release every slot (script init and term).
void _ass_initsprite();
void _ass_termsprite();
// Steps the transitions once a frame.
void _ass_renewsprite();
void ASS_RenewSprite();
