// The weapon editor's real dialog windows. Runs only under a display (scripts/test.sh starts Xvfb and
// sets KORVANE_DIALOG_DISPLAY); writes a picture of each dialog into KORVANE_SCREENSHOT_DIR.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "editors/tama_editor.h"
#include "platform/dialog.h"
#include "platform/window.h"
#include "test_support.h"
#include "tools/writers/battle_data_writer.h"
#include "tools/writers/bmp_writer.h"

namespace {

std::string g_shots;

// A picture of the dialog; false when the service could not read it.
bool Shoot(plat::Dialog* dlg, const std::string& name) {
    std::vector<u8> rgb;
    i32 w = 0, h = 0;
    if (!plat::CaptureDialog(dlg, &rgb, &w, &h)) return false;
    tools::BmpImage image;
    image.width = w;
    image.height = h;
    image.pixels.resize(rgb.size());
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
        image.pixels[i] = rgb[i + 2];
        image.pixels[i + 1] = rgb[i + 1];
        image.pixels[i + 2] = rgb[i];
    }
    return g_shots.empty() || tools::SaveBmp(g_shots + "/" + name + ".bmp", image);
}

class EditorDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("KORVANE_DIALOG_DISPLAY")) GTEST_SKIP() << "needs a display";
        ASSERT_TRUE(plat::InitVideo());  // the screen size for the placement
        if (const char* out = std::getenv("KORVANE_SCREENSHOT_DIR")) g_shots = out;
        TAMA_DATA shot = tools::NewTama(0, "Shot");
        shot.phase[0].step[0] = {1, 0, -1, 0, 0, 20, 1, 0, 0, 0, 0};
        shot.phase[0].fire.weapon = 1;
        dir.Write("Dat/Tama.dat", tools::TamaFile({shot, tools::NewTama(1, "Bomb"), tools::NewTama(2)}));
        dir.Write("ChipTxt/效果.txt", "shot\nbomb\nblast\n");
        ASSERT_EQ(TAMA_LoadData(), 1);
    }
    void TearDown() override {
        plat::SetModalHandler({});
        plat::DestroyAllDialogs();
        for (int i = 0; i < 5; i++) plat::PumpDialogs();
        TAMA_ClearData();
    }
    test::TempDir dir;
    test::ScopedCwd cwd{dir.path()};
};

TEST_F(EditorDisplay, ShowsEveryKindOfDialogAndSavesAnEdit) {
    ASSERT_EQ(EDIT_OpenTamaEditor(), 1);
    plat::Dialog* list = plat::FindDialog(118);
    plat::Dialog* phase = plat::FindDialog(116);
    ASSERT_TRUE(list && phase);
    for (int i = 0; i < 10; i++) plat::PumpDialogs();
    EXPECT_TRUE(Shoot(list, "dialog118"));
    EXPECT_TRUE(Shoot(phase, "dialog116"));

    std::vector<int> shown;
    plat::SetModalHandler([&shown](plat::Dialog* dlg) {
        const int id = plat::GetDialogId(dlg);
        shown.push_back(id);
        EXPECT_TRUE(Shoot(dlg, "dialog" + std::to_string(id)));
        plat::ClickCtl(dlg, plat::IDOK);
    });
    plat::DoubleClickRow(phase, 2716, 0);
    plat::ClickCtl(phase, 1052);
    plat::ClickCtl(list, 1052);
    plat::ClickCtl(phase, 1316);
    EDIT_OpenTamaParamDlg(152, &TamaDataTbl[0]->phase[0]);
    EXPECT_EQ(shown, (std::vector<int>{115, 119, 161, 146, 152}));

    plat::TypeText(phase, 2524, "4321");
    EXPECT_EQ(plat::GetCtlText(phase, 2524), "4321");
    plat::ClickCtl(list, 1042);
    TAMA_ClearData();
    ASSERT_EQ(TAMA_LoadData(), 1);
    EXPECT_EQ(TamaDataTbl[0]->phase[0].power, 4321);
}

}  // namespace
