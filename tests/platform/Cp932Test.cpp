#include "platform/Cp932.h"

#include <gtest/gtest.h>

using namespace tovik::platform;

TEST(Cp932, RoundTripsJapaneseAndKeepsBackslashTrailBytes)
{
    // "表" is 0x95 0x5C in CP932: its trail byte is the ASCII backslash.
    const std::string utf8 = "表示\\テスト.txt";
    const std::string sjis = Utf8ToCp932(utf8);
    EXPECT_EQ(sjis, std::string("\x95\x5C\x8E\xA6\x5C\x83\x65\x83\x58\x83\x67.txt"));
    EXPECT_EQ(Cp932ToUtf8(sjis), utf8);
    EXPECT_EQ(Cp932ToUtf16(sjis), u"表示\\テスト.txt");
    EXPECT_EQ(Utf16ToCp932(u"表示\\テスト.txt"), sjis);
}

TEST(Cp932, ReplacesWhatCannotBeHeldOneForOne)
{
    bool lossy = false;
    // An emoji and a Hangul syllable have no CP932 form; a stray byte is not UTF-8 at all.
    EXPECT_EQ(Utf8ToCp932("a\xF0\x9F\x98\x80" "b\xED\x95\x9C" "c\xFF" "d", &lossy), "a?b?c?d");
    EXPECT_TRUE(lossy);
    EXPECT_EQ(Utf8ToCp932("plain", &lossy), "plain");
    EXPECT_FALSE(lossy);
    // A cut-short UTF-8 sequence at the end.
    EXPECT_EQ(Utf8ToCp932("x\xE3\x81"), "x?");
    EXPECT_EQ(Utf16ToCp932(u"a\U0001F600b", &lossy), "a?b");
}

TEST(Cp932, InvalidShiftJisBecomesMiddleDot)
{
    // A lead byte with nothing after it, and 0xA0, which CP932 leaves unassigned.
    EXPECT_EQ(Cp932ToUtf8("ok\x82"), "ok\xE3\x83\xBB");
    EXPECT_EQ(Cp932ToUtf16("\xA0z"), u"\u30FBz");
    // NEC and IBM extensions are part of CP932.
    EXPECT_EQ(Cp932ToUtf8("\x87\x40"), "①");
    EXPECT_EQ(Utf8ToCp932("髙"), "\xFB\xFC");
}

TEST(Cp932, ValidUtf8)
{
    EXPECT_TRUE(IsValidUtf8("日本語 ascii"));
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_FALSE(IsValidUtf8("\x93\xFA\x96\x7B")); // Shift_JIS "日本"
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong "/"
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // a surrogate
    EXPECT_FALSE(IsValidUtf8("\xE3\x81"));          // cut short
}
