// Shared between the mixer and the audio device only.
#pragma once
#include "platform/types.h"

namespace plat::detail {

void MixerSetRate(u32 rate);
u32 ManualMixRate();  // 0 when the real device is wanted

}  // namespace plat::detail
