// Windows code page numbers on glibc iconv.
//
// The program names character sets by Windows code page number (932, 949, 28592 ...). On Linux a
// code page is "installed" when iconv knows a converter for it; the display code page, and so the
// system's ANSI code page, is always 932.
#ifndef TOVIK_PLATFORM_CODEPAGE_H
#define TOVIK_PLATFORM_CODEPAGE_H

#include <cstdint>

namespace tovik::platform {

// The iconv name of a Windows code page, or null for a number this layer does not map.
const char *CodePageIconvName(int32_t codePage);

// True when iconv can convert between the code page and Unicode. The answer is worked out once
// per code page and kept.
bool IsValidCodePage(int32_t codePage);

// The system's ANSI code page: always 932, the display code page.
int32_t GetACP();

} // namespace tovik::platform

#endif
