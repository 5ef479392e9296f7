// Pieces of background objects in front of sprites: which sprites get them, where they are cut from
// and drawn, the view marks, and the pool's kind-5 count over one drawn frame.
#include <gtest/gtest.h>

#include <vector>

#include "battle/map/cam.h"
#include "battle/map/map.h"
#include "battle/map/mapobj.h"
#include "battle/map/scr.h"
#include "battle/object/obj.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "map_stage.h"
#include "tests/graphics/sprite/spr_draw_util.h"

namespace {

using Ints = std::vector<int>;

// One object picture 64×96 anchored 80 pixels down: placed on cell (40, 40) it covers map pixels
// (640, 560)..(704, 656) and its foot line is y = 640.
constexpr i32 kFoot = 640;
const RECT kObj{640, 560, 704, 656};

class PieceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(env_.ok());
        tools::MapDef m = test::RandomMap(80, 60, 31, 1, 0);
        m.objs[40 * 80 + 40] = 1;
        test::WriteStage(env_.dir(), 11, 0, 'L', {m, {{100, 40, 64, 96, 0, 80}}});
        MAP_Open(11, 0, 0);
        ASSERT_EQ(MAP_IsOpen(), 1);
        ASSERT_EQ(MapObjCnt, 1);
        ASSERT_EQ(OBJ_Init(), 1);
        MapObjLiveCnt = 0;
        CAM_SetPos(660, 520);
        SCR_Redraw(660, 520);  // view (340, 280)..(980, 760)
        image_ = SPR_CreateSurf(8, 8, 0);
        // Page 0: one 32×48 part standing on the position; page 1: three parts side by side.
        test::MakeGroup(0, {test::PageDef{0, {{image_, {-16, -48, 16, 0}, {0, 0, 8, 8}}}, {}},
                            test::PageDef{0,
                                          {{image_, {-30, -20, -10, 0}, {0, 0, 8, 8}},
                                           {image_, {-10, -20, 10, 0}, {0, 0, 8, 8}},
                                           {image_, {10, -20, 30, 0}, {0, 0, 8, 8}}},
                                          {}}});
    }
    void TearDown() override {
        OBJ_FreeAll();
        SPR_DelSprGrp(0);
        SPR_DelSurfDat(image_);
    }
    // A mech-like object with a world-layer group sprite in slot s.
    LIST_DATA* Mech(int s, i32 x, i32 y, i32 z = 0, int page = 0) {
        LIST_DATA* o = OBJ_Alloc(OBJ_KIND_EFFECT);
        o->x = x;
        o->y = y;
        o->z = z;
        EXPECT_EQ(SPR_CreateSpr(s, 128, 0, 0, 0, page), 1);
        SPR_SetSprObjNo(s, o->index);
        o->spr = i16(s);
        return o;
    }
    // The pieces alive now, in pool order.
    std::vector<LIST_DATA*> Pieces() {
        std::vector<LIST_DATA*> out;
        for (i32 i = ObjActHead; i >= 0; i = ObjTbl[i]->next)
            if (ObjTbl[i]->kind == OBJ_KIND_MAPOBJ) out.push_back(ObjTbl[i]);
        return out;
    }
    // The world-layer pass's part for pieces: each piece's callback with its owner as the current object.
    void DrawPieces() {
        for (int s = 0; s < SPR_MAX; ++s) {
            const FSPR_DATA* f = SPR_GetFSpr(s);
            if (!f || f->priority != 128 || !f->func) continue;
            CurObj = OBJ_Get(f->owner);
            f->func(s);
        }
        CurObj = nullptr;
    }
    test::MapFixtureEnv env_;
    int image_ = -1;
};

TEST_F(PieceTest, ASpriteBehindTheFootLineGetsTheCoveredPart) {
    LIST_DATA* m = Mech(300, 660, 600);  // sprite (644, 552)..(676, 600)
    MAP_RenewObjSpr();
    const std::vector<LIST_DATA*> p = Pieces();
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ((Ints{MapObjSprCnt, MapObjLiveCnt, m->outView, p[0]->level, p[0]->x, p[0]->y, p[0]->z}),
              (Ints{1, 1, 0, 4, 320 + 644 - 660, 240 + kFoot - 520, kFoot - 560}));
    const RECT src = p[0]->mapObj->src;  // the part (644, 560)..(676, 600) of the picture
    EXPECT_EQ((Ints{src.left, src.top, src.right, src.bottom}), (Ints{104, 40, 136, 80}));
    const SPR_HEAD* h = SprTbl[p[0]->spr];
    EXPECT_EQ((Ints{h->priority, h->owner, h->y, h->height}), (Ints{128, p[0]->index, p[0]->y, p[0]->z}));
}

TEST_F(PieceTest, WhoGetsPieces) {
    const struct {
        const char* what;
        i32 y;
        int page;
        size_t pieces;
    } cases[] = {
        {"in front of the foot line", kFoot + 1, 0, 0},
        {"on the foot line", kFoot, 0, 1},
        {"three parts behind", 600, 1, 3},
    };
    for (const auto& c : cases) {
        Mech(300, 660, c.y, 0, c.page);
        MAP_RenewObjSpr();
        EXPECT_EQ(Pieces().size(), c.pieces) << c.what;
        EXPECT_EQ(MapObjSprCnt, int(c.pieces)) << c.what;
        OBJ_FreeAll();
        ASSERT_EQ(OBJ_Init(), 1);
        MapObjLiveCnt = 0;
    }
}

// On the foot line the piece and the sprite share their y; the piece takes the lowest free slot, so
// the depth sort (equal y: higher slot first) draws it over a sprite of a higher slot.
TEST_F(PieceTest, OnTheFootLineThePieceSharesTheSpritesY) {
    LIST_DATA* m = Mech(300, 660, kFoot);
    CAM_SetObjSpr(m);
    const int firstFree = SPR_GetFreeSpr();
    MAP_RenewObjSpr();
    const std::vector<LIST_DATA*> p = Pieces();
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0]->spr, firstFree);
    EXPECT_LT(p[0]->spr, m->spr);
    EXPECT_EQ(SprTbl[p[0]->spr]->y, SprTbl[m->spr]->y);
}

TEST_F(PieceTest, TwoSpritesBehindOneObjectEachGetTheirOwn) {
    Mech(300, 660, 600);
    Mech(301, 690, 610);
    MAP_RenewObjSpr();
    EXPECT_EQ(Pieces().size(), 2u);
    EXPECT_EQ(MapObjLiveCnt, 2);
}

TEST_F(PieceTest, OutOfViewMarkAndShadowFlag) {
    // High above the view: the sprite is out, its shadow on the ground is in.
    LIST_DATA* up = Mech(300, 400, 300, 400);
    up->shadow = 1;
    // Far right of the view, shadow too.
    LIST_DATA* away = Mech(301, 1200, 600);
    away->shadow = 1;
    // In view with its shadow behind the object: one piece for the sprite, one for the shadow.
    LIST_DATA* near = Mech(302, 660, 600);
    near->shadow = 1;
    away->outView = 0;
    away->shadowView = 1;  // stale values of the last frame
    MAP_RenewObjSpr();
    EXPECT_NE(up->outView, 0);
    EXPECT_EQ(up->shadowView, 1u);
    EXPECT_NE(away->outView, 0);
    EXPECT_EQ((Ints{int(away->shadowView), near->outView, int(near->shadowView), int(Pieces().size())}),
              (Ints{0, 0, 1, 2}));
}

TEST_F(PieceTest, AFramesPiecesDrawTheObjectAndFreeThemselves) {
    Mech(300, 660, 600, 0, 1);
    Mech(301, 690, 610);
    MAP_RenewObjSpr();
    const int spawned = MapObjSprCnt;
    ASSERT_EQ(spawned, 4);
    const std::vector<u16> whole = test::PaintWholeMap();
    const RECT all{0, 0, 640, 480};
    SURF_Fill(DispBackBuffer, &all, 0x0842);
    DrawPieces();
    EXPECT_EQ(MapObjLiveCnt, 0);
    EXPECT_EQ(MapObjSprCnt, spawned);
    EXPECT_TRUE(Pieces().empty());
    // Where drawn, the screen shows the map's own object pixels at the same place.
    const std::vector<u16> screen = test::ReadSurface(DispBackBuffer);
    const i32 pw = MapData->pixelW + 2 * test::kPaintMargin;
    int drawn = 0, wrong = 0;
    for (i32 y = 0; y < 480; ++y)
        for (i32 x = 0; x < 640; ++x) {
            const u16 v = screen[size_t(y) * 640 + x];
            if (v == 0x0842) continue;
            ++drawn;
            const i32 mx = MapData->scrollX + x, my = MapData->scrollY + y;
            wrong += mx < kObj.left || mx >= kObj.right || my < kObj.top || my >= kObj.bottom ||
                     v != whole[size_t(my + test::kPaintMargin) * pw + mx + test::kPaintMargin];
        }
    EXPECT_GT(drawn, 1000);
    EXPECT_EQ(wrong, 0);
}

TEST_F(PieceTest, NoPoolObjectOrSpriteMeansNoPiece) {
    Mech(300, 660, 600);
    // Sprites: every slot of the world's part taken.
    std::vector<int> taken;
    for (int s = SPR_GetFreeWorldSpr(); s >= 0; s = SPR_GetFreeWorldSpr()) {
        SPR_CreateFSpr(s, 200, nullptr);
        taken.push_back(s);
    }
    const i16 live = ObjLiveCnt;
    MAP_RenewObjSpr();
    EXPECT_EQ(MapObjSprCnt, 0);
    EXPECT_EQ(MapObjLiveCnt, 0);
    EXPECT_EQ(ObjLiveCnt, live);
    for (int s : taken) SPR_DelSpr(s);
    // Pool: every object taken.
    while (OBJ_Alloc(OBJ_KIND_CHIP)) {
    }
    MAP_RenewObjSpr();
    EXPECT_EQ(MapObjSprCnt, 0);
    EXPECT_EQ(MapObjLiveCnt, 0);
}

// The debug grid outlines the cells under foot box 1, placed by their offset from the view.
TEST_F(PieceTest, AttributeGridOutlinesTheCellsUnderTheFoot) {
    LIST_DATA* m = Mech(300, 660, 600);
    m->foot1 = OBJ_FOOT{-20, -8, 40, 16};  // (640, 592)..(680, 608): cells 40..42 of row 37
    const RECT all{0, 0, 640, 480};
    SURF_Fill(DispBackBuffer, &all, 0);
    MAP_DrawAttrGrid(DispBackBuffer, m, 0, 0);
    const std::vector<u16> screen = test::ReadSurface(DispBackBuffer);
    const u16 red = DISP_PackRGB(255, 0, 0);
    int outlined = 0;
    for (u16 v : screen) outlined += v == red;
    EXPECT_EQ(outlined, 3 * 60);
    EXPECT_EQ(screen[312 * 640 + 300], red);  // cell (40, 37) at 640 − 340, 592 − 280
    EXPECT_EQ(screen[327 * 640 + 347], red);
    EXPECT_EQ(screen[317 * 640 + 305], 0);
}

}  // namespace
