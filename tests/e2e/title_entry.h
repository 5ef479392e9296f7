// Scripted input that takes the real title's main-menu entry: shared by the end-to-end roads.
#pragma once

#include "screens/title/title.h"
#include "shell/sys.h"

namespace e2e {

constexpr int kTitleDikDown = 80, kTitleDikDecide = 44;  // pad 2 and Z

// The key to hold in this turn on the way to the main menu's entry and through it, 0 for none: a
// decide skips the intro, downs walk the menu, a decide takes the entry. Keys count on the press,
// so odd turns hold nothing. Nothing either once the title has left its main menu.
inline int TitleEntryKey(int entry, int turn) {
    if (turn % 2 || SYS_GetSeq(0) != 2 || TitleWork.state != 0) return 0;
    if (TitleWork.step <= 3) return TitleWork.skip ? 0 : kTitleDikDecide;
    if (TitleWork.step != 4) return 0;
    return TitleWork.selected == entry ? kTitleDikDecide : kTitleDikDown;
}

// True once the title has taken a main-menu entry (its fade-out or submenu has begun) or has gone.
inline bool TitleEntryTaken() {
    return SYS_GetSeq(0) != 2 || (TitleWork.state == 0 && TitleWork.step >= 7 && TitleWork.step <= 10);
}

}  // namespace e2e
