#include <gtest/gtest.h>

#include <random>

#include "base/GbkText.h"

namespace vorlune {
namespace {

TEST(GbkText, DecodesAndEncodesChineseText) {
    // "音效" in GBK is D2 F4 D0 A7; the full-width bar is A3 FC.
    EXPECT_EQ(GbkToUtf8("\xD2\xF4\xD0\xA7"), "音效");
    EXPECT_EQ(Utf8ToGbk("音效12｜a.mp3"),
              "\xD2\xF4\xD0\xA7"
              "12\xA3\xFC"
              "a.mp3");
    EXPECT_EQ(GbkToUtf8("abc"), "abc");
    // A trail byte in the ASCII range belongs to its character: "乙" is D2 D2, "丂" is 81 40.
    EXPECT_EQ(GbkToUtf8("\x81\x40"), "丂");
    EXPECT_EQ(Utf8ToGbk("丂"), "\x81\x40");
}

TEST(GbkText, EveryByteSequenceSurvivesTheRoundTrip) {
    const std::string samples[] = {
        std::string("\x80\xFF\x81", 3),      // bytes that start no character
        std::string("\xD2", 1),              // a lead byte at the end
        std::string("\xD2\x0A\xD2\xF4", 4),  // a lead byte before a line break
        std::string("a\0b\xA3\xFC", 5),      // a zero byte
        "\xF4\x8F\xBF\xBF",                  // UTF-8 of U+10FFFF taken as GBK bytes
    };
    for (const std::string& bytes : samples) {
        EXPECT_EQ(Utf8ToGbk(GbkToUtf8(bytes)), bytes);
    }
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::string bytes(static_cast<std::size_t>(random() % 64), '\0');
        for (char& c : bytes) {
            c = static_cast<char>(random() & 0xFF);
        }
        ASSERT_EQ(Utf8ToGbk(GbkToUtf8(bytes)), bytes);
    }
}

TEST(GbkText, ALoneByteNeverJoinsTextPutAfterIt) {
    // "\xD2 " and "\xD2\n" hold a lone lead byte; so does "\xD2" at the end.
    const std::string lone = GbkToUtf8("\xD2");
    EXPECT_EQ(Utf8ToGbk(lone), "\xD2");
    EXPECT_EQ(Utf8ToGbk(lone + " x"), "\xD2 x");
    EXPECT_EQ(Utf8ToGbk(lone + "\r\n"), "\xD2\r\n");
    // Before "]" or "A" or a Chinese character the byte would read as one character with
    // them, so it is written as "?", as a character GBK lacks would be.
    EXPECT_EQ(Utf8ToGbk(lone + "]"), "?]");
    EXPECT_EQ(Utf8ToGbk(lone + "A"), "?A");
    EXPECT_EQ(Utf8ToGbk(lone + "音"), "?\xD2\xF4");
    EXPECT_EQ(Utf8ToGbk(lone + lone), "?\xD2");
    // Bytes that start no character never join anything.
    EXPECT_EQ(Utf8ToGbk(GbkToUtf8("\x80") + "A"),
              "\x80"
              "A");
    EXPECT_EQ(GbkToUtf8(Utf8ToGbk(lone + "]")), "?]");
}

TEST(GbkText, CountsAndCutsByGbkBytesWithoutSplittingCharacters) {
    EXPECT_EQ(GbkByteLength("音效12"), 6U);
    EXPECT_EQ(GbkByteLength(GbkToUtf8("\x80")), 1U);
    EXPECT_EQ(CutToGbkBytes("音效12", 3), "音");
    EXPECT_EQ(CutToGbkBytes("音效12", 4), "音效");
    EXPECT_EQ(CutToGbkBytes("a音", 2), "a");
    EXPECT_EQ(CutToGbkBytes("abc", 10), "abc");
    // Characters GBK lacks are written as "?".
    EXPECT_EQ(Utf8ToGbk("a😀b"), "a?b");
}

TEST(GbkText, Utf8AndUtf16FilesKeepTheirBytes) {
    const std::string broken("ok\xC3\x28\xFF", 5);
    EXPECT_EQ(Utf8FromEscapes(Utf8WithEscapes(broken)), broken);
    EXPECT_EQ(Utf8WithEscapes("名称"), "名称");
    const std::string utf16 = Utf8ToUtf16Le("音效😀");
    EXPECT_EQ(utf16.size(), 8U);
    EXPECT_EQ(Utf16LeToUtf8(utf16), "音效😀");
}

}  // namespace
}  // namespace vorlune
