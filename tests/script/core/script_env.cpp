#include "script_env.h"

#include <cstring>

#include "tools/writers/script_asm.h"

namespace test {

namespace {

PartsDouble* Cur = nullptr;

ASS_PARTS RecordingParts() {
    ASS_PARTS p{};
    p.initSprite = [] { Cur->calls.push_back("initSprite"); };
    p.termSprite = [] { Cur->calls.push_back("termSprite"); };
    p.renewSprite = [] {};
    p.initText = [] { Cur->calls.push_back("initText"); };
    p.termText = [] { Cur->calls.push_back("termText"); };
    p.loopText = [] { ++Cur->loopTextCount; };
    p.drawText = [] { Cur->calls.push_back("drawText"); };
    p.initSelect = [] { Cur->calls.push_back("initSelect"); };
    p.termSelect = [] {
        Cur->calls.push_back("termSelect");
        Cur->selectWait = 0;
    };
    p.renewSelect = [] { return Cur->renewResult; };
    p.getSelectWait = [] { return Cur->selectWait; };
    p.getSelectAns = [] { return Cur->selectAns; };
    p.getSelectLabel = [] { return Cur->selectLabel; };
    p.dispSelect = [](int) {};
    p.getPageState = [] { return Cur->pageState; };
    p.setPageState = [](int s) { Cur->pageState = s; };
    p.getWaitType = [](u32* ms) {
        *ms = Cur->autoMs;
        return Cur->autoOn;
    };
    p.getPageTime = [] { return Cur->pageTime; };
    p.getWindowState = [] { return Cur->windowState; };
    p.getFadeTime = [] { return Cur->fadeTime; };
    p.getFadeStart = [] { return Cur->fadeStart; };
    p.setFadeKind = [](i32 k) { Cur->fadeKind = k; };
    p.drawFade = [] { Cur->calls.push_back("drawFade"); };
    return p;
}

}  // namespace

ScriptEnv::ScriptEnv() : cwd_(dir.path()) {
    Cur = &parts;
    const ASS_PARTS p = RecordingParts();
    ASS_SetParts(&p);
    ASS_Init();
    ASS_InitKeyDevice(&key);
    ASS_RenewKeyDevice(0, 0, 0, 0);
    parts.calls.clear();
}

ScriptEnv::~ScriptEnv() {
    ASS_Term();
    ASS_SetParts(nullptr);
    ASS_SetGameFunc(nullptr);
    ASS_SetScriptReadMode(0);
    ASS_InitKeyDevice(nullptr);
    std::memset(ScrValueTbl, 0, sizeof(ScrValueTbl));
    Cur = nullptr;
}

std::vector<u8> ScriptEnv::Write(const std::string& name, const std::string& source) {
    const tools::ScriptAsmResult r = tools::AssembleScript(source);
    EXPECT_TRUE(r.ok) << r.error;
    WriteBytes(name, r.bytes);
    return r.bytes;
}

void ScriptEnv::WriteBytes(const std::string& name, const std::vector<u8>& bytes) {
    dir.Write("script/" + name, bytes);
}

void ScriptEnv::Run(const std::string& name, const std::string& source) {
    Write(name, source);
    ASSERT_EQ(ASS_LoadScript(name.c_str()), 1);
    ASS_StartScript();
}

i32 ScriptEnv::Loop(u16 trigger, u32 mouseTrg, u32 mousePad) {
    key.trigger = trigger;
    ASS_RenewKeyDevice(0, 0, mouseTrg, mousePad);
    const i32 r = ASS_Loop();
    clock.Advance(33);
    return r;
}

i32 ScriptEnv::Var(int index) const { return actv_scr ? i32(actv_scr->value[index].value) : -999; }

}  // namespace test
