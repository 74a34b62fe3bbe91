// The settings store: every user setting of the program, by section and key, with its built-in
// default, loaded from the program's ini file and written back a section at a time.
//
// After loading, every value is held as text; the typed readers convert on use, and a text that
// does not convert reads as the key's built-in default, a number outside the key's bounds as the
// nearest bound. Keys are named by their typed definitions (LxPnSettingKeys.h).
#ifndef TOVIK_SOURCE_LXPNSYSTEM_H
#define TOVIK_SOURCE_LXPNSYSTEM_H

#include "Source/LxPnSettingKeys.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace tovik::platform {
class ProfileFile;
}

class TAppSettingSection;

// One stored value: text, integer, boolean or currency (a decimal number with four places,
// held in ten-thousandths).
class TSettingValue {
public:
    enum class TType { Text, Integer, Boolean, Currency };

    TSettingValue() = default;
    TSettingValue(const QString &text) : FText(text) {}
    TSettingValue(const char *text) : FText(QString::fromUtf8(text)) {}
    TSettingValue(int32_t value) : FType(TType::Integer), FNumber(value) {}
    TSettingValue(bool value) : FType(TType::Boolean), FNumber(value ? 1 : 0) {}
    static TSettingValue FromCurrency(int64_t tenThousandths);
    // Rounded to four places.
    static TSettingValue FromCurrency(double value);

    TType Type() const { return FType; }
    // The form in which the value is written: booleans as "True"/"False", numbers in decimal
    // (currency with at most four places and no trailing zeros, "12.5").
    QString ToString() const;

    // Values are the same when they write the same text.
    bool operator==(const TSettingValue &other) const { return ToString() == other.ToString(); }
    bool operator!=(const TSettingValue &other) const { return !(*this == other); }

private:
    TType FType = TType::Text;
    QString FText;
    int64_t FNumber = 0;
};

// One setting.
class TAppSettingItem {
public:
    TAppSettingItem(TAppSettingSection *section, const QString &key, const TSettingValue &def,
                    const TSettingKey *definition = nullptr);
    virtual ~TAppSettingItem() = default;

    TAppSettingSection *Section() const { return FSection; }
    // The key's definition; null for an item added by hand.
    const TSettingKey *Definition() const { return FDefinition; }
    const QString &Key() const { return FKey; }
    const TSettingValue &Value() const { return FValue; }
    // The built-in default, which the readers fall back on.
    const TSettingValue &Default() const { return FDefault; }
    bool Modified() const { return FModified; }
    void SetModified(bool value) { FModified = value; }

    // Stores value and marks the item modified, when it differs from the current value.
    void SetValue(const TSettingValue &value);
    // Stores value without touching Modified, when it differs (defaults, values just read).
    void SetDefault(const TSettingValue &value);

    QString AsString() const { return FValue.ToString(); }
    bool AsBoolean() const;
    int32_t AsInteger() const;
    // In ten-thousandths.
    int64_t AsCurrency() const;
    double AsDouble() const { return double(AsCurrency()) / 10000.0; }
    // A signed 32-bit colour value (0x00BBGGRR, or 0xFF0000nn for system colour nn).
    int32_t AsColor() const;

private:
    TAppSettingSection *FSection;
    const TSettingKey *FDefinition;
    QString FKey;
    TSettingValue FValue;
    TSettingValue FDefault;
    bool FModified = false;
};

// A named section of settings; owns its items.
class TAppSettingSection {
public:
    // iniPath: the file Save writes; empty for the program's ini file.
    explicit TAppSettingSection(const QString &name, const QString &iniPath = QString());
    virtual ~TAppSettingSection();
    TAppSettingSection(const TAppSettingSection &) = delete;
    TAppSettingSection &operator=(const TAppSettingSection &) = delete;

    const QString &Name() const { return FName; }

    // Creates an item with the given key and built-in default, appends it and returns it.
    TAppSettingItem *Add(const QString &key, const TSettingValue &def);
    // Creates the item of a defined key.
    TAppSettingItem *Add(const TSettingKey &key);
    int Count() const { return int(FItems.size()); }
    // Null when index is out of range.
    TAppSettingItem *Items(int index) const;
    // The first item whose key equals key exactly (letter case counts); null when none.
    TAppSettingItem *Find(const QString &key) const;

    // Reads every item from the file (absent keys keep their value). A null file does nothing.
    virtual void LoadFromIni(const tovik::platform::ProfileFile *iniFile);
    // Writes the items whose Modified is set and clears it. A null file does nothing.
    virtual void SaveToIni(tovik::platform::ProfileFile *iniFile);
    // Writes the changed items to the ini file. False when the file could not be written; the
    // items then stay modified, so that a later save tries again.
    bool Save();

private:
    QString FName;
    QString FIniPath;
    std::vector<std::unique_ptr<TAppSettingItem>> FItems;
};

// All user settings: the sections "General", "Editor" and "Preview".
class TAppIniData {
public:
    // iniPath: the file to load and save; empty for the program's ini file (see ProfileFile.h).
    explicit TAppIniData(const QString &iniPath = QString());
    virtual ~TAppIniData();
    TAppIniData(const TAppIniData &) = delete;
    TAppIniData &operator=(const TAppIniData &) = delete;

    TAppSettingSection *General() const { return FGeneral.get(); }
    TAppSettingSection *Editor() const { return FEditor.get(); }
    TAppSettingSection *Preview() const { return FPreview.get(); }

    // Reads all three sections from the ini file. A missing or unreadable file leaves the
    // defaults; the file is never created here.
    void Load();
    // The file this store loads and saves.
    QString IniPath() const;

    // The section of that name (letter case counts), or null.
    TAppSettingSection *Section(const QString &name) const;
    // The item under section and key, or null.
    TAppSettingItem *Item(const QString &section, const QString &key) const;

    // The item of a defined key; never null.
    TAppSettingItem *Item(const TSettingKey &key) const;
    // The section that holds a defined key; never null.
    TAppSettingSection *SectionOf(const TSettingKey &key) const;

    // Typed readers.
    QString ReadString(const TTextKey &key) const;
    bool ReadBool(const TBoolKey &key) const;
    int32_t ReadInteger(const TIntKey &key) const;
    double ReadCurrency(const TCurrencyKey &key) const;
    // In ten-thousandths.
    int64_t ReadCurrencyUnits(const TCurrencyKey &key) const;
    int32_t ReadColor(const TColorKey &key) const;

    // Typed writers: store the value and mark the key modified unless it already reads as that
    // value, so that a hand-written "true" is not rewritten as "True". Numbers are brought
    // within the key's bounds. Answer whether the key changed.
    bool Write(const TTextKey &key, const QString &value);
    bool Write(const TBoolKey &key, bool value);
    bool Write(const TIntKey &key, int32_t value);
    // In ten-thousandths.
    bool Write(const TCurrencyKey &key, int64_t value);
    bool Write(const TColorKey &key, int32_t value);

    // The sound file for a user-interface event: Kind 0 and 1 the message sound, Kind 2 the click
    // sound; empty unless "UseSound" is on.
    void GetSoundFile(int Kind, QString &FileName) const;
    QString GetSoundFile(int Kind) const;

private:
    QString FIniPath;
    std::unique_ptr<TAppSettingSection> FGeneral;
    std::unique_ptr<TAppSettingSection> FEditor;
    std::unique_ptr<TAppSettingSection> FPreview;
};

// The program's ini file (see ProfileFile.h for where it is).
QString AppIniFileName();

#endif
