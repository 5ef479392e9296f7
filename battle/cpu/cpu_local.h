// What the decision step and the action handlers of the CPU AI share: the current CPU mech with its
// record, data and target.
#pragma once
#include "battle/cpu/cpu.h"
#include "battle/data/cpu_data.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"

namespace cpu {

struct Cur {
    LIST_DATA* obj = nullptr;
    MEKA_WORK* m = nullptr;
    CPU_WORK* w = nullptr;
    CPU_DATA* data = nullptr;
    LIST_DATA* target = nullptr;  // null unless the target is a live mech
    MEKA_WORK* tm = nullptr;
};

MEKA_WORK* MekaOf(LIST_DATA* obj);
// CurObj as a CPU mech of a slot whose type has CPU data; false otherwise.
bool GetCur(Cur* c);
// A movement with a handler in CpuActTbl (0..5); anything else makes the mode unusable.
bool UsableMove(int move);

}  // namespace cpu
