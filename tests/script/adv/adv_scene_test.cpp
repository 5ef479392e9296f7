// The script scene over the battle-script commands: how a script's end, its stopping codes and a
// hand-over to the battle mode move the scene, and a script dropped on the window.
#include "battle/battle.h"
#include "battle/map/map.h"
#include "platform/input_fake.h"
#include "screens/btl/btl.h"
#include "script/script.h"
#include "tests/script/bsc/bsc_env.h"

namespace {

class AdvScene : public test::Bsc {
protected:
    void SetUp() override {
        Bsc::SetUp();
        plat::SetInputBackend(&fake_);
    }
    void TearDown() override {
        SYS_SetDropOpenFile(nullptr);
        plat::SetInputBackend(nullptr);
        Bsc::TearDown();
    }
    // Tutorial n with this source, started as the title starts it; the scene's first update.
    void Start(int n, const std::string& source) {
        Script(source, TutorialScriptTbl[n], false);
        ADV_SetScriptNo(n);
        mBSC_Init();
        ADV_SetState(-1);
        SYS_SetSeq(5);
        ADV_Loop();
        ASSERT_EQ(AdvState, 4);
    }
    void Update(int n = 1) {
        for (int i = 0; i < n; i++) {
            ADV_Loop();
            env_->clock.Advance(33);
        }
    }
    plat::FakeInputBackend fake_;
};

TEST_F(AdvScene, EndsGoToTheTitleOrThroughTheBattleTeardown) {
    MAP_SetMapPtr(nullptr);  // the scene's release would close the test's own map
    struct Case {
        const char* source;
        u32 scene;
    };
    for (const Case& c : {Case{"call setvalue 0, 1", 2}, Case{"call return -1", 4}}) {
        Start(0, c.source);
        Update();
        EXPECT_EQ(AdvState, c.scene == 2 ? 2 : 3);
        Update();
        EXPECT_EQ(SYS_GetSeq(0), c.scene);
        EXPECT_EQ(BTL_GetState(0), 20);
        EXPECT_EQ(AdvState, -1);
        BTL_ReleaseBattle();  // the teardown's second release is harmless
    }
    // A tutorial after one that returned -1 runs from its first statement.
    Start(1, "call setvalue 0, 4\ncall return 5");
    Update();
    EXPECT_EQ(ScrValueTbl[0], 4);
}

TEST_F(AdvScene, StoppingCodesWaitForTheBattleScript) {
    Start(2,
          "bsc 9\nbsc 13 0, 400, 400\nbsc 16 0, 440, 400, 1, 0, 4\nbsc 1\ncall return 4\ncall setvalue 0, 1\n"
          "bsc 16 0, 400, 400, 1, 0, 4\nbsc 1\ncall return 3\ncall setvalue 0, 2\ncall return 4\n"
          "call setvalue 0, 3\ncall return 5");
    EXPECT_EQ(AdvBattlePicFlag, 0);
    Update(2);
    EXPECT_EQ(AdvBattlePicFlag, 1);
    EXPECT_FALSE(ASS_IsScriptRunning());
    for (int u = 0; u < 100 && ScrValueTbl[0] != 1; u++) Update();
    EXPECT_EQ(ScrValueTbl[0], 1);
    for (int u = 0; u < 5 && ASS_IsScriptRunning(); u++) Update();
    EXPECT_EQ(AdvBattlePicFlag, 0);
    for (int u = 0; u < 100 && ScrValueTbl[0] != 2; u++) Update();
    EXPECT_EQ(ScrValueTbl[0], 2);
    EXPECT_EQ(MEKA_GetSlot(0)->x, 400);
    // Nothing queued while the battle script is off: the script stays stopped.
    Update(5);
    EXPECT_EQ(ScrValueTbl[0], 2);
    EXPECT_EQ(AdvBattlePicFlag, 1);
}

TEST_F(AdvScene, CommandZeroWaitsForTheQueues) {
    Start(3, "bsc 9\nbsc 13 0, 400, 400\nbsc 16 0, 480, 400, 1, 0, 4\nbsc 0\ncall setvalue 0, 9\ncall return 5");
    Update();
    ASSERT_NE(MEKA_GetSlot(0), nullptr);
    int updates = 1;
    while (ScrValueTbl[0] != 9 && updates < 200) Update(), updates++;
    EXPECT_EQ(ScrValueTbl[0], 9);
    EXPECT_GT(updates, 10);
    EXPECT_EQ(MEKA_GetSlot(0)->x, 480);
    EXPECT_EQ(BscMode, 0);
}

TEST_F(AdvScene, AHandOverReturnsToTheScript) {
    Start(4, "call return 2\ncall setvalue 0, 7\ncall return 5");
    MakePair();
    Update();
    EXPECT_EQ(AdvState, 6);
    EXPECT_EQ(SYS_GetSeq(0), 4u);
    EXPECT_EQ(BTL_GetState(0), 3);
    EXPECT_EQ(BtlScriptFight, 1);
    Update();  // scene 4 runs: the script stays stopped
    EXPECT_EQ(ScrValueTbl[0], 0);
    // The round end of the marked fight, won or lost, brings the scene back.
    for (bool won : {true, false}) {
        BtlScriptFight = 1;
        SYS_SetSeq(4);
        if (!won) MEKA_Delete(0);
        FightOver = 1;
        int frames = 0;
        while (!BTL_RenewRoundEnd() && frames < 100) frames++;
        EXPECT_EQ(SYS_GetSeq(0), 5u) << won;
        EXPECT_EQ(BTL_GetState(0), 8) << won;
        EXPECT_EQ(BtlScriptFight, 0);
        FightOver = 0;
    }
    Update(2);
    EXPECT_EQ(AdvState, 4);
    EXPECT_EQ(ScrValueTbl[0], 7);
}

TEST_F(AdvScene, ADroppedScriptRunsAtTheNextUpdate) {
    Start(0, "call keywait\ncall return 5");
    Script("call setvalue 0, 3\ncall return 5", "drop.scr", false);
    ASSERT_EQ(SYS_InitWindow(), 1);
    plat::SimulateDrop(MainWnd, {"drop.scr"});
    int code = 0;
    for (int i = 0; i < 4; i++) SYS_MessageTurn(&code);
    Update();
    EXPECT_EQ(ScrValueTbl[0], 3);
    EXPECT_EQ(AdvDropWaiting, 0);

    // A name of 260 bytes or more is ignored.
    plat::SimulateDrop(MainWnd, {std::string(300, 'a')});
    for (int i = 0; i < 4; i++) SYS_MessageTurn(&code);
    EXPECT_EQ(AdvDropWaiting, 0);
    plat::DestroyWindow(MainWnd);
    plat::DiscardMessages();
}

}  // namespace
