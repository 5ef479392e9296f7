// The whole road of a player through the scenes (the play-through the end-to-end test checks), run in
// a fresh process on a copy of the sample data: per scene the mean, the 99th percentile (a busy
// frame) and the worst (a loading frame) update and draw time against the 33 ms frame, and the peak
// memory of the whole road.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/harness/road.h"

int RoadChildMain(int fd);

namespace {

std::string ReadAll(int fd) {
    std::string text;
    char buf[4096];
    for (ssize_t n; (n = read(fd, buf, sizeof(buf))) > 0;) text.append(buf, size_t(n));
    return text;
}

void BM_WholeRoadPerScene(benchmark::State& state) {
    for (auto _ : state) {
        int fds[2];
        if (pipe(fds) != 0) {
            state.SkipWithError("pipe failed");
            return;
        }
        const pid_t pid = fork();
        if (pid == 0) {
            close(fds[0]);
            char fd[16];
            std::snprintf(fd, sizeof(fd), "%d", fds[1]);
            setenv("KORVANE_ROAD_CHILD_FD", fd, 1);
            execl("/proc/self/exe", "korvane_bench", static_cast<char*>(nullptr));
            _exit(5);
        }
        close(fds[1]);
        const std::string text = ReadAll(fds[0]);
        close(fds[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        if (text.empty()) {
            state.SkipWithError("the road did not run");
            return;
        }
        // Lines "scene frames updateMean updateP99 updateMax drawMean drawP99 drawMax" (ms) and "peak KB".
        unsigned scene = 0;
        double frames = 0, um = 0, up = 0, ux = 0, dm = 0, dp = 0, dx = 0;
        long kb = 0;
        for (size_t at = 0; at < text.size();) {
            const size_t end = text.find('\n', at);
            const std::string line = text.substr(at, end - at);
            at = end == std::string::npos ? text.size() : end + 1;
            if (std::sscanf(line.c_str(), "peak %ld", &kb) == 1) {
                state.counters["peak_MB"] = double(kb) / 1024.0;
            } else if (std::sscanf(line.c_str(), "%u %lf %lf %lf %lf %lf %lf %lf", &scene, &frames, &um, &up, &ux, &dm,
                                   &dp, &dx) == 8) {
                const auto put = [&](const char* what, double v) {
                    char key[48];
                    std::snprintf(key, sizeof(key), "s%u_%s", scene, what);
                    state.counters[key] = v;
                };
                put("frames", frames);
                put("update_mean_ms", um);
                put("update_p99_ms", up);
                put("update_max_ms", ux);
                put("draw_mean_ms", dm);
                put("draw_p99_ms", dp);
                put("draw_max_ms", dx);
            }
        }
    }
}
BENCHMARK(BM_WholeRoadPerScene)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

// In the child: the road on a copy of the sample data, its figures written to fd.
int RoadChildMain(int fd) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    char name[48];
    std::snprintf(name, sizeof(name), "korvane_road_%d", int(getpid()));
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / name;
    std::error_code ec;
    std::filesystem::copy(KORVANE_SAMPLE_DATA_DIR, dir, std::filesystem::copy_options::recursive, ec);
    if (ec || chdir(dir.c_str()) != 0) return 2;
    std::string out;
    {
        plat::FakeInputBackend input;
        harness::Road road(input, 20261207);
        road.StartUp();
        harness::PlayWholeRoad(road, [](const char*) {});
        road.ShutDown();
        char line[200];
        for (const auto& [scene, t] : road.timings()) {
            if (t.updateUs.empty()) continue;
            const harness::TimeFigures u = harness::Figures(t.updateUs), d = harness::Figures(t.drawUs);
            std::snprintf(line, sizeof(line), "%u %zu %.3f %.3f %.3f %.3f %.3f %.3f\n", scene, t.updateUs.size(),
                          u.meanMs, u.p99Ms, u.maxMs, d.meanMs, d.p99Ms, d.maxMs);
            out += line;
        }
    }
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    char peak[48];
    std::snprintf(peak, sizeof(peak), "peak %ld\n", ru.ru_maxrss);
    out += peak;
    std::filesystem::remove_all(dir, ec);
    return write(fd, out.data(), out.size()) == ssize_t(out.size()) ? 0 : 4;
}
