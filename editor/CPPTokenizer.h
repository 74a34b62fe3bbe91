// The C/C++ parser: "/* */" block comments, "//" line comments, double-quoted strings,
// preprocessor directives as one identifier ("#define"), the C/C++ keywords.
#ifndef TOVIK_EDITOR_CPPTOKENIZER_H
#define TOVIK_EDITOR_CPPTOKENIZER_H

#include "editor/EditParser.h"

class TEditCppEX : public TEditParserLangEx {
public:
    void InitKeywords() override;
    void InitComments() override;
    bool GetTokenStyle(int kind, TEditDrawProps &props) const override;
};

class TEditCppParser : public TEditBasicParser {
public:
    TEditCppParser() { Initialize(); }

protected:
    std::unique_ptr<TEditParserLangEx> CreateLangEx() override { return std::make_unique<TEditCppEX>(); }
    void InitTable() override;
    void ScanSlash() override;
    void ScanDirective() override;
};

#endif
