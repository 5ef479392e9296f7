// The CPU-data editor's state, references, labels, rows and opener.
#include "editors/cpu_editor.h"

#include <algorithm>

#include "battle/data/meka_type.h"
#include "shell/common.h"

EDIT_CPU_STATE CpuEditState;

namespace {

// The CPU-data references the editor keeps, one per type at most, so that repeated openings neither
// wrap the count nor reread the file over the live record.
bool g_cpuHeld[MEKA_TYPE_MAX];
// The technique references held while any of the editor's dialogs is open: the type's (the attack
// entries name its techniques) and type 0's (the counters answer the player's techniques).
int g_wazaHeld[2];
int g_wazaHeldCount = 0;

void ReleaseWaza() {
    for (int i = 0; i < g_wazaHeldCount; i++) WAZA_ReleaseData(g_wazaHeld[i]);
    g_wazaHeldCount = 0;
}

}  // namespace

void EDIT_CpuSetPtr() {
    EDIT_CPU_STATE& st = CpuEditState;
    st.mode = std::clamp(st.mode, 0, CPU_MODE_MAX - 1);
    st.group = std::clamp(st.group, 0, CPU_GROUP_MAX - 1);
    st.atk = std::clamp(st.atk, 0, CPU_ATK_MAX - 1);
    st.counter = std::clamp(st.counter, 0, CPU_COUNTER_MAX - 1);
    const MEKA_TYPE_DATA* t = MEKA_GetTypeData(st.type);
    st.data = t ? t->cpu : nullptr;
    st.modePtr = st.data ? &st.data->mode[st.mode] : nullptr;
    st.groupPtr = st.data ? &st.data->group[st.group] : nullptr;
    st.atkPtr = st.groupPtr ? &st.groupPtr->atk[st.atk] : nullptr;
    st.counterPtr = st.data ? &st.data->counter[st.counter] : nullptr;
}

void EDIT_CpuDialogGone() {
    if (!EDIT_SlotHolds({138, 139, 140, 141})) ReleaseWaza();
}

int EDIT_OpenCpuEditor(int type) {
    MEKA_TYPE_DATA* t = MEKA_GetTypeData(type);
    if (!t) return 0;
    if (!g_cpuHeld[type]) {
        const u8 before = t->cpuRef;
        CPU_LoadData(type);
        if (!t->cpu) {
            if (t->cpuRef != before) CPU_ReleaseData(type);
            DebugMsg("CPU editor: mech type %d has no CPU data", type);
            return 0;
        }
        g_cpuHeld[type] = true;
    }
    if (!t->cpu) return 0;
    EDIT_PrepareDisplay();
    // The new references before the old ones go, so a type held by both is not reread in between.
    const int types[2] = {type, 0};
    for (int tp : types) WAZA_LoadData(tp);
    EDIT_CloseMainDlg();
    if (EDIT_SlotHolds({139, 140, 141})) EDIT_CloseChildDlg();
    ReleaseWaza();
    for (int tp : types) g_wazaHeld[g_wazaHeldCount++] = tp;
    EDIT_CPU_STATE& st = CpuEditState;
    st.type = type;
    st.mode = st.group = st.atk = st.counter = 0;
    EDIT_LoadChipTxt(MekaNameTbl[type]);
    EDIT_CpuSetPtr();
    if (!plat::CreateDialog(EditCpuDlg, EDIT_CpuDlgProc, nullptr)) {
        EDIT_CpuDialogGone();
        return 0;
    }
    return 1;
}

void EDIT_CpuReleaseAll() {
    EDIT_CloseMainDlg();
    if (EDIT_SlotHolds({139, 140, 141})) EDIT_CloseChildDlg();
    ReleaseWaza();
    for (int type = 0; type < MEKA_TYPE_MAX; type++) {
        if (g_cpuHeld[type]) CPU_ReleaseData(type);
        g_cpuHeld[type] = false;
    }
}

// ---- behaviour labels ----

const EDIT_CPU_PAIR EditCpuPairTbl[EDIT_CPU_BEHAVIOURS] = {
    {-1, -1}, {0, 0}, {1, 0}, {1, 1}, {1, 2}, {2, 0}, {2, 1}, {2, 2}, {5, 0}, {3, 0}, {3, 1}, {3, 2}, {4, 0},
};

int EDIT_CpuGetModeRow(const CPU_MODE* mode) {
    if (!mode) return -1;
    // Actions without a direction take their row whatever the kind byte holds.
    switch (mode->move) {
    case -1: return 0;
    case 0: return 1;
    case 5: return 8;
    case 4: return 12;
    default: break;
    }
    for (int r = 0; r < EDIT_CPU_BEHAVIOURS; r++)
        if (EditCpuPairTbl[r].move == mode->move && EditCpuPairTbl[r].kind == mode->dirKind) return r;
    return -1;
}

const char* EDIT_CpuModeLabel(int row, bool variant) {
    static const char* const kLabels[EDIT_CPU_BEHAVIOURS] = {
        "什麼都不做", "停止", "移動（接近敵方)", "移動（遠離敵方）", "移動（隨機）", "高速移動（接近敵方)",
        "高速移動（遠離敵方）", "高速移動（隨機）", "短距衝刺", "貼壁衝刺（接近敵方）", "貼壁衝刺（遠離敵方）",
        "貼壁衝刺（隨機）", "慣性追蹤衝刺",
    };
    static const char* const kVariants[EDIT_CPU_BEHAVIOURS] = {
        "什麼都不做", "停止", "移動（接近敵方）", "移動（遠離敵方）", "移動（隨機）", "高速移動（接近敵方）",
        "高速移動（遠離敵方）", "高速移動（隨機）", "短距衝刺 ", "貼壁衝刺（接近敵機）", "貼壁衝刺（遠離敵機）",
        "貼壁衝刺（隨機）", "慣性追蹤衝刺 ",
    };
    if (row < 0 || row >= EDIT_CPU_BEHAVIOURS) return "";
    return variant ? kVariants[row] : kLabels[row];
}

// ---- rows ----

std::string EDIT_CpuWazaName(int type, int n) {
    if (n < 0 || n >= WAZA_GetCount(type)) return "";
    const WAZA_DATA* w = WAZA_GetData(type, n);
    return w ? EDIT_NameToUtf8(w->name, WAZA_NAME_MAX) : "";
}

std::string EDIT_CpuModeRow(const CPU_DATA* data, int mode, bool variant) {
    const int row = data && mode >= 0 && mode < CPU_MODE_MAX ? EDIT_CpuGetModeRow(&data->mode[mode]) : -1;
    if (row < 0) return EDIT_Format("[%02d]  --------------", mode);
    return EDIT_Format("[%02d]  %s", mode, EDIT_CpuModeLabel(row, variant));
}

std::string EDIT_CpuGroupRow(const CPU_DATA* data, int group) {
    const CPU_ATK_GROUP& g = data->group[group];
    if (g.atk[0].waza < 0) return EDIT_Format("[%02d]  --------------", group);
    return EDIT_Format("[%02d]  %s", group, g.join ? "○" : "×");
}

std::string EDIT_CpuAtkRow(int type, const CPU_ATK_GROUP* group, int entry) {
    const CPU_ATK& a = group->atk[entry];
    if (a.waza < 0) return EDIT_Format("[%02d]  --------------", entry);
    return EDIT_Format("[%02d]  %s", entry, EDIT_CpuWazaName(type, a.waza).c_str());
}

int EDIT_CpuCounterRows() { return std::min(CPU_COUNTER_MAX, (WAZA_GetCount(0) + 2) / 3); }

std::string EDIT_CpuCounterRow(const CPU_DATA* data, int row) {
    static const char* const kType[3] = {"╳　", "技巧", "行動"};
    const int type = data->counter[row].type;
    const char* label = type >= -1 && type <= 1 ? kType[type + 1] : "";
    return EDIT_Format("[%03d] (%s)  %s", row, label, EDIT_CpuWazaName(0, 3 * row).c_str());
}

std::string EDIT_CpuPickerRow(int type, int n) {
    static const char* const kKind[3] = {"一般", "超級技", "特殊"};
    const WAZA_DATA* w = WAZA_GetData(type, n);
    const char* kind = w && w->kind < 3 ? kKind[w->kind] : "";
    return EDIT_Format("[%03d]  %s  %s", n, kind, EDIT_CpuWazaName(type, n).c_str());
}

std::string EDIT_CpuCounterCaption(const CPU_DATA* data, int counter) {
    (void)data;
    return EDIT_Format("[%03d]  %s", counter, EDIT_CpuWazaName(0, 3 * counter).c_str());
}

std::string EDIT_CpuReactionCaption(int type, const CPU_COUNTER* c) {
    if (c->type == 0) return EDIT_Format("(技　)  [No.%03d]  %s", c->action, EDIT_CpuWazaName(type, c->action).c_str());
    if (c->type == 1) {
        const CPU_DATA* data = MEKA_GetTypeData(type) ? MEKA_GetTypeData(type)->cpu : nullptr;
        const bool valid = data && c->action >= 0 && c->action < CPU_MODE_MAX;
        const char* label = valid ? EDIT_CpuModeLabel(EDIT_CpuGetModeRow(&data->mode[c->action]), true) : "";
        return EDIT_Format("(行動)  [No.%03d]  %s", c->action, label);
    }
    return "(×　)  --------------";
}
