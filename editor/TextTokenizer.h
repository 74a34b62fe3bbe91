// The plain-text parser: no keywords and no comments, but web addresses ("http:", "https:",
// "ftp:", "www.") and mail addresses become tokens of their own, drawn underlined.
#ifndef TOVIK_EDITOR_TEXTTOKENIZER_H
#define TOVIK_EDITOR_TEXTTOKENIZER_H

#include "editor/EditParser.h"

class TEditTextEX : public TEditParserLangEx {
public:
    bool GetTokenStyle(int kind, TEditDrawProps &props) const override;
};

class TEditTextParser : public TEditBasicParser {
public:
    TEditTextParser() { Initialize(); }
    bool UsesLineState() const override { return false; }

protected:
    std::unique_ptr<TEditParserLangEx> CreateLangEx() override { return std::make_unique<TEditTextEX>(); }
    void DispatchChar() override;
    void ScanURL();
    void ScanMail();

private:
    bool StartsMail();
    bool StartsURL();
    // A mail test that failed from some start failed for every start up to where it stopped:
    // remembering that keeps a long run of mail-set bytes linear.
    uint32_t FMailFailLine = 0;
    size_t FMailFailEnd = 0;
};

#endif
