// Small conversions the windows share: one way from the stored Shift_JIS texts to what the
// user sees.
#ifndef TOVIK_SOURCE_LXPNGLOBALPROCS_H
#define TOVIK_SOURCE_LXPNGLOBALPROCS_H

#include "platform/Cp932String.h"

#include <QString>

#include <string_view>

// CP932 bytes (stored names, library texts) as text for the screen.
using tovik::platform::Cp932ToQString;
// A stored name as the tree and the list show it: control characters (a newline, a tab, an
// ESC in a hostile name) become their visible pictures instead of vanishing.
QString NameToQString(std::string_view cp932);

// A library's message left in a buffer: up to its first NUL, without leading and trailing
// blanks and control characters.
QString LibraryMessageText(std::string_view buffer);

// Installs the toolkit's own Japanese texts (the standard dialogs' buttons and labels, the
// text fields' menus) whatever the locale, since the program's own texts are Japanese.
// False when the translations are not installed; the toolkit's English stays then.
bool InstallToolkitTranslations();

#endif
