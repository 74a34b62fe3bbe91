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

std::string QStringToCp932(QStringView text)
{
    return Utf16ToCp932(std::u16string_view(reinterpret_cast<const char16_t *>(text.utf16()),
                                            static_cast<size_t>(text.size())));
}

} // namespace tovik::platform
