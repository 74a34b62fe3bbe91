// Conversions of stored names and times into what the listing getters report.
#ifndef TOVIK_CODECS_ENTRYFIELDS_H
#define TOVIK_CODECS_ENTRYFIELDS_H

#include <cstdint>
#include <string>
#include <string_view>

namespace tovik::codecs {

// Replaces the separator "\" by "/" without touching the second byte of a Shift_JIS
// character (0x5C is a valid trail byte).
std::string BackslashToSlash(std::string_view cp932);

// A stored name in the creator's code page, as CP932. Names that are well-formed UTF-8 and
// use bytes above 0x7F are taken for UTF-8 and converted; everything else passes unchanged
// (Shift_JIS as stored). utf8 forces the UTF-8 reading.
std::string StoredNameToCp932(std::string_view raw, bool utf8 = false);

// UTF-16LE bytes (an odd trailing byte is ignored) to CP932.
std::string Utf16LeToCp932(std::string_view bytes);

} // namespace tovik::codecs

#endif
