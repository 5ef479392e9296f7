#include "tests/harness/road.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "platform/clock.h"
#include "platform/picture.h"
#include "platform/window.h"
#include "screens/btl/btl.h"
#include "screens/ranking/his.h"
#include "screens/survival/svv.h"
#include "editors/edit_dialogs.h"
#include "editors/tama_editor.h"
#include "platform/dialog.h"
#include "platform/msgbox.h"
#include "screens/menu/menu.h"
#include "screens/op.h"
#include "screens/save/cfg.h"
#include "screens/save/save.h"
#include "shell/input/key.h"
#include "screens/title/title.h"
#include "script/script.h"
#include "shell/sys.h"
#include "tests/harness/battle_harness.h"
#include "tests/harness/tutorial_harness.h"

namespace harness {

namespace {

using Clock = std::chrono::steady_clock;

struct Turn {
    u32 scene = 0;
    Clock::time_point update, draw;
    bool updated = false, drawn = false;
};

Turn CurrentTurn;

double Us(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::micro>(to - from).count();
}

}  // namespace

TimeFigures Figures(std::vector<float> us) {
    if (us.empty()) return {0, 0, 0};
    std::sort(us.begin(), us.end());
    double sum = 0;
    for (float v : us) sum += v;
    return {sum / double(us.size()) / 1000.0, us[(us.size() - 1) * 99 / 100] / 1000.0, us.back() / 1000.0};
}

std::string SceneLine() {
    char buf[160];
    std::snprintf(buf, sizeof(buf), "scene=%u", SysSeq);
    std::string line = buf;
    switch (SysSeq) {
    case 1:
        std::snprintf(buf, sizeof(buf), " op=%d logo=%d", OpStep, OpLogoStep);
        line += buf;
        break;
    case 2:
        std::snprintf(buf, sizeof(buf), " title=%d/%d sel=%d", TitleWork.state, TitleWork.step, TitleWork.selected);
        line += buf;
        break;
    case 4: {
        const LIST_DATA* p = MEKA_GetSlot(0);
        std::snprintf(buf, sizeof(buf), " btl=%d wave=%d life=%d", BtlState, SvvWave,
                      p && p->meka ? p->meka->life : -1);
        line += buf;
        if (MENU_GetMode(0) != 0) {
            std::snprintf(buf, sizeof(buf), " menu=%d main=%d equip=%d/%d meka=%d waza=%d/%d", MENU_GetMode(0),
                          MenuMain.state, MenuEquip.work.state, MenuEquip2.work.state, MenuMeka.state, MenuWaza.state,
                          MenuWaza.cursor);
            line += buf;
        }
        if (BtlState == 19) {  // the game over runs the ranking's entry inside the battle mode
            std::snprintf(buf, sizeof(buf), " his=%d/%d entry=%d place=%d", HisState.mode, HisState.phase,
                          HisState.entryStep, HisState.place);
            line += buf;
        }
        break;
    }
    case 5:
        std::snprintf(buf, sizeof(buf), " adv=%d script=%d btl=%d", AdvState, AdvScriptNo, BtlState);
        line += buf;
        break;
    case 6:
        std::snprintf(buf, sizeof(buf), " his=%d/%d entry=%d view=%d place=%d", HisState.mode, HisState.phase,
                      HisState.entryStep, HisState.viewStep, HisState.place);
        line += buf;
        break;
    default: break;
    }
    return line;
}

Road::Road(plat::FakeInputBackend& input, u32 seed, bool realClock) : input_(input), realClock_(realClock) {
    if (!realClock_) plat::SetTimeSource([this] { return now_; });
    plat::SetLocalTimeSource([] { return plat::LocalTime{2026, 12, 7, 12, 0, 0, 0, 1}; });
    plat::SetInputBackend(&input_);
    SeedRandom(seed);
    SYS_SetTrace([](const char* e) {
        unsigned scene = 0;
        if (std::sscanf(e, "update %u", &scene) == 1) {
            CurrentTurn.scene = scene;
            CurrentTurn.update = Clock::now();
            CurrentTurn.updated = true;
        } else if (std::sscanf(e, "draw %u", &scene) == 1) {
            CurrentTurn.draw = Clock::now();
            CurrentTurn.drawn = true;
        }
    });
}

Road::~Road() {
    SYS_SetTrace({});
    RestoreRandom();
    plat::SetInputBackend(nullptr);
    plat::SetLocalTimeSource({});
    plat::SetTimeSource({});
}

void Road::StartUp() {
    SYS_ResetState();
    if (SYS_InitWindow() != 1) {
        Fail("the window could not be made");
        return;
    }
    SYS_InitGame();
    running_ = true;
    Note("start-up");
}

bool Road::ShutDown() {
    if (!running_) return false;
    Note("close");
    plat::SimulateClose(MainWnd);
    int turns = 0;
    while (Frame() && ++turns < 1000) {
    }
    SYS_ReleaseGame();
    plat::ReleaseDestroyedWindows();
    if (turns >= 1000) Fail("the loop did not end after the close");
    return turns < 1000;
}

bool Road::Frame() {
    if (!running_) return false;
    if (realClock_) {
        // Paced on the shell's own gates, so that every turn updates and draws: a key held for one
        // turn that ran no update would be lost.
        const auto gatesOpen = [] {
            const u32 t = plat::GetTimeMs();
            return u32(t - SysRenewTime) >= kFrameMs && u32(t - SysDrawTime) >= kFrameMs;
        };
        while (!gatesOpen()) plat::SleepMs(1);
        now_ = plat::GetTimeMs();
    } else {
        now_ += kFrameMs;
    }
    CurrentTurn = Turn{};
    int code = 0;
    running_ = SYS_MessageTurn(&code);
    const Clock::time_point end = Clock::now();
    if (CurrentTurn.updated && CurrentTurn.drawn) {
        SceneTiming& t = timings_[CurrentTurn.scene];
        t.updateUs.push_back(float(Us(CurrentTurn.update, CurrentTurn.draw)));
        t.drawUs.push_back(float(Us(CurrentTurn.draw, end)));
    }
    frame_++;
    if (!running_) return false;
    if (onFrame) onFrame(*this);
    const std::string state = SceneLine();
    if (state != last_ || frame_ % 30 == 0) {
        char head[24];
        std::snprintf(head, sizeof(head), "%6d ", frame_);
        std::string line = head + state;
        if (frame_ % 30 == 0) {
            char pic[24];
            std::snprintf(pic, sizeof(pic), " pic=%08x", BackBufferSum());
            line += pic;
        }
        log_.push_back(line);
        last_ = state;
    }
    return true;
}

bool Road::Until(const std::function<bool()>& done, int maxFrames, const char* what) {
    for (int i = 0; i < maxFrames; i++) {
        if (done()) return true;
        if (!Frame()) break;
    }
    if (done()) return true;
    Fail(std::string("not reached: ") + what);
    Note(std::string("not reached: ") + what);
    return false;
}

void Road::Frames(int n) {
    for (int i = 0; i < n && Frame(); i++) {
    }
}

void Road::Tap(int dik) {
    input_.Press(dik);
    Frame();
    input_.Let(dik);
    Frame();
}

void Road::Point(i32 x, i32 y) { plat::PictureToWindow(x, y, &input_.cursorX, &input_.cursorY); }

void Road::Click(i32 x, i32 y, int button) {
    Point(x, y);
    input_.button[button & 1] = true;
    Frame();
    input_.button[button & 1] = false;
    Frame();
}

void Road::Note(const std::string& text) {
    char head[24];
    std::snprintf(head, sizeof(head), "%6d # ", frame_);
    log_.push_back(head + text);
    std::printf("road: %s%s\n", head, text.c_str());  // progress in a long run's output
    std::fflush(stdout);
}

namespace {

constexpr int kDikDecide = kDikZ, kDikCancel = kDikX, kDikUp = kDikPad8, kDikDown = kDikPad2;

// Scripted play: moving back and forth while the three attack keys fire at their own paces.
void FightStep(Road& road, int n) {
    const bool right = (n / 90) % 2 == 0;
    road.Let(right ? kDikPad4 : kDikPad6);
    road.Press(right ? kDikPad6 : kDikPad4);
    for (int dik : {kDikZ, kDikX, kDikC}) road.Let(dik);
    if (n % 8 == 0) road.Press(kDikZ);
    if (n % 13 == 0) road.Press(kDikX);
    if (n % 21 == 0) road.Press(kDikC);
}

void LetAll(Road& road) {
    for (int dik : {kDikPad4, kDikPad6, kDikZ, kDikX, kDikC}) road.Let(dik);
}

// Taps decide every few frames until done() holds.
bool DecideUntil(Road& road, const std::function<bool()>& done, int maxFrames, const char* what) {
    for (int n = 0; n < maxFrames && !done(); n += 12) {
        road.Tap(kDikDecide);
        road.Frames(10);
    }
    return road.Until(done, 1, what);
}

bool InTitleMenu() { return SysSeq == 2 && TitleWork.step == 4; }

// The title's main menu (its intro skipped by decide), then the entry taken with the keys.
bool TakeTitleEntry(Road& road, int entry) {
    if (!DecideUntil(road, InTitleMenu, 3000, "the title's menu")) return false;
    for (int n = 0; n < 8 && TitleWork.selected != entry; n++) road.Tap(kDikDown);
    road.Tap(kDikDecide);
    return true;
}

// A menu takes a click only after it has seen every button up since its last action: the pointer
// rests a frame on the item first.
void ClickAt(Road& road, i32 x, i32 y) {
    road.Point(x, y);
    road.Frames(2);
    road.Click(x, y, 0);
}

void ClickItem(Road& road, const MENU_ITEM& it) { ClickAt(road, it.x + it.w / 2, it.y + it.h / 2); }

// The middle of an even card's portrait block: its box's centre lies on the edge of its shape.
void ClickEvenCard(Road& road, const MENU_ITEM& it) { ClickAt(road, it.x + 20, it.y + 24); }

void MenuCancel(Road& road) {
    road.Frames(2);
    road.Tap(kDikCancel);
}

void ClickSlot(Road& road, const MENU_EQUIP_DATA& e, int slot) {
    const MENU_SLOT& s = e.slot[slot];
    road.Frames(2);
    const MENU_PANEL& p = e.panel[s.panel];
    road.Click(p.x + (s.rect.left + s.rect.right) / 2, p.y + (s.rect.top + s.rect.bottom) / 2, 0);
}

// A debug key by scan code, as the keyboard device reads it.
void DebugKeyTap(Road& road, plat::FakeInputBackend& input, int dik) {
    input.Press(dik);
    road.Frame();
    input.Let(dik);
    road.Frame();
}

}  // namespace

void LegOpening(Road& road, bool watch) {
    road.Note(watch ? "opening watched" : "opening skipped by a click");
    road.Until([] { return SysSeq == 1 && OpStep == 2; }, 600, "the opening's movie");
    if (!watch) {
        road.Frames(20);
        road.Click(320, 240, 0);
    }
    road.Until([] { return SysSeq == 2; }, 3000, "the title after the opening");
}

void LegIdleBackToOpening(Road& road) {
    road.Note("the title left idle");
    road.Until(InTitleMenu, 600, "the title's menu");
    road.Until([] { return SysSeq == 1; }, 2000, "the opening after the idle title");
}

void LegSurvival(Road& road) {
    road.Note("survival");
    TakeTitleEntry(road, 0);
    road.Until([] { return SysSeq == 4; }, 600, "the battle mode");
    int levelUps = 0;
    bool inLevelUp = false;
    for (int n = 0; n < 40000 && SysSeq == 4 && BtlState != 19; n++) {
        if (BtlState == 17) {
            if (!inLevelUp) levelUps++;
            inLevelUp = true;
            LetAll(road);
            road.Tap(kDikDecide);
            continue;
        }
        inLevelUp = false;
        FightStep(road, n);
        road.Frame();
    }
    LetAll(road);
    road.Note("level-up screens: " + std::to_string(levelUps) + ", waves: " + std::to_string(SvvWave));
    if (levelUps < 3) road.Fail("fewer than three level-up screens in the survival run");
    road.Note("ranking entry");
    DecideUntil(road, [] { return SysSeq == 2; }, 3000, "the title after the ranking");
}

void LegRankingView(Road& road) {
    road.Note("ranking view");
    TakeTitleEntry(road, 1);
    road.Until([] { return SysSeq == 6; }, 300, "the ranking view");
    DecideUntil(road, [] { return SysSeq == 2; }, 3000, "the title after the ranking view");
}

void LegTutorial(Road& road, int k) {
    road.Note("script scene " + std::to_string(k));
    TakeTitleEntry(road, 2);
    road.Until([] { return SysSeq == 2 && TitleWork.step == 11; }, 600, "the title's submenu");
    for (int n = 0; n < 8 && TitleWork.selected != k; n++) road.Tap(kDikDown);
    road.Tap(kDikDecide);
    road.Until([] { return SysSeq == 5; }, 600, "the script scene");
    // The reader moves the pages on and takes the choices; a fight handed over is fought as in survival.
    ScriptReader reader(road.input());
    reader.Reset();
    for (int n = 0; n < 12000 && SysSeq != 2; n++) {
        if (SysSeq == 4 && BtlState == 5) {
            FightStep(road, n);
        } else {
            LetAll(road);
            reader.Answer(n);
        }
        road.Frame();
    }
    LetAll(road);
    road.Until([] { return SysSeq == 2; }, 1, "the title after a script scene");
}

void LegMenus(Road& road) {
    plat::FakeInputBackend& input = road.input();
    road.Note("menus with the debug flag");
    SysDebugFlag = 1;
    plat::UseFakeDialogs(true);
    TakeTitleEntry(road, 0);
    road.Until([] { return SysSeq == 4 && BtlState == 5; }, 900, "the fight");
    DebugKeyTap(road, input, 0x32);  // M
    road.Until([] { return BtlState == 12 && MenuMain.state == 3; }, 300, "the pause menu");
    // Equipment: a cell, a group from its category picker, back to the main menu.
    road.Note("equipment menu");
    ClickItem(road, MenuMainItem[0]);
    road.Until([] { return MenuEquip.work.state == 2; }, 300, "the equipment menu");
    ClickSlot(road, MenuEquip, 1);
    road.Until([] { return MenuEquip2.work.state == 2; }, 300, "the category picker");
    ClickSlot(road, MenuEquip2, 0);
    road.Until([] { return MenuEquip.work.state == 2; }, 300, "the equipment menu after the picker");
    MenuCancel(road);
    road.Until([] { return MenuMain.state == 3; }, 300, "the main menu after the equipment");
    // Mech cards, the player's techniques and from them the three editors, each closed again.
    road.Note("mech and technique menus");
    ClickItem(road, MenuMainItem[1]);
    road.Until([] { return MenuMeka.state == 3; }, 300, "the mech menu");
    ClickEvenCard(road, MenuMekaItem[0]);
    road.Until([] { return MenuWaza.state == 3; }, 300, "the technique menu");
    for (int item : {3, 4, 6}) {
        road.Note("editor from item " + std::to_string(item));
        ClickItem(road, MenuWazaItem[item]);
        road.Frames(3);
        for (plat::Dialog* dlg : {EditMainDlg, TamaListDlg, TamaDlg})
            if (dlg) plat::ClickCtl(dlg, plat::IDCANCEL);
        road.Frames(3);
        if (EditMainDlg || TamaListDlg || TamaDlg) road.Fail("an editor stayed open");
        road.Until([] { return MenuWaza.state == 3; }, 300, "the technique menu after an editor");
    }
    MenuCancel(road);
    road.Until([] { return MenuMeka.state == 3; }, 300, "the mech menu after the techniques");
    MenuCancel(road);
    road.Until([] { return MenuMain.state == 3; }, 300, "the main menu after the mechs");
    MenuCancel(road);
    road.Until([] { return BtlState == 5; }, 300, "the fight after the pause menu");
    // Leaving the fight through the menus for the title.
    road.Note("leaving through the menus");
    DebugKeyTap(road, input, 0x26);  // L
    road.Until([] { return MenuMain.state == 3; }, 300, "the menus after the fight");
    MenuCancel(road);
    road.Until([] { return SysSeq == 2; }, 300, "the title after the menus");
    plat::UseFakeDialogs(false);
    SysDebugFlag = 0;
}

void LegSaveAndConfig(Road& road) {
    // Nothing in play reaches the slot and configuration files (the file panels only yield, and no
    // scene saves the keys): the road writes and reads them as a menu would, between two frames.
    road.Note("save slot 3 written and read back");
    u8 before[GAME_DATA_SIZE], after[GAME_DATA_SIZE];
    SAVE_WriteGameData(&GameData, before);
    const int written = SAVE_WriteSlot(3);
    SAVE_InitGameData();
    const int read = SAVE_ReadSlot(3);
    SAVE_WriteGameData(&GameData, after);
    SAVE_ScanSlots();
    if (!written || !read || std::memcmp(before, after, sizeof(before)) != 0 || !SaveSlotTbl[3].present)
        road.Fail("the save slot did not keep the game record");
    road.Note("key configuration changed, saved and loaded");
    const u16 decide = SysKey.keys[8];
    SysKey.keys[8] = 28;  // decide on the return key
    const int saved = CFG_Save();
    SysKey.keys[8] = decide;
    const int loaded = CFG_Load();
    if (!saved || !loaded || SysKey.keys[8] != 28) road.Fail("the configuration did not keep the key");
    SysKey.keys[8] = decide;
    CFG_Save();
    road.Frames(2);
}

void SettleInTitleMenu(Road& road) {
    DecideUntil(road, InTitleMenu, 3000, "the title's menu");
    road.Frames(20);
}

void PlayWholeRoad(Road& road, const std::function<void(const char* after)>& atTitle) {
    // Each return to the title is looked at once its menu stands, the same place every time.
    const auto backAtTitle = [&](const char* after) {
        SettleInTitleMenu(road);
        atTitle(after);
    };
    LegOpening(road, true);
    backAtTitle("the opening");
    LegIdleBackToOpening(road);
    LegOpening(road, false);
    backAtTitle("the opening again");
    LegSurvival(road);
    backAtTitle("the survival run");
    LegRankingView(road);
    backAtTitle("the ranking view");
    for (int k = 0; k < 5; k++) {
        LegTutorial(road, k);
        backAtTitle("a script scene");
    }
    LegMenus(road);
    backAtTitle("the menus");
    LegSaveAndConfig(road);
}

}  // namespace harness
