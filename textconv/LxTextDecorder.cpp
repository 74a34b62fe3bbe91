#include "LxTextDecorder.h"

#include "editor/EditTypes.h"
#include "platform/CodePage.h"

#include <iconv.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>
#include <fstream>
#include <istream>
#include <iterator>
#include <mutex>
#include <sstream>

namespace {

constexpr size_t kDetectSampleSize = 64000;

// The bytes of the line being decoded. Appends stay inline: the decoders append a byte or two
// per character, a million times for a large text.
class LineBuffer {
public:
    [[gnu::always_inline]] void put(char c)
    {
        if (size_ == capacity_)
            Grow();
        data_[size_++] = c;
    }
    size_t size() const { return size_; }
    char operator[](size_t i) const { return data_[i]; }
    // Drops what follows the first n bytes.
    void truncate(size_t n) { size_ = n < size_ ? n : size_; }
    void clear() { size_ = 0; }
    std::string_view view() const { return std::string_view(data_, size_); }

private:
    [[gnu::noinline]] void Grow()
    {
        buffer_.resize(buffer_.size() * 2 + 256);
        data_ = buffer_.data();
        capacity_ = buffer_.size();
    }
    std::string buffer_;
    char *data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Conversion of single characters to CP932.

// What iconv makes of one UTF-16 unit, kept once worked out: (length << 16) | bytes, 0 while
// unknown. A unit is converted on its own, so a surrogate half is never CP932 and becomes "?".
// Converting each distinct unit once keeps iconv out of the per-character loop: asking iconv
// per character costs a quarter more time on a 1 MB UTF-8 or UTF-16 text.
std::atomic<uint32_t> g_unitCache[0x10000];

uint32_t ConvertUnitSlow(char16_t unit)
{
    // From iconv's own 32-bit form, which is one conversion step instead of two; for a single
    // 16-bit unit it gives what converting from UTF-16 gives (a surrogate half fails either way).
    static std::mutex lock;
    static iconv_t handle = iconv_open("CP932", "WCHAR_T");
    std::lock_guard<std::mutex> guard(lock);
    uint32_t entry = (1u << 16) | '?';
    if (handle != reinterpret_cast<iconv_t>(-1)) {
        wchar_t in = static_cast<wchar_t>(unit);
        char outBytes[8];
        char *src = reinterpret_cast<char *>(&in);
        char *dst = outBytes;
        size_t left = sizeof in;
        size_t room = sizeof outBytes;
        size_t rc = iconv(handle, &src, &left, &dst, &room);
        size_t produced = sizeof outBytes - room;
        if (rc == static_cast<size_t>(-1))
            iconv(handle, nullptr, nullptr, nullptr, nullptr);
        else if (left == 0 && produced == 1)
            entry = (1u << 16) | static_cast<uint8_t>(outBytes[0]);
        else if (left == 0 && produced == 2)
            entry = (2u << 16) | (static_cast<uint8_t>(outBytes[0]) << 8) | static_cast<uint8_t>(outBytes[1]);
    }
    g_unitCache[unit].store(entry, std::memory_order_relaxed);
    return entry;
}

// Appends the CP932 form of one UTF-16 unit ("?" when it has none).
inline void AppendUnit(char16_t unit, LineBuffer &out)
{
    if (unit < 0x80) {
        out.put(static_cast<char>(unit));
        return;
    }
    uint32_t entry = g_unitCache[unit].load(std::memory_order_relaxed);
    if (entry == 0)
        entry = ConvertUnitSlow(unit);
    if ((entry >> 16) == 2)
        out.put(static_cast<char>((entry >> 8) & 0xFF));
    out.put(static_cast<char>(entry & 0xFF));
}

// A JIS X 0212 character (EUC-JP's three-byte form, 8F b1 b2) in CP932, "?" when CP932 has none.
void AppendEucJis0212(uint8_t b1, uint8_t b2, LineBuffer &out)
{
    static std::mutex lock;
    static iconv_t handle = iconv_open("CP932", "EUC-JP");
    std::lock_guard<std::mutex> guard(lock);
    if (handle != reinterpret_cast<iconv_t>(-1)) {
        char in[3] = {static_cast<char>(0x8F), static_cast<char>(b1), static_cast<char>(b2)};
        char outBytes[8];
        char *src = in;
        char *dst = outBytes;
        size_t left = 3;
        size_t room = sizeof outBytes;
        iconv(handle, nullptr, nullptr, nullptr, nullptr);
        size_t rc = iconv(handle, &src, &left, &dst, &room);
        size_t produced = sizeof outBytes - room;
        if (rc != static_cast<size_t>(-1) && left == 0 && produced > 0) {
            for (size_t i = 0; i < produced; ++i)
                out.put(outBytes[i]);
            return;
        }
    }
    out.put('?');
}

// JIS X 0208 row/cell bytes to Shift_JIS, by the arithmetic of the two encodings. Bytes outside
// 0x21-0x7E give whatever the arithmetic gives, cut to a byte.
inline void AppendJisAsSjis(unsigned j1, unsigned j2, LineBuffer &out)
{
    unsigned s1 = ((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0);
    unsigned s2;
    if (j1 & 1)
        s2 = j2 + (j2 < 0x60 ? 0x1F : 0x20);
    else
        s2 = j2 + 0x7E;
    out.put(static_cast<char>(s1 & 0xFF));
    out.put(static_cast<char>(s2 & 0xFF));
}

// ---------------------------------------------------------------------------------------------
// Per-character rules of each decoder, over the text [c, End). Bytes from End on read as zero,
// which ends the text just as a zero byte inside it does; no rule moves c past End.
// Peek appends the character at c to out (nothing at the end of the text) and may move c to the
// character's last byte; Next moves on.

struct ByteRule {
    const uint8_t *End;
    uint8_t At(const uint8_t *c, size_t k) const { return k < static_cast<size_t>(End - c) ? c[k] : 0; }
    bool AtEnd(const uint8_t *c) const { return c >= End || *c == 0; }
    void Next(const uint8_t *&c) const
    {
        if (!AtEnd(c))
            ++c;
    }
    // Decodes a run of the common characters in one go, exactly as Peek and Next one by one
    // would; stops before a line end, the end of the text, or any character it leaves to Peek.
    void FastRun(const uint8_t *&, LineBuffer &) const {}
};

struct SjisRule : ByteRule {
    void Peek(const uint8_t *&c, LineBuffer &out) const
    {
        if (!AtEnd(c))
            out.put(static_cast<char>(*c));
    }
};

struct EucRule : ByteRule {
    void FastRun(const uint8_t *&c, LineBuffer &out) const
    {
        while (c < End) {
            const uint8_t b = *c;
            if (b >= 0x20 && b < 0x7F) {
                out.put(static_cast<char>(b));
                ++c;
            } else if (b >= 0xA1 && b <= 0xFE && End - c >= 2 && c[1] >= 0xA1 && c[1] <= 0xFE) {
                AppendJisAsSjis(b & 0x7F, c[1] & 0x7F, out);
                c += 2;
            } else {
                break;
            }
        }
    }
    void Peek(const uint8_t *&c, LineBuffer &out) const
    {
        if (AtEnd(c))
            return;
        const uint8_t b = *c;
        const uint8_t b1 = At(c, 1);
        if (b >= 0xA1 && b <= 0xFE && b1 != 0) {
            AppendJisAsSjis(b & 0x7F, b1 & 0x7F, out);
            ++c;
        } else if (b == 0x8E && b1 >= 0xA1 && b1 <= 0xDF) {
            out.put(static_cast<char>(b1));
            ++c;
        } else if (b == 0x8F && b1 >= 0xA1 && b1 <= 0xFE && At(c, 2) >= 0xA1 && At(c, 2) <= 0xFE) {
            // The three-byte form is one character. Passed through, 8F would be a Shift_JIS lead
            // byte and swallow the first byte of the next character.
            AppendEucJis0212(b1, At(c, 2), out);
            c += 2;
        } else if (b >= 0x81 && b <= 0x9F) {
            // A stray byte that Shift_JIS reads as a lead byte: shown as "?" for the same reason.
            out.put('?');
        } else {
            out.put(static_cast<char>(b));
        }
    }
};

struct JisRule : ByteRule {
    uint8_t &TwoByteMode;
    void FastRun(const uint8_t *&c, LineBuffer &out) const
    {
        if (!TwoByteMode) {
            while (c < End && *c >= 0x20 && *c < 0x7F) {
                out.put(static_cast<char>(*c));
                ++c;
            }
        } else {
            while (End - c >= 2 && c[0] >= 0x21 && c[0] <= 0x7E && c[1] >= 0x21 && c[1] <= 0x7E) {
                AppendJisAsSjis(c[0], c[1], out);
                c += 2;
            }
        }
    }
    void Peek(const uint8_t *&c, LineBuffer &out) const
    {
        // Every escape sequence counts as three bytes; only ESC "$" enters two-byte mode. One
        // cut short by the end of the text ends it.
        while (At(c, 0) == 0x1B) {
            TwoByteMode = At(c, 1) == '$';
            if (At(c, 1) == 0) {
                c += 1;
                break;
            }
            if (At(c, 2) == 0) {
                c += 2;
                break;
            }
            c += 3;
        }
        if (AtEnd(c))
            return;
        if (!TwoByteMode) {
            out.put(static_cast<char>(*c));
        } else if (At(c, 1) != 0) {
            AppendJisAsSjis(*c, c[1], out);
            ++c;
        } else {
            out.put('?'); // half a character at the end of the text
        }
    }
};

struct Utf5Rule : ByteRule {
    void Peek(const uint8_t *&c, LineBuffer &out) const
    {
        if (AtEnd(c))
            return;
        unsigned value = static_cast<uint16_t>(*c - 0x47);
        for (const uint8_t *p = c + 1; !AtEnd(p) && *p <= 0x46; ++p) {
            int digit = (*p >= '0' && *p <= '9') ? *p - '0' : *p - 'A' + 10;
            value = static_cast<uint16_t>(value * 16 + digit);
        }
        AppendUnit(static_cast<char16_t>(value), out);
    }
    void Next(const uint8_t *&c) const
    {
        if (!AtEnd(c))
            ++c;
        while (!AtEnd(c) && *c < 0x47)
            ++c;
    }
};

struct Utf8Rule : ByteRule {
    void FastRun(const uint8_t *&c, LineBuffer &out) const
    {
        while (c < End) {
            const uint8_t b = *c;
            if (b >= 0x20 && b < 0x80) {
                out.put(static_cast<char>(b));
                ++c;
                continue;
            }
            char16_t unit;
            size_t length;
            if (b >= 0xE0 && b <= 0xEF && End - c >= 3 && c[1] != 0 && c[2] != 0) {
                unit = static_cast<char16_t>(((b & 0x0F) << 12) | ((c[1] & 0x3F) << 6) | (c[2] & 0x3F));
                length = 3;
            } else if (b >= 0xC0 && b <= 0xDF && End - c >= 2 && c[1] != 0) {
                unit = static_cast<char16_t>(((b & 0x1F) << 6) | (c[1] & 0x3F));
                length = 2;
            } else {
                break;
            }
            if (unit == '\r' || unit == '\n')
                break;
            AppendUnit(unit, out);
            c += length;
        }
    }
    void Peek(const uint8_t *&c, LineBuffer &out) const
    {
        if (AtEnd(c))
            return;
        const uint8_t b = *c;
        if (b < 0x80) {
            out.put(static_cast<char>(b));
            return;
        }
        if (b < 0xC0 || b >= 0xF8)
            return; // a stray continuation byte or no lead at all: dropped
        const size_t need = b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
        for (size_t k = 1; k <= need; ++k) {
            if (At(c, k) == 0) {
                // Cut short by the end of the text: one "?" for the bytes there are.
                out.put('?');
                c += k - 1;
                return;
            }
        }
        // Continuation bytes are masked, not checked.
        if (need == 1)
            AppendUnit(static_cast<char16_t>(((b & 0x1F) << 6) | (c[1] & 0x3F)), out);
        else if (need == 2)
            AppendUnit(static_cast<char16_t>(((b & 0x0F) << 12) | ((c[1] & 0x3F) << 6) | (c[2] & 0x3F)), out);
        else
            out.put('?'); // beyond the basic plane: CP932 has none of these
        c += need;
    }
};

// 16-bit units in little-endian order over [c, End), End even with the start.
struct Utf16Rule {
    const uint8_t *End;
    bool BigEndian;
    static char16_t Unit(const uint8_t *c) { return static_cast<char16_t>(c[0] | (c[1] << 8)); }
    bool AtEnd(const uint8_t *c) const { return c >= End || Unit(c) == 0; }
    void Peek(const uint8_t *&c, LineBuffer &out) const
    {
        if (AtEnd(c))
            return;
        char16_t unit = Unit(c);
        if (BigEndian)
            unit = static_cast<char16_t>((unit >> 8) | (unit << 8));
        AppendUnit(unit, out);
    }
    void Next(const uint8_t *&c) const
    {
        if (!AtEnd(c))
            c += 2;
    }
    void FastRun(const uint8_t *&c, LineBuffer &out) const
    {
        while (End - c >= 2) {
            char16_t unit = Unit(c);
            if (BigEndian)
                unit = static_cast<char16_t>((unit >> 8) | (unit << 8));
            if (unit == 0 || unit == '\r' || unit == '\n')
                break;
            AppendUnit(unit, out);
            c += 2;
        }
    }
};

// Adds one decoded line to lines as loading the decoded text (lines joined by CR LF) would:
// a break inside the line (ISO-2022-JP pairs outside the JIS rows can make CR and LF bytes)
// splits it, and the last line adds nothing when it is empty.
void AddDecodedLine(TEditStringList *lines, std::string_view line, bool last)
{
    const bool breaks =
        !line.empty() && (std::memchr(line.data(), '\r', line.size()) || std::memchr(line.data(), '\n', line.size()));
    if (!breaks) {
        if (!last || !line.empty())
            lines->AddObject(line, nullptr);
        return;
    }
    // Followed by CR LF, every break inside starts one more line, an empty one included.
    for (std::string_view piece : SplitTextLines(line, !last))
        lines->AddObject(piece, nullptr);
}

// The line loop of the decoders with the rules inlined: the same steps as ReadLine and
// LoadFromStream, with each line going straight into the line store.
template <class Rule>
void RunLines(const Rule &rule, const uint8_t *&lineStart, const uint8_t *&current, TEditStringList *lines)
{
    if (!lineStart)
        return; // no source set
    LineBuffer line;
    while (!rule.AtEnd(lineStart)) {
        line.clear();
        const uint8_t *c = lineStart;
        for (;;) {
            rule.FastRun(c, line);
            if (rule.AtEnd(c))
                break;
            size_t mark = line.size();
            rule.Peek(c, line);
            rule.Next(c);
            if (line.size() == mark + 1 && (line[mark] == '\r' || line[mark] == '\n')) {
                char end = line[mark];
                line.truncate(mark);
                if (end == '\r') {
                    // CR LF is one line end. Anything else after CR stays for the next line,
                    // whole: the look ahead must not leave c inside a character.
                    const uint8_t *save = c;
                    rule.Peek(c, line);
                    bool lf = line.size() == mark + 1 && line[mark] == '\n';
                    line.truncate(mark);
                    if (lf)
                        rule.Next(c);
                    else
                        c = save;
                }
                break;
            }
            if (rule.AtEnd(c))
                break;
        }
        lineStart = c;
        current = c;
        AddDecodedLine(lines, line.view(), rule.AtEnd(c));
    }
    current = lineStart;
}

// The character at current by rule, as PeekChar gives it.
template <class Rule>
void PeekInto(const Rule &rule, const uint8_t *&current, std::string &ch)
{
    LineBuffer out;
    rule.Peek(current, out);
    ch.assign(out.view());
}

// Lines in a text, counted generously so that the line store is sized once.
int CountLineBreaks(const void *data, size_t size)
{
    const auto *p = static_cast<const char *>(data);
    const char *end = p + size;
    size_t count = 0;
    while (p < end) {
        const void *hit = std::memchr(p, '\n', static_cast<size_t>(end - p));
        if (!hit)
            break;
        ++count;
        p = static_cast<const char *>(hit) + 1;
    }
    return static_cast<int>(std::min<size_t>(count + 1, 1u << 30));
}

// Replaces lines by what decode adds, inside one update. A failure to store the lines becomes
// the load error; a failure while decoding passes on, the lines decoded so far staying.
template <class Decode>
void ReplaceLines(TEditStringList *lines, const std::string &fileName, int expectedLines, Decode decode)
{
    lines->BeginUpdate();
    try {
        lines->Clear();
        if (!lines->Sorted())
            lines->SetCapacity(expectedLines);
        decode();
    } catch (const EStringListError &) {
        lines->EndUpdate();
        throw ELxDecodeError("Error： LoadFromFile" + fileName);
    } catch (...) {
        lines->EndUpdate();
        throw;
    }
    lines->EndUpdate();
}

// The rest of the stream from its current position.
std::string ReadWholeStream(std::istream &stream)
{
    std::string data;
    std::streampos start = stream.tellg();
    if (start != std::streampos(-1) && stream.seekg(0, std::ios::end)) {
        std::streampos end = stream.tellg();
        stream.seekg(start);
        if (end != std::streampos(-1) && end > start) {
            data.resize(static_cast<size_t>(end - start));
            stream.read(data.data(), static_cast<std::streamsize>(data.size()));
            data.resize(static_cast<size_t>(stream.gcount()));
        }
    }
    stream.clear();
    char buffer[65536];
    while (stream.read(buffer, sizeof buffer) || stream.gcount() > 0)
        data.append(buffer, static_cast<size_t>(stream.gcount()));
    return data;
}

void Rewind(std::istream &stream)
{
    stream.clear();
    stream.seekg(0, std::ios::beg);
}

std::string ReadFileBytes(const std::string &fileName, bool &ok)
{
    std::ifstream file(fileName, std::ios::binary);
    ok = static_cast<bool>(file);
    if (!ok)
        return {};
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

[[noreturn]] void RaiseLoadError(const std::string &fileName)
{
    throw ELxDecodeError("Error： LoadFromFile" + fileName);
}

} // namespace

// ---------------------------------------------------------------------------------------------

TLxDecorderBase::TLxDecorderBase(const std::string &fileName, bool bigEndian, bool hasBOM)
    : FileName(fileName), BigEndian(bigEndian ? 1 : 0), HasBOM(hasBOM ? 1 : 0)
{
}

TLxDecorderBase::~TLxDecorderBase() = default;

void TLxDecorderBase::LoadLines(std::string_view text, TEditStringList *lines) const
{
    try {
        lines->SetText(text);
    } catch (const std::exception &) {
        RaiseLoadError(FileName);
    }
}

void TLxDecorderBase::LoadFromFile(TEditStringList *lines)
{
    LoadLines({}, lines);
    if (FileName.empty())
        return;
    bool ok = false;
    std::string data = ReadFileBytes(FileName, ok);
    if (ok)
        LoadLines(data, lines);
}

void TLxDecorderBase::LoadFromStream(std::istream &stream, TEditStringList *lines)
{
    LoadLines({}, lines);
    LoadFromBytes(ReadWholeStream(stream), lines);
}

void TLxDecorderBase::LoadFromBytes(std::string_view text, TEditStringList *lines)
{
    // As every decoder: the text ends at its first zero byte.
    const size_t nul = text.find('\0');
    LoadLines(nul == std::string_view::npos ? text : text.substr(0, nul), lines);
}

// ---------------------------------------------------------------------------------------------

void TLxSourceDecorder::LoadFromFile(TEditStringList *lines)
{
    bool ok = false;
    std::string data = ReadFileBytes(FileName, ok);
    if (!ok)
        RaiseLoadError(FileName);
    std::istringstream stream(std::move(data));
    LoadFromStream(stream, lines);
}

void TLxSourceDecorder::LoadFromStream(std::istream &stream, TEditStringList *lines)
{
    Rewind(stream);
    FBuffer = ReadWholeStream(stream);
    LoadFromBytes(FBuffer, lines);
}

void TLxSourceDecorder::LoadFromBytes(std::string_view text, TEditStringList *lines)
{
    SetSource(text);
    ReplaceLines(lines, FileName, CountLineBreaks(text.data(), text.size()), [&] { DecodeRest(lines); });
}

void TLxSourceDecorder::SetSource(std::string_view text)
{
    TextStart = LineStart = Current = reinterpret_cast<const uint8_t *>(text.data());
    TextEnd = TextStart + text.size();
}

void TLxSourceDecorder::ReadLine(std::string &line)
{
    line.clear();
    Current = LineStart;
    std::string ch;
    for (;;) {
        PeekDisplayChar(ch);
        Next();
        if (ch == "\r" || ch == "\n") {
            if (ch == "\r") {
                const uint8_t *save = Current;
                PeekDisplayChar(ch);
                if (ch == "\n")
                    Next();
                else
                    Current = save;
            }
            break;
        }
        line += ch;
        if (AtEnd())
            break;
    }
    LineStart = Current;
}

// ---------------------------------------------------------------------------------------------

void TLxJPDecorder::ReadChar(std::string &ch)
{
    PeekChar(ch);
    Next();
}

void TLxJPDecorder::PeekChar(std::string &ch)
{
    PeekInto(SjisRule {{TextEnd}}, Current, ch);
}

void TLxJPDecorder::Next() { SjisRule {{TextEnd}}.Next(Current); }

bool TLxJPDecorder::AtEnd() { return ByteRule {TextEnd}.AtEnd(Current); }

void TLxJPDecorder::DecodeRest(TEditStringList *lines)
{
    RunLines(SjisRule {{TextEnd}}, LineStart, Current, lines);
}

// ---------------------------------------------------------------------------------------------

void TLxEUCJPDecorder::PeekChar(std::string &ch)
{
    PeekInto(EucRule {{TextEnd}}, Current, ch);
}

void TLxEUCJPDecorder::DecodeRest(TEditStringList *lines)
{
    RunLines(EucRule {{TextEnd}}, LineStart, Current, lines);
}

// ---------------------------------------------------------------------------------------------

void TLxJISDecorder::SetSource(std::string_view text)
{
    TLxSourceDecorder::SetSource(text);
    TwoByteMode = 0;
}

void TLxJISDecorder::PeekChar(std::string &ch)
{
    PeekInto(JisRule {{TextEnd}, TwoByteMode}, Current, ch);
}

void TLxJISDecorder::DecodeRest(TEditStringList *lines)
{
    RunLines(JisRule {{TextEnd}, TwoByteMode}, LineStart, Current, lines);
}

// ---------------------------------------------------------------------------------------------

void TLxUTF5Decorder::PeekChar(std::string &ch)
{
    PeekInto(Utf5Rule {{TextEnd}}, Current, ch);
}

void TLxUTF5Decorder::Next() { Utf5Rule {{TextEnd}}.Next(Current); }

void TLxUTF5Decorder::DecodeRest(TEditStringList *lines)
{
    RunLines(Utf5Rule {{TextEnd}}, LineStart, Current, lines);
}

// ---------------------------------------------------------------------------------------------

void TLxUTF8Decorder::SetSource(std::string_view text)
{
    TLxSourceDecorder::SetSource(text);
    if (text.size() >= 2 && TextStart[0] == 0xEF && TextStart[1] == 0xBB)
        TextStart = LineStart = Current = TextStart + std::min<size_t>(3, text.size());
}

void TLxUTF8Decorder::PeekChar(std::string &ch)
{
    PeekInto(Utf8Rule {{TextEnd}}, Current, ch);
}

void TLxUTF8Decorder::DecodeRest(TEditStringList *lines)
{
    RunLines(Utf8Rule {{TextEnd}}, LineStart, Current, lines);
}

// ---------------------------------------------------------------------------------------------

void TLxUnicodeDecorder::SetSource(std::string_view text)
{
    // An odd last byte is no unit.
    TLxSourceDecorder::SetSource(text.substr(0, text.size() & ~size_t(1)));
}

void TLxUnicodeDecorder::ReadChar(std::u16string &ch)
{
    PeekChar(ch);
    Next();
}

void TLxUnicodeDecorder::PeekChar(std::u16string &ch)
{
    ch.clear();
    if (!AtEnd())
        ch += Utf16Rule::Unit(Current);
}

void TLxUnicodeDecorder::Next() { Utf16Rule {TextEnd, false}.Next(Current); }

bool TLxUnicodeDecorder::AtEnd() { return Utf16Rule {TextEnd, false}.AtEnd(Current); }

void TLxUnicodeDecorder::PeekDisplayChar(std::string &ch)
{
    std::u16string units;
    PeekChar(units);
    LineBuffer converted;
    for (char16_t unit : units)
        AppendUnit(unit, converted);
    ch.assign(converted.view());
}

void TLxUnicodeDecorder::DecodeRest(TEditStringList *lines)
{
    RunLines(Utf16Rule {TextEnd, false}, LineStart, Current, lines);
}

// ---------------------------------------------------------------------------------------------

void TLxUTF16Decorder::PeekChar(std::u16string &ch)
{
    ch.clear();
    if (!AtEnd()) {
        char16_t unit = Utf16Rule::Unit(Current);
        ch += BigEndian ? static_cast<char16_t>((unit >> 8) | (unit << 8)) : unit;
    }
}

void TLxUTF16Decorder::SetSource(std::string_view text)
{
    TLxUnicodeDecorder::SetSource(text);
    // The first unit is taken for the signature without looking at it.
    if (HasBOM && TextEnd > TextStart)
        TextStart = LineStart = Current = TextStart + 2;
}

void TLxUTF16Decorder::DecodeRest(TEditStringList *lines)
{
    RunLines(Utf16Rule {TextEnd, BigEndian != 0}, LineStart, Current, lines);
}

// ---------------------------------------------------------------------------------------------

int32_t TLxEncoderJudgment::DefaultCharSet()
{
    int32_t acp = tovik::platform::GetACP();
    switch (acp) {
    case 932:
    case 936:
    case 949:
    case 950: return acp;
    default: return -1;
    }
}

int32_t TLxEncoderJudgment::DetectCharSet(std::string_view text, int16_t &lineEnd, int16_t &certainty)
{
    certainty = 0;
    return DetectSample(text, lineEnd, certainty, DefaultCharSet());
}

int32_t TLxEncoderJudgment::DetectCharSetStream(std::istream &stream, int16_t &lineEnd, int16_t &certainty,
                                                int32_t defaultCode)
{
    std::string sample(kDetectSampleSize, '\0');
    stream.read(sample.data(), static_cast<std::streamsize>(sample.size()));
    sample.resize(static_cast<size_t>(stream.gcount()));
    stream.clear();
    return DetectSample(sample, lineEnd, certainty, defaultCode);
}

bool TLxEncoderJudgment::LooksLikeUtf8(std::string_view sample)
{
    const auto *s = reinterpret_cast<const uint8_t *>(sample.data());
    const size_t n = sample.size();
    auto continuation = [&](size_t i, uint8_t low, uint8_t high) {
        return i < n && s[i] >= low && s[i] <= high;
    };
    int count = 0;
    for (size_t i = 0; i < n && s[i] != 0 && count <= 10; ++i) {
        uint8_t b = s[i];
        if (b < 0xE0 || b > 0xF4)
            continue;
        bool valid;
        if (b == 0xE0)
            valid = continuation(i + 1, 0xA0, 0xBF) && continuation(i + 2, 0x80, 0xBF);
        else if (b == 0xED)
            valid = continuation(i + 1, 0x80, 0x9F) && continuation(i + 2, 0x80, 0xBF);
        else if (b <= 0xEF)
            valid = continuation(i + 1, 0x80, 0xBF) && continuation(i + 2, 0x80, 0xBF);
        else if (b == 0xF0)
            valid = continuation(i + 1, 0x90, 0xBF) && continuation(i + 2, 0x80, 0xBF) && continuation(i + 3, 0x80, 0xBF);
        else if (b <= 0xF3)
            valid = continuation(i + 1, 0x80, 0xBF) && continuation(i + 2, 0x80, 0xBF) && continuation(i + 3, 0x80, 0xBF);
        else
            valid = continuation(i + 1, 0x80, 0x8F) && continuation(i + 2, 0x80, 0xBF) && continuation(i + 3, 0x80, 0xBF);
        count = valid ? count + 1 : 0;
    }
    return n < 20 ? count > 1 : count > 10;
}

int32_t TLxEncoderJudgment::DetectSample(std::string_view text, int16_t &lineEnd, int16_t &certainty,
                                         int32_t defaultCode)
{
    using tovik::platform::IsValidCodePage;
    const size_t n = std::min(kDetectSampleSize, text.size());
    if (n < 4)
        return defaultCode;
    const auto *s = reinterpret_cast<const uint8_t *>(text.data());

    size_t counts[256] = {};
    for (size_t i = 0; i < n; ++i)
        ++counts[s[i]];
    bool high = false;
    for (int b = 0x80; b < 256 && !high; ++b)
        high = counts[b] != 0;

    const size_t cr = counts['\r'];
    const size_t lf = counts['\n'];
    lineEnd = cr > 2 * lf ? kLineEndCR : lf > 2 * cr ? kLineEndLF : kLineEndCRLF;

    // Signatures and escape sequences.
    const uint8_t b0 = s[0], b1 = s[1], b2 = s[2], b3 = s[3];
    int32_t signature = 0;
    if (b0 == 0xEF && b1 == 0xBB && b2 == 0xBF)
        signature = -65001;
    else if (b0 == 0x00 && b1 == 0x00 && b2 == 0xFE && b3 == 0xFF)
        signature = -7;
    else if (b0 == 0xFF && b1 == 0xFE && b2 == 0x00 && b3 == 0x00)
        signature = -8;
    else if (b0 == 0xFE && b1 == 0xFF)
        signature = -3;
    else if (b0 == 0xFF && b1 == 0xFE)
        signature = -4;
    else if (b0 == 0x1B && b1 == '$' && b2 == ')' && b3 == 'C' && IsValidCodePage(949))
        signature = -950;
    else if (b0 == 0x1B && b1 == '$' && b2 == ')' && b3 == 'A' && IsValidCodePage(936))
        signature = -936;
    else if (IsValidCodePage(932) && !high && counts[0x1B] > 0)
        signature = -933;
    if (signature != 0) {
        certainty = 10;
        return signature;
    }

    // Zero bytes: 16-bit text without signature. The byte order shows in where the zero bytes
    // fall: the high byte of an ASCII character or line break comes first in big-endian text
    // (even offsets) and second in little-endian text (odd offsets). A text whose first byte
    // is not zero is not little-endian for that alone: "日" is 65 E5 in big-endian. Only when
    // the zero bytes fall evenly is the first byte asked.
    if (counts[0] > 1) {
        certainty = 7;
        size_t evenZeros = 0, oddZeros = 0;
        for (size_t i = 0; i < n; ++i)
            if (s[i] == 0)
                ++((i & 1) ? oddZeros : evenZeros);
        if (evenZeros > 2 * oddZeros)
            return -5;
        if (oddZeros > 2 * evenZeros)
            return -6;
        return (b0 != 0 && counts[0] >= 2 * counts[1]) ? -6 : -5;
    }

    size_t utf5 = 0;
    for (int b = '0'; b <= '9'; ++b)
        utf5 += counts[b];
    for (int b = 'A'; b <= 'V'; ++b)
        utf5 += counts[b];
    if (utf5 == n) {
        certainty = 10;
        return -2;
    }

    if (!high) {
        certainty = 5;
        return 932;
    }

    if (IsValidCodePage(932)) {
        bool utf8Range = false;
        for (int b = 0x90; b <= 0xA0 && !utf8Range; ++b)
            utf8Range = counts[b] != 0;
        if (utf8Range) {
            if (LooksLikeUtf8(text.substr(0, n))) {
                certainty = 8;
                return 65001;
            }
            certainty = 5;
            return defaultCode;
        }
        // EUC's single-shift bytes 8E and 8F do not count against it.
        bool notEuc = false;
        for (int b = 0x7F; b <= 0x8D && !notEuc; ++b)
            notEuc = counts[b] != 0;
        if (!notEuc) {
            certainty = 8;
            return -932;
        }
    }
    certainty = 1;
    return defaultCode;
}

const char *LineEndKindName(int16_t lineEnd)
{
    switch (lineEnd) {
    case TLxEncoderJudgment::kLineEndCR: return "CR";
    case TLxEncoderJudgment::kLineEndLF: return "LF";
    default: return "CRLF";
    }
}
