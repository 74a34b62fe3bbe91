#include "OptionPreviewPage.h"

#include "Source/ColorBox.h"
#include "Source/LxPnSettingKeys.h"
#include "Source/LxPnTOptions.h"
#include "Source/OptionControls.h"
#include "LxNumEdit.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

QWidget *CreatePreviewPage(TFormOption &form)
{
    const auto changed = [&form] { form.CheckChanges(); };
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);

    QGroupBox *colors = NewGroup(page, QStringLiteral("カラー設定（プレビュー画面）"));
    auto *colorGrid = new QGridLayout(colors);
    form.ColorBoxBGColor = NewColorBox(colors, "ColorBoxBGColor", changed);
    form.ColorBoxPaperColor = NewColorBox(colors, "ColorBoxPaperColor", changed);
    form.ColorBoxPaperShadowColor = NewColorBox(colors, "ColorBoxPaperShadowColor", changed);
    colorGrid->addWidget(NewLabel(colors, QStringLiteral("背景色")), 0, 0);
    colorGrid->addWidget(form.ColorBoxBGColor, 0, 1);
    colorGrid->addWidget(NewLabel(colors, QStringLiteral("用紙色")), 0, 2);
    colorGrid->addWidget(form.ColorBoxPaperColor, 0, 3);
    colorGrid->addWidget(NewLabel(colors, QStringLiteral("用紙影色")), 1, 0);
    colorGrid->addWidget(form.ColorBoxPaperShadowColor, 1, 1);
    colorGrid->setColumnStretch(1, 1);
    colorGrid->setColumnStretch(3, 1);
    layout->addWidget(colors);

    QGroupBox *font = NewGroup(page, QStringLiteral(" フォント "));
    auto *fontRow = new QHBoxLayout(font);
    form.LxEditPrevFontName = NewField(font, "LxEditPrevFontName", true);
    form.ButtonPreviewFont = NewButton(font, "ButtonPreviewFont", QStringLiteral("..."));
    form.LxNumPreviewFontSize = NewNumber(font, "LxNumPreviewFontSize", 2, 0, changed);
    fontRow->addWidget(form.LxEditPrevFontName, 1);
    fontRow->addWidget(form.ButtonPreviewFont);
    fontRow->addWidget(form.LxNumPreviewFontSize);
    layout->addWidget(font);

    QGroupBox *margins = NewGroup(page, QStringLiteral("余白（mm）"));
    auto *marginGrid = new QGridLayout(margins);
    form.LxNumTopMarg = NewNumber(margins, "LxNumTopMarg", 4, 1, changed);
    form.LxNumBootommMarg = NewNumber(margins, "LxNumBootommMarg", 4, 1, changed);
    form.LxNumLeftMarg = NewNumber(margins, "LxNumLeftMarg", 4, 1, changed);
    form.LxNumRightMarg = NewNumber(margins, "LxNumRightMarg", 4, 1, changed);
    const std::pair<const char *, TLxNumEditCtrl *> marginFields[] = {
        {"ヘッダ余白", form.LxNumTopMarg}, {"フッタ余白", form.LxNumBootommMarg},
        {"左余白", form.LxNumLeftMarg},   {"右余白", form.LxNumRightMarg}};
    int column = 0;
    for (const auto &[caption, field] : marginFields) {
        field->SetDeciDispZero(true);
        marginGrid->addWidget(NewLabel(margins, QString::fromUtf8(caption)), column / 4, column % 4);
        marginGrid->addWidget(field, column / 4, column % 4 + 1);
        column += 2;
    }
    marginGrid->setColumnStretch(1, 1);
    marginGrid->setColumnStretch(3, 1);
    layout->addWidget(margins);

    auto *headFoot = new QHBoxLayout;
    QGroupBox *header = NewGroup(page, QStringLiteral("ヘッダ"));
    auto *headerCol = new QVBoxLayout(header);
    form.CheckHeaderBorder = NewCheck(header, "CheckHeaderBorder", QStringLiteral("ボーダー"), changed);
    form.CheckFileName = NewCheck(header, "CheckFileName", QStringLiteral("ファイル名"), changed);
    form.CheckDate = NewCheck(header, "CheckDate", QStringLiteral("日付"), changed);
    headerCol->addWidget(form.CheckHeaderBorder);
    headerCol->addWidget(form.CheckFileName);
    headerCol->addWidget(form.CheckDate);
    QGroupBox *footer = NewGroup(page, QStringLiteral("フッタ"));
    auto *footerGrid = new QGridLayout(footer);
    form.CheckFooterBorder = NewCheck(footer, "CheckFooterBorder", QStringLiteral("ボーダー"), changed);
    form.CheckPageNo = NewCheck(footer, "CheckPageNo", QStringLiteral("ページNo"), changed);
    form.CheckOwthor = NewCheck(footer, "CheckOwthor", QStringLiteral("社名"), changed);
    form.LxEditOwthorName = NewField(footer, "LxEditOwthorName", false);
    QObject::connect(form.LxEditOwthorName, &QLineEdit::textChanged, form.LxEditOwthorName, changed);
    footerGrid->addWidget(form.CheckFooterBorder, 0, 0, 1, 2);
    footerGrid->addWidget(form.CheckPageNo, 1, 0, 1, 2);
    footerGrid->addWidget(form.CheckOwthor, 2, 0);
    footerGrid->addWidget(form.LxEditOwthorName, 2, 1);
    footerGrid->setColumnStretch(1, 1);
    headFoot->addWidget(header);
    headFoot->addWidget(footer, 1);
    layout->addLayout(headFoot);

    QGroupBox *other = NewGroup(page, QStringLiteral("その他"));
    auto *otherGrid = new QGridLayout(other);
    form.LxNumRowMarg = NewNumber(other, "LxNumRowMarg", 3, 0, changed);
    form.LxNumRowMarg->SetMaxValue(int32_t(SettingKeys::Preview::RowMarg.Max));
    form.CheckPrintableRect = NewCheck(other, "CheckPrintableRect", QStringLiteral("印字可能範囲の表示"), changed);
    form.CheckUseRowNo = NewCheck(other, "CheckUseRowNo", QStringLiteral("行番号印刷"), changed);
    form.CheckMarginMark = NewCheck(other, "CheckMarginMark", QStringLiteral("余白マーカー表示"), changed);
    otherGrid->addWidget(NewLabel(other, QStringLiteral("行マージン")), 0, 0);
    otherGrid->addWidget(form.LxNumRowMarg, 0, 1, Qt::AlignLeft);
    otherGrid->addWidget(form.CheckPrintableRect, 0, 2);
    otherGrid->addWidget(form.CheckUseRowNo, 1, 0, 1, 2);
    otherGrid->addWidget(form.CheckMarginMark, 1, 2);
    otherGrid->setColumnStretch(2, 1);
    layout->addWidget(other);
    layout->addStretch(1);
    return page;
}
