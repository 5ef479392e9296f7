// Writes small MPEG-1 system-stream movies (mpeg1video picture, MP2 tone) from generated frames, for the
// tests and the sample data. Only platform/ may reach the codecs, so the encoder lives here.
#pragma once
#include <functional>

#include "platform/types.h"

namespace plat {

struct MovieEncodeOptions {
    i32 width = 64;   // multiples of 16 keep the codec exact at the edges
    i32 height = 48;
    i32 fps = 25;
    i32 frames = 50;
    u32 sampleRate = 44100;  // 0: no sound track
    u32 toneHz = 440;
    // The tone starts this long after the first picture and lasts until the picture ends.
    u32 soundDelayMs = 0;
    // From about this time on (0: never; it is rounded up to a whole sound frame) the tone is coded with
    // changedChannels channels at changedRate (0: the same rate), while the file's header still tells
    // the first part's mono.
    u32 soundChangeMs = 0;
    i32 changedChannels = 2;
    u32 changedRate = 0;
};

// Fills one frame: width × height pixels of red, green, blue bytes, rows top to bottom.
using MovieFrameFill = std::function<void(i32 frame, u8* rgb)>;

// Encodes the movie in memory and writes it with WriteFileAtomic; false (nothing written) on any failure.
bool EncodeMovie(const char* path, const MovieEncodeOptions& options, const MovieFrameFill& fill);

}  // namespace plat
