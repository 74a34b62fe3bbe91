// Japanese font names on Linux.
//
// The settings name their fonts the way Japanese desktops spell them ("ＭＳ ゴシック" is the
// default of both the editor and the preview). No Linux font package answers to those names,
// and fontconfig would then fall back to a proportional Latin face, so the program maps them
// onto the Japanese faces it installs before any window is created.
#ifndef TOVIK_PLATFORM_FONTS_H
#define TOVIK_PLATFORM_FONTS_H

#include <QFont>
#include <QString>

namespace tovik::platform {

// Registers the substitutes of the usual Japanese font names (Gothic and Mincho, fixed and
// proportional, full-width and ASCII spellings). Needs a QGuiApplication; calling it again
// does no harm.
void RegisterFontSubstitutes();

// The font a setting pair describes: family name and size in points. A size below 1 keeps
// the default size; an empty name gives the fixed-pitch Japanese default.
QFont FontFromSettings(const QString &name, int pointSize);

} // namespace tovik::platform

#endif
