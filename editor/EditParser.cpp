#include "EditParser.h"

#include "editor/EditFuncs.h"

#include <algorithm>

namespace {

bool IsDigit(unsigned char b) { return b >= '0' && b <= '9'; }
bool IsHexDigit(unsigned char b) { return IsDigit(b) || (b >= 'A' && b <= 'F') || (b >= 'a' && b <= 'f'); }
bool IsIdentByte(unsigned char b) { return IsDigit(b) || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '_'; }
bool IsKanjiLead(unsigned char b) { return (b >= 0x88 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Compares a with the lower-cased b, ignoring ASCII case of a.
int CompareFolded(std::string_view a, std::string_view lowerB)
{
    const size_t n = std::min(a.size(), lowerB.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = static_cast<unsigned char>(Lower(a[i]));
        const unsigned char y = static_cast<unsigned char>(lowerB[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == lowerB.size() ? 0 : (a.size() < lowerB.size() ? -1 : 1);
}

} // namespace

// ---- block comments and language definitions ------------------------------------------

TBlockCommentItem *TBlockComments::Add()
{
    FItems.emplace_back();
    return &FItems.back();
}

const TBlockCommentItem *TBlockComments::Items(int index) const
{
    return index >= 0 && index < Count() ? &FItems[static_cast<size_t>(index)] : nullptr;
}

void TEditParserLangEx::Init()
{
    FKeywords.clear();
    BlockComments.Clear();
    InitKeywords();
    InitComments();
}

void TEditParserLangEx::AddKeyword(std::string_view word)
{
    std::string w(word);
    for (char &c : w)
        c = Lower(c);
    auto it = std::lower_bound(FKeywords.begin(), FKeywords.end(), w);
    if (it == FKeywords.end() || *it != w)
        FKeywords.insert(it, std::move(w));
}

void TEditParserLangEx::AddKeywords(std::span<const char *const> words)
{
    for (const char *w : words)
        AddKeyword(w);
}

void TEditParserLangEx::AddBlockComment(std::string_view opener, std::string_view closer)
{
    TBlockCommentItem *c = BlockComments.Add();
    c->Opener = opener;
    c->Closer = closer;
}

bool TEditParserLangEx::IsKeyword(std::string_view text) const
{
    size_t lo = 0, hi = FKeywords.size();
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        const int c = CompareFolded(text, FKeywords[mid]);
        if (c == 0)
            return true;
        if (c < 0)
            hi = mid;
        else
            lo = mid + 1;
    }
    return false;
}

bool TEditParserLangEx::GetTokenStyle(int, TEditDrawProps &) const { return false; }

bool TEditParserLangEx::Style(TEditDrawProps &props, int32_t color, uint8_t fontStyle)
{
    props.Styled = true;
    props.ForeColor = color;
    props.FontStyle = fontStyle;
    return true;
}

bool TEditParserLangEx::SourceTokenStyle(int kind, TEditDrawProps &props)
{
    switch (kind) {
    case tkOther: return Style(props, RgbValue(0, 0, 255));
    case tkInteger: return Style(props, RgbValue(255, 0, 0));
    case tkBlockComment:
    case tkLineComment: return Style(props, RgbValue(0, 128, 0));
    default: return false;
    }
}

// ---- the parser -----------------------------------------------------------------------

TEditBasicParser::TEditBasicParser() { Initialize(); }

TEditBasicParser::~TEditBasicParser() = default;

void TEditBasicParser::Initialize()
{
    FLangEx = CreateLangEx();
    FLangEx->Init();
    InitTable();
    LineCount = 0;
    OpenComment = -1;
    SkipBlanks = true;
    ContinueKind = 0;
    TabPending = false;
}

std::unique_ptr<TEditParserLangEx> TEditBasicParser::CreateLangEx() { return std::make_unique<TEditParserLangEx>(); }

void TEditBasicParser::InitTable()
{
    for (int b = 0; b < 256; ++b) {
        THandler h = hOther;
        if (b == 0x00)
            h = hNull;
        else if (b == 0x09)
            h = hTab;
        else if (b == 0x0A)
            h = hLF;
        else if (b == 0x0D)
            h = hCR;
        else if (IsDigit(static_cast<unsigned char>(b)))
            h = hNumber;
        else if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '_')
            h = hIdent;
        else if (b == 0x81 || (b >= 0x84 && b <= 0x87))
            h = hDBCSSymbol;
        else if (b == 0x82 || b == 0x83)
            h = hFullWidth;
        else if (IsKanjiLead(static_cast<unsigned char>(b)))
            h = hKanji;
        else if (b >= 0xA1 && b <= 0xA5)
            h = hHalfPunct;
        else if (b >= 0xA6 && b <= 0xDF)
            h = hHalfKana;
        CharTable[b] = h;
    }
}

void TEditBasicParser::SetLine(std::string_view text)
{
    FLine = text;
    ++FLineSerial;
    FTokenBegin = FTokenEnd = FCurrent = 0;
    AfterLineComment = false;
    // A line comment never reaches into the next line, even when its line ended in a tab;
    // a block comment resumes through OpenComment alone.
    ContinueKind = 0;
    TabPending = false;
}

bool TEditBasicParser::GetTokenStyle(int kind, TEditDrawProps &props) const { return FLangEx->GetTokenStyle(kind, props); }

int TEditBasicParser::NextToken()
{
    if (SkipBlanks && ContinueKind == 0) {
        while (FTokenEnd < FLine.size()) {
            const unsigned char b = At(FTokenEnd);
            if (b < 0x01 || b > 0x20)
                break;
            if (b == 0x0A)
                ++LineCount;
            ++FTokenEnd;
        }
    }
    FCurrent = FTokenBegin = FTokenEnd;
    const unsigned char a = Cur();
    if (a == 0x00 || a == 0x0A || a == 0x0D) {
        FKind = tkEnd;
    } else if (a == ' ') {
        FKind = tkSpace;
        while (Cur() == ' ')
            ++FCurrent;
    } else if (ContinueKind != 0 && !TabPending && a != '\t') {
        if (ContinueKind == tkLineComment)
            ScanToLineEnd();
        else
            ScanBlockComment();
    } else if (OpenComment < 0 || a == '\t') {
        DispatchChar();
        if (AfterLineComment && FKind != tkEnd)
            FKind = tkLineComment;
    } else {
        ScanBlockComment();
    }
    // Every handler consumes at least one byte unless it answers end of line.
    if (FKind != tkEnd && FCurrent == FTokenBegin)
        ++FCurrent;
    FTokenEnd = FCurrent;
    if (FKind == tkIdent && IsKeyword())
        FKind = tkKeyword;
    return FKind;
}

void TEditBasicParser::RunHandler(THandler h)
{
    switch (h) {
    case hNull: ScanNull(); break;
    case hTab: ScanTab(); break;
    case hLF: ScanLF(); break;
    case hCR: ScanCR(); break;
    case hNumber: ScanNumber(); break;
    case hIdent: ScanIdent(); break;
    case hDBCSSymbol: ScanDBCSSymbol(); break;
    case hFullWidth: ScanFullWidth(); break;
    case hKanji: ScanKanji(); break;
    case hHalfPunct: ScanHalfPunct(); break;
    case hHalfKana: ScanHalfKana(); break;
    case hString: ScanString(); break;
    case hQuoted: ScanQuoted(); break;
    case hSlash: ScanSlash(); break;
    case hDirective: ScanDirective(); break;
    case hCharCode: ScanCharCode(); break;
    case hDollarHex: ScanDollarHex(); break;
    case hOther: default: ScanOther(); break;
    }
}

void TEditBasicParser::DispatchChar()
{
    if (OpenComment < 0 && !AfterLineComment && StartsBlockComment()) {
        ScanBlockComment();
        return;
    }
    RunHandler(CharTable[Cur()]);
}

bool TEditBasicParser::StartsBlockComment()
{
    const TBlockComments &list = FLangEx->BlockComments;
    const std::string_view rest = FLine.substr(std::min(FCurrent, FLine.size()));
    for (int i = 0; i < list.Count(); ++i) {
        const std::string &opener = list.Items(i)->Opener;
        if (!opener.empty() && rest.substr(0, opener.size()) == opener) {
            OpenComment = i;
            FCurrent += opener.size();
            return true;
        }
    }
    return false;
}

bool TEditBasicParser::IsKeyword() const
{
    if (FKind == tkEnd || FKind == tkBlockComment || FKind == tkLineComment)
        return false;
    return FLangEx->IsKeyword(FLine.substr(FTokenBegin, FCurrent - FTokenBegin));
}

void TEditBasicParser::ApplyTabRule()
{
    if (Cur() == '\t') {
        ContinueKind = FKind;
        TabPending = true;
    } else if (ContinueKind == FKind) {
        ContinueKind = 0;
    }
}

void TEditBasicParser::ScanBlockComment()
{
    const TBlockCommentItem *item = OpenComment >= 0 ? FLangEx->BlockComments.Items(OpenComment) : nullptr;
    if (!item || item->Closer.empty()) {
        FKind = tkEnd;
        return;
    }
    FKind = tkBlockComment;
    const std::string &closer = item->Closer;
    for (;;) {
        const unsigned char b = Cur();
        if (b == 0x00 || b == '\t' || b == 0x0A || b == 0x0D)
            break;
        if (FLine.compare(FCurrent, closer.size(), closer) == 0 && FCurrent + closer.size() <= FLine.size()) {
            FCurrent += closer.size();
            OpenComment = -1;
            ContinueKind = 0;
            TabPending = false;
            return;
        }
        FCurrent += (IsLead(b) && At(FCurrent + 1) != 0) ? 2 : 1;
    }
    ApplyTabRule();
}

void TEditBasicParser::ScanToLineEnd()
{
    FKind = tkLineComment;
    for (;;) {
        const unsigned char b = Cur();
        if (b == 0x00 || b == '\t' || b == 0x0A || b == 0x0D)
            break;
        ++FCurrent;
    }
    ApplyTabRule();
}

void TEditBasicParser::ScanIdent()
{
    FKind = tkIdent;
    while (IsIdentByte(Cur()))
        ++FCurrent;
}

void TEditBasicParser::ScanCR()
{
    FKind = tkEnd;
    ++FCurrent;
    if (Cur() == 0x0A)
        ++FCurrent;
}

void TEditBasicParser::ScanLF()
{
    FKind = tkEnd;
    ++FCurrent;
}

void TEditBasicParser::ScanNull() { FKind = tkEnd; }

void TEditBasicParser::ScanKanji()
{
    FKind = tkKanji;
    while (IsKanjiLead(Cur())) {
        ++FCurrent;
        if (Cur() > 0x3F)
            ++FCurrent;
    }
}

void TEditBasicParser::ScanFullWidth()
{
    const unsigned char lead = Cur();
    const unsigned char trail = At(FCurrent + 1);
    ++FCurrent;
    auto pairIn = [&](unsigned char l, unsigned char lo, unsigned char hi) {
        return Cur() == l && At(FCurrent + 1) >= lo && At(FCurrent + 1) <= hi;
    };
    auto runWhile = [&](auto accepts) {
        while (accepts())
            FCurrent += 2;
    };
    if (trail < 0x40 || (lead == 0x83 && trail >= 0xF1)) {
        // Only the lead byte: the previous token's kind stays, unless there is none.
        if (FKind == tkEnd)
            FKind = tkOther;
        return;
    }
    ++FCurrent; // the trail byte
    if (lead == 0x82 && trail >= 0x4F && trail <= 0x58) {
        FKind = tkFullDigits;
        runWhile([&] { return pairIn(0x82, 0x4F, 0x58) || pairIn(0x81, 0x43, 0x44); });
    } else if (lead == 0x82 && ((trail >= 0x60 && trail <= 0x79) || (trail >= 0x81 && trail <= 0x9A))) {
        FKind = tkFullLatin;
        runWhile([&] { return pairIn(0x82, 0x60, 0x79) || pairIn(0x82, 0x81, 0x9A); });
    } else if (lead == 0x82 && trail >= 0x9F && trail <= 0xF1) {
        FKind = tkHiragana;
        runWhile([&] { return pairIn(0x82, 0x9F, 0xF1) || pairIn(0x81, 0x5B, 0x5B) || pairIn(0x81, 0x7C, 0x7C); });
    } else if (lead == 0x83 && trail >= 0x40 && trail <= 0x96) {
        FKind = tkKatakana;
        runWhile([&] { return pairIn(0x83, 0x40, 0x96) || pairIn(0x81, 0x5B, 0x5B) || pairIn(0x81, 0x7C, 0x7C); });
    } else {
        FKind = tkDBCSSymbol;
    }
}

void TEditBasicParser::ScanDBCSSymbol()
{
    FKind = tkDBCSSymbol;
    ++FCurrent;
    if (Cur() != 0)
        ++FCurrent;
}

void TEditBasicParser::ScanString()
{
    FKind = tkString;
    const unsigned char quote = Cur();
    ++FCurrent;
    for (;;) {
        const unsigned char b = Cur();
        if (b == 0x00 || b == 0x0A || b == 0x0D)
            return;
        ++FCurrent;
        if (b == quote)
            return;
    }
}

void TEditBasicParser::ScanHex()
{
    FKind = tkHex;
    while (IsHexDigit(Cur()))
        ++FCurrent;
}

void TEditBasicParser::ScanNumber()
{
    FKind = tkInteger;
    while (IsDigit(Cur()))
        ++FCurrent;
    auto exponent = [&] {
        // At "E"/"e": the letter, an optional sign and the digits.
        ++FCurrent;
        if (Cur() == '+' || Cur() == '-')
            ++FCurrent;
        while (IsDigit(Cur()))
            ++FCurrent;
    };
    if (Cur() == '.') {
        FKind = tkReal;
        ++FCurrent;
        if (IsDigit(Cur())) {
            while (IsDigit(Cur()))
                ++FCurrent;
            if (Cur() == 'E' || Cur() == 'e')
                exponent();
        } else if (Cur() == 'E' || Cur() == 'e') {
            exponent();
        } else {
            --FCurrent; // give the "." back (a range such as 1..10)
        }
    } else if (Cur() == 'E' || Cur() == 'e') {
        FKind = tkReal;
        exponent();
    }
}

void TEditBasicParser::ScanHalfKana()
{
    FKind = tkHalfKana;
    while (Cur() >= 0xA6 && Cur() <= 0xDF)
        ++FCurrent;
}

void TEditBasicParser::ScanHalfPunct()
{
    FKind = tkHalfPunct;
    ++FCurrent;
}

void TEditBasicParser::ScanOther()
{
    FKind = tkOther;
    const unsigned char b = Cur();
    if (b != 0x00 && b != 0x0A && b != 0x0D)
        ++FCurrent;
}

void TEditBasicParser::ScanTab()
{
    FKind = tkTab;
    ++FCurrent;
    if (ContinueKind != 0)
        TabPending = false;
}
