// Movie streams in place of the multimedia-stream service: a file (MPEG, AVI, whatever the codecs read)
// with its primary video stream decoded into a surface of the video's size and its sound played through
// the mixer as one streaming buffer at full volume. The picture is decoded on the caller's thread by
// the sample updates; the sound is decoded by a thread of the stream's own and plays on whether or not
// the picture is updated.
//
// Times are in 100-nanosecond units from the start of the file. The stream clock follows the
// millisecond clock (plat::GetTimeMs, so tests drive it): it starts at 0, runs while the stream runs,
// and a stop freezes it where it is; running again continues from there. The sound starts and stops
// with the clock, so the two stay together.
#pragma once
#include "platform/audio.h"
#include "platform/surface.h"
#include "platform/types.h"

namespace plat {

struct MovieStream;
struct MovieSample;

enum class MovieUpdateResult {
    kNewFrame,  // a newer frame was written into the sample's surface
    kNoUpdate,  // nothing newer is due yet, or the stream is stopped
    kEnd,       // every frame has been shown
    kError,     // the surface could not be written
};

// Opens the file (the name goes through ResolvePath). Null when it cannot be read or has no video
// stream that can be decoded. audio may be null (or the file silent): the movie then plays without sound.
MovieStream* MovieOpen(const char* name, AudioDevice* audio);
void MovieClose(MovieStream* stream);  // releases the sound buffer too; the sample must be gone
// Streams opened and not yet closed.
u32 MovieLiveStreams();

// The primary video stream's frame size.
bool MovieGetVideoSize(const MovieStream* stream, i32* width, i32* height);
i64 MovieGetDuration(const MovieStream* stream);
// The stream clock, never past the duration: exactly the duration once the clock has reached it.
i64 MovieGetTime(const MovieStream* stream);

// Runs the clock and the sound (true), or stops both keeping the position (false).
bool MovieSetRunning(MovieStream* stream, bool run);
bool MovieIsRunning(const MovieStream* stream);

// Tests: waits until the sound thread has written all the sound the mixer has made room for.
bool MovieWaitSoundIdle(const MovieStream* stream, u32 timeoutMs);

// A sample writes frames into rect of surface (the video's size; 16-bit 565 or 555, or 32-bit 888 by
// the surface's masks). Null when the surface or rectangle does not fit. One sample per stream.
MovieSample* MovieCreateSample(MovieStream* stream, Surface* surface, const RECT* rect);
void MovieReleaseSample(MovieSample* sample);
// Writes the newest frame whose time has come, if it was not written yet.
MovieUpdateResult MovieUpdate(MovieSample* sample);

}  // namespace plat
