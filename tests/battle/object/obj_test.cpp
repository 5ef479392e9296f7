#include <gtest/gtest.h>

#include <deque>
#include <set>
#include <string>
#include <vector>

#include "battle/effect/eft.h"
#include "battle/map/mapobj.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "battle/tama/tama.h"
#include "platform/memory.h"
#include "platform/random.h"
#include "test_support.h"

namespace {

using Ints = std::vector<int>;

class ObjPool : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(OBJ_Init(), 1); }
    void TearDown() override {
        plat::SetAllocFailAfter(0);
        OBJ_FreeAll();
    }
    static int Alloc(int kind = OBJ_KIND_CHIP) {
        LIST_DATA* obj = OBJ_Alloc(kind);
        return obj ? obj->index : -1;
    }
};

// Every list invariant of the pool, walked from both ends.
void CheckInvariants() {
    std::vector<int> seen(OBJ_MAX, 0);
    int count = 0;
    int prev = -1;
    for (int i = ObjActHead; i >= 0; i = ObjTbl[i]->next) {
        ASSERT_LT(i, OBJ_MAX);
        ASSERT_EQ(ObjTbl[i]->prev, prev) << i;
        ASSERT_EQ(ObjTbl[i]->use, 1) << i;
        ASSERT_EQ(ObjTbl[i]->index, i);
        seen[i]++;
        prev = i;
        ASSERT_LE(++count, OBJ_MAX);
    }
    ASSERT_EQ(ObjActTail, prev);
    ASSERT_EQ(count, ObjLiveCnt);
    int last = -1;
    for (int i = ObjFreeHead; i >= 0; i = ObjTbl[i]->nextFree) {
        ASSERT_LT(i, OBJ_MAX);
        ASSERT_EQ(ObjTbl[i]->use, 0) << i;
        seen[i]++;
        last = i;
        ASSERT_LE(++count, OBJ_MAX);
    }
    ASSERT_EQ(ObjFreeTail, last);
    for (int i = 0; i < OBJ_MAX; i++) ASSERT_EQ(seen[i], 1) << "index " << i;
}

TEST_F(ObjPool, FreedIndexComesBackOnlyAfterTheRestOfTheQueue) {
    test::DebugCapture debug;
    ASSERT_EQ(OBJ_Init(), 1);
    EXPECT_TRUE(debug.Contains("LIST_DATA 已保有 " + std::to_string(OBJ_MAX * sizeof(LIST_DATA)) + " Byte 之記憶容量"));
    for (int i = 0; i < 5; i++) ASSERT_EQ(Alloc(), i);
    EXPECT_EQ(OBJ_Free(2), 3);
    for (int i = 5; i < OBJ_MAX; i++) ASSERT_EQ(Alloc(), i);
    EXPECT_EQ(ObjFreeHead, 2);
    EXPECT_EQ(Alloc(), 2);
    CheckInvariants();

    // Full: refused without touching the lists; one free makes room again.
    EXPECT_EQ(ObjLiveCnt, OBJ_MAX);
    EXPECT_EQ(OBJ_Alloc(OBJ_KIND_EFFECT), nullptr);
    EXPECT_EQ(ObjFreeHead, -1);
    EXPECT_EQ(ObjFreeTail, -1);
    OBJ_Free(700);
    EXPECT_EQ(ObjFreeHead, 700);
    EXPECT_EQ(ObjFreeTail, 700);
    EXPECT_EQ(Alloc(), 700);
    CheckInvariants();
}

TEST_F(ObjPool, FreeReturnsTheNextActiveIndex) {
    struct Case {
        int live;  // objects 0..live-1 taken
        int freed;
        int result;
        int head;
        int tail;
    };
    const Case cases[] = {
        {1, 0, -1, -1, -1},  // the only one
        {3, 2, -1, 0, 1},    // the tail
        {3, 0, 1, 1, 2},     // the head
        {3, 1, 2, 0, 2},     // the middle
    };
    for (const Case& c : cases) {
        ASSERT_EQ(OBJ_Init(), 1);
        for (int i = 0; i < c.live; i++) Alloc();
        EXPECT_EQ(OBJ_Free(c.freed), c.result) << c.live << "/" << c.freed;
        EXPECT_EQ(ObjActHead, c.head);
        EXPECT_EQ(ObjActTail, c.tail);
        EXPECT_EQ(ObjLiveCnt, c.live - 1);
        CheckInvariants();
    }
}

TEST_F(ObjPool, BadIndicesAreRefused) {
    Alloc();
    Alloc();
    OBJ_Free(1);
    ObjWalkNext = 77;
    for (int index : {-1, OBJ_MAX, 1, 500}) {
        EXPECT_EQ(OBJ_Free(index), 77) << index;
        EXPECT_EQ(OBJ_Get(index), nullptr) << index;
    }
    EXPECT_EQ(ObjLiveCnt, 1);
    EXPECT_EQ(OBJ_Get(0), ObjTbl[0]);
    CheckInvariants();
}

TEST_F(ObjPool, EachKindGetsOnlyItsOwnZeroedExtension) {
    for (int kind = 0; kind < OBJ_KIND_COUNT; kind++) {
        LIST_DATA* obj = OBJ_Alloc(kind);
        ASSERT_NE(obj, nullptr);
        EXPECT_EQ(obj->kind, kind);
        EXPECT_EQ(obj->spr, -999);
        const void* ext[] = {obj->meka, obj->lnch, obj->tama, obj->eft, obj->mapObj};
        for (int k = 0; k < 5; k++) {
            const int owner = k == 4 ? OBJ_KIND_MAPOBJ : k;
            EXPECT_EQ(ext[k] != nullptr, owner == kind) << "kind " << kind << " extension " << k;
        }
    }
    LIST_DATA* eft = OBJ_Get(3);
    EXPECT_EQ(eft->eft->type, 0);
    EXPECT_EQ(eft->eft->kill, 0);
    EXPECT_EQ(OBJ_Alloc(-1), nullptr);
    EXPECT_EQ(OBJ_Alloc(OBJ_KIND_COUNT), nullptr);
}

TEST_F(ObjPool, RandomAllocationsAndFreesKeepTheListsAndTheQueueOrder) {
    plat::SRand(1234);
    std::deque<int> freeQueue;  // the expected free list
    for (int i = 0; i < OBJ_MAX; i++) freeQueue.push_back(i);
    std::vector<int> live;
    for (int step = 0; step < 10000; step++) {
        const bool alloc = live.empty() || (freeQueue.size() > 0 && plat::Rand() % 100 < 55);
        if (alloc) {
            const int got = Alloc(plat::Rand() % OBJ_KIND_COUNT);
            ASSERT_EQ(got, freeQueue.front()) << "step " << step;
            freeQueue.pop_front();
            live.push_back(got);
        } else {
            const std::size_t k = std::size_t(plat::Rand()) % live.size();
            const int index = live[k];
            const int next = ObjTbl[index]->next;
            ASSERT_EQ(OBJ_Free(index), next);
            live.erase(live.begin() + long(k));
            freeQueue.push_back(index);
        }
        CheckInvariants();
        if (HasFatalFailure()) return;
    }
}

TEST_F(ObjPool, InitOutOfMemoryRefusesEveryAllocation) {
    test::MessageBoxCapture boxes;
    plat::SetAllocFailAfter(100);
    EXPECT_EQ(OBJ_Init(), 0);
    plat::SetAllocFailAfter(0);
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].text, "記憶體容量不足");
    EXPECT_EQ(boxes.calls()[0].caption, "錯誤");
    EXPECT_EQ(boxes.calls()[0].flags, plat::MB_OK | plat::MB_ICONEXCLAMATION);
    EXPECT_NE(ObjTbl[99], nullptr);
    EXPECT_EQ(ObjTbl[100], nullptr);
    for (int kind = 0; kind < OBJ_KIND_COUNT; kind++) EXPECT_EQ(OBJ_Alloc(kind), nullptr);
    EXPECT_EQ(ObjLiveCnt, 0);
}

TEST_F(ObjPool, ExtensionOutOfMemoryLeavesThePoolUnchanged) {
    Alloc();
    plat::SetAllocFailAfter(1);  // one more allocation succeeds: spend it, so the extension's fails
    plat::GlobalFree(plat::GlobalAllocZero(1));
    EXPECT_EQ(OBJ_Alloc(OBJ_KIND_MEKA), nullptr);
    plat::SetAllocFailAfter(0);
    EXPECT_EQ(ObjLiveCnt, 1);
    EXPECT_EQ(ObjFreeHead, 1);
    CheckInvariants();
}

TEST_F(ObjPool, FreeAllResetsTheListsAndTheKindCounters) {
    Alloc();
    TamaShotCnt = 3;
    EftCnt = 4;
    MapObjLiveCnt = 5;
    MekaSlotTbl[3] = ObjTbl[0];
    for (int round = 0; round < 2; round++) {  // the second round frees an empty table
        OBJ_FreeAll();
        EXPECT_EQ((Ints{ObjActHead, ObjActTail, ObjFreeHead, ObjFreeTail, ObjWalkNext, ObjLiveCnt,
                        TamaShotCnt + EftCnt + MapObjLiveCnt}),
                  (Ints{-1, -1, -1, -1, -1, 0, 0}));
        EXPECT_EQ(ObjTbl[0], nullptr);
        EXPECT_EQ(MekaSlotTbl[3], nullptr);
        EXPECT_EQ(OBJ_Alloc(OBJ_KIND_CHIP), nullptr);
    }
}

TEST_F(ObjPool, RootFollowsOwnersToAMechOrShot) {
    LIST_DATA* meka = OBJ_Alloc(OBJ_KIND_MEKA);
    LIST_DATA* lnch = OBJ_Alloc(OBJ_KIND_LAUNCHER);
    LIST_DATA* shot = OBJ_Alloc(OBJ_KIND_SHOT);
    LIST_DATA* eft = OBJ_Alloc(OBJ_KIND_EFFECT);
    lnch->owner = meka->index;
    shot->owner = lnch->index;
    eft->owner = lnch->index;
    EXPECT_EQ(OBJ_GetRoot(lnch), meka);
    EXPECT_EQ(OBJ_GetRoot(eft), meka);
    EXPECT_EQ(OBJ_GetRoot(shot), shot);
    EXPECT_EQ(OBJ_GetRoot(nullptr), nullptr);

    eft->owner = -1;  // broken: no owner
    EXPECT_EQ(OBJ_GetRoot(eft), nullptr);
    eft->owner = lnch->index;
    lnch->owner = eft->index;  // a loop of launcher and effect
    EXPECT_EQ(OBJ_GetRoot(eft), nullptr);
    lnch->owner = meka->index;
    OBJ_Free(meka->index);  // owner gone
    EXPECT_EQ(OBJ_GetRoot(eft), nullptr);
}

// ---- the update walk ----

struct Visit {
    int index;
    int level;
    int owner;   // CurOwnerObj's index, -1 none
    int target;  // CurTargetObj's index, -1 none
};
std::vector<Visit> visits;
std::vector<int> spawnLevels;  // levels of the objects the first visited object creates
int freeSelf = -1;             // the update of this index frees itself
int freeOther[2] = {-1, -1};   // the update of [0] frees [1]

int Record() {
    visits.push_back({CurObj->index, CurObj->level, CurOwnerObj ? CurOwnerObj->index : -1,
                      CurTargetObj ? CurTargetObj->index : -1});
    if (visits.size() == 1) {
        for (int level : spawnLevels) OBJ_Alloc(OBJ_KIND_EFFECT)->level = i16(level);
    }
    if (CurObj->index == freeSelf) ObjWalkNext = OBJ_Free(CurObj->index);
    if (CurObj->index == freeOther[0]) OBJ_Free(freeOther[1]);
    return 1;
}

class ObjWalk : public ObjPool {
protected:
    void SetUp() override {
        ObjPool::SetUp();
        visits.clear();
        spawnLevels.clear();
        freeSelf = -1;
        freeOther[0] = freeOther[1] = -1;
    }
    static void Make(std::initializer_list<int> levels, int kind = OBJ_KIND_EFFECT) {
        for (int level : levels) OBJ_Alloc(kind)->level = i16(level);
    }
    static std::vector<int> Order() {
        std::vector<int> order;
        for (const Visit& v : visits) order.push_back(v.index);
        return order;
    }
    static constexpr OBJ_RENEW_FUNC kAll[OBJ_KIND_COUNT] = {Record, Record, Record, Record, Record, Record};
};

TEST_F(ObjWalk, VisitsLevelsFromEightDownToZeroInListOrder) {
    Make({0, 5, 8, 4, 5, 9, -1});
    OBJ_RenewAll(kAll);
    EXPECT_EQ(Order(), (std::vector<int>{2, 1, 4, 3, 0}));  // levels outside 0..8 are never updated
    EXPECT_EQ(ObjWalkNext, -1);
}

TEST_F(ObjWalk, SkipsKindFiveAndKindsWithoutAnUpdate) {
    OBJ_Alloc(OBJ_KIND_MAPOBJ)->level = 4;
    OBJ_Alloc(OBJ_KIND_SHOT)->level = 4;
    OBJ_Alloc(OBJ_KIND_CHIP)->level = 4;
    const OBJ_RENEW_FUNC noShots[OBJ_KIND_COUNT] = {Record, Record, nullptr, Record, Record, Record};
    OBJ_RenewAll(noShots);
    EXPECT_EQ(Order(), (std::vector<int>{2}));
}

TEST_F(ObjWalk, UpdatesThatFreeObjectsKeepTheWalkOnLiveObjects) {
    Make({4, 4, 4, 4, 4});
    freeSelf = 1;
    freeOther[0] = 2;  // frees the object the walk visits next
    freeOther[1] = 3;
    OBJ_RenewAll(kAll);
    EXPECT_EQ(Order(), (std::vector<int>{0, 1, 2, 4}));
    CheckInvariants();
}

TEST_F(ObjWalk, ObjectsCreatedDuringTheWalkFollowTheirLevel) {
    Make({5, 5});
    spawnLevels = {5, 3, 7};  // same, lower, higher level: indices 2, 3, 4
    OBJ_RenewAll(kAll);
    EXPECT_EQ(Order(), (std::vector<int>{0, 1, 2, 3}));
    visits.clear();
    spawnLevels.clear();
    OBJ_RenewAll(kAll);  // the next frame reaches the higher one
    EXPECT_EQ(Order(), (std::vector<int>{4, 0, 1, 2, 3}));
}

TEST_F(ObjWalk, CurrentOwnerAndTargetAreLiveRecordsOrNone) {
    Make({6, 6, 6, 6});
    ObjTbl[0]->owner = -1;
    ObjTbl[0]->target = 1;
    ObjTbl[1]->owner = 0;
    ObjTbl[1]->target = -999;
    ObjTbl[2]->owner = 3000;
    ObjTbl[2]->target = 3;
    OBJ_Free(3);
    OBJ_RenewAll(kAll);
    ASSERT_EQ(visits.size(), 3u);
    EXPECT_EQ((Ints{visits[0].owner, visits[0].target, visits[1].owner, visits[1].target, visits[2].owner}),
              (Ints{-1, 1, 0, -1, -1}));
    EXPECT_EQ(visits[2].target, -1);  // freed target
}

}  // namespace
