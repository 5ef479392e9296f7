#include "platform/file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
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

File* FileOpenRead(const char* name) { return name ? FileOpenReadNative(ResolvePath(name)) : nullptr; }

File* FileOpenReadNative(const std::string& path) {
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

int FileDescriptor(File* file) { return file ? fileno(file->fp) : -1; }

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

namespace {

std::atomic<unsigned> g_temporaryCounter{0};

std::string Folder(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// "NAME.tmp.<pid>.<counter>" for the base name given: the names WriteFileAtomic makes.
bool IsTemporaryOf(const char* entry, const std::string& base) {
    const std::string prefix = base + ".tmp.";
    if (std::strncmp(entry, prefix.c_str(), prefix.size()) != 0) return false;
    const char* p = entry + prefix.size();
    for (int part = 0; part < 2; ++part) {
        if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
        while (std::isdigit(static_cast<unsigned char>(*p))) ++p;
        if (part == 0 && *p++ != '.') return false;
    }
    return *p == '\0';
}

// Removes the temporaries of earlier writes of path that were killed before their rename. A live
// writer holds the lock on its temporary, so one that can be locked at once is dead. Anything that is
// not a regular file is not one of ours and stays.
void RemoveDeadTemporaries(const std::string& path) {
    const std::string folder = Folder(path);
    const std::string base = path.substr(path.rfind('/') + 1);
    DIR* d = opendir(folder.c_str());
    if (!d) return;
    while (dirent* e = readdir(d)) {
        if (!IsTemporaryOf(e->d_name, base)) continue;
        const std::string name = folder + "/" + e->d_name;
        struct stat held{}, named{};
        if (lstat(name.c_str(), &named) != 0 || !S_ISREG(named.st_mode)) continue;  // a device is not even opened
        const int fd = open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) continue;
        if (fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            lstat(name.c_str(), &named) == 0 && held.st_ino == named.st_ino && held.st_dev == named.st_dev)
            unlink(name.c_str());
        close(fd);
    }
    closedir(d);
}

// A fresh temporary beside path, locked: never a name that was there before, so nothing planted at a
// temporary's name (a link, a pipe, a file someone holds a lock on) is written through or waited on.
// It is made with the old file's mode (and owner where allowed), so the rename opens the file to no
// one new; a new file gets 0666 less the umask. -1 on failure.
int MakeTemporary(const std::string& path, std::string* tmp) {
    struct stat old{};
    const bool replacing = stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    const mode_t mode = replacing ? old.st_mode & 0777 : 0666;
    for (int tries = 0; tries < 100; ++tries) {
        *tmp = path + ".tmp." + std::to_string(getpid()) + "." + std::to_string(g_temporaryCounter++);
        const int fd = open(tmp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            DebugOutput("file: cannot make the temporary " + *tmp + ": " + std::strerror(errno) + "\r\n");
            return -1;
        }
        // Another write's clean-up may have taken the name between the open and the lock: a new one then.
        struct stat held{}, named{};
        if (flock(fd, LOCK_EX | LOCK_NB) != 0 || fstat(fd, &held) != 0 || lstat(tmp->c_str(), &named) != 0 ||
            held.st_ino != named.st_ino || held.st_dev != named.st_dev) {
            close(fd);
            continue;
        }
        if (replacing) {
            if ((held.st_uid != old.st_uid || held.st_gid != old.st_gid) &&
                fchown(fd, old.st_uid, old.st_gid) != 0)
                (void)!fchown(fd, uid_t(-1), old.st_gid);
            // The umask may have taken bits the old file had.
            if (fchmod(fd, mode) != 0) {
                DebugOutput("file: cannot give the temporary " + *tmp + " the mode of " + path + "\r\n");
                unlink(tmp->c_str());
                close(fd);
                return -1;
            }
        }
        return fd;
    }
    DebugOutput("file: no free temporary name beside " + path + " (last tried " + *tmp + ")\r\n");
    return -1;
}

}  // namespace

bool WriteFileAtomic(const char* name, const void* data, std::size_t size) {
    return name && WriteFileAtomicNative(ResolvePath(name), data, size);
}

bool WriteFileAtomicNative(const std::string& path, const void* data, std::size_t size) {
    // The rename would replace a file that a write in place may not touch: one this process may not
    // write, or one whose owner took the write bit off (root may write anything, but not that).
    struct stat old{};
    if (stat(path.c_str(), &old) == 0 &&
        (faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 || !(old.st_mode & S_IWUSR))) {
        DebugOutput("file: " + path + " is write-protected; not replaced\r\n");
        return false;
    }
    // Every write has a temporary of its own, locked until it is renamed or removed: writers of one file,
    // in this process or another, never touch each other's, and a write cut off by a kill leaves one
    // that the next write of that file removes once no one holds its lock.
    WriteStep(0);
    RemoveDeadTemporaries(path);
    std::string tmp;
    const int fd = MakeTemporary(path, &tmp);
    if (fd < 0) return false;
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
    // Renamed or removed while still locked, so that no clean-up takes it for a dead one half-way.
    if (ok && std::rename(tmp.c_str(), path.c_str()) != 0) ok = false;
    if (!ok) unlink(tmp.c_str());
    close(fd);  // the data is synced already: what close says adds nothing
    if (!ok) return false;
    WriteStep(5);
    // The rename itself reaches the disk only with its folder: then a power cut keeps the old or the new file.
    const std::string folder = Folder(path);
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // The new file is in place whatever the folder's sync says: a failure is only told.
    if (dir < 0 || (fsync(dir) != 0 && errno != EINVAL))
        DebugOutput("file: the folder of " + path + " could not be synced\r\n");
    if (dir >= 0) close(dir);
    WriteStep(6);
    return true;
}

std::string TemporaryName(const std::string& path) {
    return path + ".tmp." + std::to_string(getpid()) + "." + std::to_string(g_temporaryCounter.load());
}

void SetWriteStepHook(void (*hook)(int step)) { g_writeStepHook = hook; }

}  // namespace plat
