#include "fuzz/fuzz_support.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string_view>

#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "platform/audio.h"
#include "platform/debug.h"
#include "platform/display.h"
#include "shell/common.h"
#include "tools/writers/byte_writer.h"

namespace fuzz {
namespace {

namespace fs = std::filesystem;

// The target's private folder, removed at exit. Never destroyed: the exit handler runs after the
// statics constructed before it are gone.
const std::string& Folder() {
    static const std::string& path = *[] {
        auto* tmpl = new std::string((fs::temp_directory_path() / "korvane-fuzz-XXXXXX").string());
        Check(mkdtemp(tmpl->data()) != nullptr, "mkdtemp");
        std::atexit([] { std::error_code ec; fs::remove_all(Folder(), ec); });
        return tmpl;
    }();
    return path;
}

struct MemFile {
    int fd = -1;
    std::string path;
};

// One memory file per input name, reached through a link of that name.
MemFile& MemFileFor(const char* name) {
    static std::map<std::string, MemFile> files;
    MemFile& f = files[name];
    if (f.fd < 0) {
        f.fd = memfd_create("korvane-fuzz", 0);
        Check(f.fd >= 0, "memfd_create");
        f.path = Folder() + "/" + name;
        std::error_code ec;
        fs::create_directories(fs::path(f.path).parent_path(), ec);
        const std::string target = "/proc/self/fd/" + std::to_string(f.fd);
        Check(symlink(target.c_str(), f.path.c_str()) == 0, "symlink");
    }
    return f;
}

}  // namespace

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

const char* InputFile(const char* name, const u8* data, size_t size) {
    MemFile& f = MemFileFor(name);
    Check(ftruncate(f.fd, 0) == 0 && (size == 0 || pwrite(f.fd, data, size, 0) == ssize_t(size)), "memfd write");
    return f.path.c_str();
}

std::string CompanionFile(const char* name, const std::vector<u8>& bytes) {
    const std::string path = Folder() + "/" + name;
    Check(tools::SaveFile(path, bytes), "companion file");
    return path;
}

void UseGameRoot() {
    const std::string root = Folder() + "/";
    Check(root.size() < sizeof(CurrentPath), "game root fits");
    std::memcpy(CurrentPath, root.c_str(), root.size() + 1);
}

void NeedDisplay() {
    static const bool up = [] {
        plat::SetDisplayLayout16(plat::PixelLayout::k565);
        return DISP_Init(nullptr, 640, 480, 16, 1, 0, 1) == 1;
    }();
    Check(up, "headless display");
}

plat::Surface* Canvas(i32 width, i32 height) {
    NeedDisplay();
    return SURF_Create(width, height, SURF_CAPS_SYSMEM);
}

plat::Surface* Canvas(i32 width, i32 height, u32 bitCount) {
    switch (bitCount) {
    case 8: return plat::CreateSurface(width, height, 8, 0, 0, 0, plat::kCapsSystemMemory);
    case 16: return plat::CreateSurface(width, height, 16, 0x7C00, 0x03E0, 0x001F, plat::kCapsSystemMemory);
    default: return plat::CreateSurface(width, height, 32, 0xFF0000, 0x00FF00, 0x0000FF, plat::kCapsSystemMemory);
    }
}

plat::AudioDevice* NeedManualMixer() {
    static plat::AudioDevice* device = [] {
        plat::AudioSetManualMix(22050);
        return plat::AudioOpenDevice();
    }();
    Check(device != nullptr, "manual mixer");
    return device;
}

u32 TailBits(const u8* data, size_t size) {
    if (size < 4) return 0;
    u32 v;
    std::memcpy(&v, data + size - 4, 4);
    return v;
}

}  // namespace fuzz

// Runs before the fuzzing starts: headless drivers, quiet debug output, and the seed-writing mode.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (const char* dir = std::getenv("KORVANE_FUZZ_SEEDS")) {
        for (const auto& [name, bytes] : FuzzSeeds()) {
            if (!tools::SaveFile(std::string(dir) + "/" + name, bytes)) {
                std::fprintf(stderr, "cannot write seed %s in %s\n", name.c_str(), dir);
                std::exit(1);
            }
        }
        std::exit(0);
    }
    // Every rejected input says why: millions of lines would drown the fuzzer's own report.
    if (!std::getenv("KORVANE_FUZZ_VERBOSE")) plat::SetDebugSink([](std::string_view) {});
    return 0;
}
