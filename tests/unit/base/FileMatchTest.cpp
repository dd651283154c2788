#include <gtest/gtest.h>

#include "TempDir.h"
#include "base/FileMatch.h"

namespace vorlune {
namespace {

TEST(FileMatch, StarAndQuestionMarkOnlyBracketsAreLiteral) {
    EXPECT_TRUE(WildcardMatch("*.wav", "a.wav"));
    EXPECT_TRUE(WildcardMatch("a?c.mp3", "abc.mp3"));
    EXPECT_TRUE(WildcardMatch("*", ""));
    EXPECT_TRUE(WildcardMatch("a*b*c", "aXXbYYc"));
    EXPECT_FALSE(WildcardMatch("a*b*c", "aXXbYY"));
    EXPECT_FALSE(WildcardMatch("?", ""));
    EXPECT_TRUE(WildcardMatch("??.wav", "鼓掌.wav"));
    EXPECT_TRUE(WildcardMatch("*掌.wav", "鼓掌.wav"));
    EXPECT_FALSE(WildcardMatch("?.wav", "鼓掌.wav"));
    EXPECT_TRUE(WildcardMatch("[1].wav", "[1].wav"));
    EXPECT_FALSE(WildcardMatch("[1].wav", "1.wav"));

    test::TempDir dir;
    test::WriteFileBytes(dir.File("[1] 鼓掌.wav"), "x");
    test::MakeFolders(dir.File("sub"));
    EXPECT_TRUE(AnyFileMatches(dir.File("[1] 鼓掌.wav")));
    EXPECT_TRUE(AnyFileMatches(dir.File("sub")));
    EXPECT_TRUE(AnyFileMatches(dir.File("*.wav")));
    EXPECT_TRUE(AnyFileMatches(dir.File("[1] ??.wav")));
    EXPECT_FALSE(AnyFileMatches(dir.File("1 鼓掌.wav")));
    EXPECT_FALSE(AnyFileMatches(dir.File("*.mp3")));
    EXPECT_FALSE(AnyFileMatches(dir.File("nothing/*.wav")));
    EXPECT_FALSE(AnyFileMatches(""));
}

}  // namespace
}  // namespace vorlune
