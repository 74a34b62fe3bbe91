#include "platform/MessageLanguage.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace tovik::platform {

bool JapaneseMessages()
{
    // POSIX order: LC_ALL overrides LC_MESSAGES, which overrides LANG.
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char *value = std::getenv(name);
        if (!value || !*value)
            continue;
        return std::strncmp(value, "ja", 2) == 0 && (value[2] == '\0' || value[2] == '_' || value[2] == '.'
                                                     || value[2] == '@');
    }
    return false;
}

const char *ProgramVersion() { return TOVIK_VERSION; }

} // namespace tovik::platform
