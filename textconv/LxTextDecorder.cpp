#include "LxTextDecorder.h"

#include "editor/EditTypes.h"
#include "platform/CodePage.h"

#include <iconv.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <istream>
#include <iterator>
#include <mutex>
#include <sstream>

namespace {

constexpr size_t kDetectSampleSize = 64000;

// ---------------------------------------------------------------------------------------------
// Conversion of single characters to CP932.

// What iconv makes of one UTF-16 unit, kept once worked out: (length << 16) | bytes, 0 while
// unknown. A unit is converted on its own, so a surrogate half is never CP932 and becomes "?".
// Converting each distinct unit once keeps iconv out of the per-character loop.
std::atomic<uint32_t> g_unitCache[0x10000];

uint32_t ConvertUnitSlow(char16_t unit)
{
    static std::mutex lock;
    static iconv_t handle = iconv_open("CP932", "UTF-16LE");
    std::lock_guard<std::mutex> guard(lock);
    uint32_t entry = (1u << 16) | '?';
    if (handle != reinterpret_cast<iconv_t>(-1)) {
        char in[2] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
        char outBytes[8];
        char *src = in;
        char *dst = outBytes;
        size_t left = 2;
        size_t room = sizeof outBytes;
        iconv(handle, nullptr, nullptr, nullptr, nullptr);
        size_t rc = iconv(handle, &src, &left, &dst, &room);
        size_t produced = sizeof outBytes - room;
        if (rc != static_cast<size_t>(-1) && left == 0 && produced == 1)
            entry = (1u << 16) | static_cast<uint8_t>(outBytes[0]);
        else if (rc != static_cast<size_t>(-1) && left == 0 && produced == 2)
            entry = (2u << 16) | (static_cast<uint8_t>(outBytes[0]) << 8) | static_cast<uint8_t>(outBytes[1]);
    }
    g_unitCache[unit].store(entry, std::memory_order_relaxed);
    return entry;
}

// Appends the CP932 form of one UTF-16 unit ("?" when it has none).
inline void AppendUnit(char16_t unit, std::string &out)
{
    if (unit < 0x80) {
        out += static_cast<char>(unit);
        return;
    }
    uint32_t entry = g_unitCache[unit].load(std::memory_order_relaxed);
    if (entry == 0)
        entry = ConvertUnitSlow(unit);
    if ((entry >> 16) == 2)
        out += static_cast<char>((entry >> 8) & 0xFF);
    out += static_cast<char>(entry & 0xFF);
}

// A JIS X 0212 character (EUC-JP's three-byte form, 8F b1 b2) in CP932, "?" when CP932 has none.
void AppendEucJis0212(uint8_t b1, uint8_t b2, std::string &out)
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
            out.append(outBytes, produced);
            return;
        }
    }
    out += '?';
}

// JIS X 0208 row/cell bytes to Shift_JIS, by the arithmetic of the two encodings. Bytes outside
// 0x21-0x7E give whatever the arithmetic gives, cut to a byte.
inline void AppendJisAsSjis(unsigned j1, unsigned j2, std::string &out)
{
    unsigned s1 = ((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0);
    unsigned s2;
    if (j1 & 1)
        s2 = j2 + (j2 < 0x60 ? 0x1F : 0x20);
    else
        s2 = j2 + 0x7E;
    out += static_cast<char>(s1 & 0xFF);
    out += static_cast<char>(s2 & 0xFF);
}

// ---------------------------------------------------------------------------------------------
// Per-character rules of each decoder. Peek appends the character at c to out (nothing at the
// end of the text) and may move c to the character's last byte; Next moves on. Neither ever
// moves past the closing zero, nor looks further than the byte after a non-zero byte.

struct SjisRule {
    void Peek(const uint8_t *&c, std::string &out) const
    {
        if (*c)
            out += static_cast<char>(*c);
    }
    void Next(const uint8_t *&c) const
    {
        if (*c)
            ++c;
    }
};

struct EucRule : SjisRule {
    void Peek(const uint8_t *&c, std::string &out) const
    {
        uint8_t b = *c;
        if (b == 0)
            return;
        if (b >= 0xA1 && b <= 0xFE && c[1] != 0) {
            AppendJisAsSjis(b & 0x7F, c[1] & 0x7F, out);
            ++c;
        } else if (b == 0x8E && c[1] >= 0xA1 && c[1] <= 0xDF) {
            out += static_cast<char>(c[1]);
            ++c;
        } else if (b == 0x8F && c[1] >= 0xA1 && c[1] <= 0xFE && c[2] >= 0xA1 && c[2] <= 0xFE) {
            // The three-byte form is one character. Passed through, 8F would be a Shift_JIS lead
            // byte and swallow the first byte of the next character.
            AppendEucJis0212(c[1], c[2], out);
            c += 2;
        } else if (b >= 0x81 && b <= 0x9F) {
            // A stray byte that Shift_JIS reads as a lead byte: shown as "?" for the same reason.
            out += '?';
        } else {
            out += static_cast<char>(b);
        }
    }
};

struct JisRule : SjisRule {
    uint8_t &TwoByteMode;
    void Peek(const uint8_t *&c, std::string &out) const
    {
        // Every escape sequence counts as three bytes; only ESC "$" enters two-byte mode.
        while (*c == 0x1B) {
            TwoByteMode = c[1] == '$';
            if (c[1] == 0) {
                c += 1;
                break;
            }
            if (c[2] == 0) {
                c += 2;
                break;
            }
            c += 3;
        }
        uint8_t b = *c;
        if (b == 0)
            return;
        if (!TwoByteMode) {
            out += static_cast<char>(b);
        } else if (c[1] != 0) {
            AppendJisAsSjis(b, c[1], out);
            ++c;
        } else {
            out += '?'; // half a character at the end of the text
        }
    }
};

struct Utf5Rule {
    void Peek(const uint8_t *&c, std::string &out) const
    {
        uint8_t b = *c;
        if (b == 0)
            return;
        unsigned value = static_cast<uint16_t>(b - 0x47);
        for (const uint8_t *p = c + 1; *p != 0 && *p <= 0x46; ++p) {
            int digit = (*p >= '0' && *p <= '9') ? *p - '0' : *p - 'A' + 10;
            value = static_cast<uint16_t>(value * 16 + digit);
        }
        AppendUnit(static_cast<char16_t>(value), out);
    }
    void Next(const uint8_t *&c) const
    {
        if (*c)
            ++c;
        while (*c != 0 && *c < 0x47)
            ++c;
    }
};

struct Utf8Rule : SjisRule {
    void Peek(const uint8_t *&c, std::string &out) const
    {
        uint8_t b = *c;
        if (b == 0)
            return;
        if (b < 0x80) {
            out += static_cast<char>(b);
            return;
        }
        if (b < 0xC0 || b >= 0xF8)
            return; // a stray continuation byte or no lead at all: dropped
        int need = b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
        for (int k = 1; k <= need; ++k) {
            if (c[k] == 0) {
                // Cut short by the end of the text: one "?" for the bytes there are.
                out += '?';
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
            out += '?'; // beyond the basic plane: CP932 has none of these
        c += need;
    }
};

struct Utf16Rule {
    bool BigEndian;
    void Peek(const char16_t *&c, std::string &out) const
    {
        char16_t unit = *c;
        if (unit == 0)
            return;
        if (BigEndian)
            unit = static_cast<char16_t>((unit >> 8) | (unit << 8));
        AppendUnit(unit, out);
    }
    void Next(const char16_t *&c) const
    {
        if (*c)
            ++c;
    }
};

// The line loop of the decoders with the rules inlined: the same steps as ReadLine and
// LoadFromStream, but the characters go straight into out.
template <class Unit, class Rule>
void RunLines(const Rule &rule, const Unit *&lineStart, const Unit *&current, std::string &out)
{
    while (*lineStart != 0) {
        const Unit *c = lineStart;
        for (;;) {
            size_t mark = out.size();
            rule.Peek(c, out);
            rule.Next(c);
            if (out.size() == mark + 1 && (out[mark] == '\r' || out[mark] == '\n')) {
                char end = out[mark];
                out.resize(mark);
                if (end == '\r') {
                    // CR LF is one line end. Anything else after CR stays for the next line,
                    // whole: the look ahead must not leave c inside a character.
                    const Unit *save = c;
                    rule.Peek(c, out);
                    bool lf = out.size() == mark + 1 && out[mark] == '\n';
                    out.resize(mark);
                    if (lf)
                        rule.Next(c);
                    else
                        c = save;
                }
                break;
            }
            if (*c == 0)
                break;
        }
        lineStart = c;
        if (*c != 0)
            out += "\r\n";
    }
    current = lineStart;
}

std::string ReadWholeStream(std::istream &stream)
{
    std::string data;
    std::streampos start = stream.tellg();
    if (start != std::streampos(-1) && stream.seekg(0, std::ios::end)) {
        std::streampos end = stream.tellg();
        stream.seekg(start);
        if (end != std::streampos(-1) && end > start)
            data.reserve(static_cast<size_t>(end - start));
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

std::unique_ptr<TLxDecorderBase> TLxDecorderBase::Create(const std::string &fileName, bool bigEndian, bool hasBOM)
{
    return std::make_unique<TLxDecorderBase>(fileName, bigEndian, hasBOM);
}

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
    LoadLines(ReadWholeStream(stream), lines);
}

// ---------------------------------------------------------------------------------------------

std::unique_ptr<TLxDecorderBase> TLxJPDecorder::Create(const std::string &fileName, bool bigEndian, bool hasBOM)
{
    return std::make_unique<TLxJPDecorder>(fileName, bigEndian, hasBOM);
}

void TLxJPDecorder::LoadFromFile(TEditStringList *lines)
{
    bool ok = false;
    std::string data = ReadFileBytes(FileName, ok);
    if (!ok)
        RaiseLoadError(FileName);
    std::istringstream stream(std::move(data));
    LoadFromStream(stream, lines);
}

void TLxJPDecorder::LoadFromStream(std::istream &stream, TEditStringList *lines)
{
    Rewind(stream);
    SetSource(ReadWholeStream(stream));
    std::string out;
    out.reserve(FText.size() + FText.size() / 8);
    try {
        DecodeRest(out);
    } catch (...) {
        LoadLines(out, lines);
        throw;
    }
    LoadLines(out, lines);
}

void TLxJPDecorder::SetSource(std::string_view text)
{
    std::vector<uint8_t> source;
    source.reserve(text.size() + 1);
    source.insert(source.end(), text.begin(), text.end());
    source.push_back(0);
    FText.swap(source);
    TextStart = LineStart = Current = FText.data();
}

void TLxJPDecorder::ReadChar(std::string &ch)
{
    PeekChar(ch);
    Next();
}

void TLxJPDecorder::PeekChar(std::string &ch)
{
    ch.clear();
    SjisRule().Peek(Current, ch);
}

void TLxJPDecorder::Next() { SjisRule().Next(Current); }

bool TLxJPDecorder::AtEnd() { return Current == nullptr || *Current == 0; }

void TLxJPDecorder::ReadLine(std::string &line)
{
    line.clear();
    Current = LineStart;
    std::string ch;
    for (;;) {
        ReadChar(ch);
        if (ch == "\r" || ch == "\n") {
            if (ch == "\r") {
                const uint8_t *save = Current;
                PeekChar(ch);
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

std::string TLxJPDecorder::DecodeByLines()
{
    std::string out;
    std::string line;
    while (!AtEnd()) {
        ReadLine(line);
        if (!AtEnd())
            line += "\r\n";
        out += line;
    }
    return out;
}

void TLxJPDecorder::DecodeRest(std::string &out)
{
    if (LineStart)
        RunLines(SjisRule(), LineStart, Current, out);
}

// ---------------------------------------------------------------------------------------------

std::unique_ptr<TLxDecorderBase> TLxEUCJPDecorder::Create(const std::string &fileName, bool bigEndian, bool hasBOM)
{
    return std::make_unique<TLxEUCJPDecorder>(fileName, bigEndian, hasBOM);
}

void TLxEUCJPDecorder::PeekChar(std::string &ch)
{
    ch.clear();
    EucRule().Peek(Current, ch);
}

void TLxEUCJPDecorder::DecodeRest(std::string &out)
{
    if (LineStart)
        RunLines(EucRule(), LineStart, Current, out);
}

// ---------------------------------------------------------------------------------------------

std::unique_ptr<TLxDecorderBase> TLxJISDecorder::Create(const std::string &fileName, bool bigEndian, bool hasBOM)
{
    return std::make_unique<TLxJISDecorder>(fileName, bigEndian, hasBOM);
}

void TLxJISDecorder::SetSource(std::string_view text)
{
    TLxJPDecorder::SetSource(text);
    TwoByteMode = 0;
}

void TLxJISDecorder::PeekChar(std::string &ch)
{
    ch.clear();
    JisRule {{}, TwoByteMode}.Peek(Current, ch);
}

void TLxJISDecorder::DecodeRest(std::string &out)
{
    if (LineStart)
        RunLines(JisRule {{}, TwoByteMode}, LineStart, Current, out);
}

// ---------------------------------------------------------------------------------------------

std::unique_ptr<TLxDecorderBase> TLxUTF5Decorder::Create(const std::string &fileName, bool bigEndian, bool hasBOM)
{
    return std::make_unique<TLxUTF5Decorder>(fileName, bigEndian, hasBOM);
}

void TLxUTF5Decorder::PeekChar(std::string &ch)
{
    ch.clear();
    Utf5Rule().Peek(Current, ch);
}

void TLxUTF5Decorder::Next() { Utf5Rule().Next(Current); }

void TLxUTF5Decorder::DecodeRest(std::string &out)
{
    if (LineStart)
        RunLines(Utf5Rule(), LineStart, Current, out);
}

// ---------------------------------------------------------------------------------------------

std::unique_ptr<TLxDecorderBase> TLxUTF8Decorder::Create(const std::string &fileName, bool bigEndian, bool hasBOM)
{
    return std::make_unique<TLxUTF8Decorder>(fileName, bigEndian, hasBOM);
}

void TLxUTF8Decorder::SetSource(std::string_view text)
{
    TLxJPDecorder::SetSource(text);
    if (FText[0] == 0xEF && FText[1] == 0xBB) {
        size_t skip = std::min<size_t>(3, FText.size() - 1);
        TextStart = LineStart = Current = FText.data() + skip;
    }
}

void TLxUTF8Decorder::PeekChar(std::string &ch)
{
    ch.clear();
    Utf8Rule().Peek(Current, ch);
}

void TLxUTF8Decorder::DecodeRest(std::string &out)
{
    if (LineStart)
        RunLines(Utf8Rule(), LineStart, Current, out);
}

// ---------------------------------------------------------------------------------------------

void TLxUnicodeDecorder::LoadFromFile(TEditStringList *lines)
{
    bool ok = false;
    std::string data = ReadFileBytes(FileName, ok);
    if (!ok)
        RaiseLoadError(FileName);
    std::istringstream stream(std::move(data));
    LoadFromStream(stream, lines);
}

void TLxUnicodeDecorder::LoadFromStream(std::istream &stream, TEditStringList *lines)
{
    Rewind(stream);
    SetSource(ReadWholeStream(stream));
    std::string out;
    out.reserve(FText.size() * 2);
    try {
        DecodeRest(out);
    } catch (...) {
        LoadLines(out, lines);
        throw;
    }
    LoadLines(out, lines);
}

void TLxUnicodeDecorder::SetSource(std::string_view text)
{
    size_t units = text.size() / 2;
    std::vector<char16_t> source;
    source.reserve(units + 1);
    const auto *bytes = reinterpret_cast<const uint8_t *>(text.data());
    for (size_t i = 0; i < units; ++i)
        source.push_back(static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
    source.push_back(0);
    FText.swap(source);
    TextStart = LineStart = Current = FText.data();
}

void TLxUnicodeDecorder::ReadChar(std::u16string &ch)
{
    PeekChar(ch);
    Next();
}

void TLxUnicodeDecorder::PeekChar(std::u16string &ch)
{
    ch.clear();
    if (Current && *Current)
        ch += *Current;
}

void TLxUnicodeDecorder::Next()
{
    if (Current && *Current)
        ++Current;
}

bool TLxUnicodeDecorder::AtEnd() { return Current == nullptr || *Current == 0; }

void TLxUnicodeDecorder::ReadLine(std::string &line)
{
    line.clear();
    Current = LineStart;
    std::u16string ch;
    for (;;) {
        ReadChar(ch);
        if (ch == u"\r" || ch == u"\n") {
            if (ch == u"\r") {
                const char16_t *save = Current;
                PeekChar(ch);
                if (ch == u"\n")
                    Next();
                else
                    Current = save;
            }
            break;
        }
        for (char16_t unit : ch)
            AppendUnit(unit, line);
        if (AtEnd())
            break;
    }
    LineStart = Current;
}

std::string TLxUnicodeDecorder::DecodeByLines()
{
    std::string out;
    std::string line;
    while (!AtEnd()) {
        ReadLine(line);
        if (!AtEnd())
            line += "\r\n";
        out += line;
    }
    return out;
}

void TLxUnicodeDecorder::DecodeRest(std::string &out)
{
    if (LineStart)
        RunLines(Utf16Rule {false}, LineStart, Current, out);
}

// ---------------------------------------------------------------------------------------------

std::unique_ptr<TLxDecorderBase> TLxUTF16Decorder::Create(const std::string &fileName, bool bigEndian, bool hasBOM)
{
    return std::make_unique<TLxUTF16Decorder>(fileName, bigEndian, hasBOM);
}

void TLxUTF16Decorder::PeekChar(std::u16string &ch)
{
    ch.clear();
    if (Current && *Current) {
        char16_t unit = *Current;
        ch += BigEndian ? static_cast<char16_t>((unit >> 8) | (unit << 8)) : unit;
    }
}

void TLxUTF16Decorder::SetSource(std::string_view text)
{
    TLxUnicodeDecorder::SetSource(text);
    // The first unit is taken for the signature without looking at it.
    if (HasBOM && FText.size() > 1)
        TextStart = LineStart = Current = FText.data() + 1;
}

void TLxUTF16Decorder::DecodeRest(std::string &out)
{
    if (LineStart)
        RunLines(Utf16Rule {BigEndian != 0}, LineStart, Current, out);
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

    // Zero bytes: 16-bit text without signature.
    if (counts[0] > 1) {
        certainty = 7;
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
