#include "battle/cpu/cpu.h"

CPU_WORK CpuWorkTbl[CPU_WORK_MAX];
