#include "OptionEditorPage.h"

#include "Source/ColorBox.h"
#include "Source/LxPnTOptions.h"
#include "Source/OptionControls.h"
#include "LxNumEdit.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

QWidget *CreateEditorPage(TFormOption &form)
{
    const auto changed = [&form] { form.CheckChanges(); };
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);

    QGroupBox *font = NewGroup(page, QStringLiteral(" フォント "));
    auto *fontGrid = new QGridLayout(font);
    form.LxEditCtrl1 = NewField(font, "LxEditCtrl1", true);
    form.ButtonEditorFont = NewButton(font, "ButtonEditorFont", QStringLiteral("..."));
    form.LxNumEditCtrl3 = NewNumber(font, "LxNumEditCtrl3", 2, 0, changed);
    // The font dialog's filters: nothing is stored, so they take no part in the change check.
    form.CheckBox3 = new QCheckBox(QStringLiteral("固定ピッチフォントのみ"), font);
    form.CheckBox4 = new QCheckBox(QStringLiteral("TTFフォントのみ"), font);
    form.CheckBox5 = new QCheckBox(QStringLiteral("OEMフォントを除く"), font);
    form.CheckBox3->setObjectName(QStringLiteral("CheckBox3"));
    form.CheckBox4->setObjectName(QStringLiteral("CheckBox4"));
    form.CheckBox5->setObjectName(QStringLiteral("CheckBox5"));
    fontGrid->addWidget(form.LxEditCtrl1, 0, 0, 1, 2);
    fontGrid->addWidget(form.ButtonEditorFont, 0, 2);
    fontGrid->addWidget(form.LxNumEditCtrl3, 0, 3);
    auto *filters = new QHBoxLayout;
    filters->addWidget(form.CheckBox3);
    filters->addWidget(form.CheckBox4);
    filters->addWidget(form.CheckBox5);
    filters->addStretch(1);
    fontGrid->addLayout(filters, 1, 0, 1, 4);
    fontGrid->setColumnStretch(0, 1);
    layout->addWidget(font);

    QGroupBox *left = NewGroup(page, QStringLiteral("Leftバー"));
    auto *leftRow = new QHBoxLayout(left);
    form.CheckBox1 = NewCheck(left, "CheckBox1", QStringLiteral("行番号表示"), changed);
    auto *widthLabel = NewLabel(left, QStringLiteral("表示幅"));
    form.LxNumEditCtrl1 = NewNumber(left, "LxNumEditCtrl1", 3, 0, changed);
    auto *bgLabel = NewLabel(left, QStringLiteral("背景色"));
    form.ColorBox1 = NewColorBox(left, "ColorBox1", changed);
    auto *frLabel = NewLabel(left, QStringLiteral("文字色"));
    form.ColorBox2 = NewColorBox(left, "ColorBox2", changed);
    auto *leftGrid = new QGridLayout;
    leftGrid->addWidget(widthLabel, 0, 0);
    leftGrid->addWidget(form.LxNumEditCtrl1, 0, 1, Qt::AlignLeft);
    leftGrid->addWidget(bgLabel, 1, 0);
    leftGrid->addWidget(form.ColorBox1, 1, 1);
    leftGrid->addWidget(frLabel, 1, 2);
    leftGrid->addWidget(form.ColorBox2, 1, 3);
    leftRow->addWidget(form.CheckBox1, 0, Qt::AlignTop);
    leftRow->addLayout(leftGrid, 1);
    // The line-number controls show only while line numbers are on.
    SetRowLabel(form.LxNumEditCtrl1, widthLabel);
    SetRowLabel(form.ColorBox1, bgLabel);
    SetRowLabel(form.ColorBox2, frLabel);
    layout->addWidget(left);

    QGroupBox *text = NewGroup(page, QStringLiteral(" テキスト "));
    auto *textGrid = new QGridLayout(text);
    form.ColorBox4 = NewColorBox(text, "ColorBox4", changed);
    form.ColorBox6 = NewColorBox(text, "ColorBox6", changed);
    form.LxNumEditCtrl2 = NewNumber(text, "LxNumEditCtrl2", 2, 0, changed);
    form.LxNumEditCtrl4 = NewNumber(text, "LxNumEditCtrl4", 2, 0, changed);
    form.LxNumEditCtrl5 = NewNumber(text, "LxNumEditCtrl5", 2, 0, changed);
    form.CheckBox2 = NewCheck(text, "CheckBox2", QStringLiteral("制御コード表示"), changed);
    form.ColorBox5 = NewColorBox(text, "ColorBox5", changed);
    textGrid->addWidget(NewLabel(text, QStringLiteral("背景色")), 0, 0);
    textGrid->addWidget(form.ColorBox4, 0, 1);
    textGrid->addWidget(NewLabel(text, QStringLiteral("文字色")), 0, 2);
    textGrid->addWidget(form.ColorBox6, 0, 3);
    textGrid->addWidget(NewLabel(text, QStringLiteral("タブインデント")), 1, 0);
    textGrid->addWidget(form.LxNumEditCtrl2, 1, 1, Qt::AlignLeft);
    auto *margins = new QHBoxLayout;
    margins->addWidget(NewLabel(text, QStringLiteral("上余白")));
    margins->addWidget(form.LxNumEditCtrl4);
    margins->addWidget(NewLabel(text, QStringLiteral("左余白")));
    margins->addWidget(form.LxNumEditCtrl5);
    margins->addStretch(1);
    textGrid->addLayout(margins, 1, 2, 1, 2);
    textGrid->addWidget(form.CheckBox2, 2, 0, 1, 2);
    textGrid->addWidget(form.ColorBox5, 2, 3);
    textGrid->setColumnStretch(1, 1);
    textGrid->setColumnStretch(3, 1);
    layout->addWidget(text);

    QGroupBox *decode = NewGroup(page, QStringLiteral(" デコード "),
                                 QStringLiteral("内臓エディタを開いたときのデコード方法を指定"));
    auto *decodeRow = new QHBoxLayout(decode);
    form.RadioShiftJis = new QRadioButton(QStringLiteral("SHIFT-JISで読込"), decode);
    form.RadioAutoDecode = new QRadioButton(QStringLiteral("開くときに自動判定"), decode);
    form.RadioShiftJis->setObjectName(QStringLiteral("RadioShiftJis"));
    form.RadioAutoDecode->setObjectName(QStringLiteral("RadioAutoDecode"));
    form.RadioShiftJis->setChecked(true);
    decodeRow->addWidget(form.RadioShiftJis);
    decodeRow->addWidget(form.RadioAutoDecode);
    decodeRow->addStretch(1);
    for (QRadioButton *radio : {form.RadioShiftJis, form.RadioAutoDecode})
        QObject::connect(radio, &QRadioButton::clicked, radio, changed);
    layout->addWidget(decode);
    layout->addStretch(1);
    return page;
}
