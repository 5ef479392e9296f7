// Time from process start to the first presented frame on the sample data, and the peak memory of
// that start. Each run forks a fresh process that starts the game for real (headless drivers).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "platform/display.h"
#include "shell/common.h"
#include "shell/sys.h"

namespace {

struct StartFigures {
    double ms;
    long peakKb;
};

// In the child: start, run the loop until a frame has been presented, report, shut down.
[[noreturn]] void RunChild(int fd, std::chrono::steady_clock::time_point t0) {
    if (chdir(KORVANE_SAMPLE_DATA_DIR) != 0) _exit(2);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (SYS_InitWindow() != 1) _exit(3);
    SYS_InitGame();
    int code = 0;
    while (plat::GetPresentCount() == 0 && SYS_MessageTurn(&code)) {
    }
    StartFigures f{std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count(), 0};
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    f.peakKb = ru.ru_maxrss;
    if (write(fd, &f, sizeof(f)) != ssize_t(sizeof(f))) _exit(4);
    SYS_ReleaseGame();
    _exit(0);
}

void BM_StartToFirstFrame(benchmark::State& state) {
    double peakMb = 0;
    for (auto _ : state) {
        int fds[2];
        if (pipe(fds) != 0) {
            state.SkipWithError("pipe failed");
            return;
        }
        auto t0 = std::chrono::steady_clock::now();
        pid_t pid = fork();
        if (pid == 0) {
            close(fds[0]);
            RunChild(fds[1], t0);
        }
        close(fds[1]);
        StartFigures f{};
        bool ok = read(fds[0], &f, sizeof(f)) == ssize_t(sizeof(f));
        close(fds[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        if (!ok) {
            state.SkipWithError("the game did not present a frame");
            return;
        }
        state.SetIterationTime(f.ms / 1000.0);
        peakMb = f.peakKb / 1024.0;
    }
    state.counters["peak_MB"] = peakMb;
}
BENCHMARK(BM_StartToFirstFrame)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
