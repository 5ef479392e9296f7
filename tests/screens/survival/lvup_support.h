// A technique group's experience record built in one line, for the level-up tests.
#pragma once
#include "screens/save/save.h"

namespace lvuptest {

inline WAZA_EXP Exp(i8 level, i32 uses, i16 exp, i16 shown, i16 damage, i16 mastery) {
    WAZA_EXP e{};
    e.level = level;
    e.useCnt = uses;
    e.exp = exp;
    e.shownExp = shown;
    e.damage = damage;
    e.mastery = mastery;
    return e;
}

}  // namespace lvuptest
