#include "LxPnSettingKeys.h"

#include <QDir>

#include <algorithm>
#include <array>

QString TSettingKey::DefaultString() const
{
    return DefaultText ? QString::fromUtf8(DefaultText) : QDir::tempPath();
}

int64_t TSettingKey::Clamp(int64_t value) const
{
    return Bounded() ? std::clamp(value, Min, Max) : value;
}

namespace SettingKeys {

std::span<const TSettingKey *const> All()
{
    static constexpr std::array<const TSettingKey *, 43> keys = {
        &General::IsUseDefaultFolder, &General::WorkFolder, &General::FormPosLoad, &General::UseMRU,
        &General::MRUMax, &General::UseSound, &General::MsgSound, &General::ClkSound,
        &General::ExtractFolder,

        &Editor::FontName, &Editor::FontSize, &Editor::ShowLinNo, &Editor::LinNoWidth, &Editor::LinNoBGColor,
        &Editor::LinNoFRColor, &Editor::TextBGColor, &Editor::TextFRColor, &Editor::ShowCtrlCode,
        &Editor::CtrlCodeColor, &Editor::TABWidth, &Editor::TopMarg, &Editor::LeftMarg, &Editor::AutoDecode,

        &Preview::ShowPrintableRect, &Preview::ShowMarginMark, &Preview::BGColor, &Preview::PaperColor,
        &Preview::PaperShadowColor, &Preview::FontName, &Preview::FontSize, &Preview::TopMarg,
        &Preview::BottomMarg, &Preview::LeftMarg, &Preview::RigtmMarg, &Preview::UseRowNo, &Preview::RowMarg,
        &Preview::ShowHeaderBorder, &Preview::ShowFileName, &Preview::ShowDate, &Preview::ShowFooterBorder,
        &Preview::ShowPageNo, &Preview::ShowOwthor, &Preview::OwthorName,
    };
    return keys;
}

} // namespace SettingKeys
