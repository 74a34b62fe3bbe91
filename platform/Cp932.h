// Conversions between the display code page (CP932, Shift_JIS with the Windows extensions)
// and Unicode, on glibc iconv.
//
// CP932 is the code page every display text of the program is held in. What it cannot hold
// becomes its default character "?" on the way in; a byte sequence that is not CP932 becomes
// U+30FB (katakana middle dot) on the way out, as the Windows conversions do. Neither
// direction ever fails or stops early.
#ifndef TOVIK_PLATFORM_CP932_H
#define TOVIK_PLATFORM_CP932_H

#include <string>
#include <string_view>

namespace tovik::platform {

// UTF-8 to CP932. Malformed UTF-8 bytes and characters outside CP932 become "?".
// lossy, when given, is set to whether anything was replaced.
std::string Utf8ToCp932(std::string_view utf8, bool *lossy = nullptr);
// UTF-16 (host byte order) to CP932, with the same replacement rule.
std::string Utf16ToCp932(std::u16string_view utf16, bool *lossy = nullptr);
// CP932 to UTF-8. Invalid or cut-short sequences become U+30FB.
std::string Cp932ToUtf8(std::string_view cp932);
// CP932 to UTF-16 (host byte order), with the same replacement rule.
std::u16string Cp932ToUtf16(std::string_view cp932);

// True when text is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(std::string_view text);

// True when b starts a two-byte CP932 character (0x81-0x9F, 0xE0-0xFC).
constexpr bool IsCp932LeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

} // namespace tovik::platform

#endif
