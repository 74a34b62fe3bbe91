#include "platform/NumberText.h"

namespace tovik::platform {

namespace {

// digits grouped into out, which holds at least digits.size() * 4 / 3 + 1 bytes.
size_t GroupInto(std::string_view digits, char *out)
{
    size_t len = 0;
    const size_t n = digits.size();
    for (size_t i = 0; i < n; ++i) {
        out[len++] = digits[i];
        const size_t rest = n - 1 - i;
        if (rest > 0 && rest % 3 == 0)
            out[len++] = ',';
    }
    return len;
}

} // namespace

std::string GroupThousands(std::string_view digits)
{
    std::string text(digits.size() + digits.size() / 3, '\0');
    text.resize(GroupInto(digits, text.data()));
    return text;
}

size_t FormatGroupedNumber(int64_t value, char *out)
{
    char digits[20];
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    size_t n = sizeof digits;
    do {
        digits[--n] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    size_t len = 0;
    if (value < 0)
        out[len++] = '-';
    return len + GroupInto(std::string_view(digits + n, sizeof digits - n), out + len);
}

} // namespace tovik::platform
