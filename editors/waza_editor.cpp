// The technique editor's record operations, rows and opener.
#include "editors/waza_editor.h"

#include <algorithm>

#include "battle/data/meka_type.h"
#include "shell/common.h"

EDIT_STATE WazaEditState;
int WazaEditLoop = 0;

namespace {

// The technique reference the editor holds while any of its dialogs is open (-1: none), so the menu
// may release its own without freeing the record under the dialogs.
int g_heldType = -1;

bool FrameUsed(const WAZA_FRAME& f) { return f.wait >= 0; }

int Snap(int sel, int count, bool anywhere, bool (*used)(const WAZA_DATA*, int), const WAZA_DATA* data) {
    if (!data || sel < 0) return 0;
    sel = std::min(sel, count - 1);
    if (used(data, sel)) return sel;
    int last = -1;
    const int end = anywhere ? count : sel;
    for (int i = 0; i < end; i++)
        if (used(data, i)) last = i;
    return std::min(last + 1, count - 1);
}

}  // namespace

void EDIT_WazaDialogGone() {
    if (g_heldType < 0 || EDIT_SlotHolds({113, 107})) return;
    WAZA_ReleaseData(g_heldType);
    g_heldType = -1;
}

int EDIT_OpenWazaEditor(int type, int waza) {
    if (!MEKA_GetTypeData(type)) return 0;
    // The type's own reference first, so the count can be read and the record outlives the menu.
    WAZA_LoadData(type);
    if (waza < 0 || waza >= WAZA_GetCount(type)) {
        WAZA_ReleaseData(type);
        DebugMsg("Technique editor: mech type %d has no technique %d", type, waza);
        return 0;
    }
    EDIT_PrepareDisplay();
    EDIT_CloseMainDlg();
    EDIT_CloseChildDlg();
    g_heldType = type;
    EDIT_STATE& st = WazaEditState;
    st.kind = EDIT_KIND_WAZA;
    st.type = type;
    st.no = waza;
    st.motion = st.frame = st.step = st.branch = 0;
    WazaEditLoop = 0;
    st.chipStem = MekaNameTbl[type];
    EDIT_SetWazaPtr(&st);
    EDIT_LoadChipTxt(st.chipStem);
    if (!plat::CreateDialog(EditWazaDlg, EDIT_WazaDlgProc, nullptr) ||
        !plat::CreateDialog(EditWazaDlg2, EDIT_WazaDlgProc2, nullptr)) {
        EDIT_CloseMainDlg();
        EDIT_CloseChildDlg();
        EDIT_WazaDialogGone();
        return 0;
    }
    return 1;
}

// ---- record operations ----

void EDIT_WazaDeleteStep(WAZA_DATA* data, int sel) {
    if (!data || sel < 0 || sel >= WAZA_STEP_MAX) return;
    for (int i = sel; i < WAZA_STEP_MAX - 1; i++) data->stepTbl[i] = data->stepTbl[i + 1];
    data->stepTbl[WAZA_STEP_MAX - 1] = EDIT_WAZA_EMPTY;
}

void EDIT_WazaInsertMotion(WAZA_DATA* data, int sel) {
    if (!data || sel < 0 || sel >= WAZA_MOTION_MAX) return;
    for (int i = WAZA_MOTION_MAX - 1; i > sel; i--) data->motion[i] = data->motion[i - 1];
}

void EDIT_WazaDeleteMotion(WAZA_DATA* data, int sel) {
    if (!data || sel < 0 || sel >= WAZA_MOTION_MAX) return;
    for (int i = sel; i < WAZA_MOTION_MAX - 1; i++) data->motion[i] = data->motion[i + 1];
}

void EDIT_WazaInsertFrame(WAZA_MOTION* motion, int sel) {
    if (!motion || sel < 0 || sel >= WAZA_FRAME_MAX) return;
    for (int i = WAZA_FRAME_MAX - 1; i > sel; i--) motion->frame[i] = motion->frame[i - 1];
    motion->frame[sel] = WAZA_FRAME{};
}

void EDIT_WazaDeleteFrame(WAZA_MOTION* motion, int sel) {
    if (!motion || sel < 0 || sel >= WAZA_FRAME_MAX) return;
    for (int i = sel; i < WAZA_FRAME_MAX - 1; i++) motion->frame[i] = motion->frame[i + 1];
    WAZA_FRAME& last = motion->frame[WAZA_FRAME_MAX - 1];
    last.anim = EDIT_WAZA_EMPTY;
    last.turn = 0;
    last.hitField = 0;
    last.waitMode = 0;
    last.wait = -1;
}

void EDIT_WazaSetLoop(WAZA_DATA* data, int sel, int start, int end, int count) {
    if (!data || sel < 0 || sel >= WAZA_LOOP_MAX) return;
    data->loop[sel] = {static_cast<u8>(end), static_cast<u8>(start), static_cast<u8>(count)};
}

void EDIT_WazaDeleteLoop(WAZA_DATA* data, int sel) {
    if (!data || sel < 0 || sel >= WAZA_LOOP_MAX) return;
    for (int i = sel; i < WAZA_LOOP_MAX - 1; i++) data->loop[i] = data->loop[i + 1];
    data->loop[WAZA_LOOP_MAX - 1] = {EDIT_WAZA_EMPTY, EDIT_WAZA_EMPTY, 0};
}

void EDIT_WazaSetJump(WAZA_DATA* data, int sel, int from, int to, int kind, int value) {
    if (!data || sel < 0 || sel >= WAZA_BRANCH_MAX) return;
    WAZA_BRANCH& b = data->branch[sel];
    b.from = static_cast<u8>(from);
    b.to = static_cast<u8>(to);
    b.kind = static_cast<u8>(kind);
    b.window = static_cast<i16>(value);
}

void EDIT_WazaDeleteJump(WAZA_DATA* data, int sel) {
    if (!data || sel < 0 || sel >= WAZA_BRANCH_MAX) return;
    for (int i = sel; i < WAZA_BRANCH_MAX - 1; i++) data->branch[i] = data->branch[i + 1];
    data->branch[WAZA_BRANCH_MAX - 1] = {EDIT_WAZA_EMPTY, EDIT_WAZA_EMPTY, 0, 0, 0};
}

int EDIT_WazaStepSel(const WAZA_DATA* data, int sel) {
    return Snap(sel, WAZA_STEP_MAX, true, [](const WAZA_DATA* d, int i) { return d->stepTbl[i] != EDIT_WAZA_EMPTY; }, data);
}

int EDIT_WazaMotionSel(const WAZA_DATA* data, int sel) {
    return Snap(sel, WAZA_MOTION_MAX, false, [](const WAZA_DATA* d, int i) { return FrameUsed(d->motion[i].frame[0]); }, data);
}

int EDIT_WazaLoopSel(const WAZA_DATA* data, int sel) {
    return Snap(sel, WAZA_LOOP_MAX, false, [](const WAZA_DATA* d, int i) { return d->loop[i].from != EDIT_WAZA_EMPTY; }, data);
}

int EDIT_WazaJumpSel(const WAZA_DATA* data, int sel) {
    return Snap(sel, WAZA_BRANCH_MAX, false, [](const WAZA_DATA* d, int i) { return d->branch[i].from != EDIT_WAZA_EMPTY; }, data);
}

// ---- rows ----

std::string EDIT_WazaStepRow(const WAZA_DATA* data, int step) {
    // The bar marker as the list is walked from the top: a bar opens at a loop's start step and is
    // cut back at the step after its end.
    std::string marker;
    for (int s = 0; s <= step; s++) {
        for (const WAZA_LOOP& l : data->loop)
            if (l.from != EDIT_WAZA_EMPTY && l.to == s) marker += " | ";
        if (s == step) break;
        for (const WAZA_LOOP& l : data->loop)
            if (l.from != EDIT_WAZA_EMPTY && l.from == s && marker.size() >= 3) marker.resize(marker.size() - 3);
    }
    const u8 motion = data->stepTbl[step];
    std::string row = motion == EDIT_WAZA_EMPTY ? EDIT_Format("[%02d]%s  -----", step, marker.c_str())
                                                : EDIT_Format("[%02d]%s  %02d", step, marker.c_str(), motion);
    for (const WAZA_BRANCH& b : data->branch) {
        if (b.from == EDIT_WAZA_EMPTY || b.from != step) continue;
        row += EDIT_Format("   (jmp:%02d)", b.to);
        break;
    }
    return row;
}

std::string EDIT_WazaMotionRow(const WAZA_DATA* data, int motion) {
    const WAZA_MOTION& m = data->motion[motion];
    if (!FrameUsed(m.frame[0])) return EDIT_Format("[%02d]  -------", motion);
    return EDIT_Format("[%02d]  ○   %s", motion, m.fire.startMask ? "弾" : "--");
}

std::string EDIT_WazaLoopRow(const WAZA_DATA* data, int loop) {
    const WAZA_LOOP& l = data->loop[loop];
    if (l.from == EDIT_WAZA_EMPTY) return EDIT_Format("[%d]  -----------", loop);
    return EDIT_Format("[%d]  %02d→%02d  %03d", loop, l.to, l.from, l.count);
}

std::string EDIT_WazaJumpRow(const WAZA_DATA* data, int jump) {
    const WAZA_BRANCH& b = data->branch[jump];
    if (b.from == EDIT_WAZA_EMPTY) return EDIT_Format("[%d]  -----------", jump);
    if (b.to >= WAZA_STEP_MAX) return EDIT_Format("[%d]  %02d → End", jump, b.from);
    return EDIT_Format("[%d]  %02d → %02d", jump, b.from, b.to);
}

std::string EDIT_WazaFrameRow(const WAZA_MOTION* motion, int frame) {
    static const char* const kWaitMode[5] = {"縮短　", "增減％　", "迴圈　", "著地前", "全彈發射"};
    const WAZA_FRAME& f = motion->frame[frame];
    if (!FrameUsed(f)) return EDIT_Format("[%d]  ----------------------------------------------", frame);
    const std::string mode = EDIT_PadLeft(f.waitMode < 5 ? kWaitMode[f.waitMode] : "", 8);
    return EDIT_Format("[%d]  %s %s %s %s  dir:%d   %s(wait: %03d)(armor:%03d)  (%02d)%s", frame,
                       (motion->fire.aimMask >> frame) & 1 ? "目標" : "--",
                       (motion->fire.startMask >> frame) & 1 ? "武器" : "--", f.hitField ? "命中" : "--",
                       f.sound ? "音效" : "--", f.turn, mode.c_str(), f.wait, f.armourRate, f.anim,
                       f.anim < EDIT_CHIP_MAX ? EditChipNameTbl[f.anim] : "");
}
