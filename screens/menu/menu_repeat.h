// The key-repeat move every menu's key check shares (declared in menu.h).
#pragma once
#include "platform/clock.h"
#include "shell/common.h"
#include "shell/input/key.h"

namespace menu_detail {
constexpr u32 kRepeatStepMs = 100;
// The counter climbs one step per 100 ms; a step time never set reads as long past.
inline void StepRepeat(MENU_WORK* m) {
    const u32 now = plat::GetTimeMs();
    if (now - m->stepTime >= kRepeatStepMs) {
        m->stepTime = now;
        MenuRepeatCnt++;
    }
}
}  // namespace menu_detail

template <typename Next, typename Usable, typename Any, typename Moved>
int MENU_RepeatKey(MENU_WORK* m, const char* name, int limit, Next next, Usable usable, Any any, Moved moved) {
    const u16 word = SysKey.current;
    if ((word & (KEY_UP | KEY_DOWN | KEY_LEFT | KEY_RIGHT)) == 0) {
        MenuRepeatCnt = 0;
        return MENU_DIR_NONE;
    }
    if (MenuRepeatCnt >= 1 && MenuRepeatCnt <= 3) {
        menu_detail::StepRepeat(m);
        return MENU_DIR_NONE;
    }
    const int dir = (word & KEY_UP) ? 0 : (word & KEY_DOWN) ? 1 : (word & KEY_LEFT) ? 2 : 3;
    // Without a place to stand no step is taken: the wrap would read outside an empty table.
    if (!any()) {
        DebugMsg("Error:%s関数：選択出来るところがない！！", name);
        return MENU_DIR_NONE;
    }
    int to = m->cursor;
    int steps = 0;
    do {
        to = next(to, dir);
        if (++steps > limit) {
            DebugMsg("Error:%s関数：選択出来るところがない！！", name);
            return MENU_DIR_NONE;
        }
    } while (!usable(to));
    moved(to);
    menu_detail::StepRepeat(m);
    return dir;
}
