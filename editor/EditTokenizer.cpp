#include "EditTokenizer.h"

#include "editor/CPPTokenizer.h"
#include "editor/DelphiTokenizer.h"
#include "editor/JavaTokenizer.h"
#include "editor/TextTokenizer.h"

namespace {

template <class T>
std::unique_ptr<TEditBasicParser> Make()
{
    return std::make_unique<T>();
}

} // namespace

std::unique_ptr<TEditBasicParser> TEditTokenizerFactory::CreateParser(TEditParserClass cls)
{
    return cls ? cls() : std::make_unique<TEditBasicParser>();
}

TEditParserClass TEditTokenizer::ClassOf(int language)
{
    switch (language) {
    case langPascal: return &Make<TEditDelphiParser>;
    case langJava: return &Make<TEditJAVAParser>;
    case langCpp: return &Make<TEditCppParser>;
    default: return &Make<TEditTextParser>;
    }
}

TEditParserClass TEditTokenizer::SelectLanguage(int language)
{
    if (language < langText || language > langCpp)
        language = langText;
    LanguageId = language;
    ParserClass = ClassOf(language);
    return ParserClass;
}

TEditParserClass TEditTokenizer::SelectByExt(std::string_view ext)
{
    if (ext == "pas" || ext == "dpr")
        return SelectLanguage(langPascal);
    if (ext == "java")
        return SelectLanguage(langJava);
    if (ext == "c" || ext == "cpp" || ext == "h")
        return SelectLanguage(langCpp);
    return SelectLanguage(langText);
}
