#include "editor/EditTypes.h"
#include "textconv/LxTCTypes.h"
#include "textconv/LxTextDecorder.h"
#include "tests/textconv/DecodeByLines.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

Lines Decode(int32_t code, const std::string &bytes)
{
    TCharSetList sets;
    TCharSetItem *row = sets.FindByCode(code);
    EXPECT_NE(row, nullptr) << code;
    std::unique_ptr<TLxDecorderBase> decoder = row ? row->CreateDecoder("") : nullptr;
    EXPECT_NE(decoder, nullptr) << code;
    TEditStringList list;
    list.Add("old line");
    if (decoder) {
        std::istringstream stream(bytes);
        decoder->LoadFromStream(stream, &list);
    }
    Lines lines;
    for (int i = 0; i < list.Count(); ++i)
        lines.push_back(list[i]);
    return lines;
}

// text (UTF-8) in the named character set, by iconv.
std::string Iconv(const std::string &text, const char *to, const char *from = "UTF-8")
{
    iconv_t cd = iconv_open(to, from);
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << to << " from " << from;
    std::string out(text.size() * 4 + 16, '\0');
    char *src = const_cast<char *>(text.data());
    size_t left = text.size();
    char *dst = out.data();
    size_t room = out.size();
    size_t rc = iconv(cd, &src, &left, &dst, &room);
    EXPECT_NE(rc, static_cast<size_t>(-1)) << "iconv " << from << " -> " << to;
    rc = iconv(cd, nullptr, nullptr, &dst, &room);
    iconv_close(cd);
    out.resize(out.size() - room);
    return out;
}

std::string Sjis(const std::string &utf8) { return Iconv(utf8, "CP932"); }

std::string ReadFile(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace

TEST(Decoders, KnownByteSequences)
{
    struct Case {
        const char *name;
        int32_t code;
        std::string input;
        Lines expected;
    };
    const Case cases[] = {
        {"EUC-JP pair", -932, "\xA4\xA2", {"\x82\xA0"}},
        {"EUC-JP half-width katakana", -932, "\x8E\xB1", {"\xB1"}},
        {"ISO-2022-JP two-byte run", -933, "\x1B$B$\"\x1B(B", {"\x82\xA0"}},
        {"ISO-2022-JP one run per line", -933, "\x1B$B$\"\x1B(B\n\x1B$B$\"\x1B(Bz", {"\x82\xA0", "\x82\xA0z"}},
        {"UTF-8 three-byte", 65001, "\xE3\x81\x82", {"\x82\xA0"}},
        {"UTF-8 signature skipped", 65001, "\xEF\xBB\xBF" "a", {"a"}},
        {"UTF-8 stray continuation and F8 dropped", 65001, "a\x80\xF8" "b", {"ab"}},
        {"UTF-8 beyond the basic plane", 65001, "a\xF0\x9F\x98\x80" "b", {"a?b"}},
        {"UTF-8 unmappable", 65001, "\xED\x95\x9C", {"?"}},
        {"UTF-8 two-byte CR ends a line", 65001, "a\xC0\x8D" "b", {"a", "b"}},
        {"UTF-5", -2, "M1TQM2TQ", {"a", "b"}},
        {"UTF-5 Japanese", -2, "J042", {"\x82\xA0"}},
        {"UTF-16LE", -6, std::string("a\0\n\0\n\0b\0", 8), {"a", "", "b"}},
        {"UTF-16BE", -5, std::string("\x30\x42\0\r", 4), {"\x82\xA0"}},
        {"UTF-16LE signature skipped", -4, std::string("\xFF\xFE" "a\0", 4), {"a"}},
        {"UTF-16 signature row drops the first unit unseen", -3, std::string("\0a\0b", 4), {"b"}},
        {"UTF-16 halves of a pair are two characters", -6, std::string("\x3D\xD8\x00\xDE" "z\0", 6), {"??z"}},
        {"UTF-16 odd last byte ignored", -6, std::string("a\0b", 3), {"a"}},
        {"Shift_JIS unchanged", 932, "\x82\xA0\r\nx", {"\x82\xA0", "x"}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Decode(c.code, c.input), c.expected) << c.name;
}

TEST(Decoders, LineEndsAndZeroBytesAreTheSameForEveryDecoder)
{
    struct Encoded {
        int32_t code;
        std::string crlf;  // "a" CR LF "b" CR LF
        std::string mixed; // "a" LF CR "b" CR "c" zero "d"
    };
    const Encoded sets[] = {
        {932, "a\r\nb\r\n", std::string("a\n\rb\rc\0d", 8)},
        {-932, "a\r\nb\r\n", std::string("a\n\rb\rc\0d", 8)},
        {-933, "a\r\nb\r\n", std::string("a\n\rb\rc\0d", 8)},
        {65001, "a\r\nb\r\n", std::string("a\n\rb\rc\0d", 8)},
        {-65001, "\xEF\xBB\xBF" "a\r\nb\r\n", std::string("a\n\rb\rc\0d", 8)},
        {-2, "M1TQM2TQ", "M1QTM2TM3GM4"},
        {-6, std::string("a\0\r\0\n\0b\0\r\0\n\0", 12), std::string("a\0\n\0\r\0b\0\r\0c\0\0\0d\0", 18)},
        {-5, std::string("\0a\0\r\0\n\0b\0\r\0\n", 12), std::string("\0a\0\n\0\r\0b\0\r\0c\0\0\0d", 18)},
    };
    for (const Encoded &e : sets) {
        EXPECT_EQ(Decode(e.code, e.crlf), (Lines {"a", "b"})) << e.code;
        Lines mixed = Decode(e.code, e.mixed);
        if (e.code == -2) // a zero character of UTF-5 is kept
            mixed.back().resize(1);
        EXPECT_EQ(mixed, (Lines {"a", "", "b", "c"})) << e.code;
        EXPECT_EQ(Decode(e.code, ""), Lines {}) << e.code;
    }
}

// Points where the plain character-by-character rules lose or garble text.
TEST(Decoders, NoCharacterIsGarbledOrReadPastTheEnd)
{
    const std::string a = "\x82\xA0"; // あ
    struct Case {
        const char *name;
        int32_t code;
        std::string input;
        Lines expected;
    };
    const Case cases[] = {
        {"EUC-JP three-byte form is one character", -932, "\x8F\xA2\xB7\xA4\xA2", {"\x81\x60" + a}},
        {"EUC-JP unmappable three-byte form", -932, "\x8F\xB0\xA1\xA4\xA2", {"?" + a}},
        {"EUC-JP stray lead-like byte", -932, "\x85\xA4\xA2", {"?" + a}},
        {"EUC-JP lone single shift", -932, "\x8E" "a", {"?a"}},
        {"EUC-JP character after a lone CR", -932, "x\r\xA4\xA2", {"x", a}},
        {"UTF-8 character after a lone CR", 65001, "x\r\xE3\x81\x82", {"x", a}},
        {"ISO-2022-JP character after a lone CR", -933, "\x1B$B$\"\x1B(B\r\x1B$B$\"", {a, a}},
        {"UTF-8 cut short", 65001, "x\xE3\x81", {"x?"}},
        {"UTF-8 lead at the very end", 65001, "x\xF0", {"x?"}},
        {"UTF-8 cut short by a zero byte", 65001, std::string("x\xE3\0\x81\x82", 5), {"x?"}},
        {"UTF-8 signature alone", 65001, "\xEF\xBB", {}},
        {"ISO-2022-JP lone last byte", -933, "\x1B$B$\"$", {a + "?"}},
        {"ISO-2022-JP escape cut short", -933, "a\x1B$", {"a"}},
        {"ISO-2022-JP escape alone", -933, "a\x1B", {"a"}},
        {"UTF-5 digits without a lead", -2, "G", {std::string(1, '\0')}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Decode(c.code, c.input), c.expected) << c.name;
}

// The fast line loop of LoadFromStream against the decoders' own ReadLine, on noisy text.
TEST(Decoders, LoadFromStreamMatchesReadLine)
{
    const std::string alphabet[] = {
        std::string("\x1B$B()@\r\n!\"#~\x7F", 14),      // ISO-2022-JP
        "\x8E\x8F\xA1\xA4\xB0\xDF\xFE\x85\r\nab",        // EUC-JP
        "\xC3\xA9\xE3\x81\x82\xF0\x9F\x80\xBF\r\nabz",   // UTF-8
        "GHVZ0159AF\r\nx",                               // UTF-5
        std::string("\r\0\n\0\0\x0D\xD8\x30\xDC\x00a\xFF", 13), // UTF-16
    };
    std::mt19937 random(6);
    const int32_t codes[] = {-932, -933, 65001, -2, -3, -4, -5, -6};
    for (int round = 0; round < 300; ++round) {
        const std::string &letters = alphabet[round % 5];
        std::string text(random() % 200, ' ');
        for (char &ch : text)
            ch = (random() % 4 == 0) ? static_cast<char>(random() % 255 + 1) : letters[random() % letters.size()];
        for (int32_t code : codes) {
            TCharSetList sets;
            std::unique_ptr<TLxDecorderBase> decoder = sets.FindByCode(code)->CreateDecoder("");
            auto *source = dynamic_cast<TLxSourceDecorder *>(decoder.get());
            ASSERT_NE(source, nullptr);
            source->SetSource(text);
            const std::string byLines = DecodeByLines(*source);
            TEditStringList expected;
            expected.SetText(byLines);
            TEditStringList lines;
            std::istringstream stream(text);
            decoder->LoadFromStream(stream, &lines);
            ASSERT_EQ(lines.GetText(), expected.GetText()) << "code " << code << " round " << round;
        }
    }
}

TEST(Detection, Rules)
{
    const std::string utf8Few = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E and some ASCII to pass twenty";
    std::string utf8Many;
    for (int i = 0; i < 11; ++i)
        utf8Many += "\xE6\x97\xA5";
    struct Case {
        const char *name;
        std::string sample;
        int32_t code;
        int16_t certainty;
    };
    const Case cases[] = {
        {"UTF-8 signature", "\xEF\xBB\xBFx", -65001, 10},
        {"UTF-32BE signature", std::string("\0\0\xFE\xFF", 4), -7, 10},
        {"UTF-32LE wins over UTF-16LE", std::string("\xFF\xFE\0\0", 4), -8, 10},
        {"UTF-16BE signature", "\xFE\xFF\x30\x42", -3, 10},
        {"UTF-16LE signature", "\xFF\xFE\x42\x30", -4, 10},
        {"ISO-2022-KR designation", "\x1B$)C\x0Ex", -950, 10},
        {"ISO-2022-CN designation", "\x1B$)A\x0Ex", -936, 10},
        {"ESC in 7-bit text", "abc \x1B$B$\"\x1B(B", -933, 10},
        {"ESC with high bytes is not ISO-2022-JP", "\x1B\x82\xA0zz", 932, 5},
        {"zero bytes, first byte set", std::string("a\0b\0", 4), -6, 7},
        {"zero bytes, first byte zero", std::string("\0a\0b", 4), -5, 7},
        {"zero bytes outnumbered by 01", std::string("a\0\x01\x01\0\x01", 6), -5, 7},
        // The byte order follows where the zero bytes fall, not the first byte: "日\n本\n".
        {"Japanese UTF-16BE, zeros at even offsets", std::string("\x65\xE5\0\n\x67\x2C\0\n", 8), -5, 7},
        {"Japanese UTF-16LE, zeros at odd offsets", std::string("\xE5\x65\n\0\x2C\x67\n\0", 8), -6, 7},
        {"UTF-5 letters", "GGGG", -2, 10},
        {"7-bit text", "plain text", 932, 5},
        {"Shift_JIS clear of 7F-8D and 90-A0 reads as EUC-JP", "\xE0\xB0\xE0\xB1\xE0\xB2", -932, 8},
        {"EUC-JP", "\xA4\xA2\xA4\xA4\x8E\xB1\x8F\xA2\xB7", -932, 8},
        {"Shift_JIS", "\x82\xA0\x82\xA2\x82\xA4", 932, 5},
        {"high bytes in 7F-8D only", "\x81\x40\x81\x41", 932, 1},
        {"UTF-8, eleven three-byte characters", utf8Many + " tail", 65001, 8},
        {"UTF-8, short sample", "\xE6\x97\xA5\xE6\x9C\xAC", 65001, 8},
        {"UTF-8, too few characters", utf8Few, 932, 5},
        {"UTF-8, an invalid lead resets the count", utf8Many.substr(0, 15) + "\xE3\x28\xA1" + utf8Many.substr(15), 932, 5},
    };
    for (const Case &c : cases) {
        int16_t lineEnd = -1;
        int16_t certainty = -1;
        EXPECT_EQ(TLxEncoderJudgment::DetectCharSet(c.sample, lineEnd, certainty), c.code) << c.name;
        EXPECT_EQ(certainty, c.certainty) << c.name;
    }
}

TEST(Detection, ShortSamplesLineEndsAndDefault)
{
    EXPECT_EQ(TLxEncoderJudgment::DefaultCharSet(), 932);
    int16_t lineEnd = -1;
    int16_t certainty = -1;
    EXPECT_EQ(TLxEncoderJudgment::DetectCharSet("abc", lineEnd, certainty), 932);
    EXPECT_EQ(lineEnd, -1);
    EXPECT_EQ(certainty, 0);
    // 7-bit text is 932 whatever the default.
    std::istringstream ascii("plain ascii");
    EXPECT_EQ(TLxEncoderJudgment::DetectCharSetStream(ascii, lineEnd, certainty, 936), 932);
    std::istringstream shortText("ab");
    EXPECT_EQ(TLxEncoderJudgment::DetectCharSetStream(shortText, lineEnd, certainty, 936), 936);

    struct Case {
        std::string text;
        int16_t lineEnd;
    };
    const Case cases[] = {{"a\rb\rc\rd\n", 0}, {"a\nb\nc\nd\r", 1}, {"a\r\nb\r\n", 2}, {"abcd", 2}, {"a\rb\rc\nd\n", 2}};
    for (const Case &c : cases) {
        TLxEncoderJudgment::DetectCharSet(c.text, lineEnd, certainty);
        EXPECT_EQ(lineEnd, c.lineEnd) << c.text;
    }
    // Only the first 64,000 bytes count.
    std::string late(64000, 'x');
    late += "\x1B$B";
    EXPECT_EQ(TLxEncoderJudgment::DetectCharSet(late, lineEnd, certainty), 932);
    EXPECT_EQ(certainty, 5);
}

// Texts made by other programs: each decodes by its own character set to what iconv makes of it,
// and detection names that set.
TEST(Decoders, CorpusTextsMatchIconv)
{
    const std::filesystem::path corpus = TOVIK_SHARED_CORPUS;
    if (!std::filesystem::is_directory(corpus))
        GTEST_SKIP() << "no corpus at " << corpus;
    struct Set {
        const char *stem;
        const char *iconvName;
        int32_t code;
        std::string signature;
        int32_t signatureCode;
    };
    const Set sets[] = {
        {"shift_jis", "CP932", 932, "", 0},
        {"euc-jp", "EUC-JP", -932, "", 0},
        {"iso-2022-jp", "ISO-2022-JP", -933, "", 0},
        {"utf-8", "UTF-8", 65001, "\xEF\xBB\xBF", -65001},
        {"utf-16le", "UTF-16LE", -6, "\xFF\xFE", -4},
        {"utf-16be", "UTF-16BE", -5, "\xFE\xFF", -3},
    };
    int checked = 0;
    for (const char *folder : {"text", "uchardet-ja"}) {
        if (!std::filesystem::is_directory(corpus / folder))
            continue;
        for (const auto &entry : std::filesystem::directory_iterator(corpus / folder)) {
            std::string stem = entry.path().stem().string();
            const Set *set = nullptr;
            for (const Set &s : sets)
                if (stem == s.stem)
                    set = &s;
            if (!set)
                continue;
            std::string bytes = ReadFile(entry.path());
            int32_t code = set->code;
            std::string body = bytes;
            if (!set->signature.empty() && bytes.compare(0, set->signature.size(), set->signature) == 0) {
                code = set->signatureCode;
                body = bytes.substr(set->signature.size());
            }
            SCOPED_TRACE(entry.path().string());
            int16_t lineEnd = -1;
            int16_t certainty = -1;
            EXPECT_EQ(TLxEncoderJudgment::DetectCharSet(bytes, lineEnd, certainty), code);

            TEditStringList expected;
            expected.SetText(Iconv(body, "CP932", set->iconvName));
            Lines lines = Decode(code, bytes);
            ASSERT_EQ(static_cast<int>(lines.size()), expected.Count());
            for (int i = 0; i < expected.Count(); ++i)
                EXPECT_EQ(lines[i], expected[i]) << "line " << i;
            ++checked;
        }
    }
    EXPECT_GT(checked, 0);
}

// The same Japanese text through every encoding iconv can write, decoded back.
TEST(Decoders, JapaneseTextRoundTrips)
{
    const std::string text = "日本語のテキスト、ｶﾀｶﾅ、①②、髙﨑、〜−\r\nＡＢＣ abc\\~\r\n漢字かな交じり文。\r\n";
    const std::string expected = Sjis(text);
    struct Set {
        const char *iconvName;
        int32_t code;
    };
    const Set sets[] = {{"CP932", 932}, {"UTF-8", 65001}, {"UTF-16LE", -6}, {"UTF-16BE", -5}};
    for (const Set &s : sets) {
        TEditStringList lines;
        std::string encoded = Iconv(text, s.iconvName);
        std::istringstream stream(encoded);
        TCharSetList list;
        list.FindByCode(s.code)->CreateDecoder("")->LoadFromStream(stream, &lines);
        EXPECT_EQ(lines.GetText(), expected) << s.iconvName;
    }
    // EUC-JP and ISO-2022-JP have no half-width katakana in this decoder's ISO-2022-JP and no
    // vendor extensions in either: check with what both can hold.
    const std::string jis = "日本語のテキスト、漢字かな交じり文。\r\n〜ＡＢＣ abc\r\n";
    for (const Set &s : {Set {"EUC-JP", -932}, Set {"ISO-2022-JP", -933}}) {
        TEditStringList lines;
        std::istringstream stream(Iconv(jis, s.iconvName));
        TCharSetList list;
        list.FindByCode(s.code)->CreateDecoder("")->LoadFromStream(stream, &lines);
        EXPECT_EQ(lines.GetText(), Sjis(jis)) << s.iconvName;
    }
}

// Every 16-bit unit decodes to what iconv makes of it from UTF-16 on its own ("?" when nothing).
TEST(Decoders, EveryUnitConvertsAsIconvDoes)
{
    std::string text;
    std::vector<char16_t> units;
    for (uint32_t u = 1; u <= 0xFFFF; ++u) {
        if (u == '\r' || u == '\n')
            continue;
        units.push_back(static_cast<char16_t>(u));
        text += static_cast<char>(u & 0xFF);
        text += static_cast<char>(u >> 8);
        text += std::string("\n\0", 2);
    }
    Lines lines = Decode(-6, text);
    ASSERT_EQ(lines.size(), units.size());
    iconv_t cd = iconv_open("CP932", "UTF-16LE");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    for (size_t i = 0; i < units.size(); ++i) {
        char in[2] = {static_cast<char>(units[i] & 0xFF), static_cast<char>(units[i] >> 8)};
        char out[8];
        char *src = in;
        char *dst = out;
        size_t left = 2;
        size_t room = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        std::string expected = iconv(cd, &src, &left, &dst, &room) == static_cast<size_t>(-1)
                                   ? "?"
                                   : std::string(out, sizeof out - room);
        ASSERT_EQ(lines[i], expected) << "unit " << std::hex << static_cast<unsigned>(units[i]);
    }
    iconv_close(cd);
}

namespace {

// Every cell of JIS X 0208 (rows 1 to 84 of 94 cells), each on a line of its own, through the EUC-JP and
// ISO-2022-JP decoders: the Shift_JIS each gives reads, by iconv's CP932, as the same
// character as iconv reads the cell in eucJP-ms (the mapping CP932 shares). Cells eucJP-ms
// leaves unassigned are passed over. Compared as characters, since a few cells (the NEC
// duplicates of row 13) have two Shift_JIS codes for one character.
TEST(Decoders, EveryJisCellConvertsAsIconvDoes)
{
    auto convert = [](iconv_t cd, const std::string &in, std::string &out) {
        char buf[16];
        char *src = const_cast<char *>(in.data());
        char *dst = buf;
        size_t left = in.size();
        size_t room = sizeof buf;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &src, &left, &dst, &room) == static_cast<size_t>(-1))
            return false;
        out.assign(buf, sizeof buf - room);
        return true;
    };
    iconv_t fromEuc = iconv_open("UTF-8", "EUC-JP-MS");
    iconv_t fromSjis = iconv_open("UTF-8", "CP932");
    ASSERT_NE(fromEuc, reinterpret_cast<iconv_t>(-1));
    ASSERT_NE(fromSjis, reinterpret_cast<iconv_t>(-1));
    std::string euc, jis;
    std::vector<std::string> expected;
    std::vector<int> cells;
    // Rows 85 to 94 are no part of JIS X 0208 (eucJP-ms puts user characters there).
    for (int row = 1; row <= 84; ++row) {
        for (int cell = 1; cell <= 94; ++cell) {
            const std::string bytes{static_cast<char>(0xA0 + row), static_cast<char>(0xA0 + cell)};
            std::string character;
            if (!convert(fromEuc, bytes, character))
                continue;
            expected.push_back(character);
            cells.push_back(row * 100 + cell);
            euc += bytes + "\n";
            jis += "\x1b$B" + std::string{static_cast<char>(0x20 + row), static_cast<char>(0x20 + cell)} + "\x1b(B\n";
        }
    }
    ASSERT_GT(expected.size(), 6800u);
    for (auto [code, bytes] : {std::pair{-932, euc}, std::pair{-933, jis}}) {
        Lines lines = Decode(code, bytes);
        ASSERT_GE(lines.size(), expected.size()) << code;
        for (size_t i = 0; i < expected.size(); ++i) {
            std::string got;
            EXPECT_TRUE(convert(fromSjis, lines[i], got) && got == expected[i])
                << "decoder " << code << ", row " << cells[i] / 100 << " cell " << cells[i] % 100;
        }
    }
    iconv_close(fromEuc);
    iconv_close(fromSjis);
}

} // namespace
