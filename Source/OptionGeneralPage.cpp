#include "OptionGeneralPage.h"

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

QWidget *CreateGeneralPage(TFormOption &form)
{
    const auto changed = [&form] { form.CheckChanges(); };
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);

    QGroupBox *folder = NewGroup(page, QStringLiteral(" 作業ホルダ "),
                                 QStringLiteral("解凍して開く際の作業用フォルダを設定します"));
    auto *folderGrid = new QGridLayout(folder);
    form.CheckBox8 = NewCheck(folder, "CheckBox8", QStringLiteral("デフォルト"), changed);
    form.CheckBox8->setToolTip(QStringLiteral("デフォルトを選択すると環境変数「TEMP」を使用します"));
    form.LxEditCtrl4 = NewField(folder, "LxEditCtrl4", true);
    form.LxEditCtrl5 = NewField(folder, "LxEditCtrl5", true);
    form.ButtonFolder = NewButton(folder, "ButtonFolder", QStringLiteral("..."));
    auto *folderLabel = NewLabel(folder, QStringLiteral("指定フォルダ"));
    folderGrid->addWidget(form.CheckBox8, 0, 0);
    folderGrid->addWidget(form.LxEditCtrl4, 0, 1, 1, 2);
    folderGrid->addWidget(folderLabel, 1, 0);
    folderGrid->addWidget(form.LxEditCtrl5, 1, 1);
    folderGrid->addWidget(form.ButtonFolder, 1, 2);
    folderGrid->setColumnStretch(1, 1);
    // The chosen-folder row shows only while the default is not used.
    SetRowLabel(form.LxEditCtrl5, folderLabel);
    layout->addWidget(folder);

    QGroupBox *history = NewGroup(page, QStringLiteral("履歴ファイル"));
    auto *historyRow = new QHBoxLayout(history);
    form.CheckUseMRU = NewCheck(history, "CheckUseMRU", QStringLiteral("履歴を保存する"), changed);
    auto *mruLabel = NewLabel(history, QStringLiteral("保存履歴数"));
    form.LxNumEditCtrl6 = NewNumber(history, "LxNumEditCtrl6", 2, 0, changed);
    historyRow->addWidget(form.CheckUseMRU);
    historyRow->addStretch(1);
    historyRow->addWidget(mruLabel);
    historyRow->addWidget(form.LxNumEditCtrl6);
    SetRowLabel(form.LxNumEditCtrl6, mruLabel);
    layout->addWidget(history);

    QGroupBox *sound = NewGroup(page, QStringLiteral(" 効果音 "), QStringLiteral("エディタのカスタマイズ"));
    auto *soundGrid = new QGridLayout(sound);
    form.CheckBox6 = NewCheck(sound, "CheckBox6", QStringLiteral("使用する"), changed);
    form.CheckBox7 = NewCheck(sound, "CheckBox7", QStringLiteral("メッセージ"), changed);
    form.LxEditCtrl2 = NewField(sound, "LxEditCtrl2", true);
    form.ButtonMsgSound = NewButton(sound, "ButtonMsgSound", QStringLiteral("..."));
    form.ButtonMsgTest = NewButton(sound, "ButtonMsgTest", QStringLiteral("♪"), QStringLiteral("テストします"));
    form.CheckBox9 = NewCheck(sound, "CheckBox9", QStringLiteral("クリック"), changed);
    form.LxEditCtrl3 = NewField(sound, "LxEditCtrl3", true);
    form.ButtonClkSound = NewButton(sound, "ButtonClkSound", QStringLiteral("..."));
    form.ButtonClkTest = NewButton(sound, "ButtonClkTest", QStringLiteral("♪"), QStringLiteral("テストします"));
    soundGrid->addWidget(form.CheckBox6, 0, 0, 1, 4);
    soundGrid->addWidget(form.CheckBox7, 1, 0);
    soundGrid->addWidget(form.LxEditCtrl2, 1, 1);
    soundGrid->addWidget(form.ButtonMsgSound, 1, 2);
    soundGrid->addWidget(form.ButtonMsgTest, 1, 3);
    soundGrid->addWidget(form.CheckBox9, 2, 0);
    soundGrid->addWidget(form.LxEditCtrl3, 2, 1);
    soundGrid->addWidget(form.ButtonClkSound, 2, 2);
    soundGrid->addWidget(form.ButtonClkTest, 2, 3);
    soundGrid->setColumnStretch(1, 1);
    layout->addWidget(sound);

    form.CheckBox10 = NewCheck(page, "CheckBox10", QStringLiteral("前回のウインドゥ位置で開く"), changed);
    layout->addWidget(form.CheckBox10);
    layout->addStretch(1);
    return page;
}
