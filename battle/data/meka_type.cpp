#include "battle/data/meka_type.h"

MEKA_TYPE_DATA MekaTypeTbl[MEKA_TYPE_MAX];

const char* const MekaNameTbl[MEKA_TYPE_MAX] = {
    "player",  "zako01",  "zako02",  "zako03",  "zako04",  "zako05",  "zako06",  "zako07",  "zako08",
    "zako09",  "zako10",  "zako11",  "zako12",  "zako13",  "zako14",  "zako15",  "zako16",  "chara01",
    "chara02", "chara03", "chara04", "chara05", "chara06", "chara07", "chara08",
};

MEKA_TYPE_DATA* MEKA_GetTypeData(int type) {
    if (type < 0 || type >= MEKA_TYPE_MAX) return nullptr;
    return &MekaTypeTbl[type];
}
