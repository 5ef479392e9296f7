// The panel manager: named stacks of pop-up panels, each run by its own callback, where only the
// newest panel of a stack gets the input focus.
#pragma once
#include "platform/types.h"

constexpr int IMS_GROUP_MAX = 16;
constexpr int IMS_NAME_SIZE = 32;  // 31 bytes and the terminator

// Messages a callback receives, and the states they stand for.
constexpr i32 IMS_MSG_GONE = -5;      // answered: remove this panel and those above it
constexpr i32 IMS_MSG_WAIT = -4;      // created, waiting for IMS_Start
constexpr i32 IMS_MSG_CREATE = -3;    // build the items
constexpr i32 IMS_MSG_CREATING = -2;  // while the create call runs
constexpr i32 IMS_MSG_OPEN = 0;       // opening animation
constexpr i32 IMS_MSG_ACTIVE = 1;     // input
constexpr i32 IMS_MSG_CLOSE = 2;      // release the items

constexpr u32 IMS_FOCUS = 0x8000;  // the focus value of a group's top panel

using IMS_PNL_FUNC = i32 (*)(i32 msg, u32 focus);

struct IMS_CHILD {
    char name[IMS_NAME_SIZE];
    i32 state;
    IMS_PNL_FUNC func;
    IMS_CHILD* prev;  // the panel below, null for the first
    IMS_CHILD* next;  // the panel above, null for the top
};

struct IMS_DATA {
    u32 used;  // a slot once taken stays taken
    char name[IMS_NAME_SIZE];
    IMS_CHILD* first;
    IMS_CHILD* top;
};

extern IMS_DATA ImsTbl[IMS_GROUP_MAX];

void IMS_Init();
int IMS_Create(const char* name, IMS_PNL_FUNC func);
int IMS_CreateChild(const char* groupName, const char* name, IMS_PNL_FUNC func);
int IMS_NewChild(IMS_CHILD** link, IMS_DATA* group, const char* name, IMS_PNL_FUNC func);
void IMS_Start(const char* name);
IMS_DATA* IMS_CheckPnl(const char* name);
IMS_DATA* IMS_SearchPnl(const char* name);
void IMS_Loop();
void IMS_LoopPnl(IMS_DATA* group, IMS_CHILD* panel);
void IMS_DelChild(IMS_DATA* group, IMS_CHILD* panel);

// Copies at most max bytes of src and a terminator into dst, never ending on the first byte of a
// double-byte character (a byte of 0x80 or more and the byte after it).
void IMS_CopyText(char* dst, const char* src, size_t max);
