#include "screens/panel/ims.h"

#include <cstring>

#include "platform/memory.h"
#include "screens/panel/ims_pnl.h"
#include "shell/common.h"

IMS_DATA ImsTbl[IMS_GROUP_MAX];

void IMS_CopyText(char* dst, const char* src, size_t max) {
    size_t n = 0;
    if (src) {
        while (src[n] != '\0') {
            const size_t len = u8(src[n]) >= 0x80 && src[n + 1] != '\0' ? 2 : 1;
            if (n + len > max) break;
            n += len;
        }
        std::memcpy(dst, src, n);
    }
    dst[n] = '\0';
}

void IMS_Init() {
    for (IMS_DATA& g : ImsTbl) {
        g.name[0] = '\0';
        g.first = nullptr;
        g.top = nullptr;
    }
    MENU_HelpMsg_Init2();
}

namespace {

// The used group of this name, the name cut as stored names are.
IMS_DATA* FindGroup(const char* name) {
    char key[IMS_NAME_SIZE];
    IMS_CopyText(key, name, IMS_NAME_SIZE - 1);
    for (IMS_DATA& g : ImsTbl)
        if (g.used && std::strcmp(g.name, key) == 0) return &g;
    return nullptr;
}

// Takes the top panel off its stack; the first panel empties the group, whose name may then be
// created again in another slot.
void Unlink(IMS_DATA* group, IMS_CHILD* panel) {
    if (panel->prev) {
        panel->prev->next = nullptr;
        group->top = panel->prev;
    } else {
        group->first = nullptr;
        group->top = nullptr;
        group->name[0] = '\0';
    }
}

void FreeChild(IMS_CHILD* panel) {
    panel->name[0] = '\0';
    panel->state = 0;
    panel->func = nullptr;
    plat::GlobalFree(panel);
}

}  // namespace

IMS_DATA* IMS_CheckPnl(const char* name) { return FindGroup(name); }
IMS_DATA* IMS_SearchPnl(const char* name) { return FindGroup(name); }

int IMS_Create(const char* name, IMS_PNL_FUNC func) {
    if (IMS_CheckPnl(name)) return 0;
    for (IMS_DATA& g : ImsTbl) {
        if (g.used) continue;
        g.used = 1;
        IMS_CopyText(g.name, name, IMS_NAME_SIZE - 1);
        if (IMS_NewChild(&g.first, &g, name, func)) return 1;
        g.used = 0;
        g.name[0] = '\0';
        return 0;
    }
    return 0;
}

int IMS_CreateChild(const char* groupName, const char* name, IMS_PNL_FUNC func) {
    IMS_DATA* group = IMS_SearchPnl(groupName);
    if (!group || !group->top) {
        DebugMsg("IMS_CreateChild: no open panel group \"%s\" for \"%s\"", groupName ? groupName : "", name ? name : "");
        return 0;
    }
    return IMS_NewChild(&group->top->next, group, name, func);
}

int IMS_NewChild(IMS_CHILD** link, IMS_DATA* group, const char* name, IMS_PNL_FUNC func) {
    auto* panel = static_cast<IMS_CHILD*>(plat::GlobalAllocZero(sizeof(IMS_CHILD)));
    if (!panel) {
        DebugMsg("IMS_NewChild: out of memory for panel \"%s\"", name ? name : "");
        return 0;
    }
    *link = panel;
    panel->func = func;
    panel->state = IMS_MSG_CREATING;
    panel->prev = group->top;
    panel->next = nullptr;
    IMS_CopyText(panel->name, name, IMS_NAME_SIZE - 1);
    if (func) panel->state = func(IMS_MSG_CREATE, 0);
    group->top = panel;
    return 1;
}

void IMS_Start(const char* name) {
    IMS_DATA* group = IMS_SearchPnl(name);
    if (group && group->top && group->top->state == IMS_MSG_WAIT) group->top->state = IMS_MSG_OPEN;
}

void IMS_Loop() {
    for (IMS_DATA& g : ImsTbl)
        if (g.used && g.first) IMS_LoopPnl(&g, g.first);
    MENU_HelpMsg_Exec2();
}

void IMS_LoopPnl(IMS_DATA* group, IMS_CHILD* panel) {
    // A child created by a step is already linked above when the walk moves on, so it is stepped
    // in the same frame.
    while (panel) {
        if (panel->state < 0 || !panel->func) return;
        const u32 focus = panel == group->top ? IMS_FOCUS : 0;
        panel->state = panel->func(panel->state, focus);
        if (panel->state == IMS_MSG_GONE) {
            IMS_DelChild(group, panel);
            return;
        }
        panel = panel->next;
    }
}

void IMS_DelChild(IMS_DATA* group, IMS_CHILD* panel) {
    if (!group || !panel) return;
    // The panels above go first, top first; each releases its items once, its answer ignored.
    while (panel->next) {
        IMS_CHILD* top = panel->next;
        while (top->next) top = top->next;
        Unlink(group, top);
        if (top->func) top->func(IMS_MSG_CLOSE, 0);
        FreeChild(top);
    }
    Unlink(group, panel);
    FreeChild(panel);
}
