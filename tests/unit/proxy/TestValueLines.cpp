#include "proxy/ValueLines.h"

#include <gtest/gtest.h>
#include <stdexcept>

TEST(LeadingVersion, TakesDigitsAndDotsFromTheStart)
{
    EXPECT_EQ(LeadingVersion("1.33"), "1.33");
    EXPECT_EQ(LeadingVersion("1.33 beta"), "1.33");
    EXPECT_EQ(LeadingVersion("2.0.1-rc1"), "2.0.1");
    EXPECT_EQ(LeadingVersion("v1"), "");
    EXPECT_EQ(LeadingVersion(""), "");
}

TEST(GetIntValue, FindsTheFirstLineOfTheNameIgnoringCase)
{
    const std::vector<std::string> lines{"Port=7070", "Count=3", "count=4", "Url=http://a=b"};
    EXPECT_EQ(GetIntValue(lines, "port"), 7070);
    EXPECT_EQ(GetIntValue(lines, "COUNT"), 3);
    EXPECT_EQ(GetIntValue(lines, "Missing"), 0);
    EXPECT_EQ(GetIntValue({"Port =1"}, "Port"), 0);
    EXPECT_EQ(GetIntValue({"no equals sign", "Port"}, "Port"), 0);
}

TEST(GetIntValue, EmptyValueIsZero)
{
    EXPECT_EQ(GetIntValue({"Port="}, "Port"), 0);
}

TEST(GetIntValue, ReadsSignsAndHexadecimal)
{
    EXPECT_EQ(GetIntValue({"V=-15"}, "V"), -15);
    EXPECT_EQ(GetIntValue({"V=+7"}, "V"), 7);
    EXPECT_EQ(GetIntValue({"V=$1F"}, "V"), 31);
    EXPECT_EQ(GetIntValue({"V=0x1F"}, "V"), 31);
    EXPECT_EQ(GetIntValue({"V=0X1f"}, "V"), 31);
    EXPECT_EQ(GetIntValue({"V=-$10"}, "V"), -16);
    EXPECT_EQ(GetIntValue({"V=007"}, "V"), 7);
    EXPECT_EQ(GetIntValue({"V=  12"}, "V"), 12);
}

TEST(GetIntValue, AcceptsTheWholeIntRange)
{
    EXPECT_EQ(GetIntValue({"V=2147483647"}, "V"), 2147483647);
    EXPECT_EQ(GetIntValue({"V=-2147483648"}, "V"), -2147483647 - 1);
    EXPECT_EQ(GetIntValue({"V=$7FFFFFFF"}, "V"), 2147483647);
}

TEST(GetIntValue, ThrowsForWhatIsNotAWholeNumber)
{
    for (const char* value : {"abc", "12 ", "1.5", "$", "0x", "-", "+", " ", "1e3", "$1G", "12abc",
                              "2147483648", "-2147483649", "$80000000", "99999999999999999999"}) {
        EXPECT_THROW(GetIntValue({std::string("V=") + value}, "V"), std::invalid_argument) << value;
    }
}

TEST(GetFlagValue, IsTrueOnlyForExactlyOne)
{
    EXPECT_TRUE(GetFlagValue({"E=1"}, "E"));
    EXPECT_TRUE(GetFlagValue({"e=1"}, "E"));
    EXPECT_FALSE(GetFlagValue({"E=11"}, "E"));
    EXPECT_FALSE(GetFlagValue({"E= 1"}, "E"));
    EXPECT_FALSE(GetFlagValue({"E=0"}, "E"));
    EXPECT_FALSE(GetFlagValue({"E="}, "E"));
    EXPECT_FALSE(GetFlagValue({"F=1"}, "E"));
    EXPECT_FALSE(GetFlagValue({"E=0", "E=1"}, "E"));
}
