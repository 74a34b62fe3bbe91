#include "archivers/common/LocaleGuard.h"

#include <initializer_list>

namespace tovik::archivers {
namespace {

// Created once and never freed: a locale object may be in use by any thread at any time.
locale_t Utf8Locale()
{
    static const locale_t locale = [] {
        for (const char *name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
            locale_t l = newlocale(LC_CTYPE_MASK, name, static_cast<locale_t>(nullptr));
            if (l != static_cast<locale_t>(nullptr))
                return l;
        }
        return static_cast<locale_t>(nullptr);
    }();
    return locale;
}

} // namespace

Utf8LocaleGuard::Utf8LocaleGuard()
{
    if (locale_t l = Utf8Locale())
        previous_ = uselocale(l);
}

Utf8LocaleGuard::~Utf8LocaleGuard()
{
    if (previous_ != static_cast<locale_t>(nullptr))
        uselocale(previous_);
}

} // namespace tovik::archivers
