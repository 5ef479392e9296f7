#include "script/adv/adv_face.h"

#include "graphics/display/disp.h"
#include "graphics/sprite/spr.h"
#include "script/adv/adv_sprite.h"
#include "script/adv/adv_window.h"
#include "script/core/ass_func.h"
#include "shell/common.h"

FACE_SPR FaceSprTbl[FACE_SLOT_MAX];
i32 FaceCurrent = -1;
i32 FaceSpaceW = 64;
i32 FaceSpaceH = 64;
i32 FaceMode = 0;

namespace {

void ClearFace(FACE_SPR& f) { f = FACE_SPR{-1, -1, -1, 0, 0, {0, 0}}; }

void ReleaseSlot(int i) {
    FACE_SPR& f = FaceSprTbl[i];
    f.id = -1;
    ADV_DelFace(i);
    ADV_ReleaseSprite(f.slot);
    f.slot = -1;
    f.value[0] = f.value[1] = 0;
    if (FaceCurrent == i) FaceCurrent = -1;
}

// Free before the first init, so no face names script sprite slot 0.
[[maybe_unused]] const bool FacesFree = [] {
    for (FACE_SPR& f : FaceSprTbl) ClearFace(f);
    return true;
}();

}  // namespace

void _ass_initface() {
    ASS_Trace("_ass_initface()");
    for (FACE_SPR& f : FaceSprTbl) ClearFace(f);
    FaceCurrent = -1;
    FaceMode = 0;
    FaceSpaceW = FaceSpaceH = 64;
}

void ADV_SetFaceSpace(i32 w, i32 h) {
    ASS_Trace("ADV_SetFaceSpace(%d, %d)", w, h);
    FaceSpaceW = w;
    FaceSpaceH = h;
    if (w == -1 && h == -1) FaceMode = 2;
}

int _ass_loadface(i32 id, const char* path) {
    ASS_Trace("_ass_loadface(%d, %s)", id, path ? path : "");
    for (FACE_SPR& f : FaceSprTbl) {
        if (f.id != -1) continue;
        const int slot = _ass_createsprite(-1, path, FACE_KIND);
        // A set that does not load leaves the face slot free.
        if (slot < 0) {
            DebugMsg("face %d: %s did not load", id, path ? path : "");
            return -1;
        }
        f.id = id;
        f.slot = slot;
        f.value[0] = f.value[1] = 0;
        return slot;
    }
    DebugMsg("face %d: all %d face slots are in use", id, FACE_SLOT_MAX);
    return -1;
}

void _ass_releaseface(i32 id) {
    ASS_Trace("_ass_releaseface(%d)", id);
    for (int i = 0; i < FACE_SLOT_MAX; ++i) {
        if (FaceSprTbl[i].id == -1) continue;
        if (id == -1) {
            ReleaseSlot(i);
        } else if (FaceSprTbl[i].id == id) {
            // An id loaded twice keeps its later slot.
            ReleaseSlot(i);
            return;
        }
    }
}

void ADV_DelFace(i32 slot) {
    if (slot < 0 || slot >= FACE_SLOT_MAX) return;
    ADV_DelSprite(FaceSprTbl[slot].slot);
}

void ADV_SetFace(i32 id, i32 pattern) {
    if (pattern == -1) {
        ADV_DelFace(FaceCurrent);
        FaceCurrent = -1;
        return;
    }
    if (FaceCurrent >= 0 && FaceSprTbl[FaceCurrent].id == id) return;
    for (int i = 0; i < FACE_SLOT_MAX; ++i) {
        FACE_SPR& f = FaceSprTbl[i];
        if (f.id != id || i == FaceCurrent) continue;
        f.pattern = pattern;
        ADV_DelFace(FaceCurrent);
        ADV_SetSpriteFunc(f.slot, TEXT_PRI_FACE, 0, DrawFace);
        FaceCurrent = i;
        return;
    }
}

void ADV_GetFacePos(i32* x, i32* y) {
    if (x) *x = TextWindow.faceX;
    if (y) *y = TextWindow.faceY;
}

void DrawFace(int sprite) {
    plat::Surface* surface = ADV_GetTextSurface();
    // A window without a face position (type 2) shows no face.
    if (!surface || sprite < 0 || (TextWindow.faceX == -1 && TextWindow.faceY == -1)) return;
    for (const FACE_SPR& f : FaceSprTbl) {
        if (f.id == -1 || ADV_GetSprNo(f.slot) != sprite) continue;
        const int group = ADV_GetSprGrpNo(f.slot);
        if (group < 0) return;
        RECT old;
        CopyRectDat(&old, &DispClipRect);
        DispClipRect = RECT{0, 0, surface->width, surface->height};
        SPR_DrawSpr2(surface, TextWindow.faceX, TextWindow.faceY, group, f.pattern, 0, 0, 0);
        DispClipRect = old;
        return;
    }
}
