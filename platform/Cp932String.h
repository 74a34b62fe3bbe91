// CP932 bytes as the toolkit's text and back: the one road between a stored or drawn Shift_JIS
// string (an entry's name, a library's text, a line of the viewer) and what a window shows.
#ifndef TOVIK_PLATFORM_CP932STRING_H
#define TOVIK_PLATFORM_CP932STRING_H

#include <QString>

#include <string>
#include <string_view>

namespace tovik::platform {

// A sequence that is not CP932 shows as U+30FB; nothing is dropped silently.
QString Cp932ToQString(std::string_view cp932);
// Text for a line, the clipboard or a search in CP932; what CP932 cannot hold becomes "?".
std::string QStringToCp932(QStringView text);

} // namespace tovik::platform

#endif
