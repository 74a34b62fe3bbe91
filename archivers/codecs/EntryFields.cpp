#include "archivers/codecs/EntryFields.h"

#include "platform/Cp932.h"


namespace tovik::codecs {

std::string BackslashToSlash(std::string_view cp932)
{
    std::string out(cp932);
    for (std::size_t i = 0; i < out.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (platform::IsCp932LeadByte(c) && i + 1 < out.size())
            ++i;
        else if (c == '\\')
            out[i] = '/';
    }
    return out;
}

std::string StoredNameToCp932(std::string_view raw, bool utf8)
{
    bool high = false;
    for (unsigned char c : raw)
        high |= c >= 0x80;
    if (high && (utf8 || platform::IsValidUtf8(raw)))
        return platform::Utf8ToCp932(raw);
    return std::string(raw);
}

std::string Utf16LeToCp932(std::string_view bytes)
{
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    return platform::Utf16ToCp932(text);
}

} // namespace tovik::codecs
