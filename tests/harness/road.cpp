#include "tests/harness/road.h"

#include <chrono>
#include <cstdio>

#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "platform/clock.h"
#include "platform/picture.h"
#include "platform/window.h"
#include "screens/btl/btl.h"
#include "screens/ranking/his.h"
#include "screens/survival/svv.h"
#include "script/script.h"
#include "shell/sys.h"
#include "tests/harness/battle_harness.h"

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

std::string SceneLine() {
    char buf[160];
    std::snprintf(buf, sizeof(buf), "scene=%u", SysSeq);
    std::string line = buf;
    switch (SysSeq) {
    case 4: {
        const LIST_DATA* p = MEKA_GetSlot(0);
        std::snprintf(buf, sizeof(buf), " btl=%d wave=%d life=%d", BtlState, SvvWave,
                      p && p->meka ? p->meka->life : -1);
        line += buf;
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

Road::Road(plat::FakeInputBackend& input, u32 seed) : input_(input) {
    plat::SetTimeSource([this] { return now_; });
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
    now_ += kFrameMs;
    CurrentTurn = Turn{};
    int code = 0;
    running_ = SYS_MessageTurn(&code);
    const Clock::time_point end = Clock::now();
    if (CurrentTurn.updated && CurrentTurn.drawn) {
        SceneTiming& t = timings_[CurrentTurn.scene];
        const double u = Us(CurrentTurn.update, CurrentTurn.draw), d = Us(CurrentTurn.draw, end);
        t.frames++;
        t.updateSumUs += u;
        t.drawSumUs += d;
        if (u > t.updateMaxUs) t.updateMaxUs = u;
        if (d > t.drawMaxUs) t.drawMaxUs = d;
    }
    frame_++;
    if (!running_) return false;
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
}

}  // namespace harness
