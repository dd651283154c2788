#include <gtest/gtest.h>

#include "base/GbkText.h"
#include "base/ProfileDocument.h"

namespace vorlune {
namespace {

ProfileDocument Gbk(std::string_view utf8) {
    return ProfileDocument::Parse(Utf8ToGbk(utf8));
}

TEST(ProfileDocument, ReadsWithTheProfileRules) {
    const ProfileDocument doc =
        Gbk("top=ignored\r\n"
            "[音效1]\r\n"
            "  名称 =  掌声  \r\n"
            "dz=\r\n"
            "; 名称=comment\r\n"
            "# not=a comment\r\n"
            "Quoted=\"a b\"\r\n"
            "Single='x'\r\n"
            "Half=\"x\r\n"
            "Mixed=\"x'\r\n"
            "名称=second\r\n"
            "[ Mixed Case ]\r\n"
            "Key=v\r\n"
            "[音效1]\r\n"
            "kjj=from duplicate\r\n");
    EXPECT_EQ(doc.Value("音效1", "名称"), "掌声");
    EXPECT_EQ(doc.Value("音效1", "dz"), "");             // present and empty is not missing
    EXPECT_EQ(doc.Value("音效1", "kjj"), std::nullopt);  // the first section wins
    EXPECT_EQ(doc.Value("音效1", "# not"), "a comment");
    EXPECT_EQ(doc.Value("音效1", "quoted"), "a b");
    EXPECT_EQ(doc.Value("音效1", "single"), "x");
    EXPECT_EQ(doc.Value("音效1", "half"), "\"x");
    EXPECT_EQ(doc.Value("音效1", "mixed"), "\"x'");
    EXPECT_EQ(doc.Value("MIXED case", "KEY"), "v");
    EXPECT_EQ(doc.Value(" 音效1 ", " 名称 "), "掌声");
    EXPECT_EQ(doc.Value("", "top"), std::nullopt);
    EXPECT_EQ(doc.Value("音效2", "名称"), std::nullopt);
}

TEST(ProfileDocument, ReadsDamagedAndHandMadeLinesAsWindowsDoes) {
    using namespace std::string_literals;
    const ProfileDocument doc =
        Gbk("[a]\r\n"
            "nul=1\0junk\r\n"  // a NUL byte ends what the line says
            "[e]]\r\n"         // the name runs to the last "]"
            "k=e\r\n"
            "[broken\r\n"  // no "]": a key line of section "e]"
            "after=still e\r\n"
            "bare\r\n"  // a key without a value reads as missing
            "bare=second\r\n"
            "[x\0]\r\n"  // the "]" lies behind the NUL
            "hidden=x\r\n"s);
    EXPECT_EQ(doc.Value("a", "nul"), "1");
    EXPECT_EQ(doc.Value("e]", "k"), "e");
    EXPECT_EQ(doc.Value("e", "k"), std::nullopt);
    EXPECT_EQ(doc.Value("broken", "after"), std::nullopt);
    EXPECT_EQ(doc.Value("e]", "after"), "still e");
    EXPECT_EQ(doc.Value("e]", "hidden"), "x");
    EXPECT_EQ(doc.Value("e]", "bare"), std::nullopt);  // the first "bare" wins, and has no value

    // Old Mac files end their lines with CR alone.
    const ProfileDocument mac = Gbk("[音效1]\r名称=掌声\rdz=x\r");
    EXPECT_EQ(mac.Value("音效1", "名称"), "掌声");
    EXPECT_EQ(mac.Value("音效1", "dz"), "x");
    EXPECT_EQ(mac.TextAfterWrite("音效1", "kjj", "F1键"), "[音效1]\r名称=掌声\rdz=x\rkjj=F1键\r");
    EXPECT_EQ(mac.TextAfterWrite("音效2", "名称", "y"),
              "[音效1]\r名称=掌声\rdz=x\r[音效2]\r名称=y\r");
}

TEST(ProfileDocument, WritesOverAndDeleteKeysWithoutAValue) {
    const ProfileDocument doc = Gbk("[s]\r\nbare\r\nother=1\r\n");
    EXPECT_EQ(doc.TextAfterWrite("s", "BARE", "2"), "[s]\r\nBARE=2\r\nother=1\r\n");
    EXPECT_EQ(doc.TextAfterWrite("s", "bare", std::nullopt), "[s]\r\nother=1\r\n");
    // A key line after a NUL loses what it said, the junk with it.
    using namespace std::string_literals;
    const ProfileDocument nul = Gbk("[s]\nk=1\0junk\n"s);
    EXPECT_EQ(nul.TextAfterWrite("s", "k", "2"), "[s]\nk=2\n");
    EXPECT_EQ(nul.TextAfterWrite("s", "k", "1"), std::nullopt);
}

TEST(ProfileDocument, FoldsOnlyAsciiLettersNeverGbkTrailBytes) {
    // 0xD2 0x41 ("襛"? any character with trail byte 'A') and 0xD2 0x61 differ only in the
    // case of their trail byte; they are different characters and must not match.
    const std::string upper = "\x81\x41";
    const std::string lower = "\x81\x61";
    const ProfileDocument doc = ProfileDocument::Parse("[" + upper + "]\r\nk=upper\r\n");
    EXPECT_EQ(doc.Value(GbkToUtf8(upper), "K"), "upper");
    EXPECT_EQ(doc.Value(GbkToUtf8(lower), "k"), std::nullopt);
}

TEST(ProfileDocument, CutsLongValuesBeforeADoubleByteCharacter) {
    std::string chinese = "a";
    for (int i = 0; i < 6000; ++i) {
        chinese += "音";
    }
    const ProfileDocument doc = Gbk("[s]\nk=" + chinese + "\n");
    const std::string read = *doc.Value("s", "k");
    // 1 + 2 * 5119 = 10,239 bytes: the next character would go past the limit.
    EXPECT_EQ(GbkByteLength(read), 10239U);
    const ProfileDocument even = Gbk("[s]\nk=" + chinese.substr(1) + "\n");
    EXPECT_EQ(GbkByteLength(*even.Value("s", "k")), 10238U);
    // The limit counts the value as the system's code page holds it, whatever the file's
    // encoding, so a file rewritten as UTF-8 reads the same.
    const ProfileDocument utf8 = ProfileDocument::Parse("\xEF\xBB\xBF[s]\nk=" + chinese + "\n");
    EXPECT_EQ(utf8.Value("s", "k"), read);
}

TEST(ProfileDocument, WritesKeepEveryUntouchedLine) {
    const std::string original =
        "; hand comment\r\n"
        "[a]\r\n"
        "x = 1\r\n"
        "\r\n"
        "[b]\r\n"
        "y=2\r\n";
    const ProfileDocument doc = Gbk(original);
    EXPECT_EQ(doc.TextAfterWrite("A", "X", "5"),
              "; hand comment\r\n[a]\r\nX=5\r\n\r\n[b]\r\ny=2\r\n");
    // A new key lands after the section's last non-blank line, a new section at the end.
    EXPECT_EQ(doc.TextAfterWrite("a", "z", "3"),
              "; hand comment\r\n[a]\r\nx = 1\r\nz=3\r\n\r\n[b]\r\ny=2\r\n");
    EXPECT_EQ(doc.TextAfterWrite("c", "k", "v"), original + "[c]\r\nk=v\r\n");
    // Deleting removes the key line only; the header stays.
    EXPECT_EQ(doc.TextAfterWrite("b", "y", std::nullopt),
              "; hand comment\r\n[a]\r\nx = 1\r\n\r\n[b]\r\n");
    // Writes that change nothing.
    EXPECT_EQ(doc.TextAfterWrite("a", "x", "1"), std::nullopt);
    EXPECT_EQ(doc.TextAfterWrite("a", "nothing", std::nullopt), std::nullopt);
    EXPECT_EQ(doc.TextAfterWrite("none", "k", std::nullopt), std::nullopt);
    // A value with blanks at its end that the line already holds as it would be written.
    EXPECT_EQ(Gbk("[s]\r\nk= \r\n").TextAfterWrite("s", "k", " "), std::nullopt);
}

TEST(ProfileDocument, WritesFollowTheFilesLineEndsAndNeverInjectLines) {
    const ProfileDocument lf = Gbk("[a]\nx=1");
    EXPECT_EQ(lf.TextAfterWrite("a", "y", "2"), "[a]\nx=1\ny=2\n");
    EXPECT_EQ(lf.TextAfterWrite("b", "y", "2"), "[a]\nx=1\n[b]\ny=2\n");
    const ProfileDocument empty = Gbk("");
    EXPECT_EQ(empty.TextAfterWrite("s", "k", "v"), "[s]\r\nk=v\r\n");
    const auto injected = empty.TextAfterWrite("s\nt", "k\r\n", "v\r\n[evil]\r\nx=1");
    ASSERT_TRUE(injected);
    const ProfileDocument reread = ProfileDocument::FromText(*injected, TextEncoding::Gbk);
    EXPECT_EQ(reread.Value("evil", "x"), std::nullopt);
    EXPECT_EQ(reread.Value("s t", "k"), "v  [evil]  x=1");
}

TEST(ProfileDocument, ANameEndingInALoneByteNeverSpillsIntoTheSectionBefore) {
    // A section name ending in a byte that was kept undecoded: written as it is, the byte
    // would take the "]" of its header, and the key would land in section "a".
    const ProfileDocument doc = Gbk("[a]\r\nk=1\r\n");
    const std::string name = "x" + GbkToUtf8("\xD2");
    const std::optional<std::string> after = doc.TextAfterWrite(name, "k", "2");
    ASSERT_TRUE(after);
    const ProfileDocument reread = ProfileDocument::Parse(doc.Encode(*after));
    EXPECT_EQ(reread.Value("a", "k"), "1");
    // GBK cannot hold the name where it stands, so the file is written as UTF-8.
    EXPECT_EQ(reread.Encoding(), TextEncoding::Utf8Bom);
    EXPECT_EQ(reread.Value(name, "k"), "2");
    // Put together anew in GBK text, such a byte turns into "?".
    EXPECT_EQ(Utf8ToGbk(name + "]"), "x?]");
}

TEST(ProfileDocument, KeepsTheEncodingOfFilesWithAByteOrderMark) {
    const std::string utf8 = "\xEF\xBB\xBF[音效1]\n名称=掌声\n";
    const ProfileDocument doc = ProfileDocument::Parse(utf8);
    EXPECT_EQ(doc.Encoding(), TextEncoding::Utf8Bom);
    EXPECT_EQ(doc.Value("音效1", "名称"), "掌声");
    EXPECT_EQ(doc.Encode(*doc.TextAfterWrite("音效1", "dz", "x")),
              "\xEF\xBB\xBF[音效1]\n名称=掌声\ndz=x\n");

    const std::string utf16 = "\xFF\xFE" + Utf8ToUtf16Le("[音效1]\r\n名称=掌声\r\n");
    const ProfileDocument wide = ProfileDocument::Parse(utf16);
    EXPECT_EQ(wide.Encoding(), TextEncoding::Utf16LeBom);
    EXPECT_EQ(wide.Value("音效1", "名称"), "掌声");
    EXPECT_EQ(wide.Encode(*wide.TextAfterWrite("音效1", "名称", "笑声")),
              "\xFF\xFE" + Utf8ToUtf16Le("[音效1]\r\n名称=笑声\r\n"));

    const std::string big = "\xFE\xFF" + Utf8ToUtf16Be("[音效1]\r\n名称=掌声\r\n");
    // "[" and U+97F3 "音", high byte first.
    EXPECT_EQ(big.substr(2, 4), std::string("\0[\x97\xF3", 4));
    const ProfileDocument bigEndian = ProfileDocument::Parse(big);
    EXPECT_EQ(bigEndian.Encoding(), TextEncoding::Utf16BeBom);
    EXPECT_EQ(bigEndian.Value("音效1", "名称"), "掌声");
    EXPECT_EQ(bigEndian.Encode(*bigEndian.TextAfterWrite("音效1", "dz", "😀")),
              "\xFE\xFF" + Utf8ToUtf16Be("[音效1]\r\n名称=掌声\r\ndz=😀\r\n"));
}

TEST(ProfileDocument, TextGbkCannotHoldTurnsTheFileIntoUtf8AndLosesNothing) {
    const std::string original = Utf8ToGbk(
                                     "; 音效列表\r\n"
                                     "[音效1]\r\n"
                                     "名称=掌声\r\n"
                                     "\r\n"
                                     "[未知]\r\n"
                                     "x = 1\r\n") +
                                 "bad=\x80\xFF\r\n";
    const ProfileDocument doc = ProfileDocument::Parse(original);
    for (const std::string value : {"Geräusch", "ä", "ㅎ", "😀", "x€"}) {
        SCOPED_TRACE(value);
        const std::string bytes = doc.Encode(*doc.TextAfterWrite("音效1", "名称", value));
        const ProfileDocument reread = ProfileDocument::Parse(bytes);
        EXPECT_EQ(reread.Encoding(), TextEncoding::Utf8Bom);
        EXPECT_EQ(reread.Value("音效1", "名称"), value);
        // Every other line keeps its text, the bytes GBK could not read included.
        EXPECT_EQ(bytes, "\xEF\xBB\xBF; 音效列表\r\n[音效1]\r\n名称=" + value +
                             "\r\n\r\n[未知]\r\nx = 1\r\nbad=\x80\xFF\r\n");
        EXPECT_EQ(Utf8ToGbk(*reread.Value("未知", "bad")), "\x80\xFF");
    }
    // What GBK holds stays GBK, byte for byte ("é" is one of its pinyin letters).
    EXPECT_EQ(doc.Encode(*doc.TextAfterWrite("音效1", "名称", "笑声é")),
              Utf8ToGbk("; 音效列表\r\n[音效1]\r\n名称=笑声é\r\n\r\n[未知]\r\nx = 1\r\n") +
                  "bad=\x80\xFF\r\n");
}

TEST(ProfileDocument, InvalidGbkValuesKeepTheirBytesThroughAWrite) {
    const std::string bytes = "[s]\r\nbad=\x80\xFF\x81\r\nk=1\r\n";
    const ProfileDocument doc = ProfileDocument::Parse(bytes);
    const std::string value = *doc.Value("s", "bad");
    EXPECT_EQ(Utf8ToGbk(value), "\x80\xFF\x81");
    EXPECT_EQ(doc.Encode(*doc.TextAfterWrite("s", "k", "2")), "[s]\r\nbad=\x80\xFF\x81\r\nk=2\r\n");
    // Writing the value read back is no change at all.
    EXPECT_EQ(doc.TextAfterWrite("s", "bad", value), std::nullopt);
}

}  // namespace
}  // namespace vorlune
