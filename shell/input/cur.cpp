#include "shell/input/cur.h"

#include "graphics/sprite/spr.h"
#include "platform/input.h"
#include "shell/input/inp.h"

namespace {

constexpr i32 kScreenW = 640;
constexpr i32 kScreenH = 480;

int CurGroup = -1;
int CurSprite = -1;
int CurType = -1;
int CurPri = 0;

// The cursor's sprite record, or null while there is none (never loaded, or cleared with the table).
SPR_DATA* Sprite() { return CurSprite < 0 ? nullptr : SPR_GetSpr(CurSprite); }

}  // namespace

int CUR_Init(const char* name, int group) {
    // The name is used as given: it is already relative to the game folder.
    if (!SPR_LoadSprGrp(group, name, 0)) return 1;
    CurGroup = group;
    const int s = SPR_GetFreeSpr();
    CurPri = 0;
    CurType = 0;
    if (!SPR_CreateSpr(s, 0, kScreenW / 2, kScreenH / 2, group, 0)) return 1;  // table full: no pointer
    CurSprite = s;
    SPR_SetSeq(s, 0, 1, 1);
    return 1;
}

void CUR_SetType(int type) {
    if (type == CurType) return;
    SPR_DATA* spr = Sprite();
    if (!spr) return;
    if (type == -1) {
        spr->view = 0;
        CurType = -1;
    } else if (type >= 0 && type <= CUR_TYPE_MAX) {
        spr->view = 1;
        SPR_SetSeq(CurSprite, type, 1, 1);
        CurType = type;
    }
}

int CUR_GetType() { return CurType; }

void CUR_Show(u8 flag) {
    if (SPR_DATA* spr = Sprite()) {
        spr->view = flag;
        spr->view2 = flag;
    }
}

void CUR_SetPri(int priority) {
    if (SPR_DATA* spr = Sprite()) {
        CurPri = priority;
        spr->priority = i16(priority);
    }
}

void CUR_Restart() {
    if (Sprite() && CurType >= 0) SPR_SetSeq(CurSprite, CurType, 1, 1);
}

int CUR_Renew(HWND window) {
    SPR_DATA* spr = Sprite();
    if (!spr) return 0;
    // The input module's point, not a fresh query of the system pointer: the mouse reads of the scenes
    // and their warps are what the pointer shows. Picture pixels, outside 0..639 / 0..479 on the bars
    // or off the window.
    i32 x = 0, y = 0;
    INP_GetMouse(&x, &y, nullptr);
    if (x < 0 || x >= kScreenW || y < 0 || y >= kScreenH) {
        spr->view = 0;
        return 0;
    }
    if (CurType >= 0) spr->view = spr->view2;
    plat::GetInputBackend().HideCursor();
    spr->x = i16(x);
    spr->y = i16(y);
    return 1;
}
