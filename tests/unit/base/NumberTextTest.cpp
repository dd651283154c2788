#include <gtest/gtest.h>

#include "base/NumberText.h"

namespace vorlune {
namespace {

TEST(NumberText, ReadsTheLeadingIntegerOrZero) {
    EXPECT_EQ(LeadingInt("80"), 80);
    EXPECT_EQ(LeadingInt("  -12abc"), -12);
    EXPECT_EQ(LeadingInt("+7"), 7);
    EXPECT_EQ(LeadingInt("abc"), 0);
    EXPECT_EQ(LeadingInt(""), 0);
    EXPECT_EQ(LeadingInt("- 5"), 0);
    EXPECT_EQ(LeadingInt("1.9"), 1);
    EXPECT_EQ(LeadingInt("99999999999999"), 2147483647);
    EXPECT_EQ(LeadingInt("-99999999999999"), -2147483647 - 1);
}

TEST(NumberText, ReadsTheLeadingNumberWithFraction) {
    EXPECT_DOUBLE_EQ(LeadingNumber("80"), 80.0);
    EXPECT_DOUBLE_EQ(LeadingNumber(" 80.5%"), 80.5);
    EXPECT_DOUBLE_EQ(LeadingNumber("-0.25"), -0.25);
    EXPECT_DOUBLE_EQ(LeadingNumber("x1"), 0.0);
}

}  // namespace
}  // namespace vorlune
