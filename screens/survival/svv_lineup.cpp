// The survival line-up machine: which enemy kinds each wave brings, and when the stage changes. No
// drawing and no files, so it is tested alone.
#include <cstring>

#include "screens/survival/svv.h"

i32 SvvWave = 0;
SVV_LINEUP SvvLineup{};

void SVV_ResetLineup() {
    std::memset(&SvvLineup, 0, sizeof SvvLineup);
    for (SVV_LINEUP_SLOT& slot : SvvLineup.slot) slot.period = 1;
    SvvLineup.slot[0].period = 5;
}

int SVV_StepLineup(i32* kinds) {
    SVV_LINEUP& L = SvvLineup;
    L.stageChange = 0;
    int taken = 0;
    for (int s = 0; s < SVV_SLOT_MAX; s++) {
        kinds[s] = -1;
        // Slot 0 may set the flag in this very step, so the test is made slot by slot.
        if (s > L.limit - L.stageChange) continue;
        SVV_LINEUP_SLOT& slot = L.slot[s];
        if (s == 0 && slot.counter == slot.period - 1) {
            L.stageChange = 1;
            L.stage = L.stage >= SVV_STAGE_MAX - 1 ? 0 : L.stage + 1;
        }
        kinds[s] = slot.counter / (s + 1);
        slot.counter++;
        if (s == 0 && slot.level[0] > 1 && slot.counter < slot.period - 1) slot.counter++;
        if (slot.counter >= slot.period * (s + 1)) {
            slot.counter -= slot.period * (s + 1);
            for (int k = 0; k < slot.period && k < SVV_KIND_MAX; k++) slot.level[k]++;
            slot.period += s + 1;
            if (slot.period >= SVV_PERIOD_MAX) slot.period = SVV_PERIOD_MAX;
            if (s == 0 && slot.period % 3 == 0) L.limit++;
        }
        taken++;
    }
    return taken;
}

void SVV_SkipLineup(int n) {
    SvvWave = n;
    SVV_ResetLineup();
    i32 scratch[SVV_SLOT_MAX];
    i32 changed = 0;
    for (int i = 0; i < n; i++) {
        SVV_StepLineup(scratch);
        changed |= SvvLineup.stageChange;
    }
    SvvLineup.stageChange = changed;
}

void SVV_NextWave() { SvvWave++; }
