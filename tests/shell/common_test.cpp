#include <gtest/gtest.h>

#include <sys/resource.h>

#include <climits>
#include <csignal>
#include <cstring>
#include <filesystem>

#include "platform/memory.h"
#include "shell/common.h"
#include "test_support.h"

namespace {

TEST(Rect, EdgeRulesDifferPerOperation) {
    RECT r;
    SetRectSize(&r, 10, 20, 30, 40);
    EXPECT_EQ(r.right, 40);
    EXPECT_EQ(r.bottom, 60);

    RECT a{0, 0, 10, 10}, touching{10, 0, 20, 10}, over{5, 5, 20, 20}, out{-1, -1, -1, -1};
    EXPECT_EQ(GetCrossRect(&out, &a, &touching), 0);
    EXPECT_EQ(out.left, -1);  // untouched
    EXPECT_EQ(GetCrossRect(&out, &a, &over), 1);
    EXPECT_EQ(out.left, 5);
    EXPECT_EQ(out.right, 10);
    EXPECT_EQ(out.bottom, 10);
    RECT flat{0, 10, 10, 10}, out2{-1, -1, -1, -1};  // zero height
    EXPECT_EQ(GetCrossRect(&out2, &a, &flat), 0);
    EXPECT_EQ(out2.top, -1);
    // Edges far apart must not overflow the width test.
    RECT wide{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    EXPECT_EQ(GetCrossRect(&out2, &wide, &a), 1);
    EXPECT_EQ(out2.right, 10);

    EXPECT_EQ(CheckRectPoint(0, 0, 10, 10, 10, 10), 1);
    EXPECT_EQ(CheckRectPoint(0, 0, 10, 10, 11, 10), 0);
    EXPECT_EQ(CheckSurroundRect(0, 0, 10, 10, 0, 0, 10, 10), 1);
}

TEST(MakeFilePath, PrefixesTheStartupDirectoryUnlessADriveIsGiven) {
    std::strcpy(CurrentPath, "D:\\Game\\");
    EXPECT_STREQ(MakeFilePath("Dat\\%s.waz", "player"), "D:\\Game\\Dat\\player.waz");
    EXPECT_STREQ(MakeFilePath("D:\\x.dat"), "D:\\x.dat");
    EXPECT_STREQ(MakeFilePath("\\x.dat"), "D:\\Game\\\\x.dat");
    // A full path of this platform is not anchored again.
    EXPECT_STREQ(MakeFilePath("/data/%s", "x.dat"), "/data/x.dat");
    InitCommon();
}

TEST(MakeFilePath, AnOverlongNameCannotOpen) {
    test::DebugCapture debug;
    std::string longName(400, 'a');
    EXPECT_STREQ(MakeFilePath("%s", longName.c_str()), "");
    EXPECT_TRUE(debug.Contains("too long"));
    debug.Clear();
    // A name that fits alone but not behind the start-up directory.
    std::strcpy(CurrentPath, (std::string(200, 'd') + "/").c_str());
    EXPECT_STREQ(MakeFilePath("%s", std::string(100, 'n').c_str()), "");
    EXPECT_TRUE(debug.Contains("too long"));
    InitCommon();
}

TEST(InitCommon, EndsWithExactlyOneSlash) {
    {
        test::TempDir dir;
        test::ScopedCwd cwd(dir.path());
        EXPECT_EQ(std::string(CurrentPath), dir.path() + "/");
    }
    test::ScopedCwd root("/");
    EXPECT_STREQ(CurrentPath, "/");
}

TEST(InitCommon, AnOverlongStartupDirectoryFallsBackToRelativeNames) {
    test::TempDir dir;
    std::string deep = dir.path();
    for (int i = 0; i < 3; ++i) deep += "/" + std::string(100, char('a' + i));
    std::filesystem::create_directories(deep + "/Dat");
    {
        std::FILE* f = std::fopen((deep + "/Dat/x.dat").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("abc", f);
        std::fclose(f);
    }
    test::DebugCapture debug;
    test::ScopedCwd cwd(deep);
    EXPECT_STREQ(CurrentPath, "");
    EXPECT_TRUE(debug.Contains("too long"));
    // Relative names still find the files: the current directory is the start-up one.
    EXPECT_EQ(GetBinaryFileSize(MakeFilePath("dat\\%s", "X.dat")), 3);
}

TEST(DebugMsg, LineEndsAndBoundedText) {
    test::DebugCapture debug;
    DebugMsg("%s:Open error %d\n", "a.grp", 2);
    DebugMsg2("%d", 5);
    EXPECT_EQ(debug.text(), "a.grp:Open error 2\n\r\n5");
    debug.Clear();
    DebugMsg("%s", std::string(5000, 'x').c_str());
    EXPECT_EQ(debug.text(), std::string(1023, 'x') + "\r\n");
}

TEST(Files, ReadWholeAndAtOffset) {
    test::TempDir dir;
    dir.Write("empty.bin", "");
    dir.Write("one.bin", "A");
    dir.Write("Bmp/Etc/tbl.dat", "0123456789");
    EXPECT_EQ(GetBinaryFileSize(dir.File("one.bin").c_str()), 1);
    EXPECT_EQ(GetBinaryFileSize(dir.File("empty.bin").c_str()), 0);
    auto* one = static_cast<char*>(ReadBinaryFile(dir.File("one.bin").c_str()));
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one[0], 'A');
    plat::GlobalFree(one);
    EXPECT_EQ(ReadBinaryFile(dir.File("none.bin").c_str()), nullptr);
    EXPECT_EQ(ReadBinaryFile2(dir.File("none.bin").c_str(), 0, 4), nullptr);
    // Game names with backslashes and any case.
    auto* mid = static_cast<char*>(ReadBinaryFile2((dir.path() + "\\bmp\\etc\\TBL.DAT").c_str(), 3, 4));
    ASSERT_NE(mid, nullptr);
    EXPECT_EQ(std::string(mid, 4), "3456");
    plat::GlobalFree(mid);
    // Straddling the end: the tail stays zero.
    auto* tail = static_cast<char*>(ReadBinaryFile2(dir.File("Bmp/Etc/tbl.dat").c_str(), 8, 4));
    ASSERT_NE(tail, nullptr);
    EXPECT_EQ(std::string(tail, 4), std::string("89\0\0", 4));
    plat::GlobalFree(tail);
    void* none = ReadBinaryFile2(dir.File("one.bin").c_str(), 0, 0);  // a zero-size block is still a block
    EXPECT_NE(none, nullptr);
    plat::GlobalFree(none);
    EXPECT_EQ(GetBinaryFileSize(dir.File("none.bin").c_str()), -1);
    void* empty = ReadBinaryFile(dir.File("empty.bin").c_str());
    EXPECT_NE(empty, nullptr);  // null is kept for "cannot open"
    plat::GlobalFree(empty);
    auto* past = static_cast<unsigned char*>(ReadBinaryFile2(dir.File("one.bin").c_str(), 5, 4));
    ASSERT_NE(past, nullptr);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(past[i], 0);
    plat::GlobalFree(past);
}

TEST(Files, WriteReplacesTheExistingFileWhateverItsCase) {
    test::TempDir dir;
    dir.Write("Save/Save07.dat", "previous");
    EXPECT_EQ(WriteBinaryFile((dir.path() + "\\save\\save07.dat").c_str(), "next", 4), 1);
    EXPECT_EQ(dir.Read("Save/Save07.dat"), "next");
    size_t files = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path() + "/Save")) ++files;
    EXPECT_EQ(files, 1u);
    EXPECT_EQ(WriteBinaryFile((dir.path() + "/NoFolder/x.dat").c_str(), "x", 1), 0);
}

TEST(Files, FailedWriteKeepsThePreviousFile) {
    test::TempDir dir;
    dir.Write("Save/Save00.dat", "previous");
    std::string big(4096, 'n');
    // A file size limit cuts the write short (permissions would not stop root).
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    int result = WriteBinaryFile(dir.File("Save/Save00.dat").c_str(), big.data(), i32(big.size()));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(dir.Read("Save/Save00.dat"), "previous");
    size_t files = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path() + "/Save")) ++files;
    EXPECT_EQ(files, 1u);  // no temporary file left behind
    EXPECT_EQ(WriteBinaryFile(dir.File("Save/Save00.dat").c_str(), "x", -1), 0);
}

TEST(GetFileExt, SearchesBackwardsAcrossSeparators) {
    char* ext = nullptr;
    EXPECT_EQ(GetFileExt("a.bmp", &ext), 3);
    EXPECT_STREQ(ext, "bmp");
    plat::GlobalFree(ext);
    EXPECT_EQ(GetFileExt(".bmp", &ext), 0);
    EXPECT_EQ(GetFileExt("bmp", &ext), 0);
    EXPECT_EQ(GetFileExt("dir.old\\file", &ext), 8);
    EXPECT_STREQ(ext, "old\\file");
    plat::GlobalFree(ext);
}

TEST(Timers, LinearAndSquaredProgress) {
    test::FakeClock clock;
    TIME_DATA t;
    TIME_Init(&t);
    EXPECT_EQ(TIME_GetTimeRate(&t, 31, 1), 0);
    TIME_Start(&t, 800);
    clock.Advance(400);
    EXPECT_EQ(TIME_GetTimeRate(&t, 31, 1), 15);
    clock.Advance(500);
    EXPECT_EQ(TIME_GetTimeRate(&t, 31, 1), 31);
    EXPECT_EQ(TIME_GetTimeRate(&t, 31, 0), 34);
    TIME_Start(&t, 800);
    clock.Advance(800);
    EXPECT_EQ(TIME_GetTimeRate2(&t, 100, 0), 50);
    // Products past 32 bits no longer wrap.
    TIME_Start(&t, 100000);
    clock.Advance(90000);
    EXPECT_EQ(TIME_GetTimeRate(&t, 100000, 0), 90000);
    EXPECT_EQ(TIME_GetTimeRate2(&t, 1000, 0), 405);
}

TEST(Timers, EdgeCases) {
    test::FakeClock clock;
    TIME_DATA t;
    TIME_Start(&t, 801);
    clock.Advance(801);
    EXPECT_EQ(TIME_GetTimeRate2(&t, 100, 0), 49);  // 801² / 2 truncates
    TIME_Start(&t, 0);
    EXPECT_EQ(TIME_GetTimeRate(&t, 31, 0), 31);
    EXPECT_EQ(TIME_GetTimeRate2(&t, 31, 0), 31);

    // Across the clock's wrap the elapsed time is still right.
    clock.Set(0xFFFFFF00u);
    TIME_Start(&t, 800);
    clock.Advance(0x100 + 144);  // 400 ms later, past zero
    EXPECT_EQ(TIME_GetTimeRate(&t, 31, 1), 15);
    EXPECT_EQ(TIME_GetTimeRate2(&t, 100, 0), 12);

    // A timer left running for weeks: the cap still holds, and without it the result saturates.
    clock.Advance(3000000000u);
    EXPECT_EQ(TIME_GetTimeRate(&t, 31, 1), 31);
    EXPECT_EQ(TIME_GetTimeRate2(&t, 100, 1), 100);
    EXPECT_EQ(TIME_GetTimeRate2(&t, 100, 0), INT_MAX);

    TIME_Init(&t);
    auto func = +[](u32 elapsed, u32 duration) { return int(elapsed * 1000 + duration); };
    EXPECT_EQ(TIME_GetTimeRateFunc(&t, func), 0);
    TIME_Start(&t, 7);
    clock.Advance(3);
    EXPECT_EQ(TIME_GetTimeRateFunc(&t, func), 3007);  // elapsed first, then the duration
}

TEST(GetFps, ZeroUntilAWindowCloses) {
    test::FakeClock clock;
    ResetFps();
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(GetFps(), 0u);
        clock.Advance(34);
    }
    // The 31st call at 1020 ms closes the window and counts itself.
    EXPECT_EQ(GetFps(), 31u * 1000u / 1020u);
}

TEST(Numbers, DigitCountsAndPacking) {
    EXPECT_EQ(GetValKeta(0), 1);
    EXPECT_EQ(GetValKeta(-12), 3);
    EXPECT_EQ(GetValKeta(12345), 5);
    EXPECT_EQ(GetValKeta(INT_MIN), 11);
    u32 w = 0;
    EXPECT_EQ(*SetByteDat(&w, 1, 2, 3, 4), 0x04030201u);
    EXPECT_EQ(SetWordDat(&w, 0x1234, 0xABCD), 0xABCD1234u);
}

TEST(DoubleByte, WalkNeverPassesTheTerminator) {
    const char orphan[] = "\x82";
    EXPECT_EQ(MBS_NextChar(orphan), orphan + 1);
    EXPECT_EQ(MBS_NextChar(orphan + 1), orphan + 1);
    const char text[16] = "a\xA4\x40" "b";
    EXPECT_EQ(MBS_GetCharStart(text, text), text);
    EXPECT_EQ(MBS_GetCharStart(text, text + 2), text + 1);  // inside the double-byte character
    EXPECT_EQ(MBS_GetCharStart(text, text + 3), text + 1);
    EXPECT_EQ(MBS_GetCharStart(text, text + 10), text + 4);  // past the end: the terminator
    const char empty[4] = "";
    EXPECT_EQ(MBS_GetCharStart(empty, empty + 3), empty);
    EXPECT_EQ(MBS_IsLeadByte(0x80), 1);
    EXPECT_EQ(MBS_IsLeadByte(0x7F), 0);
    EXPECT_EQ(MBS_GetCodePage(), 950u);
    EXPECT_EQ(MBS_SetCodePage(932), 932u);
    EXPECT_EQ(MBS_GetCodePage(), 932u);
    MBS_SetCodePage(950);
}

}  // namespace
