#include "CPPTokenizer.h"

#include "editor/EditFuncs.h"

void TEditCppEX::InitKeywords()
{
    static const char *const kWords[] = {
        "#define", "#elif", "#else", "#endif", "#error", "#if", "#ifdef", "#ifndef", "#include", "#line",
        "#pragma", "#undef", "__declspec", "__FILE__", "asm", "auto", "break", "bool", "case", "catch",
        "char", "class", "const", "continue", "default", "delete", "do", "double", "else", "endif", "enum",
        "explicit", "extern", "false", "float", "for", "friend", "goto", "if", "inline", "int", "long",
        "mutable", "namespace", "new", "operator", "private", "protected", "public", "register", "return",
        "short", "signed", "sizeof", "static", "struct", "switch", "template", "this", "throw", "try",
        "true", "typedef", "typename", "union", "unsigned", "using", "virtual", "void", "volatile", "while",
    };
    AddKeywords(kWords);
}

void TEditCppEX::InitComments()
{
    AddBlockComment("/*", "*/");
}

bool TEditCppEX::GetTokenStyle(int kind, TEditDrawProps &props) const
{
    switch (kind) {
    case tkKeyword: return Style(props, RgbValue(0, 0, 255), fsBold);
    case tkString: return Style(props, RgbValue(128, 0, 0));
    default: return SourceTokenStyle(kind, props);
    }
}

void TEditCppParser::InitTable()
{
    TEditBasicParser::InitTable();
    CharTable[static_cast<unsigned char>('"')] = hString;
    CharTable[static_cast<unsigned char>('#')] = hDirective;
    CharTable[static_cast<unsigned char>('/')] = hSlash;
}

void TEditCppParser::ScanSlash()
{
    if (At(FCurrent + 1) == '/') {
        FCurrent += 2;
        FKind = tkLineComment;
        AfterLineComment = true;
    } else {
        ScanOther();
    }
}

void TEditCppParser::ScanDirective()
{
    // "#define" becomes one identifier, which the keyword list turns into a keyword.
    ++FCurrent;
    FKind = tkIdent;
    if (CharTable[Cur()] == hDirective) {
        FKind = tkOther; // "##": one "#" at a time, never a recursion per byte
        return;
    }
    RunHandler(CharTable[Cur()]);
    if (FKind == tkEnd)
        FKind = tkOther; // a "#" at the end of the line is still drawn
}
