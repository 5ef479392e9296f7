#include "script/adv/adv_window.h"

#include <algorithm>
#include <cstring>

#include "graphics/blit/drw.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/font/dbgtext.h"
#include "graphics/font/font.h"
#include "graphics/sprite/spr.h"
#include "platform/clock.h"
#include "platform/memory.h"
#include "script/adv/adv_face.h"
#include "script/adv/adv_message.h"
#include "script/core/ass_func.h"
#include "shell/common.h"

// Nothing held before the first init: every slot and sprite reads as none.
TEXT_WINDOW TextWindow = [] {
    TEXT_WINDOW w{};
    w.surf = w.imageSurf = w.sprite = -1;
    return w;
}();
TEXT_BG TextBgFill = {0, {0, 0, 0, 0}, 0, 255, -1, -1};
TEXT_FRAME TextFrame = {1, -1, {0, 0, 0, 0}, -1};

namespace {

constexpr i32 kBandHeight = 272;
constexpr i32 kBgRows = 136;

plat::Surface* DrawTarget() { return SprDrawSurf ? *SprDrawSurf : nullptr; }

void ReleaseSurf(i32* slot) {
    if (*slot >= 0) SPR_DelSurfDat(*slot);
    *slot = -1;
}

void DeleteSprite(i32* sprite) {
    if (*sprite >= 0) SPR_DelSpr(*sprite);
    *sprite = -1;
}

int NewFuncSprite(int priority, SPR_DRAW_FUNC func) {
    const int s = SPR_GetFreeSpr();
    if (s < 0 || !SPR_CreateFSpr(s, priority, func)) {
        DebugMsg("text window: the sprite table is full");
        return -1;
    }
    return s;
}

// A w × h surface filled with the key colour and keyed on it; -1 for an empty size.
i32 KeyedSurface(i32 w, i32 h) {
    if (w <= 0 || h <= 0) return -1;
    const i32 slot = SPR_CreateSurf(w, h, 0);
    plat::Surface* s = SPR_GetSlotSurf(slot);
    if (!s) return -1;
    SURF_Fill(s, nullptr, TextWindow.key);
    SURF_SetColorKey(s, TextWindow.key);
    return slot;
}

void RecreateWindowSurface() {
    ReleaseSurf(&TextWindow.surf);
    TextWindow.surf = KeyedSurface(TextWindow.w, TextWindow.h);
}

u32 KeyOf(plat::Surface* s) { return s->hasColorKey ? s->colorKeyLow : DRW_NO_KEY; }

void FreeMap() {
    plat::GlobalFree(TextWindow.map);
    TextWindow.map = nullptr;
    TextWindow.mapSize = 0;
}

// Read at every opening; the block read before is released first.
void ReadMap() {
    FreeMap();
    const char* path = MakeFilePath("bmp\\etc\\tbl.dat");
    i32 size = 0;
    void* block = ReadBinaryFile(path, &size);
    if (block && size <= 0) {
        plat::GlobalFree(block);
        block = nullptr;
    }
    if (!block) {
        DebugMsg("text window: no wipe map bmp\\etc\\tbl.dat");
        return;
    }
    TextWindow.map = static_cast<u8*>(block);
    TextWindow.mapSize = size;
}

void ShowSprites(int flag) {
    _ass_dispmessage(flag);
    if (TextBgFill.sprite >= 0) SPR_SetFSprView(TextBgFill.sprite, flag);
    if (TextFrame.sprite >= 0) SPR_SetFSprView(TextFrame.sprite, flag);
}

// Each 8 × 8 block of the window at its wipe alpha (times scale / 255): a blend of src's block, or a
// fill in colour when src is null.
void WipeBlocks(plat::Surface* dst, plat::Surface* src, u16 colour, i32 scale) {
    const TEXT_WINDOW& w = TextWindow;
    if (!w.map) return;
    const int closing = w.state == TEXT_WINDOW_CLOSING;
    const i32 p = _ass_textwipeprogress();
    for (i32 y = 0; y < w.h; y += TEXT_WIPE_BLOCK) {
        const i32 bh = std::min(TEXT_WIPE_BLOCK, w.h - y);
        for (i32 x = 0; x < w.w; x += TEXT_WIPE_BLOCK) {
            const i32 bw = std::min(TEXT_WIPE_BLOCK, w.w - x);
            const i32 a = _ass_textwipealpha(closing, x, y, p) * scale / 255;
            if (a <= 0) continue;
            if (src)
                DSW_DrawObjectAlpha(dst, w.x + x, w.y + y, bw, bh, src, x, y, a, KeyOf(src));
            else
                DRWS_Fill(dst, w.x + x, w.y + y, w.x + x + bw, w.y + y + bh, colour, a);
        }
    }
}

void BgInit() {
    ReleaseSurf(&TextBgFill.surf);
    DeleteSprite(&TextBgFill.sprite);
    TextBgFill.style = 0;
    TextBgFill.src = RECT{0, 0, 0, 0};
    TextBgFill.color = 0;
    TextBgFill.alpha = 255;
    TextBgFill.sprite = NewFuncSprite(TEXT_PRI_BG, DrawTextBg);
    if (TextBgFill.sprite >= 0) SPR_SetFSprView(TextBgFill.sprite, 0);
}

void BgTerm() {
    ReleaseSurf(&TextBgFill.surf);
    DeleteSprite(&TextBgFill.sprite);
}

void FrameTerm() { DeleteSprite(&TextFrame.sprite); }

void SetFont(i32 slot) {
    static const i32 kSize[4] = {10, 14, 20, -1};
    if (slot < 0 || slot > 3) {
        TextWindow.fontSlot = -1;
        TextWindow.fontW = TextWindow.fontH = -1;
        return;
    }
    TextWindow.fontSlot = slot;
    TextWindow.fontW = TextWindow.fontH = kSize[slot];
}

void SetColours(i32 a, i32 b) {
    TextWindow.color[0] = a;
    TextWindow.color[1] = b;
    TextWindow.color[2] = 0;
}

}  // namespace

plat::Surface* ADV_GetTextSurface() { return SPR_GetSlotSurf(TextWindow.surf); }

// ---- setters ----

void _ass_settextwindowpos(i32 x, i32 y) {
    ASS_Trace("_ass_settextwindowpos(%d, %d)", x, y);
    TextWindow.x = x;
    TextWindow.y = y;
}

void _ass_settextwindowsize(i32 w, i32 h) {
    ASS_Trace("_ass_settextwindowsize(%d, %d)", w, h);
    TextWindow.w = w;
    TextWindow.h = h;
}

void _ass_settextwindowmargin(i32 a, i32 b, i32 c, i32 d) {
    TextWindow.margin[0] = a;
    TextWindow.margin[1] = b;
    TextWindow.margin[2] = c;
    TextWindow.margin[3] = d;
}

void _ass_settextwindow(i32 x, i32 y, i32 w, i32 h, i32 m) {
    ASS_Trace("_ass_settextwindow(%d, %d, %d, %d, %d)", x, y, w, h, m);
    TextWindow.x = x;
    TextWindow.y = y;
    TextWindow.w = w;
    TextWindow.h = h;
    _ass_settextwindowmargin(m, m, m, m);
}

void _ass_settextwindowfacepos(i32 x, i32 y) {
    ASS_Trace("_ass_settextwindowfacepos(%d, %d)", x, y);
    TextWindow.faceX = x;
    TextWindow.faceY = y;
}

void _ass_settextwindownamepos(i32 x, i32 y) {
    ASS_Trace("_ass_settextwindownamepos(%d, %d)", x, y);
    TextWindow.nameX = x;
    TextWindow.nameY = y;
}

void _ass_settextwindowfonttype(i32 slot) {
    ASS_Trace("_ass_settextwindowfonttype(%d)", slot);
    SetFont(slot);
}

void _ass_settextwindowfontsize(i32 w, i32 h, const char* file) {
    if (TextWindow.fontSlot != -1) return;
    TextWindow.fontW = w;
    TextWindow.fontH = h;
    if (!FONT_LoadFont(TEXT_FONT_SLOT_LOADED, MakeFilePath("%s", file ? file : ""))) {
        DebugMsg("text window: font %s did not load", file ? file : "");
        return;
    }
    FONT_SetFont(TEXT_FONT_SLOT_LOADED, -1, -1);
    SetColours(FONT_White(), FONT_White());
    FONT_SetColor(FONT_White(), FONT_White(), -1);
}

void _ass_settextwindowfontils(i32 n) {
    ASS_Trace("_ass_settextwindowfontils(%d)", n);
    TextWindow.ils = n;
}

void _ass_settextwindowfontcolor(i32 a, i32 b) {
    ASS_Trace("_ass_settextwindowfontcolor(%d, %d)", a, b);
    SetColours(a, b);
    FONT_SetColor(a, b, 0);
}

void _ass_settextwindowklfontcolor(i32 a, i32 b, i32 c) {
    TextWindow.rubyColor[0] = a;
    TextWindow.rubyColor[1] = b;
    TextWindow.rubyColor[2] = c;
}

int _ass_settextwindowbg(i32, i32, i32, i32) { return 0; }

void _ass_settextwindowtype(i32 type) {
    ASS_Trace("_ass_settextwindowtype(%d)", type);
    TEXT_WINDOW& w = TextWindow;
    w.type = type;
    if (type < 0 || type > 2) return;
    const bool narrow = type == 2;
    w.x = narrow ? 56 : 0;
    w.y = 344;
    w.w = narrow ? 576 : 640;
    w.h = narrow ? 128 : 136;
    w.originX = narrow ? 36 : 92;
    w.originY = 48;
    if (type != 1) {
        w.lineWidth = 518;
        w.lineWidth2 = 78;
    }
    w.faceX = narrow ? -1 : 16;
    w.faceY = narrow ? -1 : 51;
    w.nameX = narrow ? 8 : 66;
    w.nameY = 14;
    const i32 left = narrow ? 56 : 0, right = narrow ? 632 : 640, top = kBandHeight * type;
    const RECT bg{left, top, right, top + kBgRows};
    const RECT frame{left, top + kBgRows, right, top + kBandHeight};
    RecreateWindowSurface();
    SetFont(1);
    w.ils = 12;
    SetColours(FONT_White(), FONT_White());
    const i32 grey = DISP_PackRGB(192, 192, 192);
    _ass_settextwindowklfontcolor(grey, grey, 0);
    _ass_settextwindowbg2(6, &bg, 0, 128);
    SetFraemStyle(1, &frame);
    // Set in place: the scripts' own cursor and face-area calls are traced, the preset's are not.
    cursor_type = 1;
    cursor_col = DISP_PackRGB(0, 180, 140);
    FaceSpaceW = FaceSpaceH = 64;
}

void ASS_SetTextWindowPos(i32 x, i32 y) { _ass_settextwindowpos(x, y); }
void ASS_SetTextWindowSize(i32 w, i32 h) { _ass_settextwindowsize(w, h); }
void ASS_SetTextWindowMargin(i32 a, i32 b, i32 c, i32 d) { _ass_settextwindowmargin(a, b, c, d); }
void ASS_SetTextWindow(i32 x, i32 y, i32 w, i32 h, i32 m) { _ass_settextwindow(x, y, w, h, m); }
void ASS_SetTextWidnowFontType(i32 slot) { _ass_settextwindowfonttype(slot); }
void ASS_SetTextWidnowFontSize(i32 w, i32 h, const char* file) { _ass_settextwindowfontsize(w, h, file); }
void ASS_SetTextWindowFontIls(i32 n) { _ass_settextwindowfontils(n); }
void ASS_SetTextWindowType(i32 type) { _ass_settextwindowtype(type); }
int ASS_SetTextWindowBg(i32 a, i32 b, i32 c, i32 d) { return _ass_settextwindowbg(a, b, c, d); }

// ---- background and frame ----

void _ass_settextwindowbg2(i32 style, const RECT* src, u16 color, i32 alpha) {
    TEXT_BG& bg = TextBgFill;
    if (src) bg.src = *src;
    bg.color = color;
    bg.alpha = std::clamp(alpha, 0, 255);
    if (style & 2) {
        ReleaseSurf(&bg.surf);
        bg.surf = KeyedSurface(TextWindow.w, TextWindow.h);
        plat::Surface* to = SPR_GetSlotSurf(bg.surf);
        plat::Surface* image = SPR_GetSlotSurf(TextWindow.imageSurf);
        if (to && image) {
            // Copied whole: the image's own key colour is the window's ground.
            const RECT whole{0, 0, to->width, to->height};
            RECT old;
            CopyRectDat(&old, &DispClipRect);
            DispClipRect = whole;
            BLT_Copy(to, 0, 0, image, &bg.src, 1);
            DispClipRect = old;
        }
        style &= ~1;
    }
    bg.style = style;
}

void _ass_initframe() {
    FrameTerm();
    TextFrame.on = 1;
    TextFrame.style = -1;
    TextFrame.src = RECT{0, 0, 0, 0};
}

void SetFraemStyle(i32 style, const RECT* rect) {
    TEXT_FRAME& f = TextFrame;
    if (!f.on) return;
    DeleteSprite(&f.sprite);
    f.style = style;
    if (rect) f.src = *rect;
    if (style == 1) {
        f.sprite = NewFuncSprite(TEXT_PRI_FRAME, DrawTextFrame);
        if (f.sprite >= 0) SPR_SetFSprView(f.sprite, TextWindow.state != TEXT_WINDOW_CLOSED);
    }
}

void _ass_changeframe(i32 style, const RECT* rect) {
    ASS_Trace("_ass_changeframe(%d)", style);
    SetFraemStyle(style, rect);
}

// ---- lifecycle ----

void _ass_inittext() {
    TEXT_WINDOW& w = TextWindow;
    ReleaseSurf(&w.surf);
    ReleaseSurf(&w.imageSurf);
    DeleteSprite(&w.sprite);
    FreeMap();
    w = TEXT_WINDOW{};
    w.surf = w.imageSurf = w.sprite = -1;
    w.closeMs = -1;
    w.state = TEXT_WINDOW_CLOSED;
    w.duration = TEXT_OPEN_MS;
    w.imageSurf = SPR_LoadSurf(MakeFilePath("bmp\\etc\\window.bmp"), 0);
    if (w.imageSurf < 0) DebugMsg("text window: no frame image bmp\\etc\\window.bmp");
    w.originX = w.originY = w.faceX = w.faceY = w.nameX = w.nameY = -1;
    w.key = DISP_PackRGB(8, 8, 8);
    _ass_initface();
    BgInit();
    _ass_initframe();
    _ass_initindent();
    SetFont(1);
    w.ils = 0;
    SetColours(FONT_White(), FONT_White());
    _ass_initmessage();
    _ass_initface();
    w.type = 0;
}

void _ass_termttext() {
    TEXT_WINDOW& w = TextWindow;
    DeleteSprite(&w.sprite);
    ReleaseSurf(&w.imageSurf);
    ReleaseSurf(&w.surf);
    FreeMap();
    BgTerm();
    FrameTerm();
    _ass_termmessage();
    w.state = TEXT_WINDOW_CLOSED;
}

int _ass_gettextwindowstate() { return TextWindow.state; }

void _ass_opentext() {
    TEXT_WINDOW& w = TextWindow;
    if (w.state != TEXT_WINDOW_CLOSED) return;
    ReadMap();
    w.state = TEXT_WINDOW_OPENING;
    w.closeMs = -1;
    w.shown = 1;
    w.elapsed = 0;
    w.start = plat::GetTimeMs();
    w.duration = TEXT_OPEN_MS;
    RecreateWindowSurface();
    DeleteSprite(&w.sprite);
    w.sprite = NewFuncSprite(TEXT_PRI_WINDOW, DrawTextWindow);
    if (TextFrame.sprite < 0 && TextFrame.style == 1) SetFraemStyle(1, nullptr);
    ShowSprites(1);
}

void _ass_closetext(i32 ms) {
    ASS_Trace("_ass_closetext(%d)", ms);
    TEXT_WINDOW& w = TextWindow;
    // Dropped, a close asked for while the window opens (a choice taken at once) would leave the
    // script's close wait waiting for good: it runs once the window is open.
    if (w.state == TEXT_WINDOW_OPENING) w.closeMs = std::max(0, ms);
    if (w.state != TEXT_WINDOW_OPEN) return;
    w.closeMs = -1;
    w.state = TEXT_WINDOW_CLOSING;
    w.elapsed = 0;
    w.start = plat::GetTimeMs();
    w.duration = ms;
}

void ASS_CloseText(i32 ms) { _ass_closetext(ms); }

void _ass_settextwipetime(i32 ms) { TextWindow.duration = ms; }

void _ass_animtextwindow() {
    TEXT_WINDOW& w = TextWindow;
    if (w.state != TEXT_WINDOW_OPENING && w.state != TEXT_WINDOW_CLOSING) return;
    w.elapsed = i32(plat::GetTimeMs() - w.start);
    if (w.elapsed < w.duration) return;
    if (w.state == TEXT_WINDOW_OPENING) {
        w.state = TEXT_WINDOW_OPEN;
        w.openTime = plat::GetTimeMs();
        if (w.closeMs >= 0) _ass_closetext(w.closeMs);
        return;
    }
    w.state = TEXT_WINDOW_CLOSED;
    ReleaseSurf(&w.surf);
    ShowSprites(0);
    DeleteSprite(&w.sprite);
    _ass_setpagestate(ADV_PAGE_CLOSED);
}

// ---- the wipe ----

i32 _ass_textwipeprogress() {
    const TEXT_WINDOW& w = TextWindow;
    if (w.duration <= 0) return 512;
    const i64 el = std::max<i64>(0, i32(plat::GetTimeMs() - w.start));
    return i32(std::min<i64>(512, el * 512 / w.duration));
}

i32 _ass_textwipealpha(int closing, i32 x, i32 y, i32 p) {
    const TEXT_WINDOW& w = TextWindow;
    if (!w.map || w.mapSize <= 0) return 0;
    const i32 rows = std::max(1, w.mapSize / TEXT_MAP_WIDTH);
    const i32 row = std::clamp(closing ? y : TEXT_MAP_ROWS - 1 - y, 0, rows - 1);
    const i32 col = std::clamp(closing ? TEXT_MAP_WIDTH - 1 - x : x, 0, TEXT_MAP_WIDTH - 1);
    const i32 at = std::min(row * TEXT_MAP_WIDTH + col, w.mapSize - 1);
    const i32 v = closing ? w.map[at] + 255 - p : w.map[at] + p - 255;
    return std::clamp(v, 0, 255);
}

// ---- drawing ----

void DrawTextWindow(int) {
    const TEXT_WINDOW& w = TextWindow;
    plat::Surface* surface = SPR_GetSlotSurf(w.surf);
    plat::Surface* dst = DrawTarget();
    if (!surface || !dst) return;
    if (w.shown) {
        if (w.state == TEXT_WINDOW_OPEN)
            BLT_Copy(dst, w.x, w.y, surface, nullptr, 1);
        else if (w.state == TEXT_WINDOW_OPENING || w.state == TEXT_WINDOW_CLOSING)
            WipeBlocks(dst, surface, 0, 255);
    }
    // Everything drawn into the window is drawn again each frame.
    SURF_Fill(surface, nullptr, w.key);
}

void DrawTextBg(int) {
    const TEXT_WINDOW& w = TextWindow;
    const TEXT_BG& bg = TextBgFill;
    plat::Surface* dst = DrawTarget();
    if (!dst || !w.shown || w.state == TEXT_WINDOW_CLOSED || !SPR_GetSlotSurf(w.surf)) return;
    plat::Surface* image = SPR_GetSlotSurf(bg.surf);
    const i32 style = bg.style & ~(8 | 16);
    if (w.state != TEXT_WINDOW_OPEN) {
        if (style == 1)
            WipeBlocks(dst, nullptr, bg.color, bg.alpha);
        else if ((style == 2 || style == 5 || style == 6) && image)
            WipeBlocks(dst, image, 0, bg.alpha);
        return;
    }
    switch (style) {
        case 1: {
            const RECT r{w.x, w.y, w.x + w.w, w.y + w.h};
            SURF_Fill(dst, &r, bg.color);
            break;
        }
        case 2:
            if (image) BLT_Copy(dst, w.x, w.y, image, nullptr, 1);
            break;
        case 5:
        case 6:
            if (image) DSW_DrawObjectAlpha(dst, w.x, w.y, w.w, w.h, image, 0, 0, bg.alpha, KeyOf(image));
            break;
        default: break;
    }
}

void DrawTextFrame(int) {
    plat::Surface* surface = SPR_GetSlotSurf(TextWindow.surf);
    plat::Surface* image = SPR_GetSlotSurf(TextWindow.imageSurf);
    if (!surface || !image || TextFrame.style != 1) return;
    RECT old;
    CopyRectDat(&old, &DispClipRect);
    DispClipRect = RECT{0, 0, surface->width, surface->height};
    BLT_Copy(surface, 0, 0, image, &TextFrame.src, 1);
    DispClipRect = old;
}

void _ass_drawtext() {
    if (!DispBackBuffer) return;
    for (int i = 0; i < 10; ++i)
        DBG_DrawText(DispBackBuffer, 16, 32 + 8 * i, "%04d %04d", MsgLineTbl[i].x, MsgLineTbl[i].y);
}
