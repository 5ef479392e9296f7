// The CPU-data and technique editors on real windows: each dialog is opened as the technique menu
// would and its picture written as "<dir>/<number>.ppm". Runs only when KORVANE_EDITOR_SHOTS names
// the folder (scripts/editor-shots.sh starts a virtual X server for it).
#include <chrono>
#include <cstdio>
#include <thread>
#include <cstdlib>
#include <string>

#include "editor_fixture.h"
#include "editors/waza_editor.h"

namespace {

bool WritePpm(const std::string& path, plat::Dialog* dlg) {
    std::vector<u8> rgb;
    i32 w = 0, h = 0;
    // Let the window map and draw before it is read.
    for (int i = 0; i < 20; i++) {
        plat::PumpDialogs();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!plat::CaptureDialog(dlg, &rgb, &w, &h)) return false;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fprintf(f, "P6\n%d %d\n255\n", w, h);
    const bool ok = std::fwrite(rgb.data(), 1, rgb.size(), f) == rgb.size();
    return std::fclose(f) == 0 && ok;
}

class EditorShots : public test::EditorTest {
protected:
    void SetUp() override {
        const char* out = std::getenv("KORVANE_EDITOR_SHOTS");
        if (!out) GTEST_SKIP() << "KORVANE_EDITOR_SHOTS is not set";
        dir_ = out;
        test::EditorTest::SetUp();
        plat::UseFakeDialogs(false);
    }
    void Shot(int id) {
        plat::Dialog* dlg = plat::FindDialog(id);
        ASSERT_NE(dlg, nullptr) << id;
        EXPECT_TRUE(WritePpm(dir_ + "/" + std::to_string(id) + ".ppm", dlg)) << id;
    }
    std::string dir_;
};

TEST_F(EditorShots, CpuAndTechniqueDialogs) {
    ASSERT_EQ(EDIT_OpenCpuEditor(test::kCpuType), 1);
    CPU_DATA* cpu = MekaTypeTbl[test::kCpuType].cpu;
    cpu->mode[0].move = 1;
    cpu->mode[0].rangeMax = 300;
    cpu->group[0].atk[0].waza = 1;
    plat::Dialog* main = plat::FindDialog(138);
    EDIT_CpuSetModeList(main, 0);
    EDIT_CpuSetGroupList(main, 0);
    EDIT_CpuSetAtkList(main, 0);
    Shot(138);
    plat::DoubleClickRow(main, 1128, 0);
    Shot(139);
    plat::DoubleClickRow(main, 1245, 0);
    Shot(140);
    std::string picker = dir_ + "/142.ppm";
    plat::SetModalHandler([&](plat::Dialog* dlg) {
        EXPECT_TRUE(WritePpm(picker, dlg));
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

    ASSERT_EQ(EDIT_OpenWazaEditor(test::kCpuType, 1), 1);
    // Without a game window both land in the corner: the child goes first so the main shows.
    Shot(107);
    plat::ClickCtl(plat::FindDialog(107), plat::IDCANCEL);
    Shot(113);
}

}  // namespace
