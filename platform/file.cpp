#include "platform/file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/debug.h"

namespace plat {

namespace {

// A write past a file size limit must fail like any other write, not end the game: the signal is
// ignored from start-up on.
[[maybe_unused]] const bool g_fileSizeSignalIgnored = std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR;

void (*g_writeStepHook)(int step) = nullptr;

void WriteStep(int step) {
    if (g_writeStepHook) g_writeStepHook(step);
}

// '\' to '/', stepping over the trail byte of every double-byte character (any byte >= 0x80 leads).
std::string ToSlashes(const char* name) {
    std::string out;
    const auto* p = reinterpret_cast<const unsigned char*>(name);
    while (*p) {
        if (*p >= 0x80) {
            out.push_back(char(*p++));
            if (*p) out.push_back(char(*p++));
        } else {
            out.push_back(*p == '\\' ? '/' : char(*p));
            ++p;
        }
    }
    return out;
}

bool Exists(const std::string& path) {
    struct stat st{};
    return lstat(path.c_str(), &st) == 0;
}

// Equal ignoring the case of single-byte letters. A double-byte character (lead byte >= 0x80) is
// compared exactly: its trail byte may look like a letter ("\xA4\x41" and "\xA4\x61" differ).
bool SameNameNoCase(const char* a, const char* b) {
    const auto* p = reinterpret_cast<const unsigned char*>(a);
    const auto* q = reinterpret_cast<const unsigned char*>(b);
    while (*p && *q) {
        if (*p >= 0x80) {
            if (p[0] != q[0] || p[1] != q[1]) return false;
            if (!p[1]) return true;
            p += 2;
            q += 2;
            continue;
        }
        unsigned char x = *p >= 'A' && *p <= 'Z' ? *p + 32 : *p;
        unsigned char y = *q >= 'A' && *q <= 'Z' ? *q + 32 : *q;
        if (x != y) return false;
        ++p;
        ++q;
    }
    return *p == *q;
}

// The entry of dir whose name equals comp ignoring case; empty when there is none.
std::string FindNoCase(const std::string& dir, const std::string& comp) {
    DIR* d = opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return {};
    std::string found;
    while (dirent* e = readdir(d)) {
        if (SameNameNoCase(e->d_name, comp.c_str())) {
            found = e->d_name;
            break;
        }
    }
    closedir(d);
    return found;
}

}  // namespace

bool IsAbsoluteName(const char* name) {
    return name && (name[0] == '/' || (name[0] && name[1] == ':'));
}

std::string ResolvePath(const char* name) {
    if (!name) return {};
    std::string path = ToSlashes(name);
    if (path.empty()) return path;
    if (Exists(path)) return path;

    std::string out;
    size_t pos = 0;
    if (path[0] == '/') {
        out = "/";
        pos = 1;
    }
    bool matching = true;  // once a component is missing, the rest is taken as given
    while (pos <= path.size()) {
        size_t slash = path.find('/', pos);
        if (slash == std::string::npos) slash = path.size();
        std::string comp = path.substr(pos, slash - pos);
        pos = slash + 1;
        if (comp.empty()) continue;
        std::string base = out;
        std::string candidate = base.empty() ? comp : (base.back() == '/' ? base + comp : base + "/" + comp);
        if (matching && !Exists(candidate) && comp != "." && comp != "..") {
            std::string hit = FindNoCase(base.empty() ? "." : base, comp);
            if (!hit.empty())
                candidate = base.empty() ? hit : (base.back() == '/' ? base + hit : base + "/" + hit);
            else
                matching = false;
        }
        out = candidate;
    }
    if (!path.empty() && path.back() == '/' && (out.empty() || out.back() != '/')) out.push_back('/');
    return out;
}

std::string GetCurrentDir() {
    std::vector<char> buf(4096);
    while (!getcwd(buf.data(), buf.size())) {
        if (errno != ERANGE) return ".";
        buf.resize(buf.size() * 2);
    }
    return buf.data();
}

struct File {
    std::FILE* fp;
};

File* FileOpenRead(const char* name) {
    if (!name) return nullptr;
    std::string path = ResolvePath(name);
    struct stat st{};
    if (stat(path.c_str(), &st) != 0) return nullptr;
    // A pipe would block the open and a device never ends: only regular files are read. The open does
    // not wait, and the file is checked again once open, in case it was swapped in between.
    int fd = -1;
    if (S_ISREG(st.st_mode)) fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        close(fd);
        fd = -1;
        st.st_mode = 0;
    }
    if (fd < 0) {
        if (!S_ISREG(st.st_mode)) DebugOutput("file: " + path + " is not a regular file; not read\r\n");
        return nullptr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* fp = fdopen(fd, "rb");
    if (!fp) {
        close(fd);
        return nullptr;
    }
    return new File{fp};
}

void FileClose(File* file) {
    if (!file) return;
    std::fclose(file->fp);
    delete file;
}

i64 FileSize(File* file) {
    if (!file) return -1;
    struct stat st{};
    if (fstat(fileno(file->fp), &st) != 0) return -1;
    return i64(st.st_size);
}

i64 FileRead(File* file, void* buffer, i64 count) {
    if (!file || count < 0) return -1;
    if (count == 0) return 0;
    size_t got = std::fread(buffer, 1, size_t(count), file->fp);
    if (got < size_t(count) && std::ferror(file->fp)) return -1;
    return i64(got);
}

bool FileSeek(File* file, i64 offset) { return file && offset >= 0 && fseeko(file->fp, off_t(offset), SEEK_SET) == 0; }

i64 FileTell(File* file) { return file ? i64(ftello(file->fp)) : -1; }

File* FileCreateWrite(const char* name) {
    if (!name) return nullptr;
    std::FILE* fp = std::fopen(ResolvePath(name).c_str(), "wb");
    if (!fp) return nullptr;
    // Unbuffered, so that FileWrite reports a failed write itself rather than a later close losing it.
    std::setvbuf(fp, nullptr, _IONBF, 0);
    return new File{fp};
}

i64 FileWrite(File* file, const void* data, i64 count) {
    if (!file || count < 0) return -1;
    if (count == 0) return 0;
    size_t put = std::fwrite(data, 1, size_t(count), file->fp);
    if (put < size_t(count)) return -1;
    return i64(put);
}

bool FileExists(const char* name) {
    if (!name) return false;
    struct stat st{};
    return stat(ResolvePath(name).c_str(), &st) == 0;
}

bool DeleteFile(const char* name) {
    if (!name) return false;
    std::string path = ResolvePath(name);
    struct stat st{};
    if (lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    return unlink(path.c_str()) == 0;
}

bool CreateFolder(const char* name) {
    if (!name) return false;
    std::string path = ResolvePath(name);
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    if (path.empty()) return false;
    if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) return false;
    struct stat st{};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool WriteFileAtomic(const char* name, const void* data, std::size_t size) {
    if (!name) return false;
    // One temporary name per file, so a write cut off by a kill leaves one file that the next write
    // of the same file takes over. The temporary is locked while it is written and renamed: another
    // process (or thread) writing the same file waits, and one that locked a temporary already
    // renamed or removed opens the name again.
    static std::mutex lock;
    const std::lock_guard<std::mutex> hold(lock);
    std::string path = ResolvePath(name);
    std::string tmp = TemporaryName(path);
    WriteStep(0);
    int fd = -1;
    for (int tries = 0; fd < 0; ++tries) {
        if (tries == 100) return false;
        fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
        if (fd < 0) {
            if (errno != ELOOP) return false;
            unlink(tmp.c_str());  // a link left in the temporary's place is not written through
            continue;
        }
        struct stat held{}, named{};
        if (flock(fd, LOCK_EX) == 0 && fstat(fd, &held) == 0 && lstat(tmp.c_str(), &named) == 0 &&
            held.st_ino == named.st_ino && held.st_dev == named.st_dev) {
            if (S_ISREG(held.st_mode)) break;
            close(fd);
            return false;
        }
        close(fd);
        fd = -1;
    }
    if (ftruncate(fd, 0) != 0) {
        close(fd);
        return false;
    }
    WriteStep(1);
    const char* p = static_cast<const char*>(data);
    size_t left = size;
    bool ok = true;
    while (left > 0) {
        ssize_t n = write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        p += n;
        left -= size_t(n);
        WriteStep(2);
    }
    if (ok && fsync(fd) != 0) ok = false;
    WriteStep(3);
    WriteStep(4);
    // Renamed or removed while still locked, so that no waiting writer takes the name over half-way.
    if (ok && std::rename(tmp.c_str(), path.c_str()) != 0) ok = false;
    if (!ok) unlink(tmp.c_str());
    close(fd);  // the data is synced already: what close says adds nothing
    if (!ok) return false;
    WriteStep(5);
    // The rename itself reaches the disk only with its folder: then a power cut keeps the old or the new file.
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // The new file is in place whatever the folder's sync says: a failure is only told.
    if (dir < 0 || (fsync(dir) != 0 && errno != EINVAL))
        DebugOutput("file: the folder of " + path + " could not be synced\r\n");
    if (dir >= 0) close(dir);
    WriteStep(6);
    return true;
}

std::string TemporaryName(const std::string& path) { return path + ".tmp"; }

void SetWriteStepHook(void (*hook)(int step)) { g_writeStepHook = hook; }

}  // namespace plat
