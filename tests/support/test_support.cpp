#include "test_support.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/debug.h"
#include "shell/common.h"
#include "shell/sound/snd.h"

namespace fs = std::filesystem;

namespace test {

TempDir::TempDir() {
    std::string tmpl = (fs::temp_directory_path() / "korvane-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string TempDir::File(const std::string& relative) const {
    fs::path p = fs::path(path_) / relative;
    fs::create_directories(p.parent_path());
    return p.string();
}

void TempDir::Write(const std::string& relative, const std::string& bytes) const {
    std::ofstream out(File(relative), std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

void TempDir::Write(const std::string& relative, const std::vector<u8>& bytes) const {
    Write(relative, std::string(bytes.begin(), bytes.end()));
}

std::string TempDir::Read(const std::string& relative) const {
    std::ifstream in(fs::path(path_) / relative, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

ScopedCwd::ScopedCwd(const std::string& dir) : old_(fs::current_path().string()) {
    fs::current_path(dir);
    InitCommon();
}

ScopedCwd::~ScopedCwd() {
    std::error_code ec;
    fs::current_path(old_, ec);
    InitCommon();
}

FakeClock::FakeClock(u32 start) : now_(start) {
    plat::SetTimeSource([this] { return now_; });
}

FakeClock::~FakeClock() {
    plat::SetSleepSource({});
    plat::SetTimeSource({});
}

void FakeClock::FollowSleeps() {
    plat::SetSleepSource([this](u32 until) { now_ = until; });
}

DebugCapture::DebugCapture() {
    plat::SetDebugSink([this](std::string_view t) { text_.append(t); });
}

DebugCapture::~DebugCapture() { plat::SetDebugSink({}); }

MessageBoxCapture::MessageBoxCapture(int answer) {
    plat::SetMessageBoxHook([this, answer](const plat::MessageBoxCall& c) {
        calls_.push_back(c);
        return answer;
    });
}

MessageBoxCapture::~MessageBoxCapture() { plat::SetMessageBoxHook({}); }

FileSizeLimit::FileSizeLimit(u64 bytes) {
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    oldCur_ = old.rlim_cur;
    oldMax_ = old.rlim_max;
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = bytes;
    ok_ = setrlimit(RLIMIT_FSIZE, &small) == 0;
}

FileSizeLimit::~FileSizeLimit() {
    const rlimit old{rlim_t(oldCur_), rlim_t(oldMax_)};
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler_);
}

void SwapWhileReading(const std::string& path, const std::string& a, const std::string& b, int swaps,
                      const std::function<void()>& read) {
    std::ofstream(path, std::ios::binary).write(b.data(), std::streamsize(b.size()));
    std::atomic<bool> done{false};
    std::thread swapper([&] {
        const std::string staging = path + ".swap";
        for (int i = 0; i < swaps; ++i) {
            const std::string& bytes = i % 2 ? b : a;
            std::ofstream(staging, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
            std::rename(staging.c_str(), path.c_str());
        }
        done = true;
    });
    do read();
    while (!done);
    swapper.join();
}

std::unique_ptr<plat::AudioDevice, void (*)(plat::AudioDevice*)> TakeSoundDevice() {
    SND_TermDevice();
    return {plat::AudioOpenDevice(), plat::AudioCloseDevice};
}

int InChild(const std::function<void()>& body) {
    const pid_t pid = fork();
    if (pid == 0) {
        alarm(20);
        body();
        _exit(0);
    }
    int status = -1;
    waitpid(pid, &status, 0);
    return status;
}

size_t FileCount(const std::string& dir) {
    std::error_code ec;
    size_t n = 0;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) ++n;
    return n;
}

int RunProgram(const std::string& program, const std::vector<std::string>& args) {
    std::string command = "\"" + program + "\"";
    for (const std::string& a : args) command += " \"" + a + "\"";
    const int status = std::system((command + " > /dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace test
