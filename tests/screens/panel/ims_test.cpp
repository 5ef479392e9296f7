// The panel manager driven by recording callbacks, without graphics.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/memory.h"
#include "panel_support.h"
#include "screens/panel/ims.h"
#include "test_support.h"

namespace {

struct Call {
    int panel;
    i32 msg;
    u32 focus;
    bool operator==(const Call&) const = default;
};

std::vector<Call> g_calls;
// Per panel: the answer to a message; unset answers the usual course -3 -> 0 -> 1 (stays), 2 -> -5.
std::function<i32(i32)> g_answer[8];

i32 Usual(i32 msg) { return msg == IMS_MSG_CREATE ? 0 : msg == IMS_MSG_CLOSE ? IMS_MSG_GONE : 1; }

template <int N>
i32 Rec(i32 msg, u32 focus) {
    g_calls.push_back({N, msg, focus});
    return g_answer[N] ? g_answer[N](msg) : Usual(msg);
}

// The next allocation fails (the counter lets one through first).
void FailNextAlloc() {
    plat::SetAllocFailAfter(1);
    plat::GlobalFree(plat::GlobalAllocZero(1));
}

class PanelManager : public ::testing::Test {
protected:
    void SetUp() override {
        paneltest::ClearPanels();
        IMS_Init();
        g_calls.clear();
        for (auto& a : g_answer) a = nullptr;
    }
    void TearDown() override {
        plat::SetAllocFailAfter(0);
        paneltest::ClearPanels();
    }
    // The names of a group's stack, bottom first.
    static std::vector<std::string> Stack(const char* group) {
        std::vector<std::string> names;
        const IMS_DATA* g = IMS_SearchPnl(group);
        for (const IMS_CHILD* c = g ? g->first : nullptr; c; c = c->next) names.push_back(c->name);
        return names;
    }
    static std::vector<Call> Frame() {
        g_calls.clear();
        IMS_Loop();
        return g_calls;
    }
};

TEST_F(PanelManager, CreateRefusesADuplicateNameAndASeventeenthGroup) {
    ASSERT_EQ(IMS_Create("file", Rec<0>), 1);
    ASSERT_EQ(IMS_CreateChild("file", "child", Rec<1>), 1);
    EXPECT_EQ(IMS_Create("file", Rec<2>), 0);
    EXPECT_EQ(Stack("file"), (std::vector<std::string>{"file", "child"}));
    EXPECT_EQ(IMS_SearchPnl("file"), &ImsTbl[0]);
    for (int i = 1; i < IMS_GROUP_MAX; ++i) EXPECT_EQ(IMS_Create(("g" + std::to_string(i)).c_str(), Rec<3>), 1);
    EXPECT_EQ(IMS_Create("one too many", Rec<3>), 0);
    EXPECT_EQ(IMS_CheckPnl("one too many"), nullptr);
    // Every panel got its create message once, at focus 0, and answered its first state.
    EXPECT_EQ(g_calls.front(), (Call{0, IMS_MSG_CREATE, 0}));
    EXPECT_EQ(ImsTbl[0].first->state, 0);
}

TEST_F(PanelManager, NamesAreCutAt31BytesOnAWholeCharacter) {
    const std::string ascii(40, 'a');
    ASSERT_EQ(IMS_Create(ascii.c_str(), Rec<0>), 1);
    EXPECT_EQ(std::string(ImsTbl[0].name), ascii.substr(0, 31));
    EXPECT_EQ(std::string(ImsTbl[0].first->name), ascii.substr(0, 31));
    EXPECT_EQ(IMS_Create((ascii + "b").c_str(), Rec<1>), 0) << "the same name once cut";
    // 30 single bytes and a double-byte character: the character would end at byte 32.
    const std::string wide = std::string(30, 'w') + "\xA4\x40" + "z";
    ASSERT_EQ(IMS_Create(wide.c_str(), Rec<1>), 1);
    EXPECT_EQ(std::string(ImsTbl[1].name), std::string(30, 'w'));
    EXPECT_EQ(IMS_SearchPnl(wide.c_str()), &ImsTbl[1]);
}

TEST_F(PanelManager, FailedCreationsTouchNothingAndSayWhy) {
    test::DebugCapture debug;
    EXPECT_EQ(IMS_CreateChild("nobody", "child", Rec<0>), 0);
    EXPECT_TRUE(debug.Contains("nobody"));
    FailNextAlloc();
    EXPECT_EQ(IMS_Create("file", Rec<0>), 0);
    plat::SetAllocFailAfter(0);
    EXPECT_EQ(ImsTbl[0].used, 0u) << "no slot taken";
    EXPECT_TRUE(g_calls.empty());
    ASSERT_EQ(IMS_Create("file", Rec<0>), 1);
    EXPECT_EQ(IMS_SearchPnl("file"), &ImsTbl[0]);
    FailNextAlloc();
    EXPECT_EQ(IMS_CreateChild("file", "child", Rec<1>), 0);
    plat::SetAllocFailAfter(0);
    EXPECT_EQ(Stack("file"), std::vector<std::string>{"file"});
    EXPECT_EQ(ImsTbl[0].top, ImsTbl[0].first);
}

TEST_F(PanelManager, OnlyEachGroupsTopHasFocusAndAChildIsSteppedWhenCreated) {
    ASSERT_EQ(IMS_Create("a", Rec<0>), 1);
    ASSERT_EQ(IMS_Create("b", Rec<2>), 1);
    // Panel 0 opens a child on its first step; the child is stepped in the same frame as top.
    g_answer[0] = [](i32 msg) {
        if (msg == 0) IMS_CreateChild("a", "a1", Rec<1>);
        return Usual(msg);
    };
    EXPECT_EQ(Frame(), (std::vector<Call>{{0, 0, IMS_FOCUS}, {1, IMS_MSG_CREATE, 0}, {1, 0, IMS_FOCUS}, {2, 0, IMS_FOCUS}}));
    EXPECT_EQ(Frame(), (std::vector<Call>{{0, 1, 0}, {1, 1, IMS_FOCUS}, {2, 1, IMS_FOCUS}}));
}

TEST_F(PanelManager, ATopPanelThatGoesIsGoneAtOnceAndItsParentTakesFocusNextFrame) {
    ASSERT_EQ(IMS_Create("a", Rec<0>), 1);
    ASSERT_EQ(IMS_CreateChild("a", "a1", Rec<1>), 1);
    g_answer[1] = [](i32 msg) { return msg == 0 ? IMS_MSG_GONE : Usual(msg); };
    EXPECT_EQ(Frame(), (std::vector<Call>{{0, 0, 0}, {1, 0, IMS_FOCUS}}));
    EXPECT_EQ(Stack("a"), std::vector<std::string>{"a"});
    EXPECT_EQ(ImsTbl[0].top, ImsTbl[0].first);
    EXPECT_EQ(ImsTbl[0].first->next, nullptr);
    EXPECT_EQ(Frame(), (std::vector<Call>{{0, 1, IMS_FOCUS}}));
}

TEST_F(PanelManager, AMiddlePanelThatGoesReleasesThoseAboveTopFirst) {
    ASSERT_EQ(IMS_Create("a", Rec<0>), 1);
    ASSERT_EQ(IMS_CreateChild("a", "a1", Rec<1>), 1);
    ASSERT_EQ(IMS_CreateChild("a", "a2", Rec<2>), 1);
    ASSERT_EQ(IMS_CreateChild("a", "a3", Rec<3>), 1);
    g_answer[1] = [](i32 msg) { return msg == 0 ? IMS_MSG_GONE : Usual(msg); };
    EXPECT_EQ(Frame(), (std::vector<Call>{{0, 0, 0}, {1, 0, 0}, {3, IMS_MSG_CLOSE, 0}, {2, IMS_MSG_CLOSE, 0}}));
    EXPECT_EQ(Stack("a"), std::vector<std::string>{"a"});
    // Removing both of two panels directly releases the upper one only.
    ASSERT_EQ(IMS_CreateChild("a", "b1", Rec<4>), 1);
    ASSERT_EQ(IMS_CreateChild("a", "b2", Rec<5>), 1);
    g_calls.clear();
    IMS_DelChild(&ImsTbl[0], ImsTbl[0].first->next);
    EXPECT_EQ(g_calls, (std::vector<Call>{{5, IMS_MSG_CLOSE, 0}}));
    EXPECT_EQ(Stack("a"), std::vector<std::string>{"a"});
}

TEST_F(PanelManager, AWaitingPanelBlocksItselfAndThoseAboveUntilStarted) {
    g_answer[1] = [](i32 msg) { return msg == IMS_MSG_CREATE ? IMS_MSG_WAIT : Usual(msg); };
    g_answer[3] = g_answer[1];
    ASSERT_EQ(IMS_Create("a", Rec<0>), 1);
    ASSERT_EQ(IMS_CreateChild("a", "a1", Rec<1>), 1);
    ASSERT_EQ(IMS_Create("b", Rec<2>), 1);
    ASSERT_EQ(IMS_CreateChild("b", "b1", Rec<3>), 1);
    ASSERT_EQ(IMS_CreateChild("b", "b2", Rec<4>), 1);
    EXPECT_EQ(Frame(), (std::vector<Call>{{0, 0, 0}, {2, 0, 0}}));
    IMS_Start("nobody");
    IMS_Start("b");  // its top is not the waiting panel: nothing changes
    IMS_Start("a");
    EXPECT_EQ(Frame(), (std::vector<Call>{{0, 1, 0}, {1, 0, IMS_FOCUS}, {2, 1, 0}}));
    IMS_Start("a");  // an opening panel is left alone
    EXPECT_EQ(Frame(), (std::vector<Call>{{0, 1, 0}, {1, 1, IMS_FOCUS}, {2, 1, 0}}));
}

TEST_F(PanelManager, AFirstPanelThatGoesEmptiesItsGroupWhoseNameCanComeBack) {
    g_answer[0] = [](i32 msg) { return msg == 1 ? IMS_MSG_CLOSE : Usual(msg); };
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(IMS_Create("yesno", Rec<0>), 1);
        ASSERT_EQ(IMS_CreateChild("yesno", "above", Rec<1>), 1);
        EXPECT_EQ(IMS_SearchPnl("yesno"), &ImsTbl[round]) << "a new slot each time";
        Frame();  // 0 -> 1
        Frame();  // 1 -> 2
        EXPECT_EQ(Frame(), (std::vector<Call>{{0, IMS_MSG_CLOSE, 0}, {1, IMS_MSG_CLOSE, 0}}));
        const IMS_DATA& g = ImsTbl[round];
        EXPECT_EQ(g.used, 1u);
        EXPECT_EQ(g.first, nullptr);
        EXPECT_EQ(g.top, nullptr);
        EXPECT_STREQ(g.name, "");
        EXPECT_EQ(IMS_SearchPnl("yesno"), nullptr);
        EXPECT_EQ(Frame(), std::vector<Call>{});
    }
}

}  // namespace
