// Faces: up to 16 face sprite sets drawn inside the text window, by id.
#pragma once
#include "platform/types.h"

constexpr int FACE_SLOT_MAX = 16;
constexpr i32 FACE_KIND = 18;  // a page sprite set drawn by its owner (kind 2 with flag 16)

struct FACE_SPR {
    i32 id;      // -1 free
    i32 second;  // -1, never read
    i32 slot;    // the script sprite slot, -1 none
    i32 flag;
    i32 pattern;
    i32 value[2];
};

extern FACE_SPR FaceSprTbl[FACE_SLOT_MAX];
extern i32 FaceCurrent;  // the current face slot, -1 none
extern i32 FaceSpaceW;
extern i32 FaceSpaceH;
extern i32 FaceMode;  // 2 when the area is (-1, -1); the face tag's side 0 or 1

void _ass_initface();
void ADV_SetFaceSpace(i32 w, i32 h);
// The script sprite slot of the face set loaded under id; -1 when no face slot is free or the set
// does not load.
int _ass_loadface(i32 id, const char* path);
// -1 releases every face.
void _ass_releaseface(i32 id);
void ADV_DelFace(i32 slot);
// Pattern -1 hides the current face.
void ADV_SetFace(i32 id, i32 pattern);
void ADV_GetFacePos(i32* x, i32* y);
void DrawFace(int sprite);
