// Reference models for the blit tests: plain images, per-channel formulas written from their
// definitions, and straightforward walks that place every source pixel by its own coordinates.
#pragma once
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/surface.h"
#include "platform/types.h"

namespace bltt {

struct Image {
    i32 w = 0, h = 0;
    std::vector<u16> px;
    u16& at(i32 x, i32 y) { return px[size_t(y) * size_t(w) + size_t(x)]; }
    u16 at(i32 x, i32 y) const { return px[size_t(y) * size_t(w) + size_t(x)]; }
    bool operator==(const Image&) const = default;
};

// A 16-bit surface of either layout with the colour key 0; released with the holder.
class Surf {
public:
    Surf(bool is565, i32 w, i32 h);
    ~Surf();
    Surf(const Surf&) = delete;
    Surf& operator=(const Surf&) = delete;
    plat::Surface* get() const { return s_; }
    operator plat::Surface*() const { return s_; }
    void Put(const Image& img);
    Image Get() const;
    void FillAll(u16 v);

private:
    plat::Surface* s_;
};

Image RandomImage(std::mt19937& rng, i32 w, i32 h, int zeroPercent);
Image SolidImage(i32 w, i32 h, u16 v);

// Makes the display's channel masks those of one layout, sets the global clip rectangle and builds the
// blend table: the state every blit reads.
void SetDisplay(bool is565, const RECT& clip = RECT{0, 0, 640, 480});

// ---- channels ----
struct Rgb {
    u32 r, g, b;  // g has six bits in 565
};
Rgb Unpack(bool is565, u16 p);
u16 Pack(bool is565, Rgb c);

// The blend table entry by its definition.
u32 TableEntry(i32 level, i32 d, i32 s);
// Table blend of each channel (565 green through its upper five bits, written back with bit 5 clear).
u16 ModelTable(bool is565, i32 lr, i32 lg, i32 lb, u16 d, u16 s);
// Tone through table rows per channel: below 32 (level, 0, s), from 32 (62 - level, 31, s).
u16 ModelToneRows(bool is565, i32 lr, i32 lg, i32 lb, u16 s);
// Saturating add of a part of each channel: (d without its lowest bit) + part, capped at max - 1.
u16 ModelAdd(bool is565, u16 d, Rgb part);
// Saturating subtract: (d with its lowest bit taken by the guard of the channel below) - part, 0 when
// negative; a surviving channel leaves its guard in the next channel's lowest bit (bit 15 in 555),
// and in 565 a cleared green keeps blue's guard.
u16 ModelSub(bool is565, u16 d, Rgb part);
// The source part of the fixed blends: each channel shifted down and rounded down to even.
Rgb SourcePart(bool is565, u16 s, int shift);
u16 ModelHalf(bool is565, u16 d, u16 s);
// Each channel × level / 32 (darkening) or c + (max − c) × level / 32 (whitening).
u16 ModelDark(bool is565, u16 s, i32 level);
u16 ModelWhite(bool is565, u16 s, i32 level);

// ---- walks ----
// f(d, s, rowsLeft, colsLeft): the counts run in source-read order over the visible part.
using PixelFn = std::function<u16(u16 d, u16 s, i32 rowsLeft, i32 colsLeft)>;

// The plain blit: source rectangle placed at (x, y), mirrored, clipped to clip ∩ destination; nothing
// when the visible part of the source leaves the source image.
Image ModelPlain(const Image& dst, const Image& src, i32 x, i32 y, const RECT& srcRect, int mirror, bool keyed,
                 const RECT& clip, const PixelFn& f);
// The scaled blit after its clip: destination column j of the walk reads source column
// min(sw − 1, ceil((j·sw − ⌊dw/2⌋) / dw)), rows likewise.
Image ModelScaledClipped(const Image& dst, const Image& src, const RECT& d, const RECT& s, int mirror, bool keyed,
                         const PixelFn& f);
// Clips like the surface layer (for the scaled model); false when nothing is visible.
bool ClipScaled(i32 dstW, i32 dstH, const RECT& clip, RECT* d, RECT* s, int mirror);

// ---- the matrix every family runs ----
struct Family {
    std::string name;
    std::function<void(plat::Surface*, i32, i32, plat::Surface*, const RECT*, int, int)> plain;
    std::function<void(plat::Surface*, RECT*, plat::Surface*, const RECT*, int, int)> scaled;
    // Per-pixel model for a layout; rowsLeft/colsLeft only matter to the mesh.
    std::function<u16(bool is565, u16 d, u16 s, i32 rowsLeft, i32 colsLeft)> model;
    bool alwaysKeyed = false;  // silhouettes: the source's 0 pixels are never drawn
};

// Both layouts, both key settings, all mirror flags, placements clipped on every side, odd widths,
// a narrowed clip rectangle, source rectangles partly outside the source; plain, scaled at equal size
// (must equal plain) and scaled at other sizes. Failures name the case.
void CheckFamily(const Family& f);

std::string Hex(u32 v);

}  // namespace bltt
