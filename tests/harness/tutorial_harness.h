// The tutorial scenes run as a reader would run them: a per-update state line for logs two runs must
// repeat, a reader answering pages and choices through the fake input backend, and a fight handed
// over by a script ended by striking a mech down. Test code without GoogleTest: the tutorial tests and
// the scene executable share it.
#pragma once
#include <string>

#include "platform/input_fake.h"

namespace harness {

// The scene's state after one update; every 30 updates also a checksum of the back buffer.
std::string TutorialLine(int update);

// Answers the script's waits: a page or key wait, or a page shown under another wait, gets the decide
// key held for two turns of every eight; the first choice of a run is taken with the pad (down, then decide), the
// next ones with the mouse on their first line.
class ScriptReader {
public:
    explicit ScriptReader(plat::FakeInputBackend& input) : input_(input) {}
    void Reset();  // before a run: no choices taken, keys let go, the pointer at the corner
    void Answer(int update);
    int choices() const { return choices_; }

private:
    plat::FakeInputBackend& input_;
    int choices_ = 0;
    int lastWaited_ = -1;
};

// Strikes the mech in the slot down for good: it falls, lies and explodes as a beaten mech does.
void KnockOut(int slot);

}  // namespace harness
