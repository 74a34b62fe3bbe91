#include "archivers/common/DosTime.h"

namespace tovik::archivers {

namespace {

// localtime_r looks at the zone file on every call; archives list many entries stamped
// within the same hours, so the zone offset of the last hour asked is kept (per thread).
bool LocalTime(std::time_t t, std::tm &tm)
{
    thread_local std::time_t cachedHour = -1;
    thread_local long cachedOffset = 0;
    std::time_t hour = t / 3600;
    if (hour == cachedHour && t >= 0) {
        std::time_t shifted = t + cachedOffset;
        return gmtime_r(&shifted, &tm) != nullptr;
    }
    if (localtime_r(&t, &tm) == nullptr)
        return false;
    cachedHour = hour;
    cachedOffset = tm.tm_gmtoff;
    return true;
}

} // namespace

void UnixTimeToDos(std::time_t t, uint16_t &dosDate, uint16_t &dosTime)
{
    std::tm tm{};
    if (!LocalTime(t, tm) || tm.tm_year < 80) {
        dosDate = (1 << 5) | 1;
        dosTime = 0;
        return;
    }
    if (tm.tm_year > 207) {
        dosDate = static_cast<uint16_t>((127 << 9) | (12 << 5) | 31);
        dosTime = static_cast<uint16_t>((23 << 11) | (59 << 5) | 29);
        return;
    }
    dosDate = static_cast<uint16_t>(((tm.tm_year - 80) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
    int sec = tm.tm_sec > 59 ? 59 : tm.tm_sec;
    dosTime = static_cast<uint16_t>((tm.tm_hour << 11) | (tm.tm_min << 5) | (sec / 2));
}

std::time_t DosToUnixTime(uint16_t dosDate, uint16_t dosTime)
{
    int month = (dosDate >> 5) & 0x0F, day = dosDate & 0x1F;
    int hour = dosTime >> 11, minute = (dosTime >> 5) & 0x3F, second = (dosTime & 0x1F) * 2;
    if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59)
        return -1;
    std::tm tm{};
    tm.tm_year = 80 + (dosDate >> 9);
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

} // namespace tovik::archivers
