#include "DelphiTokenizer.h"

#include "editor/EditFuncs.h"

void TEditDelphiEX::InitKeywords()
{
    static const char *const kWords[] = {
        "and", "array", "as", "asm", "begin", "case", "class", "const", "constructor", "destructor",
        "dispinterface", "div", "do", "downto", "else", "end", "except", "exports", "file",
        "finalization", "finally", "for", "function", "goto", "if", "implementation", "in",
        "inherited", "initialization", "inline", "interface", "is", "label", "library", "mod", "nil",
        "not", "object", "of", "or", "out", "packed", "procedure", "program", "property", "raise",
        "record", "repeat", "resourcestring", "set", "shl", "shr", "string", "then", "threadvar", "to",
        "try", "type", "unit", "until", "uses", "var", "while", "with", "xor", "private", "protected",
        "public", "published", "automated", "at", "on", "stored", "default", "nodefault", "index",
        "abstract", "virtual", "overload", "override", "reintroduce", "read", "write", "implements",
    };
    AddKeywords(kWords);
}

void TEditDelphiEX::InitComments()
{
    AddBlockComment("{", "}");
    AddBlockComment("(*", "*)");
}

bool TEditDelphiEX::GetTokenStyle(int kind, TEditDrawProps &props) const
{
    switch (kind) {
    case tkKeyword: return Style(props, RgbValue(0, 0, 128), fsBold);
    case tkPasString: return Style(props, RgbValue(128, 0, 0));
    default: return SourceTokenStyle(kind, props);
    }
}

void TEditDelphiParser::InitTable()
{
    TEditBasicParser::InitTable();
    CharTable[static_cast<unsigned char>('#')] = hCharCode;
    CharTable[static_cast<unsigned char>('$')] = hDollarHex;
    CharTable[static_cast<unsigned char>('\'')] = hQuoted;
    CharTable[static_cast<unsigned char>('/')] = hSlash;
}

void TEditDelphiParser::ScanQuoted()
{
    ScanString();
    FKind = tkPasString;
}

void TEditDelphiParser::ScanCharCode()
{
    if (At(FCurrent + 1) == '$') {
        FCurrent += 2;
        ScanCharCodeHex();
    } else {
        ++FCurrent;
        ScanCharCodeDec();
    }
}

void TEditDelphiParser::ScanCharCodeHex()
{
    ScanHex();
    FKind = tkCharCodeHex;
}

void TEditDelphiParser::ScanCharCodeDec()
{
    FKind = tkCharCodeDec;
    while (Cur() >= '0' && Cur() <= '9')
        ++FCurrent;
}

void TEditDelphiParser::ScanDollarHex()
{
    ++FCurrent;
    ScanHex();
}

void TEditDelphiParser::ScanSlash()
{
    if (At(FCurrent + 1) == '/') {
        FCurrent += 2;
        FKind = tkLineComment;
        AfterLineComment = true;
    } else {
        ScanOther();
    }
}
