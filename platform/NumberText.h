// Numbers as the windows show them: digits grouped by thousands with ",".
#ifndef TOVIK_PLATFORM_NUMBERTEXT_H
#define TOVIK_PLATFORM_NUMBERTEXT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tovik::platform {

// The most bytes FormatGroupedNumber writes: 19 digits, 6 commas, a sign.
inline constexpr size_t kGroupedNumberSize = 27;

// digits with "," before every group of three counted from the right: "1234567" is
// "1,234,567". Any other byte counts as a digit.
std::string GroupThousands(std::string_view digits);
// value as "##,###,##0" (at least one digit, "-" in front of a negative value) into out, which
// holds at least kGroupedNumberSize bytes; answers the length.
size_t FormatGroupedNumber(int64_t value, char *out);

} // namespace tovik::platform

#endif
