#include "service/AnswerLines.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <utility>

TEST(LeadingVersion, TakesDigitsAndDotsFromTheStart)
{
    EXPECT_EQ(LeadingVersion("1.33"), "1.33");
    EXPECT_EQ(LeadingVersion("2.0.1-rc1"), "2.0.1");
    EXPECT_EQ(LeadingVersion("v1"), "");
}

TEST(GetIntValue, FindsTheFirstLineOfTheNameIgnoringCase)
{
    const std::vector<std::string> lines{"Port=7070", "no equals", "Count=", "Count=4", "Url=http://a=b"};
    EXPECT_EQ(GetIntValue(lines, "PORT"), 7070);
    EXPECT_EQ(GetIntValue(lines, "count"), 0);
    EXPECT_EQ(GetIntValue(lines, "Missing"), 0);
    EXPECT_EQ(GetIntValue({"Port =1"}, "Port"), 0);
    EXPECT_THROW(GetIntValue(lines, "url"), std::invalid_argument);
}

TEST(GetIntValue, ReadsSignsHexadecimalAndTheWholeIntRange)
{
    const std::pair<const char*, int> cases[] = {
        {"-15", -15},
        {"+7", 7},
        {"$1F", 31},
        {"0X1f", 31},
        {"-$10", -16},
        {"  12", 12},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
    };
    for (const auto& [value, number] : cases) {
        EXPECT_EQ(GetIntValue({std::string("V=") + value}, "V"), number) << value;
    }
}

TEST(GetIntValue, ThrowsForWhatIsNotAWholeNumber)
{
    for (const char* value : {"abc", "12 ", "1.5", "$", "0x", "-", " ", "$1G", "2147483648", "-2147483649",
                              "$80000000", "99999999999999999999"}) {
        EXPECT_THROW(GetIntValue({std::string("V=") + value}, "V"), std::invalid_argument) << value;
    }
}

TEST(GetFlagValue, IsTrueOnlyForExactlyOne)
{
    EXPECT_TRUE(GetFlagValue({"e=1"}, "E"));
    for (const char* line : {"E=11", "E= 1", "E=0", "E=", "F=1"}) {
        EXPECT_FALSE(GetFlagValue({line}, "E")) << line;
    }
    EXPECT_FALSE(GetFlagValue({"E=0", "E=1"}, "E"));
}
