// The dialog service's own rules, on the fake view: code never notifies, radios exclude each other,
// spins stop or wrap, closing a modeless dialog destroys it, and nothing opens without a display.
#include "platform/dialog.h"
#include "platform/dialog_internal.h"

#include <gtest/gtest.h>

#include <array>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_log;

void Record(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code) {
    g_log.push_back(std::to_string(int(msg)) + ":" + std::to_string(ctl) + ":" + std::to_string(int(code)));
}

const plat::DlgControl kControls[] = {
    plat::DlgEdit(10, "edit"),
    plat::DlgSpin(11, "stop", -2, 3),
    plat::DlgSpin(12, "wrap", 0, 7, true),
    plat::DlgGroup("a"), plat::DlgRadio(20, "a0"), plat::DlgRadio(21, "a1"), plat::DlgRadio(22, "a2"),
    plat::DlgGroup("b"), plat::DlgRadio(30, "b0"), plat::DlgRadio(31, "b1"),
    plat::DlgList(40, "", 3),
};
const plat::DlgTemplate kDlg = {900, "test", kControls, int(std::size(kControls)), 10, true};

class Dialogs : public ::testing::Test {
protected:
    void SetUp() override {
        plat::UseFakeDialogs(true);
        g_log.clear();
    }
    void TearDown() override {
        plat::SetModalHandler({});
        plat::DestroyAllDialogs();
        plat::UseFakeDialogs(false);
    }
};

TEST_F(Dialogs, OnlyTheUsersChangesNotify) {
    plat::Dialog* d = plat::CreateDialog(kDlg, Record, nullptr);
    ASSERT_NE(d, nullptr);
    g_log.clear();
    plat::SetCtlText(d, 10, "x");
    plat::SetRadio(d, 21);
    plat::AddRow(d, 40, "r");
    plat::SetSel(d, 40, 0);
    EXPECT_TRUE(g_log.empty());
    plat::TypeText(d, 10, "y");
    plat::DoubleClickRow(d, 40, 0);
    EXPECT_EQ(g_log, (std::vector<std::string>{"1:10:1", "1:40:2", "1:40:3"}));
}

TEST_F(Dialogs, RadiosExcludeWithinTheirGroupOnly) {
    plat::Dialog* d = plat::CreateDialog(kDlg, Record, nullptr);
    plat::SetRadio(d, 30);
    plat::ClickCtl(d, 22);
    plat::ClickCtl(d, 21);
    EXPECT_EQ(plat::GetRadio(d, 20), 1);
    EXPECT_FALSE(plat::GetCheck(d, 22));
    EXPECT_EQ(plat::GetRadio(d, 30), 0);
}

TEST_F(Dialogs, SpinsStopOrWrapAtTheirBounds) {
    plat::Dialog* d = plat::CreateDialog(kDlg, Record, nullptr);
    struct Case {
        int ctl;
        const char* start;
        int delta;
        const char* want;
    };
    const Case cases[] = {{11, "3", 1, "3"}, {11, "-2", -1, "-2"}, {11, "0", 1, "1"},
                          {12, "7", 1, "0"}, {12, "0", -1, "7"},   {12, "abc", -1, "7"}};
    for (const Case& c : cases) {
        plat::SetCtlText(d, c.ctl, c.start);
        plat::SpinCtl(d, c.ctl, c.delta);
        EXPECT_EQ(plat::GetCtlText(d, c.ctl), c.want) << c.ctl << " from " << c.start;
    }
}

TEST_F(Dialogs, ClosingAModelessDialogDestroysItAndModalOnesEndWithCancel) {
    plat::Dialog* d = plat::CreateDialog(kDlg, Record, nullptr);
    g_log.clear();
    plat::ClickCtl(d, plat::IDCANCEL);
    EXPECT_FALSE(plat::IsDialog(d));
    EXPECT_EQ(g_log, (std::vector<std::string>{"1:2:4", "2:0:0"}));
    EXPECT_EQ(plat::DialogBox(kDlg, Record, nullptr), plat::IDCANCEL);
    plat::SetModalHandler([](plat::Dialog* m) { plat::ClickCtl(m, plat::IDOK); });
    EXPECT_EQ(plat::DialogBox(kDlg, Record, nullptr), plat::IDOK);
}

// A dialog wider than the limit is re-flowed into narrower columns, all of them kept, with a smaller font
// and the labels narrowed in proportion.
TEST_F(Dialogs, WideDialogsReflowIntoTheLimit) {
    static const plat::DlgControl columns[] = {
        plat::DlgEdit(1, "a"), plat::DlgBreak(), plat::DlgEdit(2, "b"), plat::DlgBreak(), plat::DlgEdit(3, "c"),
        plat::DlgBreak(),      plat::DlgEdit(4, "d"), plat::DlgBreak(), plat::DlgEdit(5, "e"), plat::DlgBreak(),
        plat::DlgEdit(6, "f"),
    };
    // Columns, then the laid-out column count, width, label width and font size.
    for (const std::array<int, 4> want : {std::array{4, 968, 128, 13}, {5, 998, 104, 12}, {6, 998, 86, 12}}) {
        const plat::DlgTemplate tmpl = {901, "wide", columns, 2 * want[0] - 1, 10, false};
        plat::Dialog* d = plat::CreateDialog(tmpl, Record, nullptr);
        ASSERT_NE(d, nullptr);
        const plat::DlgLayout layout = plat::LayoutDialog(d);
        std::set<i32> lefts;
        for (const plat::DlgBox& b : layout.boxes)
            if (b.w > 0) lefts.insert(b.x);
        EXPECT_EQ((std::array{int(lefts.size()), layout.width, layout.labelW, layout.fontSize}), want);
        plat::DestroyDialog(d);
    }
}

TEST(DialogsHeadless, NothingOpensWithoutADisplay) {
    g_log.clear();
    EXPECT_EQ(plat::CreateDialog(kDlg, Record, nullptr), nullptr);
    EXPECT_EQ(plat::DialogBox(kDlg, Record, nullptr), -1);
    EXPECT_TRUE(g_log.empty());
}

}  // namespace
