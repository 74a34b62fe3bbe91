// The definitions of every setting: section, key, type, built-in default and bounds, in one
// place. The store creates its items from them, and the windows and the options dialog read and
// write settings through them, so a misspelt key or a key read as the wrong type does not
// compile instead of silently reading as false, 0 or "".
#ifndef TOVIK_SOURCE_LXPNSETTINGKEYS_H
#define TOVIK_SOURCE_LXPNSETTINGKEYS_H

#include <QString>

#include <cstdint>
#include <span>

enum class TSettingType { Text, Integer, Boolean, Currency, Color };

// One key. Numbers are held as 64-bit integers: booleans as 0 or 1, currency in
// ten-thousandths. Min and Max bound integer and currency keys; equal bounds mean none.
struct TSettingKey {
    const char *Section;
    const char *Name;
    TSettingType Type;
    int64_t DefaultNumber = 0;
    // The default of a text key (UTF-8); null for the work folder, whose default is the
    // system's temporary folder, known only at run time.
    const char *DefaultText = nullptr;
    int64_t Min = 0;
    int64_t Max = 0;

    QString SectionName() const { return QString::fromLatin1(Section); }
    QString KeyName() const { return QString::fromLatin1(Name); }
    bool Bounded() const { return Min != Max; }
    // The default of a text key.
    QString DefaultString() const;
    // A number brought within the bounds.
    int64_t Clamp(int64_t value) const;
};

// The typed views of a key: the store's readers and writers take these, so that asking for a
// boolean key as an integer is a compile error.
template <TSettingType Kind>
struct TTypedSettingKey : TSettingKey {};

using TTextKey = TTypedSettingKey<TSettingType::Text>;
using TIntKey = TTypedSettingKey<TSettingType::Integer>;
using TBoolKey = TTypedSettingKey<TSettingType::Boolean>;
using TCurrencyKey = TTypedSettingKey<TSettingType::Currency>;
using TColorKey = TTypedSettingKey<TSettingType::Color>;

namespace SettingKeys {

constexpr TTextKey Text(const char *section, const char *name, const char *def)
{
    return {{section, name, TSettingType::Text, 0, def}};
}
constexpr TIntKey Int(const char *section, const char *name, int32_t def, int32_t min, int32_t max)
{
    return {{section, name, TSettingType::Integer, def, nullptr, min, max}};
}
constexpr TBoolKey Bool(const char *section, const char *name, bool def)
{
    return {{section, name, TSettingType::Boolean, def ? 1 : 0}};
}
// Bounds and default in whole units; held in ten-thousandths.
constexpr TCurrencyKey Currency(const char *section, const char *name, int32_t def, int32_t min, int32_t max)
{
    return {{section, name, TSettingType::Currency, int64_t(def) * 10000, nullptr, int64_t(min) * 10000,
             int64_t(max) * 10000}};
}
constexpr TColorKey Color(const char *section, const char *name, int32_t def)
{
    return {{section, name, TSettingType::Color, def}};
}

// Colours are signed 32-bit values: 0x00BBGGRR, or 0xFF000000 plus the index of a system colour
// (negative). The bounds of the numbers are what the options dialog lets the user type.
namespace General {
inline constexpr TBoolKey IsUseDefaultFolder = Bool("General", "IsUseDefaultFolder", true);
inline constexpr TTextKey WorkFolder = Text("General", "WorkFolder", nullptr);
inline constexpr TBoolKey FormPosLoad = Bool("General", "FormPosLoad", true);
inline constexpr TBoolKey UseMRU = Bool("General", "UseMRU", true);
inline constexpr TIntKey MRUMax = Int("General", "MRUMax", 10, 0, 99);
inline constexpr TBoolKey UseSound = Bool("General", "UseSound", false);
inline constexpr TTextKey MsgSound = Text("General", "MsgSound", "");
inline constexpr TTextKey ClkSound = Text("General", "ClkSound", "");
// The folder the last extraction went to.
inline constexpr TTextKey ExtractFolder = Text("General", "ExtractFolder", "");
} // namespace General

namespace Editor {
inline constexpr TTextKey FontName = Text("Editor", "FontName", "ＭＳ ゴシック");
inline constexpr TIntKey FontSize = Int("Editor", "FontSize", 9, 0, 99);
inline constexpr TBoolKey ShowLinNo = Bool("Editor", "ShowLinNo", true);
inline constexpr TIntKey LinNoWidth = Int("Editor", "LinNoWidth", 30, 0, 999);
inline constexpr TColorKey LinNoBGColor = Color("Editor", "LinNoBGColor", -16777201);  // button face
inline constexpr TColorKey LinNoFRColor = Color("Editor", "LinNoFRColor", -16777198);  // button text
inline constexpr TColorKey TextBGColor = Color("Editor", "TextBGColor", -16777211);    // window
inline constexpr TColorKey TextFRColor = Color("Editor", "TextFRColor", -16777198);    // button text
inline constexpr TBoolKey ShowCtrlCode = Bool("Editor", "ShowCtrlCode", false);
inline constexpr TColorKey CtrlCodeColor = Color("Editor", "CtrlCodeColor", 0);
inline constexpr TIntKey TABWidth = Int("Editor", "TABWidth", 4, 0, 99);
inline constexpr TIntKey TopMarg = Int("Editor", "TopMarg", 5, 0, 99);
inline constexpr TIntKey LeftMarg = Int("Editor", "LeftMarg", 10, 0, 99);
inline constexpr TBoolKey AutoDecode = Bool("Editor", "AutoDecode", true);
} // namespace Editor

namespace Preview {
inline constexpr TBoolKey ShowPrintableRect = Bool("Preview", "ShowPrintableRect", false);
inline constexpr TBoolKey ShowMarginMark = Bool("Preview", "ShowMarginMark", false);
inline constexpr TColorKey BGColor = Color("Preview", "BGColor", -16777215);  // desktop background
inline constexpr TColorKey PaperColor = Color("Preview", "PaperColor", 16777215);
inline constexpr TColorKey PaperShadowColor = Color("Preview", "PaperShadowColor", 0);
inline constexpr TTextKey FontName = Text("Preview", "FontName", "ＭＳ ゴシック");
inline constexpr TIntKey FontSize = Int("Preview", "FontSize", 9, 0, 99);
// Millimetres, with up to four decimal places.
inline constexpr TCurrencyKey TopMarg = Currency("Preview", "TopMarg", 20, 0, 9999);
inline constexpr TCurrencyKey BottomMarg = Currency("Preview", "BottomMarg", 20, 0, 9999);
inline constexpr TCurrencyKey LeftMarg = Currency("Preview", "LeftMarg", 20, 0, 9999);
inline constexpr TCurrencyKey RigtmMarg = Currency("Preview", "RigtmMarg", 20, 0, 9999);
inline constexpr TBoolKey UseRowNo = Bool("Preview", "UseRowNo", true);
inline constexpr TIntKey RowMarg = Int("Preview", "RowMarg", 0, 0, 20);
inline constexpr TBoolKey ShowHeaderBorder = Bool("Preview", "ShowHeaderBorder", true);
inline constexpr TBoolKey ShowFileName = Bool("Preview", "ShowFileName", true);
inline constexpr TBoolKey ShowDate = Bool("Preview", "ShowDate", true);
inline constexpr TBoolKey ShowFooterBorder = Bool("Preview", "ShowFooterBorder", true);
inline constexpr TBoolKey ShowPageNo = Bool("Preview", "ShowPageNo", true);
inline constexpr TBoolKey ShowOwthor = Bool("Preview", "ShowOwthor", true);
inline constexpr TTextKey OwthorName = Text("Preview", "OwthorName", "Tovik");
} // namespace Preview

// Every key, in the order the store creates them: General, Editor, Preview, each in its own
// order.
std::span<const TSettingKey *const> All();

} // namespace SettingKeys

#endif
