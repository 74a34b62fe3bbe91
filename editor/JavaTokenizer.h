// The Java parser: "/* */" block comments, "//" (and "/*" left open only by a tab) line
// comments as one token to the line end, double-quoted strings, the Java keywords.
#ifndef TOVIK_EDITOR_JAVATOKENIZER_H
#define TOVIK_EDITOR_JAVATOKENIZER_H

#include "editor/EditParser.h"

class TEditJavaEX : public TEditParserLangEx {
public:
    void InitKeywords() override;
    void InitComments() override;
    bool GetTokenStyle(int kind, TEditDrawProps &props) const override;
};

class TEditJAVAParser : public TEditBasicParser {
public:
    TEditJAVAParser() { Initialize(); }

protected:
    std::unique_ptr<TEditParserLangEx> CreateLangEx() override { return std::make_unique<TEditJavaEX>(); }
    void InitTable() override;
    void ScanSlash() override;
};

#endif
