// Test movies: MPEG-1 files whose frames are solid colours that tell their index, with a tone.
#pragma once
#include <string>

#include "platform/types.h"

namespace tools {

struct Rgb {
    u8 r, g, b;
};

// The colour of frame index (indexes repeat every 56): consecutive frames differ by at least 28 levels
// in red or green, far more than the codec and a 16-bit layout lose.
Rgb TestMovieColour(i32 frame);
// The frame (0..55) whose colour is nearest.
i32 TestMovieFrameOf(u8 r, u8 g, u8 b);

struct TestMovieOptions {
    i32 width = 64;
    i32 height = 48;
    i32 fps = 25;
    i32 frames = 50;
    u32 sampleRate = 44100;  // 0: no sound track
    u32 toneHz = 440;
    u32 soundDelayMs = 0;  // the tone starts this long after the first frame, and ends with the last
    // From about this time on (0: never) the mono tone goes on with changedChannels channels at
    // changedRate (0: the same), which the file's header does not tell.
    u32 soundChangeMs = 0;
    i32 changedChannels = 2;
    u32 changedRate = 0;
};

// Frame i filled with TestMovieColour(i); false when nothing could be written.
bool WriteTestMovie(const std::string& path, const TestMovieOptions& options = {});

}  // namespace tools
