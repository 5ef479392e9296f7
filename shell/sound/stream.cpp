#include "shell/sound/stream.h"

void SND_StreamFree() {}
