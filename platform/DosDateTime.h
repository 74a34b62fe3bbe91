// MS-DOS date and time fields and the program's date-time value.
//
// The date-time value counts days since 1899-12-30 00:00 with the time of day as the
// fraction (0.5 = noon). MS-DOS fields carry local time already and are never shifted by a
// time zone: an entry stamped 10:00 shows 10:00 wherever the archive is read.
#ifndef TOVIK_PLATFORM_DOSDATETIME_H
#define TOVIK_PLATFORM_DOSDATETIME_H

#include <cstdint>
#include <string>

namespace tovik::platform {

using TDateTime = double;

struct DateTimeParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Date bits: year-1980 (15-9), month (8-5), day (4-0). Time bits: hour (15-11), minute
// (10-5), seconds/2 (4-0). Fields that name no real date or time (month 0, day 31 of April,
// hour 24, ...) give 0, as does the pair 0/0.
TDateTime DosDateTimeToDateTime(uint16_t dosDate, uint16_t dosTime);
// The nearest MS-DOS fields for a date-time value (seconds rounded down to even). Years
// outside 1980-2107 give false and leaves both fields unchanged.
bool DateTimeToDosDateTime(TDateTime value, uint16_t &dosDate, uint16_t &dosTime);

TDateTime EncodeDateTime(const DateTimeParts &parts);
// Splits a value into calendar fields, rounded to the millisecond.
DateTimeParts DecodeDateTime(TDateTime value);

// "YYYY/MM/DD" and "HH:NN" (24-hour). out must hold 11 and 6 bytes; both answer the length
// written (no NUL counted) and do not allocate.
int FormatDate(TDateTime value, char *out);
int FormatTime(TDateTime value, char *out);
std::string DateText(TDateTime value);
std::string TimeText(TDateTime value);

} // namespace tovik::platform

#endif
