#include "screens/survival/lvup.h"

#include <algorithm>

namespace {

constexpr i32 kExpMax = 1000;

// The record's 16-bit fields stop at their top instead of wrapping.
i16 AddSat(i16 a, i32 b) { return i16(std::clamp(i32(a) + b, -32768, 32767)); }

}  // namespace

void LVUP_TakeGains(LVUP_BAR* bar, WAZA_EXP* exp, i32 cost, i32 base) {
    bar->costShown = bar->costStart = cost;
    if (exp->useCnt >= 3 && base - exp->mastery - base / 3 > 0) {
        const i32 gain = exp->useCnt / 3;
        exp->useCnt %= 3;
        exp->mastery = AddSat(exp->mastery, gain);
        bar->gain = gain;
        // The countdown takes a pixel of the shown cost a frame: it stops where the cost bar does, or a
        // damaged save's use count (up to 2^31) would hold the screen for months.
        bar->countdown = std::min(gain, std::max(cost, 1));
        bar->flags |= LVUP_FLAG_MASTERY;
    }
    if (exp->shownExp < exp->exp) {
        exp->exp = AddSat(exp->exp, exp->damage / 10);
        bar->barStart = exp->shownExp / 10;
        bar->shownExp = exp->shownExp;
        bar->flags |= LVUP_FLAG_EXP;
    }
}

int LVUP_FillStep(LVUP_BAR* bar, WAZA_EXP* exp) {
    int events = 0;
    if (bar->countdown > 0) {
        --bar->countdown;
        --bar->costShown;
        if (bar->countdown == 0) {
            bar->flags &= u8(~LVUP_FLAG_MASTERY);
            events |= LVUP_EVENT_MASTERED;
        }
    }
    // Only a bar whose gains were taken fills: a cleared record's 0 would otherwise count up to the
    // stored experience and could raise the level of a technique the wave never used.
    if ((bar->flags & LVUP_FLAG_EXP) && bar->shownExp < exp->exp) {
        bar->shownExp += std::min<i32>(10, exp->exp - bar->shownExp);
        if (bar->shownExp >= kExpMax) {
            events |= LVUP_EVENT_TOP;
            if (exp->level >= 2) {
                bar->shownExp = exp->exp = kExpMax;
            } else if (exp->level == 1) {
                bar->shownExp = exp->exp = kExpMax;
                exp->level = 2;
                events |= LVUP_EVENT_LEVEL;
            } else {
                bar->shownExp -= kExpMax;
                exp->exp = i16(exp->exp - kExpMax);
                bar->barStart = 0;
                exp->level = 1;
                events |= LVUP_EVENT_LEVEL | LVUP_EVENT_FULL;
            }
        }
        bar->barWidth = bar->shownExp / 10;
    }
    // Caught up, or passed: a damaged record's negative damage can leave the experience below the
    // shown value, and that bar must stop too.
    if ((bar->flags & LVUP_FLAG_EXP) && bar->shownExp >= exp->exp) bar->flags &= u8(~LVUP_FLAG_EXP);
    return events;
}

int LVUP_NextState(int waveCounter) { return waveCounter % 3 == 0 && waveCounter / 3 < 17 ? 18 : 15; }
