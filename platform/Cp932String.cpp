#include "platform/Cp932String.h"

#include "platform/Cp932.h"

namespace tovik::platform {

QString Cp932ToQString(std::string_view cp932)
{
    bool ascii = true;
    for (char c : cp932)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii)
        return QString::fromLatin1(cp932.data(), static_cast<qsizetype>(cp932.size()));
    return QString::fromStdU16String(Cp932ToUtf16(cp932));
}

} // namespace tovik::platform
