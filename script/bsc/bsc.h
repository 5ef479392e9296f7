// Battle-script commands: the per-mech action queues a script drives.
#pragma once

// Moves the slot's queue to step value (the damage code uses 99), saving its step.
void mBSC_Chr_Interrupt(int slot, int value);
// The per-frame update of the scripted mech CurObj: its queue and its action handler.
int mBSC_Chr_Exec();

// MEKA_Create with the same arguments; 0.
int mBSC_Chr_Create(int slot, int team, int ctrl, int type, int x, int y);
// Camera mode 2 following the mech of slot a, with the mech of slot b as second object when b >= 0
// and slot b holds one; 0.
int mBSC_Cam_Chase_Set(int a, int b);
