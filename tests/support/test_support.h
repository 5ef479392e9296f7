// Helpers shared by the tests: temporary folders, an injectable clock, captured debug output and
// message boxes. Each helper restores the real service when it goes out of scope.
#pragma once
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/msgbox.h"
#include "platform/types.h"

namespace plat {
struct AudioDevice;
}

namespace test {

// A fresh folder under the system's temporary directory, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    // path() + "/" + relative, with the folders on the way created.
    std::string File(const std::string& relative) const;
    void Write(const std::string& relative, const std::string& bytes) const;
    void Write(const std::string& relative, const std::vector<u8>& bytes) const;
    std::string Read(const std::string& relative) const;

private:
    std::string path_;
};

// Makes the directory the process's current one (and CurrentPath's base) while it lives.
class ScopedCwd {
public:
    explicit ScopedCwd(const std::string& dir);
    ~ScopedCwd();

private:
    std::string old_;
};

// The millisecond clock under the test's control.
class FakeClock {
public:
    explicit FakeClock(u32 start = 0x10000000);
    ~FakeClock();
    void Set(u32 now) { now_ = now; }
    void Advance(u32 ms) { now_ += ms; }
    u32 now() const { return now_; }
    // From now on a platform sleep (a wait for messages) moves this clock to its end at once.
    void FollowSleeps();

private:
    u32 now_;
};

// Everything written to the debug output while it lives.
class DebugCapture {
public:
    DebugCapture();
    ~DebugCapture();
    const std::string& text() const { return text_; }
    bool Contains(const std::string& piece) const { return text_.find(piece) != std::string::npos; }
    void Clear() { text_.clear(); }

private:
    std::string text_;
};

// Message boxes recorded and answered with a fixed button.
class MessageBoxCapture {
public:
    explicit MessageBoxCapture(int answer = plat::IDOK);
    ~MessageBoxCapture();
    const std::vector<plat::MessageBoxCall>& calls() const { return calls_; }

private:
    std::vector<plat::MessageBoxCall> calls_;
};

// While it lives, a write that would make a file longer than `bytes` fails (a file size limit:
// permissions would not stop root).
class FileSizeLimit {
public:
    explicit FileSizeLimit(u64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool ok() const { return ok_; }

private:
    u64 oldCur_ = 0;
    u64 oldMax_ = 0;
    void (*oldHandler_)(int) = nullptr;
    bool ok_ = false;
};

// Puts a and b in turn at path (each by a rename, so an open sees one whole file) on a thread, `swaps`
// times, while read runs over and over: a reader that takes a block and its size from two opens
// meets a size its block does not have.
void SwapWhileReading(const std::string& path, const std::string& a, const std::string& b, int swaps,
                      const std::function<void()>& read);

// Closes the game's sound device and holds the one audio device until the result goes: the game's next
// open finds none. Empty when the device could not be held.
std::unique_ptr<plat::AudioDevice, void (*)(plat::AudioDevice*)> TakeSoundDevice();

// The wait status of a child process that runs body and exits with 0; one that waits for ever is ended by
// an alarm.
int InChild(const std::function<void()>& body);

// The number of entries in a folder; 0 when there is none.
size_t FileCount(const std::string& dir);

// Runs the program with the arguments, its output discarded; its exit status, -1 when it did not exit.
int RunProgram(const std::string& program, const std::vector<std::string>& args);

}  // namespace test
