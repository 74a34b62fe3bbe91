#include "LxPnSystem.h"

#include "platform/ProfileFile.h"


#include <cmath>

using tovik::platform::ProfileFile;

namespace {

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

TAppSettingItem::TAppSettingItem(TAppSettingSection *section, const QString &key, const TSettingValue &def,
                                 const TSettingKey *definition)
    : FSection(section), FDefinition(definition), FKey(key), FValue(def), FDefault(def)
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
    const int32_t value = Convert<int32_t>(FValue, FDefault, [](const std::string &s, int32_t &out) {
        return tovik::platform::ParseProfileInt32(s, out);
    });
    return FDefinition ? int32_t(FDefinition->Clamp(value)) : value;
}

int64_t TAppSettingItem::AsCurrency() const
{
    const int64_t value = Convert<int64_t>(FValue, FDefault, [](const std::string &s, int64_t &out) {
        return tovik::platform::ParseProfileCurrency(s, out);
    });
    return FDefinition ? FDefinition->Clamp(value) : value;
}

int32_t TAppSettingItem::AsColor() const
{
    return Convert<int32_t>(FValue, FDefault, [](const std::string &s, int32_t &out) {
        return tovik::platform::ParseProfileColor(s, out);
    });
}

TAppSettingSection::TAppSettingSection(const QString &name, const QString &iniPath)
    : FName(name), FIniPath(iniPath)
{
}

TAppSettingSection::~TAppSettingSection() = default;

TAppSettingItem *TAppSettingSection::Add(const QString &key, const TSettingValue &def)
{
    FItems.push_back(std::make_unique<TAppSettingItem>(this, key, def));
    return FItems.back().get();
}

TAppSettingItem *TAppSettingSection::Add(const TSettingKey &key)
{
    TSettingValue def;
    switch (key.Type) {
    case TSettingType::Text: def = key.DefaultString(); break;
    case TSettingType::Integer:
    case TSettingType::Color: def = int32_t(key.DefaultNumber); break;
    case TSettingType::Boolean: def = key.DefaultNumber != 0; break;
    case TSettingType::Currency: def = TSettingValue::FromCurrency(key.DefaultNumber); break;
    }
    FItems.push_back(std::make_unique<TAppSettingItem>(this, key.KeyName(), def, &key));
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
    ProfileFile iniFile(FIniPath.isEmpty() ? tovik::platform::ApplicationIniPath() : FIniPath.toStdString());
    SaveToIni(&iniFile);
    if (iniFile.Flush())
        return true;
    for (TAppSettingItem *item : changed)
        item->SetModified(true);
    return false;
}

TAppIniData::TAppIniData(const QString &iniPath)
    : FIniPath(iniPath),
      FGeneral(std::make_unique<TAppSettingSection>(QStringLiteral("General"), iniPath)),
      FEditor(std::make_unique<TAppSettingSection>(QStringLiteral("Editor"), iniPath)),
      FPreview(std::make_unique<TAppSettingSection>(QStringLiteral("Preview"), iniPath))
{
    for (const TSettingKey *key : SettingKeys::All()) {
        TAppSettingSection *section = Section(key->SectionName());
        Q_ASSERT_X(section, "Source\\LxPnSystem", "a key outside the three sections");
        section->Add(*key);
    }
}

TAppIniData::~TAppIniData()
{
    FPreview.reset();
    FEditor.reset();
    FGeneral.reset();
}

void TAppIniData::Load()
{
    const ProfileFile iniFile(IniPath().toStdString());
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

QString TAppIniData::IniPath() const
{
    return FIniPath.isEmpty() ? QString::fromStdString(tovik::platform::ApplicationIniPath()) : FIniPath;
}

TAppSettingSection *TAppIniData::SectionOf(const TSettingKey &key) const
{
    TAppSettingSection *section = Section(key.SectionName());
    Q_ASSERT_X(section, "Source\\LxPnSystem", "an undefined section");
    return section;
}

TAppSettingItem *TAppIniData::Item(const TSettingKey &key) const
{
    TAppSettingItem *item = SectionOf(key)->Find(key.KeyName());
    Q_ASSERT_X(item, "Source\\LxPnSystem", "an undefined key");
    return item;
}

QString TAppIniData::ReadString(const TTextKey &key) const { return Item(key)->AsString(); }
bool TAppIniData::ReadBool(const TBoolKey &key) const { return Item(key)->AsBoolean(); }
int32_t TAppIniData::ReadInteger(const TIntKey &key) const { return Item(key)->AsInteger(); }
double TAppIniData::ReadCurrency(const TCurrencyKey &key) const { return Item(key)->AsDouble(); }
int64_t TAppIniData::ReadCurrencyUnits(const TCurrencyKey &key) const { return Item(key)->AsCurrency(); }
int32_t TAppIniData::ReadColor(const TColorKey &key) const { return Item(key)->AsColor(); }

bool TAppIniData::Write(const TTextKey &key, const QString &value)
{
    TAppSettingItem *item = Item(key);
    if (item->AsString() == value)
        return false;
    item->SetValue(value);
    return true;
}

bool TAppIniData::Write(const TBoolKey &key, bool value)
{
    TAppSettingItem *item = Item(key);
    if (item->AsBoolean() == value)
        return false;
    item->SetValue(value);
    return true;
}

bool TAppIniData::Write(const TIntKey &key, int32_t value)
{
    TAppSettingItem *item = Item(key);
    value = int32_t(key.Clamp(value));
    if (item->AsInteger() == value)
        return false;
    item->SetValue(value);
    return true;
}

bool TAppIniData::Write(const TCurrencyKey &key, int64_t value)
{
    TAppSettingItem *item = Item(key);
    value = key.Clamp(value);
    if (item->AsCurrency() == value)
        return false;
    item->SetValue(TSettingValue::FromCurrency(value));
    return true;
}

bool TAppIniData::Write(const TColorKey &key, int32_t value)
{
    TAppSettingItem *item = Item(key);
    if (item->AsColor() == value)
        return false;
    item->SetValue(value);
    return true;
}

void TAppIniData::GetSoundFile(int Kind, QString &FileName) const
{
    FileName.clear();
    if (!ReadBool(SettingKeys::General::UseSound))
        return;
    if (Kind == 0 || Kind == 1)
        FileName = ReadString(SettingKeys::General::MsgSound);
    else if (Kind == 2)
        FileName = ReadString(SettingKeys::General::ClkSound);
}

QString TAppIniData::GetSoundFile(int Kind) const
{
    QString fileName;
    GetSoundFile(Kind, fileName);
    return fileName;
}

QString AppIniFileName() { return QString::fromStdString(tovik::platform::ApplicationIniPath()); }
