// Digits grouped by thousands, at the ends of the number range.
#include "platform/NumberText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

using tovik::platform::FormatGroupedNumber;
using tovik::platform::GroupThousands;
using tovik::platform::kGroupedNumberSize;

namespace {

std::string Grouped(int64_t value)
{
    char out[kGroupedNumberSize];
    return std::string(out, FormatGroupedNumber(value, out));
}

TEST(NumberText, GroupsFromTheRightAtEitherEndOfTheRange)
{
    EXPECT_EQ(Grouped(0), "0");
    EXPECT_EQ(Grouped(999), "999");
    EXPECT_EQ(Grouped(1000), "1,000");
    EXPECT_EQ(Grouped(-1234567), "-1,234,567");
    EXPECT_EQ(Grouped(std::numeric_limits<int64_t>::max()), "9,223,372,036,854,775,807");
    // The longest text there is: it must fit the buffer the callers size by the constant.
    const std::string lowest = Grouped(std::numeric_limits<int64_t>::min());
    EXPECT_EQ(lowest, "-9,223,372,036,854,775,808");
    EXPECT_LE(lowest.size(), kGroupedNumberSize);

    EXPECT_EQ(GroupThousands(""), "");
    EXPECT_EQ(GroupThousands("12"), "12");
    EXPECT_EQ(GroupThousands("123456"), "123,456");
    EXPECT_EQ(GroupThousands("0001234"), "0,001,234");
}

} // namespace
