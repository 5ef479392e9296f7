// SDL's own software blitter run on our memory surfaces, as the yardstick of the blit benchmarks.
// Only benchmarks use it.
#pragma once
#include "platform/surface.h"
#include "platform/types.h"

namespace plat {

class SdlBlitReference {
public:
    enum Mode {
        kKeyedCopy,   // colour key 0
        kKeyedHalf,   // colour key 0, blend mode BLEND, alpha mod 128
        kKeyedAdd,    // colour key 0, blend mode ADD
        kKeyedTone,   // colour key 0, colour mod 160 on every channel
        kKeyedScaled  // colour key 0, stretched
    };
    // Views of the two surfaces' pixels (no copy); both must be 16-bit.
    SdlBlitReference(Surface* dst, Surface* src, Mode mode);
    ~SdlBlitReference();
    SdlBlitReference(const SdlBlitReference&) = delete;
    SdlBlitReference& operator=(const SdlBlitReference&) = delete;
    bool ok() const { return dst_ && src_; }
    // The whole source onto (x, y, w, h) of the destination; w, h only matter when stretching.
    void Blit(i32 x, i32 y, i32 w, i32 h);

private:
    void* dst_ = nullptr;
    void* src_ = nullptr;
    Mode mode_;
};

}  // namespace plat
