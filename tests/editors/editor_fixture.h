// A data folder with technique and CPU files, fake dialogs answered by handlers per dialog number, and
// everything the editors hold given back afterwards.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "battle/data/meka_type.h"
#include "editors/cpu_editor.h"
#include "platform/dialog.h"
#include "test_support.h"
#include "tools/writers/battle_data_writer.h"

namespace test {

constexpr int kCpuType = 1;  // "zako01"

inline std::vector<WAZA_DATA> Techniques(int count, const char* prefix) {
    std::vector<WAZA_DATA> v;
    for (int i = 0; i < count; i++) v.push_back(tools::NewWaza((prefix + std::to_string(i)).c_str()));
    return v;
}

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::UseFakeDialogs(true);
        WriteWaza(0, Techniques(7, "p"));
        WriteWaza(kCpuType, Techniques(4, "z"));
        dir.Write("Dat/zako01.cpu", tools::CpuFile(tools::NewCpu()));
    }
    void TearDown() override {
        plat::SetModalHandler({});
        plat::DestroyAllDialogs();
        EDIT_CpuReleaseAll();
        for (int t = 0; t < MEKA_TYPE_MAX; t++) {
            EXPECT_EQ(MekaTypeTbl[t].wazaRef, 0) << "type " << t;
            while (MekaTypeTbl[t].wazaRef) WAZA_ReleaseData(t);
            EXPECT_EQ(MekaTypeTbl[t].cpuRef, 0) << "type " << t;
            while (MekaTypeTbl[t].cpuRef) CPU_ReleaseData(t);
        }
        plat::UseFakeDialogs(false);
    }
    // Every modal dialog goes to the handler of its number; one without a handler is cancelled.
    void OnModal(int id, std::function<void(plat::Dialog*)> act) {
        handlers[id] = std::move(act);
        plat::SetModalHandler([this](plat::Dialog* d) {
            opened.push_back(plat::GetDialogId(d));
            auto it = handlers.find(plat::GetDialogId(d));
            if (it != handlers.end() && it->second) it->second(d);
        });
    }
    void WriteWaza(int type, const std::vector<WAZA_DATA>& records) {
        dir.Write(std::string("Dat/") + MekaNameTbl[type] + ".waz", tools::WazFile(records));
    }
    TempDir dir;
    ScopedCwd cwd{dir.path()};
    DebugCapture debug;
    std::map<int, std::function<void(plat::Dialog*)>> handlers;
    std::vector<int> opened;  // the modal dialogs' numbers, in order
};

}  // namespace test
