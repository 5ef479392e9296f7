// Time from process start to the first presented frame on the sample data, and the peak memory of
// that start. Each run starts this program afresh (fork and exec, so loading the libraries counts) in
// a mode where it starts the game for real (headless drivers) instead of running benchmarks.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "platform/display.h"
#include "shell/common.h"
#include "shell/sys.h"

namespace {

struct StartFigures {
    double ms;
    long peakKb;
};

// In the child: start, run the loop until a frame has been presented, report, shut down. The time is
// measured from the parent's clock reading just before the fork (steady_clock is system-wide).
[[noreturn]] void RunChild(int fd, std::chrono::steady_clock::time_point t0) {
    if (chdir(KORVANE_SAMPLE_DATA_DIR) != 0) _exit(2);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (SYS_InitWindow() != 1) _exit(3);
    SYS_InitGame();
    int code = 0;
    while (plat::GetPresentCount() == 0 && SYS_MessageTurn(&code)) {
    }
    // The turn that presented then waited for the next gate: the clock stops at the present itself.
    const std::chrono::steady_clock::time_point shown{std::chrono::steady_clock::duration(plat::GetFirstPresentTicks())};
    StartFigures f{std::chrono::duration<double, std::milli>(shown - t0).count(), 0};
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
            char fd[16], start[32];
            std::snprintf(fd, sizeof(fd), "%d", fds[1]);
            std::snprintf(start, sizeof(start), "%lld", static_cast<long long>(t0.time_since_epoch().count()));
            setenv("KORVANE_STARTUP_CHILD_FD", fd, 1);
            setenv("KORVANE_STARTUP_T0", start, 1);
            execl("/proc/self/exe", "korvane_bench", static_cast<char*>(nullptr));
            _exit(5);
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

#ifdef KORVANE_ROAD_BENCH
int RoadChildMain(int fd);  // road_bench.cpp
#endif

// The benchmarks' main, with the children's modes in front of it.
int main(int argc, char** argv) {
#ifdef KORVANE_ROAD_BENCH
    if (const char* road = std::getenv("KORVANE_ROAD_CHILD_FD")) return RoadChildMain(std::atoi(road));
#endif
    const char* fd = std::getenv("KORVANE_STARTUP_CHILD_FD");
    const char* start = std::getenv("KORVANE_STARTUP_T0");
    if (fd && start) {
        std::chrono::steady_clock::time_point t0{std::chrono::steady_clock::duration(std::atoll(start))};
        RunChild(std::atoi(fd), t0);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
