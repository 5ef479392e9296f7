// Mech action states, movement and the per-frame drivers: the player's pad, dash and boost, the
// action-state handlers (the hit, blown-away and down states shared by every controller), movement
// in sub-steps with mech and map collision, and the sprite shake of the timed states.
#pragma once
#include "platform/types.h"

// Shake and flash of every mech sprite, once per drawn frame.
void MEKA_RenewShake();
