#include "battle/object/obj_ref.h"

#include "battle/data/meka_type.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"

WAZA_DATA* OBJ_GetMekaWaza(LIST_DATA* obj) {
    if (!obj || !obj->use || obj->kind != OBJ_KIND_MEKA || !obj->meka) return nullptr;
    const MEKA_WORK* m = obj->meka;
    return m->waza >= 0 ? WAZA_GetData(m->type, m->waza) : nullptr;
}

WAZA_MOTION* OBJ_GetMekaMotion(LIST_DATA* obj) {
    WAZA_DATA* waza = OBJ_GetMekaWaza(obj);
    return waza && obj->meka->motion < WAZA_MOTION_MAX ? &waza->motion[obj->meka->motion] : nullptr;
}

WAZA_FRAME* OBJ_GetMekaFrame(LIST_DATA* obj) {
    WAZA_MOTION* motion = OBJ_GetMekaMotion(obj);
    return motion && obj->meka->frame < WAZA_FRAME_MAX ? &motion->frame[obj->meka->frame] : nullptr;
}
