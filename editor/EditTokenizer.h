// The choice of a syntax parser by file extension.
#ifndef TOVIK_EDITOR_EDITTOKENIZER_H
#define TOVIK_EDITOR_EDITTOKENIZER_H

#include "editor/EditParser.h"

#include <memory>
#include <string_view>

// A parser class: a function that makes a parser of that class.
using TEditParserClass = std::unique_ptr<TEditBasicParser> (*)();

class TEditTokenizerFactory {
public:
    // A new parser of the class; the plain base parser when cls is null.
    static std::unique_ptr<TEditBasicParser> CreateParser(TEditParserClass cls);
};

class TEditTokenizer {
public:
    enum TLanguage : int { langText = 0, langPascal = 1, langJava = 2, langCpp = 3 };

    // "pas"/"dpr" Pascal, "java" Java, "c"/"cpp"/"h" C/C++, anything else plain text. The
    // comparison is exact: the caller lower-cases. Answers the class chosen.
    TEditParserClass SelectByExt(std::string_view ext);
    // Forces a language (the text viewer's file-type menu).
    TEditParserClass SelectLanguage(int language);
    std::unique_ptr<TEditBasicParser> CreateParser() const { return TEditTokenizerFactory::CreateParser(ParserClass); }

    static TEditParserClass ClassOf(int language);

    TEditParserClass ParserClass = nullptr;
    int LanguageId = langText;
};

#endif
