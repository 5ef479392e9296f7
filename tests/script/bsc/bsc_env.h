// A battle under the battle-script commands: the mech test battle, a script engine with recording
// parts whose scripts are assembled into the battle's folder, and the scripted frame.
#pragma once
#include <memory>
#include <string>

#include "battle/map/cam.h"
#include "script/bsc/bsc.h"
#include "shell/sys.h"
#include "tests/battle/meka/meka_drive.h"
#include "tests/script/core/script_env.h"
#include "tools/writers/script_asm.h"

namespace test {

class Bsc : public MekaDrive {
public:
    void SetUp() override {
        MekaDrive::SetUp();
        WriteWaz(kPlayerType, {Tech(0, 2), Tech(0, 2)});
        WriteWaz(kCpuType, {Tech(0, 2)});
        env_ = std::make_unique<ScriptEnv>();
        back_ = std::make_unique<ScopedCwd>(dir_.path());
        ASS_SetGameFunc(mBSC_AnalysisFunc);
        mBSC_Clear();
        CamData = CAM_DATA{};
        CamData.obj = CamData.obj2 = CamData.nextObj = -1;
        SYS_SetSeq(5);
    }
    void TearDown() override {
        mBSC_Clear();
        back_.reset();
        env_.reset();
        MekaDrive::TearDown();
    }
    void Script(const std::string& source, const std::string& name = "t.scr", bool start = true) {
        const tools::ScriptAsmResult r = tools::AssembleScript(source);
        ASSERT_TRUE(r.ok) << r.error;
        dir_.Write("script/" + name, r.bytes);
        if (!start) return;
        ASSERT_EQ(ASS_LoadScript(name.c_str()), 1);
        ASS_StartScript();
    }
    i32 Loop() { return env_->Loop(); }
    // One scripted battle frame over every mech.
    static void Frame() {
        const OBJ_RENEW_FUNC funcs[OBJ_KIND_COUNT] = {MEKA_RenewScript, nullptr, nullptr, nullptr, nullptr, nullptr};
        OBJ_RenewAll(funcs);
    }
    // Frames until the queues are done; the frames it took, or -1.
    static int RunOut(int limit = 400) {
        for (int f = 1; f <= limit; f++) {
            Frame();
            if (mBSC_GetActCount() == 0) return f;
        }
        return -1;
    }

    std::unique_ptr<ScriptEnv> env_;
    std::unique_ptr<ScopedCwd> back_;
};

}  // namespace test
