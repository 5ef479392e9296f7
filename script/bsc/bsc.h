// Battle-script commands: the per-mech action queues a script drives.
#pragma once

// Moves the slot's queue to step value (the damage code uses 99), saving its step.
void mBSC_Chr_Interrupt(int slot, int value);
// The per-frame update of the scripted mech CurObj: its queue and its action handler.
int mBSC_Chr_Exec();
// The running actions the battle's scripted step waits for (queued actions, shots in flight, the
// camera still moving); never 0 while the battle script is off.
int mBSC_GetActCount();
// Ends the finished script actions' wait.
void mBSC_Clear();
