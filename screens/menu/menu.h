// The battle mode's menus: the menu mode the battle polls in its menu phases, the pattern every menu
// follows (menu.cpp, with the main menu), the mech and technique menus (menu_meka.cpp) and the two
// equipment menus (menu_equip.cpp).
//
// Every menu is a per-frame state machine over a fixed item table: state 0 idle, 1 start, then its own
// states. Its step answers the frame's result: 1 decide, 2 cancel, 98 or 99 when it has released
// itself (after a decide or not). Input is the battle's key device (SysKey: current word for
// directions, trigger word for 16 decide, 32 cancel, 64 help) and the mouse, which the battle mode has
// read before the menus run.
#pragma once
#include "battle/data/meka_type.h"
#include "platform/types.h"
#include "platform/window.h"

// The mech types' display names as drawn text (Big5 bytes), in type order; shown on the mech cards.
extern const char* const MekaDispNameTbl[MEKA_TYPE_MAX];

struct MENU_ITEM {
    u8 used;
    u8 action;  // the main menu's items carry their picture row
    i32 x;      // the rectangle on screen, hit test inclusive on all four edges
    i32 y;
    i32 w;
    i32 h;
    u8 select;      // the cursor skips items whose flag is 0
    i32 surf = -1;  // the item's own picture surface (mech and technique menus)
    i32 spr = -1;   // picture sprite
    i32 spr2 = -1;  // highlight sprite
};

struct MENU_WORK {
    i32 state = 0;
    i32 step = 0;  // sub-step of an animation
    i32 cnt = 0;   // frames within the sub-step
    i16 cursor = 0;
    i16 chosen = 0;
    i16 hover = 0;
    i16 help = 0;  // the item whose help the balloon shows
    i32 result = 0;
    i32 lastResult = 0;
    u32 stepTime = 0;  // of the last key-repeat step; 0 never (the clock never reads near 0)
};

// Shared by all menus: the key-repeat counter, the actions since all mouse buttons were released,
// and the button state (-1 none held, 0 a decide or cancel key triggered, 1 a button held).
extern i32 MenuRepeatCnt;
extern i32 MenuActCnt;
extern i32 MenuButton;

// The shared pictures, loaded by MENU_LoadBmp (-1 when missing).
extern i32 MenuSurf;      // "Bmp\Menu.bmp": cards, command buttons, line backgrounds
extern i32 MainMenuSurf;  // "Bmp\MainMenu.bmp"
extern i32 EquipSurf;     // "Bmp\Equip.bmp": panels, tabs, marker, technique icons
extern i32 MekaPnlSurf;   // "Bmp\MekaPnl.bmp": 40×40 portraits, 8 a row

// ---- menu mode ----
// 0 while the menus run, -999 once the menu mode has ended.
int MENU_Renew();
// The state becomes the previous one; answers the previous state it replaced.
int MENU_SetMode(int mode);
// The previous state when which is non-zero, else the current one.
int MENU_GetMode(int which);
void MENU_LoopAll();
// The menus' background on the battle picture (the shell's work surface and sprite): 0 a random
// "Bmp\MenuBG%02d.bmp", 1 the fight tinted green with every sprite hidden and paused (their flags
// saved), 2 a grey tint, 3 a plain fill.
void MENU_SetBG(int mode);
void MENU_LoadBmp();
void MENU_ReleaseBmp();

// ---- the pattern of every menu ----
constexpr int MENU_DIR_NONE = -1;
// The key-repeat move shared by the five key checks. next(i, dir) is the cursor one step from i,
// usable(i) whether it may stand on i (it must test i before reading any table), any() whether it
// may stand anywhere at all, limit how many steps may be tried. On a move `moved` gets the new
// cursor; answers the direction (0 up, 1 down, 2 left, 3 right) or -1.
template <typename Next, typename Usable, typename Any, typename Moved>
int MENU_RepeatKey(MENU_WORK* m, const char* name, int limit, Next next, Usable usable, Any any, Moved moved);
// The decide / cancel / help reading of an input state, after the move and the hover.
constexpr int MENU_IN_NONE = 0;
constexpr int MENU_IN_DECIDE = 1;
constexpr int MENU_IN_CANCEL = 2;
constexpr int MENU_IN_HELP = 3;
// Latch and buttons: decide needs an item hovered; cancel takes the right button only with nothing
// hovered unless rightCancels. Sets chosen, result and the latch for decide and cancel.
int MENU_ReadButtons(MENU_WORK* m, bool rightCancels);
// The hover of an input frame: the item hit (-1 none) becomes the hovered one and, through select,
// the cursor; the pointer's shape follows, and leaving every item resets the balloon.
void MENU_SetHover(MENU_WORK* m, int hit, void (*select)(int));
// One step of a list cursor: up and left -1, down and right +1, wrapping over count entries.
int MENU_ListStep(int i, int dir, int count);
void MENU_WarpMouse(i32 x, i32 y);
// A surface sprite at the priority, -1 when none could be made.
int MENU_NewTSpr(int priority, i32 x, i32 y, int surf, const RECT* src);
// Copies a rectangle of a shared picture onto a surface slot (nothing when either is missing).
void MENU_CopyRect(int dstSurf, i32 x, i32 y, int srcSurf, i32 left, i32 top, i32 w, i32 h);
// Frees an item's sprites and surface and clears it.
void MENU_FreeItem(MENU_ITEM* item);

// ---- main menu ----
constexpr int MENU_MAIN_ITEMS = 5;
extern MENU_ITEM MenuMainItem[MENU_MAIN_ITEMS];
extern MENU_WORK MenuMain;
void MENU_MAIN_Start();
int MENU_MAIN_Loop();
int MENU_MAIN_KeyCheck();
void MENU_MAIN_Select(int n);
int MENU_MAIN_Exec();

// ---- mech menu ----
constexpr int MENU_MEKA_CARDS = 25;
constexpr int MENU_CARD_W = 176;
constexpr int MENU_CARD_H = 48;
extern MENU_ITEM MenuMekaItem[MENU_MEKA_CARDS];
extern MENU_WORK MenuMeka;
void MENU_MEKA_Start();
int MENU_MEKA_Loop();
int MENU_MEKA_GetMeka();
int MENU_MEKA_KeyCheck();
// Whether (mx, my) lies on a card of that parity whose origin is (x, y): its portrait block, its band
// and its two 45° triangles, edges included.
bool MENU_MEKA_InCard(bool odd, i32 x, i32 y, i32 mx, i32 my);
// The lowest card whose shape holds the point, -1 none.
int MENU_MEKA_HitCard(i32 mx, i32 my);
// One cursor step from card i (0 up, 1 down, 2 left, 3 right) with the parity of `from`; may answer a
// position beyond card 24, which is not selectable.
int MENU_MEKA_Step(int i, int dir, int from);
// Builds card item i for mech type t at (x, y): its surface, picture and highlight sprites.
void MENU_MEKA_BuildCard(MENU_ITEM* item, int t, bool odd, i32 x, i32 y);

// ---- technique menu ----
constexpr int MENU_WAZA_LINES = 92;  // 23 a column, 4 columns
constexpr int MENU_WAZA_ITEMS = 6 + MENU_WAZA_LINES;
extern MENU_ITEM MenuWazaItem[MENU_WAZA_ITEMS];
extern MENU_WORK MenuWaza;
extern i32 MenuWazaType;
extern i32 MenuWazaFirst;  // the page's first technique
extern i32 MenuWazaCnt;    // items built
void MENU_WAZA_Start();
int MENU_WAZA_Loop();
void MENU_WAZA_Build(int first);
int MENU_WAZA_KeyCheck();
// The first technique of the page after the one starting at `first`.
int MENU_WAZA_NextPage(int first, int count);

// ---- equipment menus ----
struct MENU_PANEL {
    u8 used;
    u8 axis;  // the axis it slides on: 0 horizontal, 1 vertical
    i32 x;
    i32 y;
    i32 w;
    i32 h;
    u8 select;
    i32 surf = -1;
    i32 spr = -1;
    i32 spr2 = -1;
};

struct MENU_SLOT {
    u8 used;
    i16 group;  // technique group
    i16 panel;
    RECT rect;  // relative to the panel
};

constexpr int MENU_EQUIP_PANELS = 7;  // 4 rows, 3 tabs
constexpr int MENU_EQUIP_SLOTS = 80;
constexpr int MENU_EQUIP2_PANELS = 6;
constexpr int MENU_EQUIP2_SLOTS = 64;
constexpr int MENU_WAZA_GROUPS = 45;
constexpr int MENU_CATEGORIES = 6;
// Category c holds the groups MenuCategoryTbl[c] .. MenuCategoryTbl[c + 1] - 1.
extern const i16 MenuCategoryTbl[MENU_CATEGORIES + 1];

// One equipment menu's tables, marker and fades.
struct MENU_EQUIP_DATA {
    MENU_PANEL* panel = nullptr;
    int panelMax = 0;
    int panelCnt = 0;
    MENU_SLOT* slot = nullptr;
    int slotMax = 0;
    MENU_WORK work{};
    i32 markerSpr = -1;
    i32 iconSpr = -1;
    i32 markerSlot = 0;
    i32 markerLevel = 0;
    i32 markerStep = 0;
    i32 level = 0;        // the panels' blend level in the dims and fades
    i32 returnState = 0;  // where a fade goes when it ends
};

extern MENU_PANEL MenuEquipPanel[MENU_EQUIP_PANELS];
extern MENU_SLOT MenuEquipSlot[MENU_EQUIP_SLOTS];
extern MENU_EQUIP_DATA MenuEquip;
extern MENU_PANEL MenuEquip2Panel[MENU_EQUIP2_PANELS];
extern MENU_SLOT MenuEquip2Slot[MENU_EQUIP2_SLOTS];
extern MENU_EQUIP_DATA MenuEquip2;

void MENU_EQUIP_Start();
void MENU_EQUIP_Resume();
int MENU_EQUIP_Loop();
int MENU_EQUIP_KeyCheck();
// Puts group t into the chosen slot of the grid: its icon redrawn, the grid entry t × 3.
void MENU_EQUIP_SetWaza(int t);
void MENU_EQUIP2_Start();
int MENU_EQUIP2_Loop();
int MENU_EQUIP2_KeyCheck();
// The source rectangle of group t's icon in "Bmp\Equip.bmp"; false for a group outside 0..44.
bool MENU_EQUIP_IconRect(int t, RECT* out);
// The lowest used slot on a used panel whose rectangle holds the point, -1 none.
int MENU_EQUIP_HitSlot(const MENU_EQUIP_DATA& e, i32 mx, i32 my);

#include "screens/menu/menu_repeat.h"
