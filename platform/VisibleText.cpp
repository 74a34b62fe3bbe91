#include "platform/VisibleText.h"

namespace tovik::platform {

char32_t ControlPicture(char32_t c)
{
    if (c < 0x20)
        return 0x2400 + c;
    if (c == 0x7F)
        return 0x2421;
    if (c >= 0x80 && c <= 0x9F)
        return 0xFFFD;
    return 0;
}

namespace {

void AppendUtf8(std::string &out, char32_t c)
{
    // Every picture lies in the three-byte range.
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
}

} // namespace

std::string VisibleControls(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (char32_t picture = b < 0x80 ? ControlPicture(b) : 0) {
            AppendUtf8(out, picture);
            continue;
        }
        // A C1 control is written C2 80 to C2 9F.
        if (b == 0xC2 && i + 1 < utf8.size()) {
            const auto next = static_cast<unsigned char>(utf8[i + 1]);
            if (next >= 0x80 && next <= 0x9F) {
                AppendUtf8(out, ControlPicture(next));
                ++i;
                continue;
            }
        }
        out += static_cast<char>(b);
    }
    return out;
}

} // namespace tovik::platform
