// Runs a stretch of code under a UTF-8 character locale for this thread.
//
// libarchive converts names through the thread's LC_CTYPE: in the plain C locale it answers
// null for every UTF-8 or UTF-16 name of a ZIP, 7z or CAB archive. Every call into libarchive
// happens while one of these guards lives; the caller's locale comes back when it ends.
#ifndef TOVIK_ARCHIVERS_LOCALEGUARD_H
#define TOVIK_ARCHIVERS_LOCALEGUARD_H

#include <locale.h>

namespace tovik::archivers {

class Utf8LocaleGuard {
public:
    Utf8LocaleGuard();
    ~Utf8LocaleGuard();
    Utf8LocaleGuard(const Utf8LocaleGuard &) = delete;
    Utf8LocaleGuard &operator=(const Utf8LocaleGuard &) = delete;

private:
    locale_t previous_ = nullptr;
};

} // namespace tovik::archivers

#endif
