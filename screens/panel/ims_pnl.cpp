#include "screens/panel/ims_pnl.h"

#include <algorithm>
#include <cstring>

#include "graphics/blit/prim.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/font/font.h"
#include "graphics/sprite/spr.h"
#include "screens/panel/ims.h"
#include "shell/sound/sound.h"

// ---- panel items ----

int IMS_InitPnl(int count, IMS_PNL* items) {
    for (int i = 0; i < count; ++i) {
        IMS_PNL& p = items[i];
        p.id = -1;
        for (int k = 0; k < 3; ++k) p.spr[k] = p.surf[k] = -1;
        p.x = p.y = 0;
        p.openW = p.openH = 0;
    }
    return count;
}

void IMS_DelPnl(IMS_PNL* item) {
    item->id = -1;
    item->x = item->y = 0;
    for (i32& s : item->surf) s = SPR_DelSurfDat2(s);
    for (i32& s : item->spr) s = SPR_DelTSprDat2(s);
    item->openW = item->openH = 0;
}

void IMS_DelPnl2(int count, IMS_PNL* items) {
    for (int i = 0; i < count; ++i) IMS_DelPnl(&items[i]);
}

// ---- help balloon ----

HELP_MSG_DATA MenuHelpMsg;
HELP_MSG_DATA ImsHelpMsg;

namespace {

constexpr int kSeType = 46;
constexpr int kLineGap = 10;
constexpr int kCharStep = 10;
constexpr int kFrameRow = HELP_MSG_HEIGHT - 1;
constexpr int kFadeStep = 5;
constexpr int kFadeDone = 32;
constexpr int kSprAlpha = 64;

u16 TextColor() { return DISP_PackRGB(64, 255, 64); }
u16 OutlineColor() { return DISP_PackRGB(32, 64, 32); }

void InitChar(HELP_MSG_DATA& h, int n) {
    HELP_MSG_CHAR& c = h.chars[n];
    c = HELP_MSG_CHAR{};
    c.surf = SPR_CreateSurf(HELP_MSG_CHAR_SIZE, HELP_MSG_CHAR_SIZE, 0);
    if (c.surf < 0) return;
    SURF_Fill(SPR_GetSlotSurf(c.surf), nullptr, 0);
    c.spr = SPR_GetFreeSpr();
    if (!SPR_CreateTSpr(c.spr, HELP_MSG_CHAR_PRI, 0, 0, c.surf, nullptr)) {
        c.spr = -1;
        return;
    }
    SPR_SetTSprAttr(c.spr, kSprAlpha);
    SPR_SetTSprAttrCnt1(c.spr, 0);
    SPR_SetTSprView(c.spr, 0);
}

void DelChar(HELP_MSG_DATA& h, int n) {
    HELP_MSG_CHAR& c = h.chars[n];
    c.used = 0;
    if (plat::Surface* s = SPR_GetSlotSurf(c.surf)) SURF_Fill(s, nullptr, 0);
    SPR_SetTSprView(c.spr, 0);
}

void Init(HELP_MSG_DATA& h) {
    h = HELP_MSG_DATA{};
    h.surf = SPR_CreateSurf(HELP_MSG_WIDTH, HELP_MSG_HEIGHT, 0);
    if (h.surf >= 0) {
        SURF_Fill(SPR_GetSlotSurf(h.surf), nullptr, 0);
        h.spr = SPR_GetFreeSpr();
        if (SPR_CreateTSpr(h.spr, HELP_MSG_STRIP_PRI, 0, 0, h.surf, nullptr))
            SPR_SetTSprView(h.spr, 0);  // nothing to show before the first help
        else
            h.spr = -1;
    }
    for (int n = 0; n < HELP_MSG_CHAR_MAX; ++n) InitChar(h, n);
}

void Reset(HELP_MSG_DATA& h) {
    h.active = 0;
    SPR_SetTSprView(h.spr, 0);
    for (int n = 0; n < HELP_MSG_CHAR_MAX; ++n) DelChar(h, n);
}

void SetStr(HELP_MSG_DATA& h, const char* l1, const char* l2, const char* l3) {
    const char* lines[HELP_MSG_LINES] = {l1, l2, l3};
    h.widest = 0;
    for (int i = 0; i < HELP_MSG_LINES; ++i) {
        IMS_CopyText(h.str[i], lines[i], HELP_MSG_LINE_SIZE - 1);
        h.width[i] = i32(std::strlen(h.str[i]) / 2);
        h.widest = std::max(h.widest, h.width[i]);
    }
    h.active = 1;
    h.line = 0;
    h.chr = 0;
    if (plat::Surface* s = SPR_GetSlotSurf(h.surf)) SURF_Fill(s, nullptr, 0);
}

void SetPoint(HELP_MSG_DATA& h, i32 x, i32 y, i32 dx, i32 dy) {
    const i32 stripY = y + std::clamp(dy, -kFrameRow, kFrameRow);
    SPR_SetTSprPos(h.spr, 0, stripY);
    h.textX = x + dx;
    h.tipX = x;
    h.tipY = std::clamp(y - stripY, 0, kFrameRow);
    h.endX = dx < 1 ? h.textX + h.widest * kCharStep : h.textX - 2;
    if (plat::Surface* s = SPR_GetSlotSurf(h.surf)) {
        PRIM_HLine16Lock(s, h.textX - 2, h.textX + h.widest * kCharStep, kFrameRow, TextColor());
        PRIM_Line16Lock(s, h.endX, kFrameRow, h.tipX, h.tipY, TextColor());
    }
    SPR_SetTSprView(h.spr, 1);
    for (int n = 0; n < HELP_MSG_CHAR_MAX; ++n) DelChar(h, n);
}

// Draws the current character into a free slot; false when every slot is still fading.
bool TypeChar(HELP_MSG_DATA& h) {
    int n = 0;
    while (n < HELP_MSG_CHAR_MAX && h.chars[n].used) ++n;
    if (n == HELP_MSG_CHAR_MAX) return false;
    HELP_MSG_CHAR& c = h.chars[n];
    c.used = 1;
    c.x = h.textX + kCharStep * h.chr;
    c.y = kLineGap * h.line;
    char text[3] = {h.str[h.line][2 * h.chr], h.str[h.line][2 * h.chr + 1], '\0'};
    if (plat::Surface* s = SPR_GetSlotSurf(c.surf)) {
        SURF_Fill(s, nullptr, 0);
        FONT_SetFont(0, 4, 0);
        FONT_SetColor(TextColor(), TextColor(), OutlineColor());
        // At (1, 1) so the outline left of and above the glyph stays on the surface.
        TXT_DrawText(s, 1, 1, "%s", text);
    }
    i32 sx = 0, sy = 0;
    if (const TSPR_DATA* strip = SPR_GetTSpr(h.spr)) {
        sx = strip->x;
        sy = strip->y;
    }
    SPR_SetTSprPos(c.spr, sx + c.x, sy + c.y);
    SPR_SetTSprAttrCnt1(c.spr, 0);
    SPR_SetTSprView(c.spr, 1);
    ++h.chr;
    return true;
}

void Exec(HELP_MSG_DATA& h, int seLoop) {
    for (int n = 0; n < HELP_MSG_CHAR_MAX; ++n) {
        HELP_MSG_CHAR& c = h.chars[n];
        if (!c.used) continue;
        const TSPR_DATA* spr = SPR_GetTSpr(c.spr);
        const int level = (spr ? spr->level : 0) + kFadeStep;
        SPR_SetTSprAttrCnt1(c.spr, level);
        if (level >= kFadeDone) {
            plat::Surface* strip = SPR_GetSlotSurf(h.surf);
            plat::Surface* glyph = SPR_GetSlotSurf(c.surf);
            if (strip && glyph) BLT_Copy(strip, c.x, c.y, glyph, nullptr, 1);
            DelChar(h, n);
        }
    }
    if (!h.active) return;
    for (int k = 0; k < 2; ++k) {
        if (h.chr >= h.width[h.line]) {
            h.chr = 0;
            if (++h.line >= HELP_MSG_LINES) {
                h.active = 0;
                return;
            }
        }
        if (h.width[h.line] == 0) continue;  // an empty line takes one character's turn
        if (!TypeChar(h)) return;
    }
    SE_Play(kSeType, seLoop);
}

}  // namespace

void MENU_HelpMsg_Init() { Init(MenuHelpMsg); }
void MENU_HelpMsg_Reset() { Reset(MenuHelpMsg); }
void MENU_HelpMsg_SetStr(const char* line1, const char* line2, const char* line3) {
    SetStr(MenuHelpMsg, line1, line2, line3);
}
void MENU_HelpMsg_SetPoint(i32 x, i32 y, i32 dx, i32 dy) { SetPoint(MenuHelpMsg, x, y, dx, dy); }
void MENU_HelpMsg_Exec() { Exec(MenuHelpMsg, -1); }
void MENU_HelpMsg_InitChar(int n) {
    if (n >= 0 && n < HELP_MSG_CHAR_MAX) InitChar(MenuHelpMsg, n);
}
void MENU_HelpMsg_DelChar(int n) {
    if (n >= 0 && n < HELP_MSG_CHAR_MAX) DelChar(MenuHelpMsg, n);
}

void MENU_HelpMsg_Term() {
    HELP_MSG_DATA& h = MenuHelpMsg;
    h.surf = SPR_DelSurfDat2(h.surf);
    h.spr = SPR_DelTSprDat2(h.spr);
    for (HELP_MSG_CHAR& c : h.chars) {
        c.surf = SPR_DelSurfDat2(c.surf);
        c.spr = SPR_DelTSprDat2(c.spr);
    }
    h = HELP_MSG_DATA{};
}

void MENU_HelpMsg_Init2() { Init(ImsHelpMsg); }
void MENU_HelpMsg_Reset2() { Reset(ImsHelpMsg); }
void MENU_HelpMsg_SetStr2(const char* line1, const char* line2, const char* line3) {
    SetStr(ImsHelpMsg, line1, line2, line3);
}
void MENU_HelpMsg_SetPoint2(i32 x, i32 y, i32 dx, i32 dy) { SetPoint(ImsHelpMsg, x, y, dx, dy); }
void MENU_HelpMsg_Exec2() { Exec(ImsHelpMsg, 0); }
