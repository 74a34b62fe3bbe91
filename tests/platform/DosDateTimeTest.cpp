#include "platform/DosDateTime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

using namespace tovik::platform;

namespace {
uint16_t Date(int y, int m, int d)
{
    return static_cast<uint16_t>(((y - 1980) << 9) | (m << 5) | d);
}
uint16_t Time(int h, int n, int s)
{
    return static_cast<uint16_t>((h << 11) | (n << 5) | (s / 2));
}
} // namespace

TEST(DosDateTime, KnownValues)
{
    // 1980-01-01 is day 29221 of the 1899-12-30 count; noon adds one half.
    EXPECT_DOUBLE_EQ(DosDateTimeToDateTime(Date(1980, 1, 1), 0), 29221.0);
    EXPECT_DOUBLE_EQ(DosDateTimeToDateTime(Date(1980, 1, 1), Time(12, 0, 0)), 29221.5);
    EXPECT_DOUBLE_EQ(DosDateTimeToDateTime(Date(2000, 3, 1), 0), 36586.0);
    DateTimeParts p = DecodeDateTime(DosDateTimeToDateTime(Date(2107, 12, 31), Time(23, 59, 58)));
    EXPECT_EQ(p.year, 2107);
    EXPECT_EQ(p.month, 12);
    EXPECT_EQ(p.day, 31);
    EXPECT_EQ(p.hour, 23);
    EXPECT_EQ(p.minute, 59);
    EXPECT_EQ(p.second, 58);
}

TEST(DosDateTime, FieldsThatNameNoDateGiveZero)
{
    EXPECT_EQ(DosDateTimeToDateTime(0, 0), 0.0);
    EXPECT_EQ(DosDateTimeToDateTime(Date(2001, 2, 29), 0), 0.0);
    EXPECT_NE(DosDateTimeToDateTime(Date(2000, 2, 29), 0), 0.0);
    EXPECT_EQ(DosDateTimeToDateTime(Date(2001, 4, 31), 0), 0.0);
    EXPECT_EQ(DosDateTimeToDateTime(Date(2001, 13, 1), 0), 0.0);
    EXPECT_EQ(DosDateTimeToDateTime(Date(2001, 1, 1), Time(24, 0, 0)), 0.0);
    EXPECT_EQ(DosDateTimeToDateTime(Date(2001, 1, 1), Time(1, 60, 0)), 0.0);
    // Zero is shown as the epoch, not as garbage.
    EXPECT_EQ(DateText(0), "1899/12/30");
    EXPECT_EQ(TimeText(0), "00:00");
}

TEST(DosDateTime, StoredLocalTimeIsNotShiftedByTheZone)
{
    // The fields already are local time: the same fields give the same clock time under any
    // zone (the suite runs under Asia/Tokyo, UTC+9).
    const uint16_t d = Date(2021, 7, 4), t = Time(23, 30, 10);
    const char *zones[] = {"Asia/Tokyo", "UTC", "America/New_York"};
    for (const char *zone : zones) {
        setenv("TZ", zone, 1);
        tzset();
        TDateTime v = DosDateTimeToDateTime(d, t);
        EXPECT_EQ(DateText(v), "2021/07/04") << zone;
        EXPECT_EQ(TimeText(v), "23:30") << zone;
    }
    setenv("TZ", "Asia/Tokyo", 1);
    tzset();
}

TEST(DosDateTime, RoundTripAndFormatting)
{
    for (uint16_t d : {Date(1980, 1, 1), Date(1999, 12, 31), Date(2024, 2, 29), Date(2107, 12, 31)})
        for (uint16_t t : {Time(0, 0, 0), Time(9, 5, 2), Time(23, 59, 58)}) {
            uint16_t d2 = 0, t2 = 0;
            ASSERT_TRUE(DateTimeToDosDateTime(DosDateTimeToDateTime(d, t), d2, t2));
            EXPECT_EQ(d2, d);
            EXPECT_EQ(t2, t);
        }
    uint16_t d = 1, t = 2;
    EXPECT_FALSE(DateTimeToDosDateTime(0, d, t));
    EXPECT_EQ(d, 1);
    EXPECT_EQ(t, 2);

    TDateTime v = DosDateTimeToDateTime(Date(2009, 3, 7), Time(8, 5, 0));
    EXPECT_EQ(DateText(v), "2009/03/07");
    EXPECT_EQ(TimeText(v), "08:05");
    // A value a hair below the exact minute (floating error) still shows that minute.
    EXPECT_EQ(TimeText(v - 1e-10), "08:05");
}
