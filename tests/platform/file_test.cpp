#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

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
    EXPECT_FALSE(plat::WriteFileAtomic((dir.path() + "/missing/x.dat").c_str(), "new", 3));
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
}

int g_killAtStep = -1;

// The wait status of a child process that runs body and exits with 0.
int InChild(const std::function<void()>& body) {
    const pid_t pid = fork();
    if (pid == 0) {
        body();
        _exit(0);
    }
    int status = -1;
    waitpid(pid, &status, 0);
    return status;
}

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
    // Two processes writing one file take turns at its one temporary: neither renames the other's
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
