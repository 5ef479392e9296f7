// The draw target, the draw offset and the screen-fade layers.
#include "graphics/sprite/spr.h"
#include "platform/clock.h"

SPR_LAYER SprLayerTbl[SPR_LAYER_MAX];

namespace {
// The layer table starts closed, not zero-filled (sprite and surface -1).
struct LayerInit {
    LayerInit() { SPR_InitLayer(); }
} g_layerInit;
}  // namespace

plat::Surface** SPR_SetDrawSurf(plat::Surface** target) {
    SprDrawSurf = target;
    return target;
}

void SPR_SetDrawOffset(i32 x, i32 y) {
    SprDrawOffsetX = x;
    SprDrawOffsetY = y;
}

void SPR_GetDrawOffset(i32* x, i32* y) {
    if (x) *x = SprDrawOffsetX;
    if (y) *y = SprDrawOffsetY;
}

void SPR_InitLayer() {
    for (auto& layer : SprLayerTbl) layer = SPR_LAYER{0, 0, -1, -1, 0, 0};
}

int SPR_OpenLayer(int n, int type, u32 duration, int priority) {
    if (n < 0 || n >= SPR_LAYER_MAX || SprLayerTbl[n].open) return 0;
    int surf = SPR_CreateSurf(640, 480, 0);
    if (surf < 0) return 0;
    int spr = SPR_GetFreeSpr();
    if (spr < 0 || !SPR_CreateTSpr(spr, priority, 0, 0, surf, nullptr)) {
        SPR_DelSurfDat(surf);
        return 0;
    }
    SPR_SetTSprAttr(spr, 0x200);
    SPR_SetTSprAttrCnt1(spr, type == 0 ? 31 : 0);
    SPR_SetSprLayer(spr, -1);
    SprLayerTbl[n] = SPR_LAYER{1, u8(type), spr, surf, duration, plat::GetTimeMs()};
    return 1;
}

void SPR_CloseLayer(int n) {
    if (n < 0 || n >= SPR_LAYER_MAX || !SprLayerTbl[n].open) return;
    SPR_DelSurfDat(SprLayerTbl[n].surf);
    SPR_DelSpr(SprLayerTbl[n].sprite);
    SprLayerTbl[n] = SPR_LAYER{0, 0, -1, -1, 0, 0};
}

void SPR_RenewLayer() {
    const u32 now = plat::GetTimeMs();
    for (auto& layer : SprLayerTbl) {
        if (!layer.open) continue;
        const u32 e = now - layer.start;
        const u64 d = layer.duration ? layer.duration : 1;  // a zero duration counts as 1 ms
        i64 level;
        switch (layer.type) {
            case 0: level = 31 - i64(u64(e) * 31 / d); if (level < 0) level = 0; break;
            case 1: level = i64(u64(e) * 31 / d); break;
            case 2: level = 31 + i64(u64(e) * 31 / d); break;
            case 3: level = i64(u64(e) * 62 / d); break;
            default: continue;
        }
        SPR_SetTSprAttrCnt1(layer.sprite, int(level));
    }
}

void SPR_RenewLayer2() { SPR_RenewLayer(); }
