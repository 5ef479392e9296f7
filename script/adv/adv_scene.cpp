// The script scene: one tutorial script over a scripted battle, with the hand-over to a real fight.
#include <string>

#include "battle/battle.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "platform/encoding.h"
#include "screens/btl/btl.h"
#include "script/adv/adv_message.h"
#include "script/core/ass.h"
#include "script/core/scr_data.h"
#include "script/script.h"
#include "shell/common.h"
#include "shell/input/cur.h"
#include "shell/input/key.h"
#include "shell/sys.h"

const char TutorialScriptTbl[ADV_SCRIPT_MAX][32] = {"TT_Move.scr", "TT_At.scr", "TT_Combo.scr", "TT_Pow.scr",
                                                    "TT_Wnd.scr"};
i32 AdvState = -1;
i32 AdvScriptNo = 0;
i32 AdvBattlePicFlag = 0;
i32 AdvDropWaiting = 0;
i32 AdvLoopResult = 0;

namespace {

constexpr u32 kSceneTitle = 2;
constexpr u32 kSceneBattle = 4;
constexpr u32 kSceneScript = 5;
constexpr int kBattleHandOver = 3;
constexpr int kBattleTeardown = 20;

struct SPEAKER {
    const char* prefix;
    const char* name;
};

// Written as UTF-8 here and converted once into the fonts' encoding.
constexpr SPEAKER kSpeakers[ADV_SPEAKER_MAX] = {
    {"？？？？：「", "？？？？"}, {"教官：「", "教官"},     {"管制：「", "管制官"}, {"通信：「", "通信士"},
    {"隊長：「", "隊長"},         {"兵Ａ：「", "兵士"},     {"兵Ｂ：「", "兵士"},   {"整備：「", "整備士"},
    {"醫官：「", "醫官"},         {"司令：「", "司令"},     {"副官：「", "副官"},   {"偵察：「", "偵察兵"},
    {"砲手：「", "砲手"},         {"駕駛：「", "駕駛員"},   {"新兵：「", "新兵"},   {"老兵：「", "老兵"},
    {"技師：「", "技師"},         {"博士：「", "博士"},     {"敵兵：「", "敵兵"},   {"哨兵：「", "哨兵"},
    {"廣播：「", "廣播員"},
};

void RegisterSpeakers() {
    static std::string prefix[ADV_SPEAKER_MAX], name[ADV_SPEAKER_MAX];
    _ass_initindent();
    for (int i = 0; i < ADV_SPEAKER_MAX; i++) {
        if (prefix[i].empty()) {
            prefix[i] = plat::Utf8ToDrawnText(kSpeakers[i].prefix);
            name[i] = plat::Utf8ToDrawnText(kSpeakers[i].name);
        }
        ASS_SetIndent(prefix[i].c_str(), name[i].c_str());
    }
}

}  // namespace

void ADV_SetState(i32 n) { AdvState = n; }

void ADV_SetScriptNo(i32 n) { AdvScriptNo = n; }

void ADV_Loop() {
    switch (AdvState) {
        case -1: ADV_Init(); break;
        case 2:
        case 3: ADV_Term(); break;
        case 4:
        case 5: ADV_Run(); break;
        case 6: ADV_Resume(); break;
        default: break;
    }
}

void ADV_Init() {
    CUR_Show(1);
    ASS_SetDebugMode(0);
    KEY_InitScreenKey();
    ASS_Init();
    ASS_InitKeyDevice(&ScreenKey);
    SYS_SetDropOpenFile(ASS_DropOpenScirpt);
    AdvState = 4;
    AdvBattlePicFlag = 0;
    AdvDropWaiting = 0;
    AdvLoopResult = 0;
    RegisterSpeakers();
    if (AdvScriptNo < 0 || AdvScriptNo >= ADV_SCRIPT_MAX) {
        DebugMsg("ADV_Init: no tutorial script %d", AdvScriptNo);
        AdvState = 2;
        return;
    }
    if (ASS_LoadScript(TutorialScriptTbl[AdvScriptNo]) != 1) {
        DebugMsg("ADV_Init: %s did not load; back to the title", TutorialScriptTbl[AdvScriptNo]);
        AdvState = 2;
        return;
    }
    ASS_StartScript();
}

void ADV_Run() {
    KEY_RenewScreenKey();
    ASS_RenewKeyDevice(ScreenMouseX, ScreenMouseY, ScreenMouseTrg, ScreenMousePad);
    if (AdvDropWaiting) {
        AdvDropWaiting = 0;
        ASS_StartScript();
    }
    AdvLoopResult = ASS_Loop();
    switch (AdvLoopResult) {
        case -2: AdvState = 2; break;
        case -1: AdvState = 3; break;
        case 2: ADV_ToBattle(); break;
        case 3: AdvBattlePicFlag = 0; break;
        case 4: AdvBattlePicFlag = 1; break;
        default: break;
    }
    // A script that has just ended or handed over is not started again.
    if (BTL_RenewScript() && (AdvState == 4 || AdvState == 5)) ASS_StartScript();
}

void ADV_Term() {
    ASS_Term();
    BTL_ReleaseBattle();
    BTL_SetState(kBattleTeardown);
    SYS_SetSeq(AdvState == 2 ? kSceneTitle : kSceneBattle);
    AdvState = -1;
    AdvDropWaiting = 0;
}

void ADV_Resume() {
    AdvDropWaiting = 0;
    ASS_StartScript();
    AdvState = 4;
    SYS_SetSeq(kSceneScript);
}

void ADV_ToBattle() {
    SYS_SetSeq(kSceneBattle);
    BTL_SetState(kBattleHandOver);
    BtlScriptFight = 1;
    ASS_StopScript();
    AdvState = 6;
}

void ADV_Draw() {
    if (ASS_ClearSurfFlag()) SURF_Fill(DispBackBuffer, nullptr, 0);
    if (AdvBattlePicFlag) BTL_DrawScript();
    ASS_Draw();
    DISP_Flip();
}

void ASS_DropOpenScirpt(HDROP drop) {
    const u32 length = plat::DragQueryFile(drop, 0, nullptr, 0);
    if (length >= u32(kMaxPath)) {
        DebugMsg("ASS_DropOpenScirpt: dropped name of %u bytes ignored", length);
    } else if (length > 0) {
        char name[kMaxPath];
        plat::DragQueryFile(drop, 0, name, sizeof(name));
        if (ASS_ReloadScript(name) && AdvState >= 4 && AdvState <= 6) AdvDropWaiting = 1;
    }
    plat::DragFinish(drop);
}
