#include "tests/harness/tutorial_harness.h"

#include <cstdio>

#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "platform/picture.h"
#include "screens/btl/btl.h"
#include "script/adv/adv_select.h"
#include "script/bsc/bsc.h"
#include "script/core/ass.h"
#include "script/script.h"
#include "shell/sys.h"
#include "tests/harness/battle_harness.h"

namespace harness {

std::string TutorialLine(int update) {
    const ASS_PARTS& parts = ASS_GetParts();
    char buf[256];
    std::snprintf(buf, sizeof(buf), "%d seq=%u adv=%d loop=%d end=%d/%d wait=%d page=%d win=%d btl=%d cnt=%d", update,
                  SYS_GetSeq(0), AdvState, AdvLoopResult, _ass_getscriptend(), _ass_getscriptendret(),
                  GetScriptWait() ? GetScriptWaitFunc() : -1, parts.getPageState(), parts.getWindowState(),
                  BTL_GetState(0), BscActCnt);
    std::string line = buf;
    for (int slot = 0; slot < MEKA_SLOT_MAX; slot++) {
        const LIST_DATA* o = MEKA_GetSlot(slot);
        if (!o || !o->meka) continue;
        std::snprintf(buf, sizeof(buf), " | %d:%d,%d a%d q%d", slot, o->x, o->y, o->meka->act, BscQueueTbl[slot].cur);
        line += buf;
    }
    if (update % 30 == 0) {
        std::snprintf(buf, sizeof(buf), " pic=%08x", BackBufferSum());
        line += buf;
    }
    return line;
}

void ScriptReader::Reset() {
    choices_ = 0;
    lastWaited_ = -1;
    input_.keys.fill(0);
    input_.button[0] = false;
    input_.cursorX = input_.cursorY = 0;
}

void ScriptReader::Answer(int update) {
    input_.keys.fill(0);
    input_.button[0] = false;
    const int waited = GetScriptWait() ? GetScriptWaitFunc() : -1;
    if (lastWaited_ == ASS_WAIT_SELECT && waited != ASS_WAIT_SELECT) choices_++;
    lastWaited_ = waited;
    // The shell updates on every second turn of 33 ms, so each press is held for two turns.
    const int phase = update % 8 / 2;
    const ASS_PARTS& parts = ASS_GetParts();
    const bool open = parts.getWindowState() == 2;
    if (waited == ASS_WAIT_SELECT) {
        if (SelRectCnt < 2 || !open) return;
        if (choices_ % 2 == 0) {
            if (phase == 0) input_.Press(kDikPad2);
            if (phase == 2) input_.Press(kDikZ);
        } else {
            // The pointer is set in window coordinates: a full-screen picture sits inside a larger window.
            plat::PictureToWindow((SelRectTbl[0].left + SelRectTbl[0].right) / 2,
                                  (SelRectTbl[0].top + SelRectTbl[0].bottom) / 2, &input_.cursorX, &input_.cursorY);
            input_.button[0] = phase == 2;
        }
    } else if (waited == ASS_WAIT_PAGE || waited == ASS_WAIT_KEY || (open && parts.getPageState() == 1)) {
        if (phase == 0) input_.Press(kDikZ);
    }
}

void KnockOut(int slot) {
    LIST_DATA* obj = MEKA_GetSlot(slot);
    if (!obj || !obj->meka || obj->meka->act == 8) return;
    obj->meka->life = 0;
    obj->meka->lifeBar = -1;
    MEKA_SetAct(obj, 8);
}

}  // namespace harness
