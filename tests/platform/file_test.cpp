#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/file.h"
#include "test_support.h"

namespace {

TEST(PathResolver, MatchesEveryComponentIgnoringCase) {
    test::TempDir dir;
    dir.Write("Bmp/Etc/tbl.dat", "x");
    EXPECT_EQ(plat::ResolvePath((dir.path() + "/bmp\\etc\\TBL.DAT").c_str()), dir.path() + "/Bmp/Etc/tbl.dat");
    EXPECT_TRUE(plat::FileExists((dir.path() + "\\BMP\\etc\\tbl.dat").c_str()));
    EXPECT_EQ(plat::ResolvePath((dir.path() + "/bmp/etc").c_str()), dir.path() + "/Bmp/Etc");
    EXPECT_EQ(plat::ResolvePath((dir.path() + "\\bmp\\etc\\").c_str()), dir.path() + "/Bmp/Etc/");
}

TEST(PathResolver, KeepsTheGivenCaseForNewComponents) {
    test::TempDir dir;
    dir.Write("Save/Save07.dat", "x");
    EXPECT_EQ(plat::ResolvePath((dir.path() + "/save/save07.dat").c_str()), dir.path() + "/Save/Save07.dat");
    EXPECT_EQ(plat::ResolvePath((dir.path() + "/save/New.dat").c_str()), dir.path() + "/Save/New.dat");
}

TEST(PathResolver, LeavesDoubleByteTrailBytesAlone) {
    // 0xA5 0x5C is one Big5 character whose trail byte is a backslash.
    std::string name = "\xA5\x5C.txt";
    EXPECT_EQ(plat::ResolvePath(("dir\\" + name).c_str()), "dir/" + name);

    test::TempDir dir;
    dir.Write("Dat/" + name, "big5");
    plat::File* f = plat::FileOpenRead((dir.path() + "\\dat\\\xA5\x5C.TXT").c_str());
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(plat::FileSize(f), 4);
    plat::FileClose(f);
    // A trail byte that looks like a letter is no letter: 0xA4 0x61 is not 0xA4 0x41.
    dir.Write("\xA4\x61.dat", "x");
    EXPECT_FALSE(plat::FileExists((dir.path() + "/\xA4\x41.dat").c_str()));
    EXPECT_TRUE(plat::FileExists((dir.path() + "/\xA4\x61.DAT").c_str()));
}

TEST(AtomicWrite, FailureKeepsTheOldFileAndLeavesNoTemporary) {
    test::TempDir dir;
    dir.Write("keep.dat", "old");
    test::DebugCapture debug;
    EXPECT_FALSE(plat::WriteFileAtomic((dir.path() + "/missing/x.dat").c_str(), "new", 3));
    EXPECT_TRUE(debug.Contains(dir.path() + "/missing/x.dat.tmp.")) << debug.text();  // names the temporary
    // A folder in the file's place: the temporary is written, the rename fails and it must go again.
    std::filesystem::create_directory(dir.path() + "/taken");
    EXPECT_FALSE(plat::WriteFileAtomic((dir.path() + "/taken").c_str(), "new", 3));
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() + "/taken"));
    size_t entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 2u);
    EXPECT_EQ(dir.Read("keep.dat"), "old");
    EXPECT_TRUE(plat::WriteFileAtomic((dir.path() + "/KEEP.DAT").c_str(), "new", 3));
    EXPECT_EQ(dir.Read("keep.dat"), "new");

    // A file a write in place would not change is not replaced either: another user's (written by
    // this one, in a folder anyone may write), and one marked read-only, which root may write too.
    chmod(dir.path().c_str(), 0777);
    for (const bool otherUser : {true, false}) {
        SCOPED_TRACE(otherUser ? "another user's" : "read-only");
        const std::string path = dir.File("protected.dat");
        dir.Write("protected.dat", "PROTECTED");
        chmod(path.c_str(), otherUser ? 0644 : 0444);
        const int status = test::InChild([&] {
            if (otherUser && getuid() == 0 && setuid(65534) != 0) _exit(2);
            if (otherUser && getuid() != 0) chmod(path.c_str(), 0444);
            _exit(plat::WriteFileAtomic(path.c_str(), "NEW", 3) ? 1 : 0);
        });
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        EXPECT_EQ(dir.Read("protected.dat"), "PROTECTED");
        EXPECT_EQ(test::FileCount(dir.path()), 3u);  // no temporary
        std::filesystem::remove(path);
    }
}

int g_killAtStep = -1;

using test::InChild;

TEST(AtomicWrite, AWriteKilledAtAnyStepOrPastAFileSizeLimitLosesNothingAndLeavesNothingBehind) {
    test::TempDir dir;
    const std::string target = dir.File("Save/Save01.dat");
    dir.Write("Save/Save01.dat", "old");
    for (g_killAtStep = 0; g_killAtStep <= 6; ++g_killAtStep) {
        SCOPED_TRACE(g_killAtStep);
        const int status = InChild([&] {
            plat::SetWriteStepHook([](int step) {
                if (step == g_killAtStep) _exit(0);
            });
            plat::WriteFileAtomic(target.c_str(), "new", 3);
            _exit(1);
        });
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        const std::string now = dir.Read("Save/Save01.dat");
        EXPECT_EQ(now, g_killAtStep < 5 ? "old" : "new");
        ASSERT_TRUE(plat::WriteFileAtomic(target.c_str(), "old", 3));
        EXPECT_EQ(test::FileCount(dir.path() + "/Save"), 1u);
    }
    // Past a file size limit the write fails, and the process goes on.
    const std::string big(4096, 'b');
    const int status = InChild([&] {
        const rlimit small{100, RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &small);
        _exit(plat::WriteFileAtomic(target.c_str(), big.data(), big.size()) ? 1 : 0);
    });
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(dir.Read("Save/Save01.dat"), "old");
    EXPECT_EQ(test::FileCount(dir.path() + "/Save"), 1u);
    // Two processes writing one file, each through its own temporary: neither renames the other's
    // half-written one into place.
    const pid_t other = fork();
    if (other == 0) {
        bool all = true;
        for (int i = 0; i < 30; ++i) all = plat::WriteFileAtomic(target.c_str(), big.data(), big.size()) && all;
        _exit(all ? 0 : 1);
    }
    for (int i = 0; i < 30; ++i) {
        EXPECT_TRUE(plat::WriteFileAtomic(target.c_str(), "old", 3));
        const std::string seen = dir.Read("Save/Save01.dat");
        EXPECT_TRUE(seen == "old" || seen == big) << seen.size();
    }
    int otherStatus = -1;
    waitpid(other, &otherStatus, 0);
    EXPECT_TRUE(WIFEXITED(otherStatus) && WEXITSTATUS(otherStatus) == 0);
    const std::string last = dir.Read("Save/Save01.dat");
    EXPECT_TRUE(last == "old" || last == big);
    EXPECT_EQ(test::FileCount(dir.path() + "/Save"), 1u);
}

TEST(AtomicWrite, WhatIsPlantedAtTheTemporaryIsNeitherWrittenThroughNorWaitedOnAndTheModeIsKept) {
    using Plant = void (*)(const std::string& tmp, const std::string& file, const std::string& other);
    const struct {
        const char* what;
        mode_t mode;  // the old file's; 0: there is none
        Plant plant;
    } rows[] = {
        {"nothing", 0600, [](auto&, auto&, auto&) {}},
        {"no old file", 0, [](auto&, auto&, auto&) {}},
        {"a symbolic link to another file", 0640, [](auto& tmp, auto&, auto& other) { symlink(other.c_str(), tmp.c_str()); }},
        {"a hard link to another file", 0600, [](auto& tmp, auto&, auto& other) { link(other.c_str(), tmp.c_str()); }},
        {"a hard link to the file", 0640, [](auto& tmp, auto& file, auto&) { link(file.c_str(), tmp.c_str()); }},
        {"the file is a hard link to another", 0600, [](auto&, auto& file, auto& other) {
             unlink(file.c_str());
             link(other.c_str(), file.c_str());
         }},
        {"a folder", 0666, [](auto& tmp, auto&, auto&) { mkdir(tmp.c_str(), 0700); }},
        {"a pipe", 0600, [](auto& tmp, auto&, auto&) { mkfifo(tmp.c_str(), 0600); }},
        {"a file locked through a read-only descriptor", 0640, [](auto& tmp, auto&, auto&) {
             close(open(tmp.c_str(), O_WRONLY | O_CREAT, 0666));
             flock(open(tmp.c_str(), O_RDONLY), LOCK_EX);
         }},
    };
    const bool root = getuid() == 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        test::TempDir dir;
        const std::string file = dir.File("Save/Save01.dat"), other = dir.File("Save/notes.txt");
        dir.Write("Save/notes.txt", "notes");
        if (row.mode) dir.Write("Save/Save01.dat", "old");
        const int status = InChild([&] {
            umask(022);
            row.plant(plat::TemporaryName(file), file, other);
            if (row.mode && (chmod(file.c_str(), row.mode) != 0 || (root && chown(file.c_str(), 65534, 65534) != 0)))
                _exit(2);
            _exit(plat::WriteFileAtomic(file.c_str(), "new", 3) ? 0 : 1);
        });
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        EXPECT_EQ(dir.Read("Save/Save01.dat"), "new");
        EXPECT_EQ(dir.Read("Save/notes.txt"), "notes");
        struct stat st{};
        ASSERT_EQ(stat(file.c_str(), &st), 0);
        EXPECT_EQ(st.st_nlink, 1u);
        EXPECT_EQ(st.st_mode & 0777, row.mode ? row.mode : 0644);
        EXPECT_EQ(st.st_uid, row.mode && root ? 65534u : getuid());
    }
}

TEST(DeleteAndFolders, WorkThroughTheResolverAndSayWhetherTheyWent) {
    test::TempDir dir;
    dir.Write("Save/Save03.dat", "x");
    EXPECT_TRUE(plat::DeleteFile((dir.path() + "\\save\\SAVE03.DAT").c_str()));
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/Save/Save03.dat"));
    EXPECT_FALSE(plat::DeleteFile((dir.path() + "\\save\\SAVE03.DAT").c_str()));
    EXPECT_FALSE(plat::DeleteFile((dir.path() + "\\save").c_str()));  // never a folder
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() + "/Save"));

    EXPECT_TRUE(plat::CreateFolder((dir.path() + "\\SAVE").c_str()));  // there already, whatever its case
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/SAVE"));
    EXPECT_TRUE(plat::CreateFolder((dir.path() + "\\Dat\\").c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() + "/Dat"));
    EXPECT_FALSE(plat::CreateFolder((dir.path() + "/no/such").c_str()));
    dir.Write("file", "x");
    EXPECT_FALSE(plat::CreateFolder((dir.path() + "/file").c_str()));
}

}  // namespace
