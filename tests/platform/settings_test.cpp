#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/settings.h"
#include "test_support.h"

namespace {

constexpr const char* kKey = "Software\\QUOLIA\\KV_SC\\Main";

class Settings : public ::testing::Test {
protected:
    void SetUp() override { plat::SetSettingsFile(file_.c_str()); }
    void TearDown() override { plat::SetSettingsFile(""); }
    test::TempDir dir_;
    std::string file_ = dir_.path() + "/conf/korvane/settings.txt";
};

TEST_F(Settings, EveryTypeRoundTrips) {
    const char sz[] = "abc";
    const RECT rect{-3, 0x7F, 0x80, 0x12345678};
    const u32 dword = 0xA1E30001;
    const char multi[] = "a\0bb\0";  // with the final double terminator: 6 bytes
    ASSERT_TRUE(plat::SettingsWrite(kKey, "Sz", plat::kRegSz, sz, sizeof(sz)));
    ASSERT_TRUE(plat::SettingsWrite(kKey, "WndRect", plat::kRegBinary, &rect, sizeof(rect)));
    ASSERT_TRUE(plat::SettingsWrite(kKey, "WndMode", plat::kRegDword, &dword, 4));
    ASSERT_TRUE(plat::SettingsWrite(kKey, "Multi", plat::kRegMultiSz, multi, sizeof(multi)));
    // Awkward names survive the file's own syntax.
    ASSERT_TRUE(plat::SettingsWrite("Odd [key]=%#", "na me=\xA5\x5C\n", plat::kRegBinary, "", 0));

    char buf[32];
    u32 type = 0, size = sizeof(buf);
    ASSERT_TRUE(plat::SettingsRead(kKey, "Sz", &type, buf, &size));
    EXPECT_EQ(type, plat::kRegSz);
    EXPECT_EQ(size, 4u);
    EXPECT_STREQ(buf, "abc");

    RECT r{};
    size = sizeof(r);
    ASSERT_TRUE(plat::SettingsRead(kKey, "WndRect", &type, &r, &size));
    EXPECT_EQ(type, plat::kRegBinary);
    EXPECT_EQ(std::memcmp(&r, &rect, sizeof(r)), 0);

    u32 value = 0;
    size = 4;
    // Key paths and value names ignore case, as the registry's do.
    ASSERT_TRUE(plat::SettingsRead("software\\quolia\\kv_sc\\MAIN", "wndmode", &type, &value, &size));
    EXPECT_EQ(type, plat::kRegDword);
    EXPECT_EQ(value, dword);

    size = sizeof(buf);
    ASSERT_TRUE(plat::SettingsRead(kKey, "Multi", &type, buf, &size));
    EXPECT_EQ(type, plat::kRegMultiSz);
    ASSERT_EQ(size, 6u);
    EXPECT_EQ(std::memcmp(buf, multi, 6), 0);

    size = sizeof(buf);
    EXPECT_TRUE(plat::SettingsRead("Odd [key]=%#", "na me=\xA5\x5C\n", &type, buf, &size));
    EXPECT_EQ(size, 0u);

    // Overwriting replaces the value and keeps the others.
    value = 7;
    ASSERT_TRUE(plat::SettingsWrite(kKey, "WNDMODE", plat::kRegDword, &value, 4));
    value = 0;
    size = 4;
    ASSERT_TRUE(plat::SettingsRead(kKey, "WndMode", nullptr, &value, &size));
    EXPECT_EQ(value, 7u);
    size = sizeof(r);
    EXPECT_TRUE(plat::SettingsRead(kKey, "WndRect", nullptr, &r, &size));
}

TEST_F(Settings, SizeQueryAndOversizeRefusal) {
    const RECT rect{1, 2, 3, 4};
    ASSERT_TRUE(plat::SettingsWrite(kKey, "WndRect", plat::kRegBinary, &rect, sizeof(rect)));
    u32 type = 0, size = 0;
    ASSERT_TRUE(plat::SettingsRead(kKey, "WndRect", &type, nullptr, &size));
    EXPECT_EQ(size, 16u);
    EXPECT_EQ(type, plat::kRegBinary);

    u32 small = 0xDEADBEEF;
    size = 4;
    EXPECT_FALSE(plat::SettingsRead(kKey, "WndRect", nullptr, &small, &size));
    EXPECT_EQ(small, 0xDEADBEEFu);  // nothing copied
    EXPECT_FALSE(plat::SettingsRead(kKey, "Missing", nullptr, &small, &size));
    EXPECT_FALSE(plat::SettingsRead("Software\\Other", "WndRect", nullptr, nullptr, &size));

    // Values that would not read back as their type are refused.
    EXPECT_FALSE(plat::SettingsWrite(kKey, "Short", plat::kRegDword, &small, 3));
    EXPECT_FALSE(plat::SettingsWrite(kKey, "Type2", 2, &small, 4));
    EXPECT_FALSE(plat::SettingsWrite(kKey, "Null", plat::kRegBinary, nullptr, 4));
}

TEST_F(Settings, MissingFileReadsAsEmptyQuietlyAndAnUnreadableOneIsNeverReplaced) {
    test::DebugCapture debug;
    u32 size = 4, value = 0;
    EXPECT_FALSE(plat::SettingsRead(kKey, "WndMode", nullptr, &value, &size));
    EXPECT_EQ(debug.text(), "");
    // The first write makes the folders.
    value = 1;
    EXPECT_TRUE(plat::SettingsWrite(kKey, "WndMode", plat::kRegDword, &value, 4));
    EXPECT_TRUE(std::filesystem::exists(file_));

    // A file another user owns, in a folder anyone may write: a write by this user is refused.
    const std::string stored = dir_.Read("conf/korvane/settings.txt");
    for (const char* folder : {"", "/conf", "/conf/korvane"}) chmod((dir_.path() + folder).c_str(), 0777);
    chmod(file_.c_str(), 0600);
    std::filesystem::remove(file_ + ".lock");  // the other user takes a lock of its own
    const pid_t pid = fork();
    if (pid == 0) {
        if (getuid() == 0 && setuid(65534) != 0) _exit(2);
        if (getuid() != 0) chmod(file_.c_str(), 0);
        const u32 other = 2;
        _exit(plat::SettingsWrite(kKey, "Other", plat::kRegDword, &other, 4) ? 1 : 0);
    }
    int status = -1;
    waitpid(pid, &status, 0);
    chmod(file_.c_str(), 0600);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(dir_.Read("conf/korvane/settings.txt"), stored);
}

TEST_F(Settings, CorruptFileReadsAsEmptyAndIsKeptAside) {
    const char* damaged[] = {
        "[Software\\QUOLIA\\KV_SC\\Main\nWndMode=4:01000000\n",  // unterminated key
        "WndMode=4:01000000\n",                                   // value before any key
        "[K]\nWndMode=4:010000\n",                                // a DWORD of 3 bytes
        "[K]\nWndMode=9:01000000\n",                              // unknown type
        "[K]\nWndRect=3:0g\n",                                    // not hex
        "[K]\nWndRect=3:012\n",                                   // odd digit count
        "[K]\nWndRect 3:01\n",                                    // no '='
        "[K]\nWndRect=99999999999:01\n",                          // absurd type
        "[K%4]\n",                                                // broken escape
        "\x89PNG\r\n\x1a\n\xff\xfe",                              // some other file
    };
    for (const char* text : damaged) {
        dir_.Write("conf/korvane/settings.txt", std::string(text));
        test::DebugCapture debug;
        u32 size = 16, type = 0;
        char buf[16];
        EXPECT_FALSE(plat::SettingsRead("K", "WndMode", &type, buf, &size)) << text;
        EXPECT_FALSE(plat::SettingsRead(kKey, "WndMode", &type, buf, &size)) << text;
        EXPECT_TRUE(debug.Contains("damaged")) << text;
    }
    u32 one = 1;
    ASSERT_TRUE(plat::SettingsWrite(kKey, "WndMode", plat::kRegDword, &one, 4));
    EXPECT_EQ(dir_.Read("conf/korvane/settings.txt.corrupt"), std::string(damaged[9]));
    u32 value = 0, size = 4;
    EXPECT_TRUE(plat::SettingsRead(kKey, "WndMode", nullptr, &value, &size));
    EXPECT_EQ(value, 1u);

    // A second damaged file is kept beside the first, and one too large to be settings is told as such.
    dir_.Write("conf/korvane/settings.txt", std::string(damaged[0]));
    ASSERT_TRUE(plat::SettingsWrite(kKey, "WndMode", plat::kRegDword, &one, 4));
    EXPECT_EQ(dir_.Read("conf/korvane/settings.txt.corrupt"), std::string(damaged[9]));
    EXPECT_EQ(dir_.Read("conf/korvane/settings.txt.corrupt.1"), std::string(damaged[0]));
    std::filesystem::resize_file(file_, 100 << 20);
    test::DebugCapture debug;
    size = 4;
    EXPECT_FALSE(plat::SettingsRead(kKey, "WndMode", nullptr, &value, &size));
    EXPECT_TRUE(debug.Contains("too large")) << debug.text();
    EXPECT_FALSE(debug.Contains("cannot read")) << debug.text();
}

TEST_F(Settings, TwoProgramsWritingAtOnceBothKeepEveryValueAndAHeldLockFailsAWriteInTime) {
    constexpr u32 kWrites = 50;
    const auto writeAll = [](char who) {
        bool all = true;
        for (u32 i = 0; i < kWrites; ++i)
            all = plat::SettingsWrite(kKey, (who + std::to_string(i)).c_str(), plat::kRegDword, &i, 4) && all;
        return all;
    };
    const pid_t other = fork();
    if (other == 0) _exit(writeAll('B') ? 0 : 1);
    EXPECT_TRUE(writeAll('A'));
    int status = -1;
    waitpid(other, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    u32 kept = 0;
    for (char who : {'A', 'B'})
        for (u32 i = 0; i < kWrites; ++i) {
            u32 value = ~0u, size = 4;
            kept += plat::SettingsRead(kKey, (who + std::to_string(i)).c_str(), nullptr, &value, &size) && value == i;
        }
    EXPECT_EQ(kept, 2 * kWrites);

    // A lock held for good, even through a read-only descriptor, fails a write after a short wait.
    const std::string stored = dir_.Read("conf/korvane/settings.txt");
    const int held = open((file_ + ".lock").c_str(), O_RDONLY);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    status = test::InChild([] {
        const u32 one = 1;
        _exit(plat::SettingsWrite(kKey, "A0", plat::kRegDword, &one, 4) ? 1 : 0);
    });
    close(held);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(dir_.Read("conf/korvane/settings.txt"), stored);
}

TEST(SettingsLocation, FollowsXdgConfigHome) {
    test::TempDir dir;
    const char* old = std::getenv("XDG_CONFIG_HOME");
    std::string saved = old ? old : "";
    // A native path: a backslash in it is part of a folder's name.
    for (const std::string& base : {dir.path(), dir.path() + "/a\\b"}) {
        SCOPED_TRACE(base);
        setenv("XDG_CONFIG_HOME", base.c_str(), 1);
        plat::SetSettingsFile("");
        u32 one = 1, value = 0, size = 4;
        EXPECT_TRUE(plat::SettingsWrite(kKey, "WndMode", plat::kRegDword, &one, 4));
        EXPECT_TRUE(plat::SettingsRead(kKey, "WndMode", nullptr, &value, &size));
        EXPECT_EQ(value, 1u);
        EXPECT_TRUE(std::filesystem::exists(base + "/korvane/settings.txt"));
    }
    if (old)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
