#include "script/adv/adv_message.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "graphics/blit/drw.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/font/font.h"
#include "graphics/sprite/spr.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/memory.h"
#include "script/adv/adv_face.h"
#include "script/adv/adv_select.h"
#include "script/adv/adv_window.h"
#include "script/core/ass.h"
#include "script/core/ass_func.h"
#include "shell/common.h"
#include "shell/input/inp.h"
#include "shell/sound/sound.h"

MSG_LINE MsgLineTbl[MSG_LINE_MAX];
MSG_STATE Msg;
i32 cursor_type = 0;
i32 cursor_col = 0;

namespace {

struct INDENT {
    char prefix[MSG_INDENT_TEXT];
    char name[MSG_INDENT_TEXT];
};

INDENT IndentTbl[MSG_INDENT_MAX];
int IndentCount = 0;
bool MsgReady = false;  // the tables hold live slots and sprites

constexpr u16 kDecide = 16;
constexpr u16 kCancel = 32;
constexpr i32 kEdgeStrips = 32;
constexpr i32 kStripWidth = 4;
constexpr i32 kRubyPitch = 10;
constexpr int kRubyFont = 0;
constexpr int kDigitsMax = 9;

plat::Surface* Slot(i32 slot) { return SPR_GetSlotSurf(slot); }

// The layout's cell: the window's font size, else the size of the font the text draws with.
void LayoutGlyph(i32* w, i32* h) {
    *w = TextWindow.fontW;
    *h = TextWindow.fontH;
    if (*w > 0 && *h > 0) return;
    const int slot = TextWindow.fontSlot >= 0 ? TextWindow.fontSlot : TEXT_FONT_SLOT_LOADED;
    const FONT_DATA& f = FontTbl[slot].loaded ? FontTbl[slot] : FontTbl[FontCurrent];
    *w = f.width > 0 ? f.width : 14;
    *h = f.height > 0 ? f.height : 14;
}

// The font slot the text draws with: the window's, or the loaded font at slot -1; -1 keeps the current.
int DrawFontSlot() {
    if (TextWindow.fontSlot >= 0) return TextWindow.fontSlot;
    return FontTbl[TEXT_FONT_SLOT_LOADED].loaded ? TEXT_FONT_SLOT_LOADED : -1;
}

// The text's own width: a single-byte character takes half a cell, so an odd segment ends mid-cell.
i32 FullWidth(const MSG_LINE& r) { return (r.len * r.glyphW + 1) / 2; }
bool IsLead(u8 b) { return b >= 0x80; }

void FreeRecord(MSG_LINE& r, bool releaseSurface) {
    plat::GlobalFree(r.text);
    r.text = nullptr;
    plat::GlobalFree(r.rubyText);
    r.rubyText = nullptr;
    if (releaseSurface) {
        if (r.surf >= 0) SPR_DelSurfDat(r.surf);
        r.surf = -1;
        r.surfW = r.surfH = 0;
    }
}

void InitRecord(MSG_LINE& r, i32 x, i32 y, i32 gw, i32 gh) {
    FreeRecord(r, false);
    const i32 surf = r.surf, sw = r.surfW, sh = r.surfH;
    r = MSG_LINE{};
    r.surf = surf;
    r.surfW = sw;
    r.surfH = sh;
    r.x = x;
    r.y = y;
    r.glyphW = gw;
    r.glyphH = gh;
    r.speed = Msg.speed;
    r.face = -1;
    r.faceSide = -1;
    for (int i = 0; i < 3; ++i) {
        r.color[i] = TextWindow.color[i];
        r.rubyColor[i] = TextWindow.rubyColor[i];
    }
}

// Up to kDigitsMax decimal digits from at, bounded by the buffer; false when there are none.
bool ReadDigits(const u8* buf, i32 len, i32* at, i32* value) {
    i32 v = 0, n = 0;
    while (*at < len && n < kDigitsMax && buf[*at] >= '0' && buf[*at] <= '9') {
        v = v * 10 + (buf[*at] - '0');
        ++*at;
        ++n;
    }
    // Digits beyond the ninth belong to no number: they are dropped with the tag.
    while (*at < len && buf[*at] >= '0' && buf[*at] <= '9') ++*at;
    if (n) *value = v;
    return n > 0;
}

i32 HexValue(u8 b) {
    if (b >= '0' && b <= '9') return b - '0';
    if (b >= 'a' && b <= 'f') return b - 'a' + 10;
    if (b >= 'A' && b <= 'F') return b - 'A' + 10;
    return -1;
}

// "[...]" at at: the characters inside, bounded by the buffer; false without both brackets. The
// scan steps by characters: a trail byte that reads as ']' (也 is A4 5D) belongs to its character.
bool ReadBracket(const u8* buf, i32 len, i32* at, std::string* out) {
    if (*at >= len || buf[*at] != '[') return false;
    i32 p = *at + 1;
    while (p < len && buf[p] != ']') p += IsLead(buf[p]) ? 2 : 1;
    if (p >= len) return false;
    out->assign(reinterpret_cast<const char*>(buf + *at + 1), size_t(p - *at - 1));
    *at = p + 1;
    return true;
}

// The bytes of the first n characters of text (single- and double-byte as the layout reads them).
size_t CharBytes(const char* text, size_t size, i32 n) {
    size_t at = 0;
    for (i32 i = 0; i < n && at < size; ++i) at += IsLead(u8(text[at])) ? 2 : 1;
    return std::min(at, size);
}

i32 CharCount(const std::string& s) {
    i32 n = 0;
    for (size_t at = 0; at < s.size(); at += IsLead(u8(s[at])) ? 2 : 1) ++n;
    return n;
}

void PlayVoice(MSG_LINE& r) {
    if (r.voicePlayed || !r.voice[0]) return;
    r.voicePlayed = 1;
    ASS_Trace("SND_LoadSound(%s)", r.voice);
    if (Msg.voice) SND_ReleaseBuffer(Msg.voice);
    Msg.voice = SND_LoadSound(MakeFilePath("%s", r.voice));
    if (!Msg.voice) {
        DebugMsg("message voice %s did not load", r.voice);
        return;
    }
    SND_SetPosition(Msg.voice, 0);
    SND_Play(Msg.voice, 0);
}

// A segment becomes current: its face, its side and its voice.
void StartSegment(MSG_LINE& r) {
    if (r.face == -2) {
        ADV_SetFace(0, -1);
    } else if (r.face >= 0) {
        ADV_SetFace(r.face / 10, r.face % 10);
    }
    if (r.faceSide >= 0) FaceMode = r.faceSide;
    PlayVoice(r);
}

void ShowPage() {
    Msg.page = ADV_PAGE_SHOWN;
    Msg.pageTime = plat::GetTimeMs();
    Msg.skip = 0;
    Msg.edge = 32;
}

// The reader (or the automatic advance) moves a shown page on: past a key wait inside the page the
// reveal goes on with the next segment; at the last segment the page is finished.
void AdvancePage() {
    if (Msg.current < Msg.segCount - 1) {
        ++Msg.current;
        Msg.page = ADV_PAGE_REVEALING;
        Msg.edge = 0;
        Msg.skip = 0;
        return;
    }
    Msg.page = ADV_PAGE_FINISHED;
}

void RenderRecord(MSG_LINE& r) {
    const i32 w = TextWindow.w + r.glyphW, h = TextWindow.h + 2;
    if (r.surf >= 0 && (r.surfW != w || r.surfH != h)) {
        SPR_DelSurfDat(r.surf);
        r.surf = -1;
    }
    if (r.surf < 0 && w > 0 && h > 0) {
        r.surf = SPR_CreateSurf(w, h, 0);
        r.surfW = w;
        r.surfH = h;
    }
    plat::Surface* s = Slot(r.surf);
    if (!s) return;
    SURF_Fill(s, nullptr, TextWindow.key);
    SURF_SetColorKey(s, TextWindow.key);
    FONT_SetFont(DrawFontSlot(), FONT_STYLE_OUTLINE, 0);
    FONT_SetColor(r.color[0], r.color[1], 0);
    TXT_DrawText(s, 0, 0, "%s", r.text ? r.text : "");
}

struct LAYOUT {
    const u8* buf;
    i32 len;
    i32 pos;
    i32 gw, gh;
    i32 rowBytes;       // a whole row
    std::string carry;  // the rest of a ruby base longer than a row: plain text before the buffer's
    bool moveRuby;      // a ruby whose base does not fit the rest of its row may start the next row
    bool nextRow;       // such a ruby took nothing
    bool moved;         // some ruby started the next row
};

// Appends the character at src[*at] (whole inside src) when it fits the room; false when the row is
// full, after taking a "、" or "。" there: they never begin a row.
bool PutChar(const u8* src, i32 len, i32* at, std::string& text, i32 room) {
    const i32 n = IsLead(src[*at]) && *at + 1 < len ? 2 : 1;
    if (i32(text.size()) + n > room) {
        if (*at + 1 < len && src[*at] == 0xA1 && (src[*at + 1] == 0x42 || src[*at + 1] == 0x43)) {
            text.append(reinterpret_cast<const char*>(src + *at), 2);
            *at += 2;
        }
        return false;
    }
    text.append(reinterpret_cast<const char*>(src + *at), size_t(n));
    *at += n;
    return true;
}

// The ruby tag after "/kl": base and ruby in brackets. The base, padded to the ruby's width (no left
// padding after "kll") in whole cells, goes into the text whole when it fits the row's room; when it
// does not and the row holds text already, nothing is taken and l.nextRow asks for the next row
// (unless l.moveRuby is off); otherwise a base that does not fit keeps what fits under the ruby and
// runs on as plain text. The ruby keeps what fits across a whole row. False when the brackets are
// not there.
bool RubyTag(LAYOUT& l, MSG_LINE& r, std::string& text, i32 room) {
    i32 p = l.pos + 3;
    bool pad = true;
    if (p < l.len && l.buf[p] == 'l') {
        pad = false;
        ++p;
    }
    std::string base, ruby;
    if (!ReadBracket(l.buf, l.len, &p, &base) || !ReadBracket(l.buf, l.len, &p, &ruby)) return false;
    const i32 rubyChars = std::min(CharCount(ruby), l.rowBytes / 2 * l.gw / kRubyPitch);
    const i32 needed = (rubyChars * kRubyPitch + l.gw - 1) / l.gw;
    const i32 baseCells = (i32(base.size()) + 1) / 2;
    const i32 extra = std::max(0, needed - baseCells);
    i32 left = pad ? extra / 2 : 0;
    const i32 right = extra - extra / 2;
    if ((left + baseCells + right) * 2 > room) {
        if (l.moveRuby && room < l.rowBytes) {
            l.nextRow = l.moved = true;
            return true;
        }
        left = 0;  // running on, the base starts where it stands
    }
    l.pos = p;
    text.append(size_t(left) * 2, ' ');
    r.ruby = 1;
    r.baseStart = i32(text.size());
    const u8* b = reinterpret_cast<const u8*>(base.data());
    i32 at = 0;
    while (at < i32(base.size()) && PutChar(b, i32(base.size()), &at, text, room)) {
    }
    r.baseCount = CharCount(text.substr(size_t(r.baseStart)));
    l.carry.assign(base, size_t(at));
    if (l.carry.empty()) {
        // An odd base is filled to whole cells, so the text after it keeps to the cells; a base
        // running on keeps only the padding its row holds.
        const i32 fill = std::min(right * 2 + i32(base.size() % 2), std::max(0, room - i32(text.size())));
        text.append(size_t(fill), ' ');
    }
    const size_t rubyBytes = CharBytes(ruby.data(), ruby.size(), rubyChars);
    plat::GlobalFree(r.rubyText);
    r.rubyText = static_cast<char*>(plat::GlobalAllocZero(rubyBytes + 1));
    r.rubyCount = r.rubyText ? rubyChars : 0;
    if (r.rubyText) std::memcpy(r.rubyText, ruby.data(), rubyBytes);
    return true;
}

// Lays one segment out from l.pos into r; true when it ended because its row is full.
bool LayoutSegment(LAYOUT& l, MSG_LINE& r, i32 room) {
    std::string text;
    bool full = false;
    i32 carried = 0;
    const u8* rest = reinterpret_cast<const u8*>(l.carry.data());
    while (carried < i32(l.carry.size()) && !full) full = !PutChar(rest, i32(l.carry.size()), &carried, text, room);
    l.carry.erase(0, size_t(carried));
    while (l.pos < l.len && !full) {
        const u8 b = l.buf[l.pos];
        if (b == '/') {
            const u8 c = l.pos + 1 < l.len ? l.buf[l.pos + 1] : 0;
            const u8 c2 = l.pos + 2 < l.len ? l.buf[l.pos + 2] : 0;
            if (c == 'w') {
                i32 at = l.pos + 2, ms = 0;
                if (c2 == 'o' || c2 == 'c') {
                    at = l.pos + 3;
                    if (ReadDigits(l.buf, l.len, &at, &ms)) _ass_settextwipetime(ms);
                }
                l.pos = at;
                continue;
            }
            const bool known = c == 'n' || c == 'k' || c == 's' || c == 'f' || c == 'v' || c == 'c';
            if (!known) {
                // '/' before anything but a tag letter (a speaker prefix's '/', "hp") is dropped alone.
                ++l.pos;
                continue;
            }
            // New line and key wait close the segment they follow; the others start a segment.
            const bool closes = c == 'n' || (c == 'k' && c2 != 'l');
            if (!closes && !text.empty()) break;
            if (c == 'k' && c2 == 'l') {
                if (!RubyTag(l, r, text, room)) {
                    DebugMsg("message: ruby tag without [base][ruby]");
                    l.pos += 3;
                    continue;
                }
                // Nothing taken: the segment starts again on the next row. A base that runs on past
                // its row ends the segment there.
                if (l.nextRow) break;
                full = !l.carry.empty();
                continue;
            }
            i32 at = l.pos + 2;
            switch (c) {
                case 'n': r.newLine = 1; break;
                case 'k': r.keyWait = 1; break;
                case 's': {
                    i32 v = 0;
                    if (ReadDigits(l.buf, l.len, &at, &v)) Msg.speed = r.speed = v;
                    break;
                }
                case 'f':
                    if (c2 == 'n') {
                        r.face = -2;
                        ++at;
                    } else if (c2 == 'l' || c2 == 'r') {
                        r.faceSide = c2 == 'r';
                        ++at;
                    } else {
                        i32 v = 0;
                        if (ReadDigits(l.buf, l.len, &at, &v)) r.face = v;
                    }
                    break;
                case 'v': {
                    i32 v = 0;
                    if (ReadDigits(l.buf, l.len, &at, &v)) std::snprintf(r.voice, sizeof(r.voice), "%d.wav", v);
                    break;
                }
                case 'c': {
                    u32 v = 0;
                    for (int n = 0; n < 6 && at < l.len && HexValue(l.buf[at]) >= 0; ++n) v = v << 4 | u32(HexValue(l.buf[at++]));
                    const i32 colour = DISP_PackRGB(v >> 16 & 255, v >> 8 & 255, v & 255);
                    r.color[0] = r.color[1] = colour;
                    break;
                }
                default: break;
            }
            l.pos = at;
            if (!text.empty()) break;
            continue;
        }
        const i32 n = IsLead(b) ? 2 : 1;
        if (l.pos + n > l.len) {
            // A lead byte without its trail byte ends the text.
            l.pos = l.len;
            break;
        }
        full = !PutChar(l.buf, l.len, &l.pos, text, room);
    }
    r.len = i32(text.size());
    r.text = static_cast<char*>(plat::GlobalAllocZero(text.size() + 1));
    if (r.text) std::memcpy(r.text, text.data(), text.size());
    return full;
}

// Lays the buffer out into MsgLineTbl: the segment count; *moved when a ruby started the next row,
// *bottom the last segment's y.
int LayoutPage(i32 gw, i32 gh, bool moveRuby, bool* moved, i32* bottom) {
    LAYOUT l{reinterpret_cast<const u8*>(Msg.buf), Msg.len, 0, gw, gh, 0, {}, moveRuby, false, false};
    l.rowBytes = std::max(1, TextWindow.lineWidth / gw) * 2;
    for (MSG_LINE& r : MsgLineTbl) FreeRecord(r, false);
    i32 used = 0, y = 0;  // bytes of the row taken: a single-byte character is half a cell
    int seg = 0;
    while (l.pos < l.len || !l.carry.empty()) {
        if (seg == MSG_LINE_MAX) {
            DebugMsg("message: more than %d segments, the rest of the page is dropped", MSG_LINE_MAX);
            break;
        }
        MSG_LINE& r = MsgLineTbl[seg];
        InitRecord(r, used / 2 * gw, y, gw, gh);
        const i32 from = l.pos;
        const size_t carried = l.carry.size();
        LayoutSegment(l, r, l.rowBytes - used);
        if (l.nextRow) {
            // A ruby that does not fit the rest of this row starts its segment on the next one.
            l.nextRow = false;
            l.pos = from;
            FreeRecord(r, false);
            used = 0;
            y += gh + TextWindow.ils;
            continue;
        }
        if (l.pos == from && l.carry.size() == carried) break;  // cannot happen while a row has room; never spin on it
        if (r.len == 0) {
            // Tags with no text after them make no segment.
            FreeRecord(r, false);
            continue;
        }
        ++seg;
        // The text after an odd segment starts at the next whole cell, clear of its last glyph; so a
        // segment that filled its row (half a cell may stay free) ends at the row's end.
        const i32 end = used + r.len + r.len % 2;
        if (!r.newLine && end < l.rowBytes) {
            used = end;
        } else {
            used = 0;
            y += gh + TextWindow.ils;
        }
    }
    *moved = l.moved;
    *bottom = seg > 0 ? MsgLineTbl[seg - 1].y : 0;
    return seg;
}

void AppendText(const char* text) {
    const i32 n = text ? i32(std::strlen(text)) : 0;
    if (n == 0) return;
    if (Msg.len + n + 1 > Msg.cap) {
        const i32 cap = std::max(Msg.cap * 2, Msg.len + n + 1);
        char* grown = static_cast<char*>(plat::GlobalAllocZero(size_t(cap)));
        if (!grown) {
            DebugMsg("message: no memory for %d bytes of text", cap);
            return;
        }
        if (Msg.buf) std::memcpy(grown, Msg.buf, size_t(Msg.len));
        plat::GlobalFree(Msg.buf);
        Msg.buf = grown;
        Msg.cap = cap;
    }
    std::memcpy(Msg.buf + Msg.len, text, size_t(n));
    Msg.len += n;
    Msg.buf[Msg.len] = 0;
}

void MakeCursor(i32 gw, i32 gh) {
    if (Msg.cursorSurf >= 0) SPR_DelSurfDat(Msg.cursorSurf);
    Msg.cursorSurf = gw > 0 && gh > 0 ? SPR_CreateSurf(gw, gh, 0) : -1;
    if (plat::Surface* s = Slot(Msg.cursorSurf)) SURF_Fill(s, nullptr, u32(cursor_col));
}

// Copies part [x0, x1) of a segment's surface into the window at the segment's place.
void CopySegment(plat::Surface* dst, const MSG_LINE& r, i32 x0, i32 x1, i32 level) {
    plat::Surface* src = Slot(r.surf);
    if (!src || x1 <= x0) return;
    const RECT part{x0, 0, x1, std::min(r.glyphH + 2, src->height)};
    const i32 x = TextWindow.originX + r.x + x0, y = TextWindow.originY + r.y;
    if (level < 0)
        BLT_Copy(dst, x, y, src, &part, 1);
    else
        DWW_FadeInBlack(dst, x, y, src, &part, level, src->colorKeyLow);
}

// The ruby 10 pixels a character, centred over its base and moved inside the row where it would
// stand out of it.
void DrawRuby(plat::Surface* dst, const MSG_LINE& r) {
    if (!r.ruby || r.rubyCount <= 0 || !r.rubyText || !r.text || r.glyphW <= 0) return;
    FONT_SetFont(kRubyFont, FONT_STYLE_OUTLINE, 0);
    FONT_SetColor(r.rubyColor[0], r.rubyColor[1], r.rubyColor[2]);
    const size_t textBytes = size_t(r.len) - std::min(size_t(r.len), size_t(r.baseStart));
    const i32 baseBytes = i32(CharBytes(r.text + r.baseStart, textBytes, r.baseCount));
    const i32 centre = r.x + (r.baseStart / 2) * r.glyphW + baseBytes * r.glyphW / 4;
    const i32 width = r.rubyCount * kRubyPitch, row = TextWindow.lineWidth / r.glyphW * r.glyphW;
    const i32 left = std::max(0, std::min(centre - width / 2, row - width));
    const i32 y = TextWindow.originY + r.y - kRubyPitch - 1;
    const char* p = r.rubyText;
    for (i32 i = 0; i < r.rubyCount && *p; ++i) {
        const int n = IsLead(u8(*p)) && p[1] ? 2 : 1;
        const char ch[3] = {p[0], n == 2 ? p[1] : '\0', 0};
        TXT_DrawText(dst, TextWindow.originX + left + i * kRubyPitch, y, "%s", ch);
        p += n;
    }
}

void ResetRecords(bool release) {
    for (MSG_LINE& r : MsgLineTbl) {
        if (release) FreeRecord(r, true);
        r = MSG_LINE{};
        r.surf = -1;
    }
}

}  // namespace

// ---- speakers ----

void _ass_initindent() {
    std::memset(IndentTbl, 0, sizeof(IndentTbl));
    IndentCount = 0;
}

int _ass_setindent(const char* prefix, const char* name) {
    if (!prefix || !name) return 0;
    if (IndentCount >= MSG_INDENT_MAX) {
        DebugMsg("speaker table full: %d entries", MSG_INDENT_MAX);
        return 0;
    }
    if (std::strlen(prefix) >= MSG_INDENT_TEXT || std::strlen(name) >= MSG_INDENT_TEXT) {
        DebugMsg("speaker prefix or name of %d bytes or more refused", MSG_INDENT_TEXT);
        return 0;
    }
    INDENT& e = IndentTbl[IndentCount++];
    std::strcpy(e.prefix, prefix);
    std::strcpy(e.name, name);
    return 1;
}

int ASS_SetIndent(const char* prefix, const char* name) { return _ass_setindent(prefix, name); }

void _ass_getnamepos() {
    Msg.name[0] = 0;
    u8* buf = reinterpret_cast<u8*>(Msg.buf);
    i32 i = 0;
    while (i < Msg.len && !IsLead(buf[i])) ++i;
    if (i >= Msg.len) return;
    if (i + 1 < Msg.len && buf[i] == 0x81 && buf[i + 1] == 0x84) buf[i] = buf[i + 1] = '/';
    for (int k = 0; k < IndentCount; ++k) {
        const INDENT& e = IndentTbl[k];
        const i32 n = i32(std::strlen(e.prefix));
        if (n == 0 || i + n > Msg.len || std::memcmp(buf + i, e.prefix, size_t(n)) != 0) continue;
        std::snprintf(Msg.name, sizeof(Msg.name), "%s", e.name);
        if (n > 2) std::memset(buf + i, '/', size_t(n - 2));
        return;
    }
}

// ---- the buffer and the layout ----

void ADV_SetMessage(const char* text) {
    ASS_Trace("ADV_SetMessage(%s)", text ? text : "");
    AppendText(text);
    ++Msg.lineCount;
}

void ADV_SetSelMessage(const char* text, i32 label) {
    ASS_Trace("ADV_SetSelMessage(%s, %d)", text ? text : "", label);
    i32 gw = 0, gh = 0;
    LayoutGlyph(&gw, &gh);
    if (Msg.selCount < MSG_SELECT_MAX) {
        const i32 n = text ? i32(std::strlen(text)) : 0;
        Msg.sel[Msg.selCount++] = MSG_SELECT{(n / 2) * gw, Msg.lineCount * (gh + TextWindow.ils), label};
    } else {
        DebugMsg("message: a choice line beyond %d is not recorded", MSG_SELECT_MAX);
    }
    ++Msg.lineCount;
    AppendText(text);
}

i32 ADV_GetSelAns(i32 n) { return n >= 0 && n < Msg.selCount ? Msg.sel[n].label : -1; }

void ADV_DrawMessage() {
    ASS_Trace("ADV_DrawMessage()");
    if (!MsgReady) return;
    _ass_opentext();
    _ass_getnamepos();
    i32 gw = 0, gh = 0;
    LayoutGlyph(&gw, &gh);
    // Moving a ruby's base to the next row leaves the rest of its row empty. Where that pushes text
    // below the window's last row, the page is laid out again with every such base running on from
    // where it stands, the ruby over the part on the first row: it loses no text and never takes more
    // rows, and pages that fit keep their layout.
    const i32 speed = Msg.speed;
    bool moved = false;
    i32 bottom = 0;
    int seg = LayoutPage(gw, gh, true, &moved, &bottom);
    if (moved && bottom + gh > TextWindow.h - TextWindow.originY) {
        Msg.speed = speed;
        seg = LayoutPage(gw, gh, false, &moved, &bottom);
    }
    for (int i = 0; i < seg; ++i) RenderRecord(MsgLineTbl[i]);
    Msg.len = 0;
    if (Msg.buf) Msg.buf[0] = 0;
    Msg.segCount = seg;
    Msg.current = 0;
    Msg.skip = 0;
    Msg.edge = 0;
    _ass_dispmessage(1);
    if (TextBgFill.sprite >= 0) SPR_SetFSprView(TextBgFill.sprite, 1);
    if (TextFrame.sprite >= 0) SPR_SetFSprView(TextFrame.sprite, 1);
    if (seg > 0) StartSegment(MsgLineTbl[0]);
    MakeCursor(gw, gh);
    const TEXT_WINDOW& w = TextWindow;
    for (i32 i = 0; i < Msg.selCount; ++i) {
        const i32 left = w.x + w.originX, top = w.y - 1 + w.originY + Msg.sel[i].y;
        _ass_setselectrect2(left, top, left + Msg.sel[i].x, top + gh, 0, 0, 255, 64, Msg.sel[i].label);
    }
    Msg.selCount = 0;
    Msg.lineCount = 0;
    Msg.pageTime = plat::GetTimeMs();
    Msg.laidOut = 1;
    Msg.page = ADV_PAGE_REVEALING;
    // Nothing to reveal: the page waits for the reader at once.
    if (seg == 0) ShowPage();
}

void ADV_DrawSelectMessage() {
    ADV_DrawMessage();
    _ass_waitselectrect();
}

void _ass_text_cursor(i32 type, i32 colour) {
    ASS_Trace("_ass_text_cursor(%d, %d)", type, colour);
    cursor_type = type;
    cursor_col = colour;
    if (plat::Surface* s = Slot(Msg.cursorSurf)) SURF_Fill(s, nullptr, u32(colour));
}

void _ass_setwaittype(i32 on, u32 ms) {
    ASS_Trace("_ass_setwaittype(%d, %u)", on, ms);
    Msg.autoOn = on != 0;
    if (Msg.autoOn) Msg.autoMs = ms;
}

int _ass_getwaittype(u32* ms) {
    if (ms) *ms = Msg.autoMs;
    return Msg.autoOn;
}

u32 _ass_getpagetime() { return Msg.pageTime; }
int _ass_getpagestate() { return Msg.page; }

void _ass_setpagestate(int state) {
    // The automatic advance finishes a shown page as the reader does: a key wait inside the page
    // resumes the reveal.
    if (state == ADV_PAGE_FINISHED && Msg.laidOut && Msg.page == ADV_PAGE_SHOWN) {
        AdvancePage();
        return;
    }
    Msg.page = state;
}

// ---- lifecycle ----

void _ass_initmessage() {
    if (MsgReady) _ass_termmessage();
    ResetRecords(false);
    plat::GlobalFree(Msg.buf);
    Msg = MSG_STATE{};
    Msg.cursorSurf = -1;
    Msg.sprite = SPR_GetFreeSpr();
    if (Msg.sprite < 0 || !SPR_CreateFSpr(Msg.sprite, TEXT_PRI_TEXT, DrawText_Text)) {
        DebugMsg("message: the sprite table is full");
        Msg.sprite = -1;
    }
    _ass_dispmessage(0);
    Msg.page = ADV_PAGE_CLOSED;
    Msg.autoMs = 500;
    Msg.speed = 12;
    Msg.skipSetting = 1;
    MsgReady = true;
}

void _ass_termmessage() {
    if (!MsgReady) return;
    if (Msg.sprite >= 0) SPR_DelSpr(Msg.sprite);
    Msg.sprite = -1;
    ResetRecords(true);
    if (Msg.cursorSurf >= 0) SPR_DelSurfDat(Msg.cursorSurf);
    Msg.cursorSurf = -1;
    if (Msg.voice) SND_ReleaseBuffer(Msg.voice);
    Msg.voice = nullptr;
    plat::GlobalFree(Msg.buf);
    Msg.buf = nullptr;
    Msg.len = Msg.cap = 0;
    Msg.laidOut = 0;
    Msg.segCount = 0;
    Msg.speed = 8;
    MsgReady = false;
}

void _ass_dispmessage(int flag) {
    if (Msg.sprite >= 0) SPR_SetFSprView(Msg.sprite, flag);
}

// ---- the update ----

namespace {

void RevealStep() {
    if (Msg.segCount <= 0 || Msg.current >= Msg.segCount) return;
    MSG_LINE* r = &MsgLineTbl[Msg.current];
    const int last = Msg.segCount - 1;
    if (r->width == 0) StartSegment(*r);
    if (Msg.skip == 1) {
        if (Msg.page == ADV_PAGE_REVEALING && r->width > MSG_SKIP_PIXELS) {
            while (!r->keyWait && Msg.current != last) {
                r->width = FullWidth(*r);
                r = &MsgLineTbl[++Msg.current];
                StartSegment(*r);
            }
            r->width = FullWidth(*r);
            Msg.edge = 32;
        } else {
            Msg.skip = 0;
        }
    }
    if (Msg.page == ADV_PAGE_REVEALING && Msg.edge == 0) {
        ASS_Trace("SE_Play(%d, %d)", MSG_SE_REVEAL, 0);
        SE_Play(MSG_SE_REVEAL, 0);
    }
    // A speed below 1 would never reveal a pixel.
    r->width += Msg.skip == 2 ? 16 : std::max(1, r->speed);
    const i32 full = FullWidth(*r);
    if (r->width < full) return;
    r->width = full;
    if (Msg.page != ADV_PAGE_REVEALING) return;
    if (!r->keyWait && Msg.current != last) {
        ++Msg.current;
        return;
    }
    Msg.edge += Msg.skip == 2 ? 4 : 2;
    if (Msg.edge > MSG_EDGE_SHOWN) ShowPage();
}

}  // namespace

void _ass_looptext() {
    if (Msg.laidOut && Msg.page != ADV_PAGE_CLOSED) {
        const bool shift = INP_GetAsyncKey(plat::VK_SHIFT) != 0;
        const u16 trigger = adv_tkey ? adv_tkey->trigger : 0;
        const u16 held = adv_tkey ? adv_tkey->current : 0;
        const bool decide = shift ? ((held & kDecide) || (ass_MousePad & 1)) : ((trigger & kDecide) || (ass_MouseTrg & 1));
        if (_ass_getselectrectwait()) {
            if (Msg.page == ADV_PAGE_SHOWN) {
                _ass_dispselectrect(1);
                if (_ass_renewselectrect() == 2) Msg.page = ADV_PAGE_FINISHED;
            }
        } else {
            if (Msg.page == ADV_PAGE_SHOWN && TextWindow.shown && decide) AdvancePage();
            if ((trigger & kCancel) || (ass_MouseTrg & 2)) TextWindow.shown = !TextWindow.shown;
        }
        if (Msg.page == ADV_PAGE_REVEALING) {
            if (Msg.skipSetting == 1) {
                if (decide && TextWindow.shown) Msg.skip = 1;
            } else {
                const bool down = (held & kDecide) || (ass_MousePad & 1);
                Msg.skip = down ? 2 : 0;
            }
        }
        const int state = TextWindow.state;
        if (state == TEXT_WINDOW_OPEN || state == TEXT_WINDOW_CLOSING) RevealStep();
    }
    _ass_animtextwindow();
}

// ---- drawing ----

void DrawText_Text(int) {
    plat::Surface* dst = ADV_GetTextSurface();
    if (!Msg.laidOut || !dst || TextWindow.state != TEXT_WINDOW_OPEN) return;
    RECT old;
    CopyRectDat(&old, &DispClipRect);
    DispClipRect = RECT{0, 0, dst->width, dst->height};
    for (i32 i = 0; i < Msg.segCount && i <= Msg.current; ++i) {
        const MSG_LINE& r = MsgLineTbl[i];
        const i32 full = FullWidth(r);
        const bool revealing = i == Msg.current && Msg.page == ADV_PAGE_REVEALING;
        if (i < Msg.current || !revealing) {
            CopySegment(dst, r, 0, full + 2, -1);
            DrawRuby(dst, r);
            continue;
        }
        // The soft leading edge: 32 strips of 4 pixels darkened toward the edge.
        const i32 w = r.width;
        CopySegment(dst, r, 0, w - kEdgeStrips * kStripWidth, -1);
        for (i32 s = 0; s < kEdgeStrips; ++s) {
            const i32 x1 = w - s * kStripWidth, x0 = std::max(0, x1 - kStripWidth);
            if (x1 <= 0) break;
            CopySegment(dst, r, x0, x1, std::min(31, kStripWidth * (s + Msg.edge)));
        }
        if (w >= full) DrawRuby(dst, r);
    }
    if (Msg.name[0]) {
        FONT_SetFont(DrawFontSlot(), FONT_STYLE_OUTLINE, 0);
        FONT_SetColor(FONT_White(), FONT_White(), 0);
        TXT_DrawText(dst, TextWindow.nameX, TextWindow.nameY, "%s", Msg.name);
    }
    if (Msg.page == ADV_PAGE_REVEALING && cursor_type == 1 && Msg.current < Msg.segCount) {
        const MSG_LINE& r = MsgLineTbl[Msg.current];
        if (plat::Surface* c = Slot(Msg.cursorSurf))
            BLT_Copy(dst, TextWindow.originX + r.x + r.width, TextWindow.originY + r.y, c, nullptr, 0);
    }
    DispClipRect = old;
}
