// The CPU-data and technique editors' real dialog windows. Runs only under a display (scripts/test.sh
// starts Xvfb and sets KORVANE_DIALOG_DISPLAY); writes a picture of each dialog into
// KORVANE_SCREENSHOT_DIR.
#include <cstdlib>
#include <string>
#include <vector>

#include "editor_fixture.h"
#include "editors/waza_editor.h"
#include "platform/window.h"
#include "tools/writers/bmp_writer.h"

namespace {

bool Shoot(plat::Dialog* dlg, const std::string& name) {
    for (int i = 0; i < 10; i++) plat::PumpDialogs();
    std::vector<u8> rgb;
    i32 w = 0, h = 0;
    if (!plat::CaptureDialog(dlg, &rgb, &w, &h)) return false;
    const char* out = std::getenv("KORVANE_SCREENSHOT_DIR");
    if (!out) return true;
    tools::BmpImage image;
    image.width = w;
    image.height = h;
    image.pixels.resize(rgb.size());
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
        image.pixels[i] = rgb[i + 2];
        image.pixels[i + 1] = rgb[i + 1];
        image.pixels[i + 2] = rgb[i];
    }
    return tools::SaveBmp(std::string(out) + "/" + name + ".bmp", image);
}

class EditorDisplayCpuWaza : public test::EditorTest {
protected:
    void SetUp() override {
        if (!std::getenv("KORVANE_DIALOG_DISPLAY")) GTEST_SKIP() << "needs a display";
        ASSERT_TRUE(plat::InitVideo());  // the screen size for the placement
        test::EditorTest::SetUp();
        plat::UseFakeDialogs(false);
        dir.Write("ChipTxt/zako01.txt", "stand\nwalk\nslash\n");
    }
    void TearDown() override {
        if (IsSkipped()) return;
        test::EditorTest::TearDown();
        for (int i = 0; i < 5; i++) plat::PumpDialogs();
    }
    void Shot(int id) {
        plat::Dialog* dlg = plat::FindDialog(id);
        ASSERT_NE(dlg, nullptr) << id;
        EXPECT_TRUE(Shoot(dlg, "dialog" + std::to_string(id)));
    }
};

TEST_F(EditorDisplayCpuWaza, ShowsEveryDialogAndSavesAnEdit) {
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
    plat::DoubleClickRow(main, 1245, 0);
    Shot(140);
    plat::SetModalHandler([](plat::Dialog* dlg) {
        EXPECT_TRUE(Shoot(dlg, "dialog142"));
        plat::ClickCtl(dlg, plat::IDCANCEL);
    });
    plat::ClickCtl(plat::FindDialog(140), 1250);
    plat::DoubleClickRow(main, 1315, 1);
    plat::TypeText(plat::FindDialog(141), 1299, "250");
    Shot(141);
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
    plat::SetModalHandler([](plat::Dialog* dlg) {
        EXPECT_TRUE(Shoot(dlg, "dialog115-technique"));
        plat::ClickCtl(dlg, plat::IDOK);
    });
    plat::DoubleClickRow(plat::FindDialog(107), 1300, 0);
}

}  // namespace
