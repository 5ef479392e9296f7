#include <gtest/gtest.h>

#include <climits>
#include <cstring>

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

    EXPECT_EQ(CheckRectPoint(0, 0, 10, 10, 10, 10), 1);
    EXPECT_EQ(CheckRectPoint(0, 0, 10, 10, 11, 10), 0);
    EXPECT_EQ(CheckSurroundRect(0, 0, 10, 10, 0, 0, 10, 10), 1);
}

TEST(MakeFilePath, PrefixesTheStartupDirectoryUnlessADriveIsGiven) {
    std::strcpy(CurrentPath, "D:\\Game\\");
    EXPECT_STREQ(MakeFilePath("Dat\\%s.waz", "player"), "D:\\Game\\Dat\\player.waz");
    EXPECT_STREQ(MakeFilePath("D:\\x.dat"), "D:\\x.dat");
    EXPECT_STREQ(MakeFilePath("\\x.dat"), "D:\\Game\\\\x.dat");
    InitCommon();
}

TEST(MakeFilePath, AnOverlongNameCannotOpen) {
    test::DebugCapture debug;
    std::string longName(400, 'a');
    EXPECT_STREQ(MakeFilePath("%s", longName.c_str()), "");
    EXPECT_TRUE(debug.Contains("too long"));
}

TEST(InitCommon, EndsWithASlash) {
    test::TempDir dir;
    test::ScopedCwd cwd(dir.path());
    EXPECT_EQ(std::string(CurrentPath), dir.path() + "/");
}

TEST(Files, ReadWholeAndAtOffset) {
    test::TempDir dir;
    dir.Write("empty.bin", "");
    dir.Write("one.bin", "A");
    EXPECT_EQ(GetBinaryFileSize(dir.File("one.bin").c_str()), 1);
    EXPECT_EQ(GetBinaryFileSize(dir.File("none.bin").c_str()), -1);
    void* empty = ReadBinaryFile(dir.File("empty.bin").c_str());
    EXPECT_NE(empty, nullptr);  // null is kept for "cannot open"
    plat::GlobalFree(empty);
    auto* past = static_cast<unsigned char*>(ReadBinaryFile2(dir.File("one.bin").c_str(), 5, 4));
    ASSERT_NE(past, nullptr);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(past[i], 0);
    plat::GlobalFree(past);
}

TEST(Files, FailedWriteKeepsThePreviousFile) {
    test::TempDir dir;
    dir.Write("Save/Save00.dat", "previous");
    EXPECT_EQ(WriteBinaryFile(dir.File("Save/Save00.dat").c_str(), "next", 4), 1);
    EXPECT_EQ(dir.Read("Save/Save00.dat"), "next");
    EXPECT_EQ(WriteBinaryFile((dir.path() + "/NoFolder/x.dat").c_str(), "x", 1), 0);
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
    EXPECT_EQ(MBS_GetCodePage(), 950u);
}

}  // namespace
