#include "ColorBox.h"

#include "editor/EditFuncs.h"

#include <QAbstractItemView>
#include <QColorDialog>
#include <QComboBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QPixmap>

namespace {

constexpr int32_t kSystemColor = kSystemColorFlag;

struct TNamedColor {
    int32_t Value;
    const char16_t *Name;
};

// The sixteen standard colours and the four extended ones.
const TNamedColor kFixedColors[] = {
    {0x000000, u"黒"},       {0x000080, u"栗色"},         {0x008000, u"緑"},     {0x008080, u"オリーブ"},
    {0x800000, u"紺"},       {0x800080, u"紫"},           {0x808000, u"青緑"},   {0x808080, u"灰色"},
    {0xC0C0C0, u"銀色"},     {0x0000FF, u"赤"},           {0x00FF00, u"ライム"}, {0x00FFFF, u"黄"},
    {0xFF0000, u"青"},       {0xFF00FF, u"赤紫"},         {0xFFFF00, u"水色"},   {0xFFFFFF, u"白"},
    {0xC0DCC0, u"マネーグリーン"}, {0xF0CAA6, u"スカイブルー"}, {0xF0FBFF, u"クリーム"}, {0xA4A0A0, u"ミディアムグレー"},
};

// The system colours by index.
const TNamedColor kSystemColors[] = {
    {0, u"スクロールバー"},         {1, u"デスクトップ"},           {2, u"アクティブなタイトル"},
    {3, u"非アクティブなタイトル"}, {4, u"メニュー"},               {5, u"ウィンドウの背景"},
    {6, u"ウィンドウの枠"},         {7, u"メニューの文字"},         {8, u"ウィンドウの文字"},
    {9, u"タイトルの文字"},         {10, u"アクティブな境界"},      {11, u"非アクティブな境界"},
    {12, u"作業領域"},              {13, u"選択範囲"},              {14, u"選択範囲の文字"},
    {15, u"ボタンの表面"},          {16, u"ボタンの影"},            {17, u"淡色の文字"},
    {18, u"ボタンの文字"},          {19, u"非アクティブなタイトルの文字"}, {20, u"ボタンのハイライト"},
    {21, u"立体の濃い影"},          {22, u"立体の明るい面"},        {23, u"ヒントの文字"},
    {24, u"ヒントの背景"},          {26, u"ホットトラック"},        {27, u"タイトルのグラデーション"},
    {28, u"非アクティブなタイトルのグラデーション"}, {29, u"メニューのハイライト"}, {30, u"メニューバー"},
};

QIcon Swatch(const QColor &color)
{
    QPixmap pixmap(16, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.fillRect(pixmap.rect().adjusted(0, 0, -1, -1), color);
    painter.setPen(Qt::black);
    painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return QIcon(pixmap);
}

QString HexName(int32_t value) { return ColorValueToQColor(value).name().toUpper(); }

} // namespace

TColorBox::TColorBox(QWidget *parent) : QWidget(parent), FCombo(new QComboBox(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FCombo);
    FCombo->setMaxVisibleItems(20);
    // The longest colour name does not set the width; the list itself shows names whole.
    FCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    FCombo->setMinimumContentsLength(16);
    for (const TNamedColor &c : kFixedColors)
        AddEntry(c.Value, QString::fromUtf16(c.Name));
    for (const TNamedColor &c : kSystemColors)
        AddEntry(kSystemColor + c.Value, QString::fromUtf16(c.Name));
    FCombo->addItem(QStringLiteral("カスタム..."));
    FCombo->view()->setMinimumWidth(FCombo->view()->sizeHintForColumn(0) + 24);
    FCustomIndex = -1;
    setFocusProxy(FCombo);
    QObject::connect(FCombo, &QComboBox::activated, this, [this](int index) { Activated(index); });
    PickCustom = [this](QColor &color) {
        const QColor chosen = QColorDialog::getColor(color, this, QStringLiteral("色の設定"));
        if (!chosen.isValid())
            return false;
        color = chosen;
        return true;
    };
}

int TColorBox::AddEntry(int32_t value, const QString &name)
{
    const int index = FCombo->count();
    FCombo->addItem(Swatch(ColorValueToQColor(value, Qt::transparent)), name, value);
    return index;
}

int32_t TColorBox::Selected() const { return FCombo->currentData().toInt(); }

void TColorBox::SetSelected(int32_t value)
{
    int index = FCombo->findData(value);
    if (index < 0) {
        const QString name = QStringLiteral("カスタム ") + HexName(value);
        if (FCustomIndex < 0) {
            FCustomIndex = FCombo->count() - 1;
            FCombo->insertItem(FCustomIndex, Swatch(ColorValueToQColor(value)), name, value);
        } else {
            FCombo->setItemIcon(FCustomIndex, Swatch(ColorValueToQColor(value)));
            FCombo->setItemText(FCustomIndex, name);
            FCombo->setItemData(FCustomIndex, value);
        }
        index = FCustomIndex;
    }
    FCombo->setCurrentIndex(index);
    FLastIndex = index;
}

void TColorBox::Activated(int index)
{
    // The last entry asks for a colour of the user's own.
    if (index == FCombo->count() - 1) {
        QColor color = ColorValueToQColor(FCombo->itemData(FLastIndex).toInt());
        if (!PickCustom || !PickCustom(color)) {
            FCombo->setCurrentIndex(FLastIndex);
            return;
        }
        SetSelected(QColorToColorValue(color));
    } else {
        FLastIndex = index;
    }
    if (OnChange)
        OnChange();
}

