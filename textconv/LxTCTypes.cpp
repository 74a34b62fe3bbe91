#include "LxTCTypes.h"

#include "LxTextDecorder.h"
#include "platform/CodePage.h"

std::unique_ptr<TLxDecorderBase> TCharSetItem::CreateDecoder(const std::string &fileName) const
{
    if (!DecoderClass)
        return nullptr;
    return DecoderClass(fileName, BigEndian != 0, HasBOM != 0);
}

TCharSetList::TCharSetList(TCodePageTest isValidCodePage)
{
    if (!isValidCodePage)
        isValidCodePage = tovik::platform::IsValidCodePage;

    AddCharSet(0, "自動判定", 0, 0, nullptr, "");
    if (isValidCodePage(932)) {
        AddCharSet(932, "日本語(ShiftJIS)", 0, 0, &TLxDecorderBase::Create<>, "SJIS");
        AddCharSet(-932, "日本語(EUC)", 0, 0, &TLxDecorderBase::Create<TLxEUCJPDecorder>, "EUC");
        AddCharSet(-933, "日本語(ISO-2022-JP)", 0, 0, &TLxDecorderBase::Create<TLxJISDecorder>, "JIS");
        AddCharSet(-2, "UTF-5", 0, 0, &TLxDecorderBase::Create<TLxUTF5Decorder>, "UTF5");
        AddCharSet(65000, "UTF-7", 0, 0, nullptr, "UTF7");
        // The UTF-8 decoder looks for the signature in the data itself; the flags do nothing.
        AddCharSet(-65001, "UTF-8(BOM)", 0, 0, &TLxDecorderBase::Create<TLxUTF8Decorder>, "UTF8");
        AddCharSet(65001, "UTF-8N", 0, 1, &TLxDecorderBase::Create<TLxUTF8Decorder>, "UTF8");
        AddCharSet(-3, "UTF-16BE(BOM)", 1, 1, &TLxDecorderBase::Create<TLxUTF16Decorder>, "U16B");
        AddCharSet(-4, "UTF-16LE(BOM)", 0, 1, &TLxDecorderBase::Create<TLxUTF16Decorder>, "U16L");
        AddCharSet(-5, "UTF-16BE", 1, 0, &TLxDecorderBase::Create<TLxUTF16Decorder>, "U16B");
        AddCharSet(-6, "UTF-16LE", 0, 0, &TLxDecorderBase::Create<TLxUTF16Decorder>, "U16L");
        AddCharSet(-7, "UTF-32BE(BOM)", 0, 0, nullptr, "U32B");
        AddCharSet(-8, "UTF-32LE(BOM)", 0, 0, nullptr, "U32L");
        AddCharSet(-9, "UTF-32BE", 0, 0, nullptr, "U32B");
        AddCharSet(-10, "UTF-32LE", 0, 0, nullptr, "U32L");
        AddCharSet(-1, "欧米", 0, 0, nullptr, "LTN1");
    }
    if (isValidCodePage(28592))
        AddCharSet(28592, "中欧", 0, 0, nullptr, "LTN2");
    if (isValidCodePage(949)) {
        AddCharSet(949, "韓国語(EUC-KR)", 0, 0, nullptr, "UHC");
        AddCharSet(-950, "韓国語(ISO-2022-KR)", 0, 0, nullptr, "I2KR");
    }
    if (isValidCodePage(1361))
        AddCharSet(1361, "韓国語(Johab)", 0, 0, nullptr, "Jhb");
    if (isValidCodePage(936)) {
        AddCharSet(936, "中国語(GB2312)", 0, 0, nullptr, "GBK");
        AddCharSet(-936, "中国語(ISO-2022-CN)", 0, 0, nullptr, "I2CN");
        AddCharSet(-937, "中国語(HZ)", 0, 0, nullptr, "HZ");
    }
    if (isValidCodePage(950))
        AddCharSet(950, "中国語(Big5)", 0, 0, nullptr, "BIG5");
    // Named "Windows" but guarded by, and carrying, the ISO Cyrillic code page.
    if (isValidCodePage(28595))
        AddCharSet(28595, "キリル語(Windows)", 0, 0, nullptr, "CYRL");
    if (isValidCodePage(20866))
        AddCharSet(20866, "キリル語(KOI8-R)", 0, 0, nullptr, "KO8R");
    if (isValidCodePage(21866))
        AddCharSet(21866, "キリル語(KOI8-U)", 0, 0, nullptr, "KO8U");
    if (isValidCodePage(874))
        AddCharSet(874, "タイ語", 0, 0, nullptr, "THAI");
    if (isValidCodePage(1254))
        AddCharSet(1254, "トルコ語", 0, 0, nullptr, "TRK");
    if (isValidCodePage(1257))
        AddCharSet(1257, "バルト語", 0, 0, nullptr, "BALT");
    if (isValidCodePage(1258))
        AddCharSet(1258, "ベトナム語", 0, 0, nullptr, "VTNM");
    if (isValidCodePage(28597)) {
        AddCharSet(28597, "ギリシャ語", 0, 0, nullptr, "GRK");
        // The DOS row rides on the Greek code page's guard.
        AddCharSet(437, "MSDOS(us)", 0, 0, nullptr, "DOS");
    }
}

TCharSetList::~TCharSetList() { Clear(); }

void TCharSetList::Clear() { FList.clear(); }

TCharSetItem *TCharSetList::Items(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return FList[static_cast<size_t>(index)].get();
}

TCharSetItem *TCharSetList::Add()
{
    FList.push_back(std::make_unique<TCharSetItem>());
    return FList.back().get();
}

TCharSetItem *TCharSetList::AddCharSet(int32_t code, const std::string &name, uint8_t bigEndian, uint8_t hasBOM,
                                       TLxDecorderClass decoderClass, const std::string &shortName)
{
    TCharSetItem *item = Add();
    item->Code = code;
    item->Name = name;
    item->ShortName = shortName;
    item->DecoderClass = decoderClass;
    item->BigEndian = bigEndian;
    item->HasBOM = hasBOM;
    return item;
}

TCharSetItem *TCharSetList::FindByCode(int32_t code) const
{
    for (const auto &item : FList)
        if (item->Code == code)
            return item.get();
    return nullptr;
}
