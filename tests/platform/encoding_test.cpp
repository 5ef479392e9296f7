#include <gtest/gtest.h>

#include "platform/encoding.h"
#include "platform/types.h"

namespace {

TEST(Big5, RoundTripsTheGamesText) {
    // 功 and 許 end in 0x5C, the byte of a backslash.
    EXPECT_EQ(plat::Utf8ToBig5("功許"), "\xA5\x5C\xB3\x5C");
    EXPECT_EQ(plat::Big5ToUtf8("\xA5\x5C\xB3\x5C"), "功許");
    for (const char* text : {"Korvane～求生模式體驗版～", "記憶體容量不足", "A\\b 1", ""})
        EXPECT_EQ(plat::Big5ToUtf8(plat::Utf8ToBig5(text)), text) << text;
}

TEST(Big5, WaveDashFallsBackToCp950) {
    EXPECT_EQ(plat::Utf8ToBig5("～"), "\xA1\xE3");
    EXPECT_EQ(plat::Utf8ToBig5("a～b"), "a\xA1\xE3" "b");
    EXPECT_EQ(plat::Big5ToUtf8("\xA1\xE3"), "～");
    // A character HKSCS holds back (it may combine with the next) still comes out in order.
    EXPECT_EQ(plat::Big5ToUtf8(plat::Utf8ToBig5("Ê～")), "Ê～");
}

TEST(Big5, KanaRowsComeFromHkscs) {
    EXPECT_EQ(plat::Utf8ToBig5("あア"), "\xC6\xE8\xC7\x7C");
    EXPECT_EQ(plat::Big5ToUtf8("\xC6\xE8\xC7\x7C"), "あア");
}

TEST(Big5, BadInputBecomesQuestionMarks) {
    // An undefined pair, then ASCII, then a lead byte that ends the text.
    EXPECT_EQ(plat::Big5ToUtf8("\xFF\xFF" "A\x81"), "?A?");
    EXPECT_EQ(plat::Big5ToUtf8(std::string_view("\xA4\0b", 3)), std::string("?\0b", 3));
    // Broken UTF-8 and a character neither table holds.
    EXPECT_EQ(plat::Utf8ToBig5("a\xC3(b"), "a?(b");
    EXPECT_EQ(plat::Utf8ToBig5("\xF0\x9F\x98\x80x\xE4\xB8"), "?x?");
}

TEST(Big5, DrawnTextKeepsToTheFontsLeadBytes) {
    struct Case {
        const char* utf8;
        std::string big5;
    };
    const Case cases[] = {
        {"装備", plat::Utf8ToBig5("裝備")},           // 装 alone would lead with 0x8F
        {"a～?", "a\xA1\xE3?"},                       // a real question mark stays
        {"\xF0\x9F\x98\x80x", "\xA1\x48x"},          // unwritable: the wide question mark
        {"データ", plat::Utf8ToBig5("データ")},        // kana rows 0xC6, 0xC7
    };
    for (const Case& c : cases) EXPECT_EQ(plat::Utf8ToDrawnText(c.utf8), c.big5) << c.utf8;
    EXPECT_EQ(u8(plat::Utf8ToBig5("装")[0]), 0x8F);
    // Any other character HKSCS writes outside 0xA1..0xC9 becomes "？".
    EXPECT_EQ(plat::Utf8ToBig5("嘅"), "\x9D\xEF");
    EXPECT_EQ(plat::Utf8ToDrawnText("嘅"), "\xA1\x48");
}

TEST(ShiftJis, RoundTripsAsCp932) {
    EXPECT_EQ(plat::Utf8ToSjis("表ゲーム"), "\x95\x5C\x83\x51\x81\x5B\x83\x80");
    EXPECT_EQ(plat::Utf8ToSjis("～"), "\x81\x60");
    EXPECT_EQ(plat::SjisToUtf8("\xB1"), "ｱ");  // half-width kana are single bytes
    for (const char* text : {"DirectDrawの初期化に失敗しました。\nプログラムを強制終了します。", "C:\\表\\x"})
        EXPECT_EQ(plat::SjisToUtf8(plat::Utf8ToSjis(text)), text) << text;
}

TEST(ShiftJis, BadInputBecomesQuestionMarks) {
    EXPECT_EQ(plat::SjisToUtf8("\x85\x40" "a"), "?a");  // unassigned row: the pair goes
    EXPECT_EQ(plat::SjisToUtf8("\x81 a"), "? a");       // no trail byte: only the lead goes
    EXPECT_EQ(plat::SjisToUtf8("a\x95"), "a?");
    EXPECT_EQ(plat::Utf8ToSjis("\xE2\x82\xAC\xFFx"), "??x");  // € is not in CP932
}

}  // namespace
