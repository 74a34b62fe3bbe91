// MS-DOS date and time fields in local time, as the getters answer them.
#ifndef TOVIK_ARCHIVERS_DOSTIME_H
#define TOVIK_ARCHIVERS_DOSTIME_H

#include <cstdint>
#include <ctime>

namespace tovik::archivers {

// The local-time MS-DOS fields of a Unix time. Times before 1980 give 1980-01-01 00:00, times
// after 2107 give 2107-12-31 23:59:58: the fields cannot hold them.
void UnixTimeToDos(std::time_t t, uint16_t &dosDate, uint16_t &dosTime);
// The Unix time of local-time MS-DOS fields; -1 when the fields name no real date.
std::time_t DosToUnixTime(uint16_t dosDate, uint16_t dosTime);

} // namespace tovik::archivers

#endif
