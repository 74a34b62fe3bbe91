#include "DosDateTime.h"

#include <cmath>

namespace tovik::platform {
namespace {

constexpr int64_t kMsPerDay = 86400000;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int &y, int &m, int &d)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t yy = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

const int64_t kEpochDays = DaysFromCivil(1899, 12, 30);

bool IsLeap(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

void Put2(char *out, int v)
{
    out[0] = static_cast<char>('0' + (v / 10) % 10);
    out[1] = static_cast<char>('0' + v % 10);
}

} // namespace

TDateTime EncodeDateTime(const DateTimeParts &p)
{
    int64_t days = DaysFromCivil(p.year, static_cast<unsigned>(p.month), static_cast<unsigned>(p.day)) - kEpochDays;
    int64_t ms = ((static_cast<int64_t>(p.hour) * 60 + p.minute) * 60 + p.second) * 1000 + p.millisecond;
    return static_cast<double>(days) + static_cast<double>(ms) / kMsPerDay;
}

DateTimeParts DecodeDateTime(TDateTime value)
{
    DateTimeParts p;
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6)
        return p;
    int64_t total = std::llround(value * kMsPerDay);
    int64_t days = total / kMsPerDay;
    int64_t ms = total % kMsPerDay;
    if (ms < 0) {
        ms += kMsPerDay;
        --days;
    }
    CivilFromDays(days + kEpochDays, p.year, p.month, p.day);
    p.hour = static_cast<int>(ms / 3600000);
    p.minute = static_cast<int>(ms / 60000 % 60);
    p.second = static_cast<int>(ms / 1000 % 60);
    p.millisecond = static_cast<int>(ms % 1000);
    return p;
}

TDateTime DosDateTimeToDateTime(uint16_t dosDate, uint16_t dosTime)
{
    DateTimeParts p;
    p.year = 1980 + (dosDate >> 9);
    p.month = (dosDate >> 5) & 0x0F;
    p.day = dosDate & 0x1F;
    p.hour = dosTime >> 11;
    p.minute = (dosTime >> 5) & 0x3F;
    p.second = (dosTime & 0x1F) * 2;
    if (p.month < 1 || p.month > 12 || p.day < 1 || p.day > DaysInMonth(p.year, p.month) || p.hour > 23 ||
        p.minute > 59 || p.second > 59)
        return 0;
    return EncodeDateTime(p);
}

bool DateTimeToDosDateTime(TDateTime value, uint16_t &dosDate, uint16_t &dosTime)
{
    DateTimeParts p = DecodeDateTime(value);
    if (p.year < 1980 || p.year > 2107)
        return false;
    dosDate = static_cast<uint16_t>(((p.year - 1980) << 9) | (p.month << 5) | p.day);
    dosTime = static_cast<uint16_t>((p.hour << 11) | (p.minute << 5) | (p.second / 2));
    return true;
}

int FormatDate(TDateTime value, char *out)
{
    DateTimeParts p = DecodeDateTime(value);
    int y = p.year < 0 ? 0 : p.year % 10000;
    Put2(out, y / 100);
    Put2(out + 2, y % 100);
    out[4] = '/';
    Put2(out + 5, p.month);
    out[7] = '/';
    Put2(out + 8, p.day);
    out[10] = '\0';
    return 10;
}

int FormatTime(TDateTime value, char *out)
{
    DateTimeParts p = DecodeDateTime(value);
    Put2(out, p.hour);
    out[2] = ':';
    Put2(out + 3, p.minute);
    out[5] = '\0';
    return 5;
}

std::string DateText(TDateTime value)
{
    char buf[11];
    return std::string(buf, static_cast<size_t>(FormatDate(value, buf)));
}

std::string TimeText(TDateTime value)
{
    char buf[6];
    return std::string(buf, static_cast<size_t>(FormatTime(value, buf)));
}

} // namespace tovik::platform
