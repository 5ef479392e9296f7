#include <gtest/gtest.h>

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
