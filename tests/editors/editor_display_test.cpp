// The editors' real dialog windows. Runs only under a display (scripts/test.sh starts Xvfb and sets
// KORVANE_DIALOG_DISPLAY); writes a picture of each dialog into KORVANE_SCREENSHOT_DIR.
#include <algorithm>
#include <cstdlib>
#include <utility>
#include <string>
#include <vector>

#include "editor_fixture.h"
#include "editors/tama_editor.h"
#include "editors/waza_editor.h"
#include "platform/dialog_internal.h"
#include "platform/window.h"
#include "shell/sys.h"
#include "tools/writers/bmp_writer.h"

namespace {

// The columns of the control's box that hold dark (text) pixels: first to last, 0 when none.
int InkWidth(plat::Dialog* dlg, int id, const std::vector<u8>& rgb, i32 width) {
    const plat::DlgLayout layout = plat::LayoutDialog(dlg);
    for (size_t i = 0; i < dlg->ctls.size(); i++) {
        if (dlg->ctls[i].def.id != id) continue;
        const plat::DlgBox& b = layout.boxes[i];
        int first = -1, last = -1;
        for (i32 x = b.x + 4; x < b.x + b.w - 4; x++)
            for (i32 y = b.y + 4; y < b.y + b.h - 4; y++)
                if (rgb[(static_cast<size_t>(y) * width + x) * 3] < 64) {
                    if (first < 0) first = x;
                    last = x;
                }
        return first < 0 ? 0 : last - first + 1;
    }
    return 0;
}

// A picture of the dialog; false when the service could not read it. Every dialog fits a 1024x768
// screen with room for a window frame, and no caption runs off its sides.
bool Shoot(plat::Dialog* dlg, const std::string& name, std::vector<u8>* pixels = nullptr) {
    for (int i = 0; i < 10; i++) plat::PumpDialogs();
    std::vector<u8> rgb;
    tools::BmpImage image;
    if (!plat::CaptureDialog(dlg, &rgb, &image.width, &image.height)) return false;
    EXPECT_LE(image.width, 1000) << name;
    EXPECT_LE(image.height, 720) << name;
    // The whole window, frame included, on the screen.
    const RECT r = plat::GetDialogRect(dlg);
    const plat::ScreenMetrics screen = plat::GetScreenMetrics(nullptr);
    EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= screen.cxScreen && r.bottom <= screen.cyScreen)
        << name << ": " << r.left << "," << r.top << " " << r.right << "," << r.bottom;
    for (i32 y = 0; y < image.height; y++)
        for (i32 x : {0, 1, 2, 3, image.width - 4, image.width - 3, image.width - 2, image.width - 1})
            if (rgb[(static_cast<size_t>(y) * image.width + x) * 3] < 64) {
                ADD_FAILURE() << name << ": ink at " << x << "," << y;
                y = image.height;
                break;
            }
    if (pixels) *pixels = rgb;
    const char* out = std::getenv("KORVANE_SCREENSHOT_DIR");
    if (!out) return true;
    image.pixels = rgb;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) std::swap(image.pixels[i], image.pixels[i + 2]);
    return tools::SaveBmp(std::string(out) + "/" + name + ".bmp", image);
}

class EditorDisplay : public test::EditorTest {
protected:
    void SetUp() override {
        if (!std::getenv("KORVANE_DIALOG_DISPLAY")) GTEST_SKIP() << "needs a display";
        ASSERT_TRUE(plat::InitVideo());  // the screen size for the placement
        test::EditorTest::SetUp();
        plat::UseFakeDialogs(false);
        // The game window low on the screen: the dialogs placed from it meet the screen's edge and
        // their lists.
        MainWnd = plat::CreateAppWindow("game", 640, 480);
        ASSERT_NE(MainWnd, nullptr);
        plat::SetWindowRect(MainWnd, RECT{300, 300, 940, 780});
        dir.Write("ChipTxt/zako01.txt", "stand\nwalk\nslash\n");
        TAMA_DATA shot = tools::NewTama(0, "Shot");
        shot.phase[0].step[0] = {1, 0, -1, 0, 0, 20, 1, 0, 0, 0, 0};
        shot.phase[0].fire.weapon = 1;
        dir.Write("Dat/Tama.dat", tools::TamaFile({shot, tools::NewTama(1, "Bomb"), tools::NewTama(2)}));
        dir.Write("ChipTxt/效果.txt", "shot\nbomb\nblast\n");
        ASSERT_EQ(TAMA_LoadData(), 1);
    }
    void TearDown() override {
        if (IsSkipped()) return;
        test::EditorTest::TearDown();
        for (int i = 0; i < 5; i++) plat::PumpDialogs();
        plat::DestroyAppWindow(MainWnd);
        MainWnd = nullptr;
        TAMA_ClearData();
    }
    void Shot(int id) {
        plat::Dialog* dlg = plat::FindDialog(id);
        ASSERT_NE(dlg, nullptr) << id;
        EXPECT_TRUE(Shoot(dlg, "dialog" + std::to_string(id)));
    }
    // A child dialog where the editor put it, beside its list: the screen may leave no room for both,
    // but the list stays in view but for a strip.
    void Beside(int child, int list) {
        const plat::Dialog *c = plat::FindDialog(child), *l = plat::FindDialog(list);
        ASSERT_TRUE(c && l) << child << " " << list;
        const RECT a = plat::GetDialogRect(c), b = plat::GetDialogRect(l);
        const i64 w = std::max(0, std::min(a.right, b.right) - std::max(a.left, b.left));
        const i64 h = std::max(0, std::min(a.bottom, b.bottom) - std::max(a.top, b.top));
        EXPECT_LT(w * h * 10, i64(b.right - b.left) * (b.bottom - b.top))
            << child << " at " << a.left << "," << a.top << " " << a.right << "," << a.bottom << " over " << list
            << " at " << b.left << "," << b.top << " " << b.right << "," << b.bottom;
    }
    // Every modal dialog is photographed, then answered with OK (or cancelled).
    void ShootModals(const char* suffix = "", int answer = plat::IDOK) {
        plat::SetModalHandler([this, suffix, answer](plat::Dialog* dlg) {
            modals.push_back(plat::GetDialogId(dlg));
            EXPECT_TRUE(Shoot(dlg, "dialog" + std::to_string(modals.back()) + suffix));
            plat::ClickCtl(dlg, answer);
        });
    }
    std::vector<int> modals;
};

TEST_F(EditorDisplay, WeaponEditorShowsEveryKindOfDialogAndSavesAnEdit) {
    ASSERT_EQ(EDIT_OpenTamaEditor(), 1);
    plat::Dialog* list = plat::FindDialog(118);
    plat::Dialog* phase = plat::FindDialog(116);
    ASSERT_TRUE(list && phase);
    Shot(118);
    Beside(116, 118);
    // Both detail buttons show their third character (the dialogs' font has a glyph for each).
    std::vector<u8> rgb;
    ASSERT_TRUE(Shoot(phase, "dialog116", &rgb));
    const RECT r = plat::GetDialogRect(phase);
    const i32 width = r.right - r.left;
    const int a = InkWidth(phase, 1316, rgb, width), b = InkWidth(phase, 1317, rgb, width);
    EXPECT_GT(a, 30);
    EXPECT_NEAR(a, b, 4);
    ShootModals();
    plat::DoubleClickRow(phase, 2716, 0);
    plat::ClickCtl(phase, 1052);
    plat::ClickCtl(list, 1052);
    plat::ClickCtl(phase, 1316);
    EDIT_OpenTamaParamDlg(152, &TamaDataTbl[0]->phase[0]);
    EXPECT_EQ(modals, (std::vector<int>{115, 119, 161, 146, 152}));

    plat::TypeText(phase, 2524, "4321");
    EXPECT_EQ(plat::GetCtlText(phase, 2524), "4321");
    plat::ClickCtl(list, 1042);
    TAMA_ClearData();
    ASSERT_EQ(TAMA_LoadData(), 1);
    EXPECT_EQ(TamaDataTbl[0]->phase[0].power, 4321);
}

// What the user sees and reaches with the mouse and keys: each spin arrow steps the way it points, a
// click gives a dialog the keyboard (no window manager runs here), and Escape closes it as cancel does.
TEST_F(EditorDisplay, SpinArrowsClicksAndEscapeWorkOnTheWidgets) {
    ASSERT_EQ(EDIT_OpenTamaEditor(), 1);
    plat::Dialog* list = plat::FindDialog(118);
    plat::Dialog* phase = plat::FindDialog(116);
    ASSERT_TRUE(list && phase);
    const auto spin = std::find_if(phase->ctls.begin(), phase->ctls.end(),
                                   [](const auto& c) { return c.def.kind == plat::CtlKind::Spin; });
    ASSERT_NE(spin, phase->ctls.end());
    const plat::DlgControl def = spin->def;
    const plat::DlgBox b = plat::LayoutDialog(phase).boxes[size_t(spin - phase->ctls.begin())];
    std::vector<u8> rgb;
    ASSERT_TRUE(Shoot(phase, "dialog116", &rgb));
    const RECT r = plat::GetDialogRect(phase);
    auto ink = [&](i32 x, i32 y) { return rgb[(size_t(y) * size_t(r.right - r.left) + size_t(x)) * 3] < 64; };
    int ups = 0;
    for (i32 left : {b.x + b.w - 36, b.x + b.w - 18}) {
        // The widths of the arrow's rows of ink: an arrow pointing up is narrow at the top.
        std::vector<int> widths;
        for (i32 y = b.y + 4; y < b.y + b.h - 4; y++) {
            int w = 0;
            for (i32 x = left + 3; x < left + 15; x++) w += ink(x, y);
            if (w) widths.push_back(w);
        }
        ASSERT_TRUE(widths.size() > 1 && widths.front() != widths.back()) << left;
        const bool up = widths.front() < widths.back();
        ups += up;
        const int mid = (def.min + def.max) / 2;
        plat::SetCtlInt(phase, def.id, mid);
        ASSERT_TRUE(plat::ClickDialogAt(phase, left + 9, b.y + b.h / 2));
        EXPECT_EQ(plat::GetCtlText(phase, def.id), std::to_string(mid + (up ? 1 : -1))) << (up ? "up" : "down");
    }
    EXPECT_EQ(ups, 1);

    EXPECT_TRUE(plat::DialogHasFocus(phase));
    ASSERT_TRUE(plat::ClickDialogAt(list, 2, 2));
    EXPECT_TRUE(plat::DialogHasFocus(list));
    EXPECT_FALSE(plat::DialogHasFocus(phase));
    EXPECT_TRUE(plat::PressDialogKey(list, plat::DlgKey::Escape));
    EXPECT_EQ(plat::FindDialog(118), nullptr);
}

TEST_F(EditorDisplay, CpuAndTechniqueEditorsShowEveryDialogAndSaveAnEdit) {
    ASSERT_EQ(EDIT_OpenCpuEditor(test::kCpuType), 1);
    CPU_DATA* cpu = MekaTypeTbl[test::kCpuType].cpu;
    cpu->mode[0].move = 1;
    cpu->mode[0].rangeMax = 300;
    cpu->group[0].atk[0].waza = 1;
    plat::Dialog* main = plat::FindDialog(138);
    EDIT_CpuSetModeList(main, 0);
    EDIT_CpuSetAtkList(main, 0);
    Shot(138);
    plat::DoubleClickRow(main, 1128, 0);
    Shot(139);
    Beside(139, 138);
    plat::DoubleClickRow(main, 1245, 0);
    Shot(140);
    Beside(140, 138);
    ShootModals("", plat::IDCANCEL);
    plat::ClickCtl(plat::FindDialog(140), 1250);
    EXPECT_EQ(modals, std::vector<int>{142});
    plat::DoubleClickRow(main, 1315, 1);
    plat::TypeText(plat::FindDialog(141), 1299, "250");
    Shot(141);
    Beside(141, 138);
    plat::TypeText(main, 1205, "9");
    plat::ClickCtl(main, 1040);
    CPU_DATA saved{};
    CPU_ReadRecord(reinterpret_cast<const u8*>(dir.Read("Dat/zako01.cpu").data()), &saved);
    EXPECT_EQ(saved.param[CPU_PRM_MOVE_SPEED], 9);
    EXPECT_EQ(saved.counter[1].chance, 250);

    WAZA_DATA* w = WAZA_GetData(test::kCpuType, 1);
    w->motion[0].frame[0] = {2, 0, -1, 0, 1, 12, 2, 0, 0, 25, 1};
    w->loop[0] = {3, 1, 2};
    ASSERT_EQ(EDIT_OpenWazaEditor(test::kCpuType, 1), 1);
    Shot(113);
    Shot(107);
    Beside(107, 113);
    ShootModals("-technique");
    plat::DoubleClickRow(plat::FindDialog(107), 1300, 0);
    EXPECT_EQ(modals, (std::vector<int>{142, 115}));
}

}  // namespace
