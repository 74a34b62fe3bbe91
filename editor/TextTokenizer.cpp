#include "TextTokenizer.h"

#include "editor/EditFuncs.h"

namespace {

bool InMailSet(unsigned char b)
{
    switch (b) {
    case '!': case '$': case '%': case '&': case '*': case ',': case '-': case '.': case '/':
    case ';': case '=': case '?': case '@': case '^': case '_': case '~':
        return true;
    default:
        return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
    }
}

bool InURLSet(unsigned char b)
{
    switch (b) {
    case '#': case '%': case '&': case '+': case '-': case '.': case '/': case ':': case '=':
    case '?': case '_': case '~':
        return true;
    default:
        return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
    }
}

} // namespace

bool TEditTextEX::GetTokenStyle(int kind, TEditDrawProps &props) const
{
    switch (kind) {
    case tkTab: return Style(props, RgbValue(192, 192, 192));
    case tkURL:
    case tkMail: return Style(props, RgbValue(0, 0, 255), fsUnderline);
    default: return false;
    }
}

void TEditTextParser::DispatchChar()
{
    if (StartsMail()) {
        ScanMail();
        return;
    }
    if (StartsURL()) {
        ScanURL();
        return;
    }
    TEditBasicParser::DispatchChar();
}

bool TEditTextParser::StartsMail()
{
    const unsigned char first = Cur();
    if (first == '@' || !InMailSet(first))
        return false;
    if (FMailFailLine == FLineSerial && FCurrent < FMailFailEnd)
        return false;
    bool at = false;
    size_t i = FCurrent;
    for (;;) {
        const unsigned char b = At(i);
        if (b == 0x00 || b == 0x0A || b == 0x0D || !InMailSet(b))
            break;
        if (b == '@')
            at = true;
        else if (b == '.' && at) {
            FCurrent = i + 1;
            return true;
        }
        ++i;
    }
    FMailFailLine = FLineSerial;
    FMailFailEnd = i;
    return false;
}

bool TEditTextParser::StartsURL()
{
    const unsigned char first = Cur();
    if (first != 'f' && first != 'h' && first != 'w')
        return false;
    const std::string_view rest = FLine.substr(FCurrent);
    for (std::string_view prefix : {std::string_view("ftp:"), std::string_view("http:"), std::string_view("https:"),
                                    std::string_view("www.")}) {
        if (rest.substr(0, prefix.size()) == prefix) {
            FCurrent += prefix.size();
            return true;
        }
    }
    return false;
}

void TEditTextParser::ScanURL()
{
    FKind = tkURL;
    while (InURLSet(Cur()))
        ++FCurrent;
}

void TEditTextParser::ScanMail()
{
    FKind = tkMail;
    while (InMailSet(Cur()))
        ++FCurrent;
}
