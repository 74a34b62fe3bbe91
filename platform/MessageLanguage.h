// Which language the command-line texts speak: Japanese under a Japanese locale, English
// otherwise. The windows always speak Japanese.
#ifndef TOVIK_PLATFORM_MESSAGELANGUAGE_H
#define TOVIK_PLATFORM_MESSAGELANGUAGE_H

namespace tovik::platform {

// True when the locale that messages follow is Japanese: the first of LC_ALL, LC_MESSAGES and
// LANG that is set and not empty names "ja" or "ja_..." (any encoding or modifier).
bool JapaneseMessages();

// The version of the program, from the project's version ("0.1.0").
const char *ProgramVersion();

} // namespace tovik::platform

#endif
