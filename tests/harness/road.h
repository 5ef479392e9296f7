// A player's road through the game: the real start-up on the open data folder, the shell's own
// message loop turned one frame at a time with an injected clock, fixed local time and a seeded
// generator, scripted keys and mouse, and the real shut-down through the window. Each frame whose
// state differs from the last one's, and every 30th frame with a checksum of the picture, adds a
// line to the log; two roads from one seed give the same log. Update and draw times are kept per
// scene for the benchmarks.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/input_fake.h"
#include "platform/types.h"

namespace harness {

// Scene, sub-states and the key values of the scene that runs.
std::string SceneLine();

// Update and draw times of every frame a scene ran, in microseconds.
struct SceneTiming {
    std::vector<float> updateUs, drawUs;
};
struct TimeFigures {
    double meanMs, p99Ms, maxMs;
};
TimeFigures Figures(std::vector<float> us);

class Road {
public:
    static constexpr u32 kFrameMs = 34;  // one update and one draw per turn through the shell's 33 ms gate

    // realClock: the system's clock, each frame waiting out its 34 ms (the demonstration under a real
    // display); else the injected clock, a frame on per turn.
    Road(plat::FakeInputBackend& input, u32 seed, bool realClock = false);
    ~Road();
    Road(const Road&) = delete;
    Road& operator=(const Road&) = delete;

    void StartUp();
    // Closes the window and turns the loop until it ends; then the shut-down. False when the loop
    // did not end.
    bool ShutDown();

    // One turn of the loop with the clock a frame on; false once the loop has ended.
    bool Frame();
    // Frames until done() holds (checked before each frame); false when maxFrames ran out first.
    bool Until(const std::function<bool()>& done, int maxFrames, const char* what);
    void Frames(int n);

    void Press(int dik) { input_.Press(dik); }
    void Let(int dik) { input_.Let(dik); }
    // Held for one frame, then let go for one.
    void Tap(int dik);
    // The pointer to a picture position.
    void Point(i32 x, i32 y);
    // A click of button 0 (left) or 1 (right) at a picture position: held one frame, let go one.
    void Click(i32 x, i32 y, int button);

    void Note(const std::string& text);  // a line of the road's own in the log
    // Runs after every frame (the demonstration takes its pictures from it).
    std::function<void(Road&)> onFrame;
    void Fail(const std::string& what) { failures_.push_back(what); }

    const std::vector<std::string>& log() const { return log_; }
    const std::vector<std::string>& failures() const { return failures_; }
    const std::map<u32, SceneTiming>& timings() const { return timings_; }
    int frame() const { return frame_; }
    plat::FakeInputBackend& input() { return input_; }
    u32 now() const { return now_; }

private:
    plat::FakeInputBackend& input_;
    bool realClock_;
    u32 now_ = 0x10000000;
    int frame_ = 0;
    bool running_ = false;
    std::string last_;
    std::vector<std::string> log_;
    std::vector<std::string> failures_;
    std::map<u32, SceneTiming> timings_;
};

// The title's menu reached (its intro skipped) and standing for a few frames.
void SettleInTitleMenu(Road& road);

// The legs of a player's road, each from the title (or the opening) back to it.
void LegOpening(Road& road, bool watch);  // watched to its end, or skipped by a click
void LegIdleBackToOpening(Road& road);    // the title's menu left idle
void LegSurvival(Road& road);             // waves fought until lost, the level-ups, the ranking's entry
void LegRankingView(Road& road);
void LegTutorial(Road& road, int k);      // the title's submenu entry k
void LegSaveAndConfig(Road& road);  // a save slot and the key configuration written and read back
void LegMenus(Road& road);  // with the debug flag: the pause menu, the editors

// The whole road from the opening to the last scene before the quit; atTitle runs each time the
// title is back, with what came before it.
void PlayWholeRoad(Road& road, const std::function<void(const char* after)>& atTitle);

}  // namespace harness
