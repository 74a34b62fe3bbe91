// Small conversions the windows share: one way from the stored Shift_JIS texts to what the
// user sees.
#ifndef TOVIK_SOURCE_LXPNGLOBALPROCS_H
#define TOVIK_SOURCE_LXPNGLOBALPROCS_H

#include <QString>

#include <string_view>

// CP932 bytes (stored names, library texts) as text for the screen. A sequence that is not
// CP932 shows as U+30FB; nothing is dropped silently.
QString Cp932ToQString(std::string_view cp932);

// A library's message left in a buffer: up to its first NUL, without leading and trailing
// blanks and control characters.
QString LibraryMessageText(std::string_view buffer);

#endif
