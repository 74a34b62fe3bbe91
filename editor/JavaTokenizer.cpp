#include "JavaTokenizer.h"

#include "editor/EditFuncs.h"

void TEditJavaEX::InitKeywords()
{
    static const char *const kWords[] = {
        "byte", "char", "short", "int", "long", "float", "double", "boolean", "true", "false", "void",
        "class", "interface", "extends", "implements", "this", "super", "new", "null", "instanceof",
        "import", "package", "public", "protected", "private", "final", "static", "abstract", "native",
        "synchronized", "volatile", "transient", "for", "while", "do", "if", "else", "switch", "case",
        "default", "break", "continue", "return", "try", "catch", "finally", "throw", "throws", "const",
        "goto",
    };
    AddKeywords(kWords);
}

void TEditJavaEX::InitComments()
{
    AddBlockComment("/*", "*/");
}

bool TEditJavaEX::GetTokenStyle(int kind, TEditDrawProps &props) const
{
    switch (kind) {
    case tkKeyword: return Style(props, RgbValue(0, 0, 255), fsBold);
    case tkTab: return Style(props, RgbValue(192, 192, 192));
    case tkString: return Style(props, RgbValue(255, 0, 0));
    default: return SourceTokenStyle(kind, props);
    }
}

void TEditJAVAParser::InitTable()
{
    TEditBasicParser::InitTable();
    CharTable[static_cast<unsigned char>('"')] = hString;
    CharTable[static_cast<unsigned char>('/')] = hSlash;
}

void TEditJAVAParser::ScanSlash()
{
    // A "/*" that reaches here was not taken as a block comment (one is open or a line
    // comment runs): the rest of the line is comment either way.
    const unsigned char next = At(FCurrent + 1);
    if (next == '/' || next == '*')
        ScanToLineEnd();
    else
        ScanOther();
}
