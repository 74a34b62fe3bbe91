// Names from an archive shown to a person: control characters made visible.
//
// A stored name may hold any byte. A newline or tab in it would forge rows of a listing, an
// ESC would send commands to the terminal, and in a list view they are invisible. Every place
// that prints or shows a stored name passes it through here first.
#ifndef TOVIK_PLATFORM_VISIBLETEXT_H
#define TOVIK_PLATFORM_VISIBLETEXT_H

#include <string>
#include <string_view>

namespace tovik::platform {

// The visible stand-in of a control character: U+2400 + c for C0 controls (U+240A for a
// newline), U+2421 for DEL, U+FFFD for the C1 controls U+0080 to U+009F; 0 for any other
// character, which stays as it is.
char32_t ControlPicture(char32_t c);

// UTF-8 text with every control character replaced by its picture. Bytes that are not UTF-8
// pass unchanged, except the control bytes among them.
std::string VisibleControls(std::string_view utf8);

} // namespace tovik::platform

#endif
