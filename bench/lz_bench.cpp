// Expanding a full-screen 16-bit picture, next to a plain copy of the same bytes.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/file.h"
#include "shell/lz.h"
#include "tools/writers/lz_writer.h"

namespace {

const std::vector<u8>& Picture() {
    static const std::vector<u8> p = tools::SyntheticPicture16(640, 480, 2024);
    return p;
}

const std::vector<u8>& Stream() {
    static const std::vector<u8> s = tools::LzCompress(Picture());
    return s;
}

void BM_LzExpandMemory(benchmark::State& state) {
    const std::vector<u8>& stream = Stream();
    std::vector<u8> out(Picture().size());
    for (auto _ : state) {
        const int ok = LZ_ExpandFromMemory(stream.data(), stream.size(), out.data(), u32(out.size()), nullptr,
                                           nullptr);
        benchmark::DoNotOptimize(ok);
        benchmark::ClobberMemory();
    }
    if (out != Picture()) state.SkipWithError("expanded picture differs");
    state.SetBytesProcessed(i64(state.iterations()) * i64(out.size()));
    state.counters["stream_bytes"] = double(stream.size());
}
BENCHMARK(BM_LzExpandMemory);

void BM_LzExpandFile(benchmark::State& state) {
    char name[] = "/tmp/lz_benchXXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0 || write(fd, Stream().data(), Stream().size()) != ssize_t(Stream().size())) {
        state.SkipWithError("cannot write the stream file");
        return;
    }
    close(fd);
    plat::File* f = plat::FileOpenRead(name);
    std::vector<u8> out(Picture().size());
    for (auto _ : state) {
        plat::FileSeek(f, 0);
        const int ok = LZ_ExpandFromFile(f, out.data(), nullptr, u32(out.size()));
        benchmark::DoNotOptimize(ok);
        benchmark::ClobberMemory();
    }
    plat::FileClose(f);
    unlink(name);
    state.SetBytesProcessed(i64(state.iterations()) * i64(out.size()));
}
BENCHMARK(BM_LzExpandFile);

void BM_MemcpyPicture(benchmark::State& state) {
    const std::vector<u8>& in = Picture();
    std::vector<u8> out(in.size());
    for (auto _ : state) {
        std::memcpy(out.data(), in.data(), in.size());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(i64(state.iterations()) * i64(in.size()));
}
BENCHMARK(BM_MemcpyPicture);

void BM_LzCompressPicture(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(tools::LzCompress(Picture()));
    state.SetBytesProcessed(i64(state.iterations()) * i64(Picture().size()));
}
BENCHMARK(BM_LzCompressPicture)->Unit(benchmark::kMillisecond);

}  // namespace
