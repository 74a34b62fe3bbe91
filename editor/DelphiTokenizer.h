// The Pascal parser: "{ }" and "(* *)" block comments, "//" line comments, single-quoted
// strings, "$" hexadecimal numbers, "#" and "#$" character codes, the Pascal keywords.
#ifndef TOVIK_EDITOR_DELPHITOKENIZER_H
#define TOVIK_EDITOR_DELPHITOKENIZER_H

#include "editor/EditParser.h"

class TEditDelphiEX : public TEditParserLangEx {
public:
    void InitKeywords() override;
    void InitComments() override;
    bool GetTokenStyle(int kind, TEditDrawProps &props) const override;
};

class TEditDelphiParser : public TEditBasicParser {
public:
    TEditDelphiParser() { Initialize(); }

protected:
    std::unique_ptr<TEditParserLangEx> CreateLangEx() override { return std::make_unique<TEditDelphiEX>(); }
    void InitTable() override;
    void ScanQuoted() override;
    void ScanCharCode() override;
    void ScanCharCodeHex();
    void ScanCharCodeDec();
    void ScanDollarHex() override;
    void ScanSlash() override;
};

#endif
