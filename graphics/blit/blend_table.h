// The 96-level table of 5-bit channel blends shared by the effect blits: levels 0..31 lead from the
// destination (0) to the source (31) in 32nds, levels 32..95 add (level - 32)/32 of the source to the
// destination, saturating at 31. Built once when the display starts, read-only afterwards.
#pragma once
#include "platform/types.h"

constexpr int kBlendLevels = 96;
constexpr int kBlendTblSize = kBlendLevels * 32 * 32;

// Entry for level L, destination channel d and source channel s: BlendTbl[L * 1024 + d * 32 + s].
extern u8 BlendTbl[kBlendTblSize];

inline u8 BLT_BlendEntry(int level, int d, int s) { return BlendTbl[level * 1024 + d * 32 + s]; }

void BLT_InitBlendTbl();
