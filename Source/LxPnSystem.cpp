#include "LxPnSystem.h"

#include "platform/ProfileFile.h"

#include <QDir>

#include <cmath>

using tovik::platform::ProfileFile;

namespace {

const char *const kOwthorName = "Tovik";
const char *const kEditorFont = "ＭＳ ゴシック";

// Converts the text of value with parse, falling back on the text of def, then on zero.
template <typename T, typename Parse>
T Convert(const TSettingValue &value, const TSettingValue &def, Parse parse)
{
    T out{};
    if (parse(value.ToString().toStdString(), out))
        return out;
    T fallback{};
    return parse(def.ToString().toStdString(), fallback) ? fallback : T{};
}

} // namespace

TSettingValue TSettingValue::FromCurrency(int64_t tenThousandths)
{
    TSettingValue v;
    v.FType = TType::Currency;
    v.FNumber = tenThousandths;
    return v;
}

TSettingValue TSettingValue::FromCurrency(double value)
{
    const double units = std::round(value * 10000.0);
    // Out of the range of the type (or not a number at all): zero.
    if (!(std::fabs(units) < 9.2e18))
        return FromCurrency(int64_t(0));
    return FromCurrency(int64_t(units));
}

QString TSettingValue::ToString() const
{
    switch (FType) {
    case TType::Text: return FText;
    case TType::Integer: return QString::number(FNumber);
    case TType::Boolean: return FNumber ? QStringLiteral("True") : QStringLiteral("False");
    case TType::Currency: {
        uint64_t magnitude = FNumber < 0 ? uint64_t(0) - uint64_t(FNumber) : uint64_t(FNumber);
        QString text = QString::number(magnitude / 10000);
        if (uint64_t fraction = magnitude % 10000) {
            QString places = QString::number(fraction).rightJustified(4, QLatin1Char('0'));
            while (places.endsWith(QLatin1Char('0')))
                places.chop(1);
            text += QLatin1Char('.') + places;
        }
        return FNumber < 0 ? QLatin1Char('-') + text : text;
    }
    }
    return FText;
}

TAppSettingItem::TAppSettingItem(TAppSettingSection *section, const QString &key, const TSettingValue &def)
    : FSection(section), FKey(key), FValue(def), FDefault(def)
{
}

void TAppSettingItem::SetValue(const TSettingValue &value)
{
    if (value == FValue)
        return;
    FValue = value;
    FModified = true;
}

void TAppSettingItem::SetDefault(const TSettingValue &value)
{
    if (value != FValue)
        FValue = value;
}

bool TAppSettingItem::AsBoolean() const
{
    return Convert<bool>(FValue, FDefault, [](const std::string &s, bool &out) {
        return tovik::platform::ParseProfileBool(s, out);
    });
}

int32_t TAppSettingItem::AsInteger() const
{
    return Convert<int32_t>(FValue, FDefault, [](const std::string &s, int32_t &out) {
        return tovik::platform::ParseProfileInt32(s, out);
    });
}

int64_t TAppSettingItem::AsCurrency() const
{
    return Convert<int64_t>(FValue, FDefault, [](const std::string &s, int64_t &out) {
        return tovik::platform::ParseProfileCurrency(s, out);
    });
}

int32_t TAppSettingItem::AsColor() const
{
    return Convert<int32_t>(FValue, FDefault, [](const std::string &s, int32_t &out) {
        return tovik::platform::ParseProfileColor(s, out);
    });
}

TAppSettingSection::TAppSettingSection(const QString &name) : FName(name) {}

TAppSettingSection::~TAppSettingSection() = default;

TAppSettingItem *TAppSettingSection::Add(const QString &key, const TSettingValue &def)
{
    FItems.push_back(std::make_unique<TAppSettingItem>(this, key, def));
    return FItems.back().get();
}

TAppSettingItem *TAppSettingSection::Items(int index) const
{
    return index >= 0 && index < Count() ? FItems[size_t(index)].get() : nullptr;
}

TAppSettingItem *TAppSettingSection::Find(const QString &key) const
{
    for (const auto &item : FItems)
        if (item->Key() == key)
            return item.get();
    return nullptr;
}

void TAppSettingSection::LoadFromIni(const ProfileFile *iniFile)
{
    if (!iniFile)
        return;
    const std::string section = FName.toStdString();
    for (const auto &item : FItems) {
        const std::string text =
            iniFile->ReadString(section, item->Key().toStdString(), item->Value().ToString().toStdString());
        item->SetDefault(QString::fromStdString(text));
    }
}

void TAppSettingSection::SaveToIni(ProfileFile *iniFile)
{
    if (!iniFile)
        return;
    const std::string section = FName.toStdString();
    for (const auto &item : FItems) {
        if (!item->Modified())
            continue;
        iniFile->WriteString(section, item->Key().toStdString(), item->Value().ToString().toStdString());
        item->SetModified(false);
    }
}

bool TAppSettingSection::Save()
{
    std::vector<TAppSettingItem *> changed;
    for (const auto &item : FItems)
        if (item->Modified())
            changed.push_back(item.get());
    if (changed.empty())
        return true;
    ProfileFile iniFile(tovik::platform::ApplicationIniPath());
    SaveToIni(&iniFile);
    if (iniFile.Flush())
        return true;
    for (TAppSettingItem *item : changed)
        item->SetModified(true);
    return false;
}

TAppIniData::TAppIniData()
    : FGeneral(std::make_unique<TAppSettingSection>(QStringLiteral("General"))),
      FEditor(std::make_unique<TAppSettingSection>(QStringLiteral("Editor"))),
      FPreview(std::make_unique<TAppSettingSection>(QStringLiteral("Preview")))
{
    TAppSettingSection &g = *FGeneral;
    g.Add("IsUseDefaultFolder", true);
    g.Add("WorkFolder", QDir::tempPath());
    g.Add("FormPosLoad", true);
    g.Add("UseMRU", true);
    g.Add("MRUMax", 10);
    g.Add("UseSound", false);
    g.Add("MsgSound", "");
    g.Add("ClkSound", "");

    // Negative colours are system colours: 0xFF000000 plus the index.
    TAppSettingSection &e = *FEditor;
    e.Add("FontName", kEditorFont);
    e.Add("FontSize", 9);
    e.Add("ShowLinNo", true);
    e.Add("LinNoWidth", 30);
    e.Add("LinNoBGColor", -16777201);
    e.Add("LinNoFRColor", -16777198);
    e.Add("TextBGColor", -16777211);
    e.Add("TextFRColor", -16777198);
    e.Add("ShowCtrlCode", false);
    e.Add("CtrlCodeColor", 0);
    e.Add("TABWidth", 4);
    e.Add("TopMarg", 5);
    e.Add("LeftMarg", 10);
    e.Add("AutoDecode", true);

    TAppSettingSection &p = *FPreview;
    p.Add("ShowPrintableRect", false);
    p.Add("ShowMarginMark", false);
    p.Add("BGColor", -16777215);
    p.Add("PaperColor", 16777215);
    p.Add("PaperShadowColor", 0);
    p.Add("FontName", kEditorFont);
    p.Add("FontSize", 9);
    p.Add("TopMarg", TSettingValue::FromCurrency(int64_t(20 * 10000)));
    p.Add("BottomMarg", TSettingValue::FromCurrency(int64_t(20 * 10000)));
    p.Add("LeftMarg", TSettingValue::FromCurrency(int64_t(20 * 10000)));
    p.Add("RigtmMarg", TSettingValue::FromCurrency(int64_t(20 * 10000)));
    p.Add("UseRowNo", true);
    p.Add("RowMarg", 0);
    p.Add("ShowHeaderBorder", true);
    p.Add("ShowFileName", true);
    p.Add("ShowDate", true);
    p.Add("ShowFooterBorder", true);
    p.Add("ShowPageNo", true);
    p.Add("ShowOwthor", true);
    p.Add("OwthorName", kOwthorName);
}

TAppIniData::~TAppIniData()
{
    FPreview.reset();
    FEditor.reset();
    FGeneral.reset();
}

void TAppIniData::Load()
{
    const ProfileFile iniFile(tovik::platform::ApplicationIniPath());
    FGeneral->LoadFromIni(&iniFile);
    FEditor->LoadFromIni(&iniFile);
    FPreview->LoadFromIni(&iniFile);
}

TAppSettingSection *TAppIniData::Section(const QString &name) const
{
    for (TAppSettingSection *section : {FGeneral.get(), FEditor.get(), FPreview.get()})
        if (section->Name() == name)
            return section;
    return nullptr;
}

TAppSettingItem *TAppIniData::Item(const QString &section, const QString &key) const
{
    TAppSettingSection *s = Section(section);
    return s ? s->Find(key) : nullptr;
}

QString TAppIniData::ReadString(const QString &section, const QString &key) const
{
    TAppSettingItem *item = Item(section, key);
    return item ? item->AsString() : QString();
}

bool TAppIniData::ReadBool(const QString &section, const QString &key) const
{
    TAppSettingItem *item = Item(section, key);
    return item && item->AsBoolean();
}

int32_t TAppIniData::ReadInteger(const QString &section, const QString &key) const
{
    TAppSettingItem *item = Item(section, key);
    return item ? item->AsInteger() : 0;
}

double TAppIniData::ReadCurrency(const QString &section, const QString &key) const
{
    TAppSettingItem *item = Item(section, key);
    return item ? item->AsDouble() : 0.0;
}

int32_t TAppIniData::ReadColor(const QString &section, const QString &key) const
{
    TAppSettingItem *item = Item(section, key);
    return item ? item->AsColor() : 0;
}

void TAppIniData::GetSoundFile(int Kind, QString &FileName) const
{
    FileName.clear();
    if (!ReadBool(QStringLiteral("General"), QStringLiteral("UseSound")))
        return;
    if (Kind == 0 || Kind == 1)
        FileName = ReadString(QStringLiteral("General"), QStringLiteral("MsgSound"));
    else if (Kind == 2)
        FileName = ReadString(QStringLiteral("General"), QStringLiteral("ClkSound"));
}

QString TAppIniData::GetSoundFile(int Kind) const
{
    QString fileName;
    GetSoundFile(Kind, fileName);
    return fileName;
}

QString AppIniFileName() { return QString::fromStdString(tovik::platform::ApplicationIniPath()); }
