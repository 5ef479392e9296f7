// Faces: up to 16 face sprite sets shown beside the text, by id.
#pragma once
#include "platform/types.h"

void _ass_initface();
void ADV_SetFaceSpace(i32 w, i32 h);
void _ass_loadface(i32 id, const char* path);
// -1 releases every face.
void _ass_releaseface(i32 id);
