// The streamed music player.
#pragma once

void SND_StreamFree();
