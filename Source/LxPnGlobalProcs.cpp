#include "Source/LxPnGlobalProcs.h"

#include "platform/Cp932.h"

QString Cp932ToQString(std::string_view cp932)
{
    return QString::fromStdU16String(tovik::platform::Cp932ToUtf16(cp932));
}

QString LibraryMessageText(std::string_view buffer)
{
    const size_t end = std::min(buffer.find('\0'), buffer.size());
    size_t first = 0, last = end;
    while (first < last && static_cast<unsigned char>(buffer[first]) <= ' ')
        ++first;
    while (last > first && static_cast<unsigned char>(buffer[last - 1]) <= ' ')
        --last;
    return Cp932ToQString(buffer.substr(first, last - first));
}
