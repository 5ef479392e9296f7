// The pack tool run as a command: a round trip through its two modes, and a damaged stream refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"
#include "tools/writers/lz_writer.h"

namespace {

int RunLzPack(const std::vector<std::string>& args) { return test::RunProgram(KORVANE_LZPACK, args); }

TEST(LzPack, PacksAndUnpacksAFileWhole) {
    test::TempDir dir;
    const std::vector<u8> picture = tools::SyntheticPicture16(64, 40, 11);
    dir.Write("plain.bin", picture);
    ASSERT_EQ(RunLzPack({"pack", dir.File("plain.bin"), dir.File("packed.lz")}), 0);
    const std::string packed = dir.Read("packed.lz");
    const std::vector<u8> expect = tools::LzCompress(picture);
    EXPECT_EQ(packed, std::string(expect.begin(), expect.end()));
    ASSERT_EQ(RunLzPack({"unpack", dir.File("packed.lz"), dir.File("back.bin")}), 0);
    EXPECT_EQ(dir.Read("back.bin"), std::string(picture.begin(), picture.end()));
}

TEST(LzPack, RefusesADamagedStreamAndWritesNothing) {
    test::TempDir dir;
    tools::LzTokenWriter w;
    w.Literal('a').Ref(2, 3);  // reaches before the start of the output
    dir.Write("bad.lz", w.Build());
    EXPECT_EQ(RunLzPack({"unpack", dir.File("bad.lz"), dir.File("out.bin")}), 1);
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/out.bin"));
    EXPECT_EQ(RunLzPack({"unpack", dir.File("none.lz"), dir.File("out.bin")}), 1);
    EXPECT_EQ(RunLzPack({"squash", "a", "b"}), 2);
}

}  // namespace
