#include "tests/harness/road.h"

#include <algorithm>
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
#include "script/bsc/bsc.h"
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
        while (u32(plat::GetTimeMs() - now_) < kFrameMs) plat::SleepMs(1);
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
}

namespace {

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
    for (int dik : {kDikPad4, kDikPad6, kDikZ, kDikX, kDikC})
        road.Let(dik);
}

// Taps decide every few frames until the scene is left for `to`.
bool DecideUntilScene(Road& road, u32 to, int maxFrames, const char* what) {
    for (int n = 0; n < maxFrames; n += 12) {
        if (SysSeq == to) return true;
        road.Tap(kDikZ);
        road.Frames(10);
    }
    return road.Until([to] { return SysSeq == to; }, 1, what);
}

}  // namespace

void PlayWholeRoad(Road& road, const std::function<void(const char* after)>& atTitle) {
    road.Note("opening");
    road.Until([] { return SysSeq == 2; }, 3000, "the title after the opening");
    road.Frames(5);
    atTitle("the opening");

    road.Note("survival");
    road.Tap(kDikZ);
    road.Until([] { return SysSeq == 4; }, 600, "the battle mode");
    for (int n = 0; n < 40000 && SysSeq == 4; n++) {
        FightStep(road, n);
        road.Frame();
    }
    LetAll(road);
    road.Until([] { return SysSeq != 4; }, 1, "the end of the survival run");

    road.Note("ranking");
    DecideUntilScene(road, 2, 3000, "the title after the ranking");
    road.Frames(5);
    atTitle("the ranking");

    road.Note("ranking view");
    road.Tap(kDikX);
    road.Until([] { return SysSeq == 6; }, 300, "the ranking view");
    DecideUntilScene(road, 2, 3000, "the title after the ranking view");
    road.Frames(5);
    atTitle("the ranking view");

    for (int k = 0; k < 5; k++) {
        road.Note("script scene " + std::to_string(k));
        ADV_SetScriptNo(k);
        mBSC_Init();
        SYS_SetSeq(5);
        DecideUntilScene(road, 2, 6000, "the title after a script scene");
        road.Frames(5);
        atTitle("a script scene");
    }

}

}  // namespace harness
