// The syntax parser's base: cuts one line of CP932 bytes (tabs not expanded) into tokens,
// gives each a kind and maps kinds to draw properties through its language definition.
//
// Token kinds:
//   0 end of line (also a block-comment scan with no comment open)   1 any other single byte
//   3 integer  4 real  6 block comment piece  7 line comment  8 keyword  9 one tab
//   11 identifier  12 double-byte symbol  14 full-width digits  15 full-width Latin letters
//   16 hiragana  17 katakana  18 kanji  19 half-width punctuation  20 half-width katakana
//   21 URL  22 mail address  23 hexadecimal digits  24 single-quoted string
//   25 double-quoted string  26 spaces  50 "#" decimal character code  51 "#$" hex code
//
// The one piece of state carried from line to line is OpenComment, the index of the block
// comment still open at the end of a line (-1 when none): the line store keeps it as the
// line's state, and whoever parses the next line sets it before SetLine.
//
//     TEditDelphiParser p;
//     p.SkipBlanks = false;
//     p.OpenComment = previousLineState;
//     p.SetLine(text);
//     while (int kind = p.NextToken()) { ... p.TokenStart(), p.TokenLength() ... }
#ifndef TOVIK_EDITOR_EDITPARSER_H
#define TOVIK_EDITOR_EDITPARSER_H

#include "editor/EditTypes.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

enum TEditTokenKind : uint8_t {
    tkEnd = 0, tkOther = 1, tkInteger = 3, tkReal = 4, tkBlockComment = 6, tkLineComment = 7,
    tkKeyword = 8, tkTab = 9, tkIdent = 11, tkDBCSSymbol = 12, tkFullDigits = 14,
    tkFullLatin = 15, tkHiragana = 16, tkKatakana = 17, tkKanji = 18, tkHalfPunct = 19,
    tkHalfKana = 20, tkURL = 21, tkMail = 22, tkHex = 23, tkPasString = 24, tkString = 25,
    tkSpace = 26, tkCharCodeDec = 50, tkCharCodeHex = 51,
};

struct TBlockCommentItem {
    std::string Opener;
    std::string Closer;
};

class TBlockComments {
public:
    TBlockCommentItem *Add();
    void Clear() { FItems.clear(); }
    int Count() const { return static_cast<int>(FItems.size()); }
    // Null when out of range.
    const TBlockCommentItem *Items(int index) const;

private:
    std::vector<TBlockCommentItem> FItems;
};

// A language's keywords (looked up ignoring ASCII case), block comments and token styles.
class TEditParserLangEx {
public:
    TEditParserLangEx() = default;
    virtual ~TEditParserLangEx() = default;
    // Fills the lists; the parser calls it once after construction.
    void Init();
    virtual void InitKeywords() {}
    virtual void InitComments() {}
    virtual bool IsKeyword(std::string_view text) const;
    // Sets Styled, ForeColor and FontStyle for a styled kind; false for the others.
    virtual bool GetTokenStyle(int kind, TEditDrawProps &props) const;

    void AddKeyword(std::string_view word);
    void AddKeywords(std::span<const char *const> words);
    void AddBlockComment(std::string_view opener, std::string_view closer);
    int KeywordCount() const { return static_cast<int>(FKeywords.size()); }

    TBlockComments BlockComments;

protected:
    static bool Style(TEditDrawProps &props, int32_t color, uint8_t fontStyle = 0);
    // The colours every programming language shares: symbols blue, numbers red, comments
    // green; false for the other kinds.
    static bool SourceTokenStyle(int kind, TEditDrawProps &props);

private:
    std::vector<std::string> FKeywords; // lower-cased, sorted, no duplicates
};

class TEditBasicParser {
public:
    TEditBasicParser();
    virtual ~TEditBasicParser();
    TEditBasicParser(const TEditBasicParser &) = delete;
    TEditBasicParser &operator=(const TEditBasicParser &) = delete;

    // Sets up the language definition and the handler table; call once after construction
    // (the factory does).
    void Initialize();

    // Starts a line. OpenComment carries over; a tab-interrupted line comment does not.
    void SetLine(std::string_view text);
    // The kind of the next token; 0 with zero length at the end of the line.
    int NextToken();
    int TokenStart() const { return static_cast<int>(FTokenBegin); }
    int TokenLength() const { return static_cast<int>(FTokenEnd - FTokenBegin); }
    std::string_view TokenText() const { return FLine.substr(FTokenBegin, FTokenEnd - FTokenBegin); }
    int Kind() const { return FKind; }
    bool GetTokenStyle(int kind, TEditDrawProps &props) const;
    // Whether this parser's line states carry meaning from line to line.
    virtual bool UsesLineState() const { return true; }
    const TEditParserLangEx *LangEx() const { return FLangEx.get(); }

    int32_t OpenComment = -1;
    bool SkipBlanks = true;
    uint8_t ContinueKind = 0;
    bool TabPending = false;
    int LineCount = 0;

protected:
    enum THandler : uint8_t {
        hOther, hNull, hTab, hLF, hCR, hNumber, hIdent, hDBCSSymbol, hFullWidth, hKanji,
        hHalfPunct, hHalfKana, hString, hQuoted, hSlash, hDirective, hCharCode, hDollarHex,
    };

    virtual void InitTable();
    virtual std::unique_ptr<TEditParserLangEx> CreateLangEx();

    virtual void ScanIdent();
    virtual void ScanBlockComment();
    virtual void ScanToLineEnd();
    virtual void ScanCR();
    virtual void ScanNull();
    virtual void ScanKanji();
    virtual void ScanFullWidth();
    virtual void ScanDBCSSymbol();
    virtual void ScanString();
    virtual void ScanHex();
    virtual void ScanNumber();
    virtual void ScanHalfKana();
    virtual void ScanHalfPunct();
    virtual void ScanLF();
    virtual void DispatchChar();
    virtual void ScanQuoted() { ScanOther(); }
    virtual void ScanOther();
    virtual void ScanTab();
    virtual void ScanSlash() { ScanOther(); }
    virtual void ScanDirective() { ScanOther(); }
    virtual void ScanCharCode() { ScanOther(); }
    virtual void ScanDollarHex() { ScanOther(); }
    virtual bool IsKeyword() const;
    virtual bool StartsBlockComment();

    // The byte at i, or 0 past the end of the line (the line behaves as zero-terminated).
    unsigned char At(size_t i) const { return i < FLine.size() ? static_cast<unsigned char>(FLine[i]) : 0; }
    unsigned char Cur() const { return At(FCurrent); }
    void RunHandler(THandler h);
    void ApplyTabRule();

    THandler CharTable[256] {};
    std::string_view FLine;
    size_t FTokenBegin = 0;
    size_t FTokenEnd = 0;
    size_t FCurrent = 0;
    uint32_t FLineSerial = 0; // counts SetLine calls, for caches of the current line
    uint8_t FKind = 0;
    bool AfterLineComment = false;
    std::unique_ptr<TEditParserLangEx> FLangEx;
};

#endif
