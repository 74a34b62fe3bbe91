#include "Cp932.h"

#include <cerrno>
#include <cstdint>
#include <iconv.h>

namespace tovik::platform {
namespace {

// Length of the UTF-8 sequence that starts at p, 1 for a stray byte.
size_t Utf8SequenceLength(const unsigned char *p, size_t left)
{
    unsigned char b = p[0];
    size_t n = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 1;
    // A broken or cut-short sequence spans its lead byte and the continuation bytes present
    // (one replacement per maximal broken piece).
    size_t limit = n < left ? n : left;
    for (size_t i = 1; i < limit; ++i)
        if ((p[i] & 0xC0) != 0x80)
            return i;
    return limit;
}

// A UTF-16 unit (or a surrogate pair) is what a failed character spans.
size_t Utf16UnitLength(const unsigned char *p, size_t left)
{
    if (left >= 4) {
        unsigned hi = p[0] | (p[1] << 8);
        unsigned lo = p[2] | (p[3] << 8);
        if (hi >= 0xD800 && hi <= 0xDBFF && lo >= 0xDC00 && lo <= 0xDFFF)
            return 4;
    }
    return 2;
}

// A CP932 lead byte spans its trail byte too, unless the trail is a line end or missing.
size_t Cp932CharLength(const unsigned char *p, size_t left)
{
    if (IsCp932LeadByte(p[0]) && left >= 2 && p[1] >= 0x40 && p[1] != 0x7F && p[1] <= 0xFC)
        return 2;
    return 1;
}

// One converter per direction and thread, opened on first use: iconv_open is far more costly
// than converting a file name.
class Converter {
public:
    Converter(const char *to, const char *from) : handle_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (handle_ != reinterpret_cast<iconv_t>(-1))
            iconv_close(handle_);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    // Converts in to out. On an invalid, unmappable or cut-short input character, appends
    // replacement, skips that character (its length from unitLength) and goes on. Returns whether anything was replaced.
    using UnitLength = size_t (*)(const unsigned char *p, size_t left);
    bool convert(const char *in, size_t inSize, std::string &out, std::string_view replacement,
                 UnitLength unitLength)
    {
        bool replaced = false;
        out.clear();
        if (!valid()) {
            out.assign(in, inSize);
            return true;
        }
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        char *src = const_cast<char *>(in);
        size_t left = inSize;
        out.resize(inSize * 2 + 16);
        size_t used = 0;
        while (left > 0) {
            char *dst = out.data() + used;
            size_t room = out.size() - used;
            size_t rc = iconv(handle_, &src, &left, &dst, &room);
            used = out.size() - room;
            if (rc != static_cast<size_t>(-1))
                break;
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            // EILSEQ or EINVAL: an unconvertible character or a sequence cut short.
            replaced = true;
            if (out.size() - used < replacement.size())
                out.resize(out.size() * 2 + replacement.size());
            out.replace(used, replacement.size(), replacement);
            used += replacement.size();
            size_t skip = unitLength(reinterpret_cast<const unsigned char *>(src), left);
            if (skip == 0 || skip > left)
                skip = left;
            src += skip;
            left -= skip;
            iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        }
        out.resize(used);
        return replaced;
    }

private:
    iconv_t handle_;
};

} // namespace

std::string Utf8ToCp932(std::string_view utf8, bool *lossy)
{
    thread_local Converter conv("CP932", "UTF-8");
    std::string out;
    bool replaced = conv.convert(utf8.data(), utf8.size(), out, "?", Utf8SequenceLength);
    if (lossy)
        *lossy = replaced;
    return out;
}

std::string Utf16ToCp932(std::u16string_view utf16, bool *lossy)
{
    thread_local Converter conv("CP932", "UTF-16LE");
    std::string out;
    bool replaced = conv.convert(reinterpret_cast<const char *>(utf16.data()), utf16.size() * 2, out, "?", Utf16UnitLength);
    if (lossy)
        *lossy = replaced;
    return out;
}

std::string Cp932ToUtf8(std::string_view cp932)
{
    thread_local Converter conv("UTF-8", "CP932");
    std::string out;
    conv.convert(cp932.data(), cp932.size(), out, "\xE3\x83\xBB", Cp932CharLength);
    return out;
}

std::u16string Cp932ToUtf16(std::string_view cp932)
{
    thread_local Converter conv("UTF-16LE", "CP932");
    std::string bytes;
    conv.convert(cp932.data(), cp932.size(), bytes, std::string_view("\xFB\x30", 2), Cp932CharLength);
    std::u16string out(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                        (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    return out;
}

bool IsValidUtf8(std::string_view text)
{
    const auto *p = reinterpret_cast<const unsigned char *>(text.data());
    size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        unsigned char b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        size_t len;
        uint32_t cp;
        if ((b & 0xE0) == 0xC0) {
            len = 2;
            cp = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            len = 3;
            cp = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            len = 4;
            cp = b & 0x07;
        } else {
            return false;
        }
        if (i + len > n)
            return false;
        for (size_t k = 1; k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

} // namespace tovik::platform
