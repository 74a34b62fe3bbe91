#include "LxTextFileConverter.h"

#include "textconv/LxTextDecorder.h"
#include "platform/MessageBox.h"

#include <QWidget>

#include <string>

TLxTextConvertObj::TLxTextConvertObj(QWidget *messageParent)
    : CharSets(std::make_unique<TCharSetList>()), MessageParent(messageParent)
{
    CurrentCharSet = CharSets->FindByCode(932);
}

TLxTextConvertObj::~TLxTextConvertObj() = default;

TCharSetItem *TLxTextConvertObj::SelectCharSet(int32_t code)
{
    CurrentCharSet = CharSets->FindByCode(code);
    return CurrentCharSet;
}

std::unique_ptr<TLxDecorderBase> TLxTextConvertObj::DecoderFor(int32_t code)
{
    TCharSetItem *item = SelectCharSet(code);
    if (!item)
        return nullptr;
    std::unique_ptr<TLxDecorderBase> decoder = item->CreateDecoder(std::string());
    if (!decoder)
        tovik::platform::ShowMessage(MessageParent, QStringLiteral("このファイルタイプは対応していません"),
                                     tovik::platform::MessageKind::Information);
    return decoder;
}

bool TLxTextConvertObj::Convert(int32_t code, std::istream &stream, TEditStringList *lines)
{
    std::unique_ptr<TLxDecorderBase> decoder = DecoderFor(code);
    if (!decoder)
        return false;
    decoder->LoadFromStream(stream, lines);
    return true;
}

bool TLxTextConvertObj::Convert(int32_t code, std::string_view bytes, TEditStringList *lines)
{
    std::unique_ptr<TLxDecorderBase> decoder = DecoderFor(code);
    if (!decoder)
        return false;
    decoder->LoadFromBytes(bytes, lines);
    return true;
}

TLxTextFileConverter::TLxTextFileConverter(QObject *owner) : QObject(owner)
{
    QWidget *window = owner && owner->isWidgetType() ? static_cast<QWidget *>(owner) : nullptr;
    ConvertObj = std::make_unique<TLxTextConvertObj>(window);
}

TLxTextFileConverter::~TLxTextFileConverter() = default;

bool TLxTextFileConverter::Convert(int32_t code, std::istream &stream, TEditStringList *lines)
{
    return ConvertObj->Convert(code, stream, lines);
}

bool TLxTextFileConverter::Convert(int32_t code, std::string_view bytes, TEditStringList *lines)
{
    return ConvertObj->Convert(code, bytes, lines);
}

TCharSetItem *TLxTextFileConverter::CurrentCharSet() const { return ConvertObj->CurrentCharSet; }
