#include "Source/ColorBox.h"
#include "Source/LxPnGlobalState.h"
#include "Source/LxPnSystem.h"
#include "Source/LxPnTOptions.h"
#include "Source/MainFrm.h"
#include "LxMRUManager.h"
#include "LxNumEdit.h"
#include "platform/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QStringListModel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }

namespace {

QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// The dialog on a store of its own, on a temporary ini file.
class OptionsDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(FDir.isValid()); }

    QString IniPath() const { return FDir.filePath(QStringLiteral("options.ini")); }

    // Loads the store from text and opens the dialog, shown and active, on page.
    TFormOption &Open(int page, const QByteArray &ini = QByteArray())
    {
        if (!ini.isNull())
            WriteFile(IniPath(), ini);
        FStore = std::make_unique<TAppIniData>(IniPath());
        FStore->Load();
        FDialog = std::make_unique<TFormOption>(*FStore);
        FDialog->PlaySound = [this](const QString &file) { FPlayed << file; };
        FDialog->SelectPage(page);
        FDialog->show();
        FDialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(FDialog.get()));
        return *FDialog;
    }

    // Types into a number field and leaves it for the "close" button.
    void Type(TLxNumEditCtrl *field, const char *keys)
    {
        field->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        ASSERT_TRUE(field->hasFocus());
        QTest::keyClicks(field, QString::fromLatin1(keys));
        FDialog->ButtonClose->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }

    bool UpdateEnabled() const { return FDialog->ButtonUpdate->isEnabled(); }

    void Save()
    {
        ASSERT_TRUE(UpdateEnabled());
        FDialog->ButtonUpdate->click();
        EXPECT_EQ(FDialog->result(), QDialog::Accepted);
    }

    QTemporaryDir FDir;
    std::unique_ptr<TAppIniData> FStore;
    std::unique_ptr<TFormOption> FDialog;
    QStringList FPlayed;
};

} // namespace

TEST_F(OptionsDialogTest, EachPageOpensWithItsTitleAndNothingToSave)
{
    const char *suffixes[] = {" 【一般オプション】", " 【組込みエディタオプション】", " 【プレビューオプション】"};
    for (int page = 0; page < 3; ++page) {
        TFormOption &d = Open(page);
        EXPECT_EQ(d.windowTitle(), QStringLiteral("詳細設定") + QString::fromUtf8(suffixes[page]));
        EXPECT_EQ(d.PageControl->currentIndex(), page);
        EXPECT_GE(d.height(), page == 0 ? 320 : page == 1 ? 400 : 436);
        EXPECT_FALSE(UpdateEnabled()) << page;
    }
}

// Hand-written values that read as the dialog's own ("true", "010", a margin finer than the
// field shows) are no change, and a change made and undone again is none either.
TEST_F(OptionsDialogTest, UpdateFollowsTypedDifferences)
{
    TFormOption &g = Open(0, "[General]\nUseMRU=true\nMRUMax=010\nFormPosLoad=1\n");
    EXPECT_FALSE(UpdateEnabled());
    g.CheckBox10->click();
    EXPECT_TRUE(UpdateEnabled());
    g.CheckBox10->click();
    EXPECT_FALSE(UpdateEnabled());
    Type(g.LxNumEditCtrl6, "12");
    EXPECT_TRUE(UpdateEnabled());
    Type(g.LxNumEditCtrl6, "10");
    EXPECT_FALSE(UpdateEnabled());

    TFormOption &e = Open(1, "[Editor]\nShowLinNo=TRUE\nTABWidth=4\nLinNoBGColor=4278190095\n");
    EXPECT_FALSE(UpdateEnabled());
    const int before = e.ColorBox1->Combo()->currentIndex();
    e.ColorBox1->Combo()->setCurrentIndex(0);
    emit e.ColorBox1->Combo()->activated(0);
    EXPECT_TRUE(UpdateEnabled());
    e.ColorBox1->Combo()->setCurrentIndex(before);
    emit e.ColorBox1->Combo()->activated(before);
    EXPECT_FALSE(UpdateEnabled());
    e.RadioShiftJis->click();
    EXPECT_TRUE(UpdateEnabled());
    e.RadioAutoDecode->click();
    EXPECT_FALSE(UpdateEnabled());

    TFormOption &p = Open(2, "[Preview]\nTopMarg=12.3456\nOwthorName=Me\n");
    EXPECT_FALSE(UpdateEnabled());
    EXPECT_EQ(p.LxNumTopMarg->Text(), "12.3");
    p.LxEditOwthorName->setText("You");
    EXPECT_TRUE(UpdateEnabled());
    p.LxEditOwthorName->setText("Me");
    EXPECT_FALSE(UpdateEnabled());
}

// Unticking "デフォルト" without choosing a folder keeps the default folder, flag and folder
// alike, so the program is never left without a work folder.
TEST_F(OptionsDialogTest, NoChosenFolderSavesTheDefault)
{
    const QByteArray temp = QDir::tempPath().toUtf8();
    TFormOption &d = Open(0, "[General]\nWorkFolder=" + temp + "\n");
    EXPECT_TRUE(d.LxEditCtrl4->isVisible());
    EXPECT_EQ(d.LxEditCtrl4->text(), QDir::tempPath());
    EXPECT_FALSE(d.LxEditCtrl5->isVisible());
    d.CheckBox8->click();
    EXPECT_FALSE(d.LxEditCtrl4->isVisible());
    EXPECT_TRUE(d.LxEditCtrl5->isVisible());
    EXPECT_TRUE(d.LxEditCtrl5->text().isEmpty());
    Save();
    EXPECT_EQ(ReadFile(IniPath()), "[General]\nWorkFolder=" + temp + "\n");
    EXPECT_TRUE(FStore->ReadBool(SettingKeys::General::IsUseDefaultFolder));
    EXPECT_EQ(FStore->ReadString(SettingKeys::General::WorkFolder), QDir::tempPath());

    // A file that names no folder at all is mended by the next save of the page.
    TFormOption &broken = Open(0, "[General]\nIsUseDefaultFolder=False\nWorkFolder=\n");
    EXPECT_FALSE(UpdateEnabled());
    broken.CheckBox10->click();
    Save();
    EXPECT_EQ(ReadFile(IniPath()),
              "[General]\nIsUseDefaultFolder=True\nWorkFolder=" + temp + "\nFormPosLoad=False\n");
}

TEST_F(OptionsDialogTest, ChosenFolderComesFromThePicker)
{
    TFormOption &d = Open(0, "");
    QString started;
    d.PickFolder = [&](QString &folder) {
        started = folder;
        folder = QStringLiteral("/srv/work");
        return true;
    };
    d.CheckBox8->click();
    d.ButtonFolder->click();
    EXPECT_EQ(started, QString());
    EXPECT_EQ(d.LxEditCtrl5->text(), "/srv/work");
    Save();
    EXPECT_EQ(ReadFile(IniPath()), "[General]\nIsUseDefaultFolder=False\nWorkFolder=/srv/work\n");
}

TEST_F(OptionsDialogTest, RowMarginIsClampedToTwenty)
{
    TFormOption &d = Open(2, "");
    Type(d.LxNumRowMarg, "25");
    EXPECT_EQ(d.LxNumRowMarg->Text(), "20");
    EXPECT_DOUBLE_EQ(d.LxNumRowMarg->Value(), 20.0);
    Save();
    EXPECT_EQ(ReadFile(IniPath()), "[Preview]\nRowMarg=20\n");
}

TEST_F(OptionsDialogTest, SoundsNeedAFileToCountAsAChange)
{
    const QString wav = FDir.filePath("ping.wav");
    TFormOption &d = Open(0, "");
    EXPECT_FALSE(d.CheckBox7->isVisible());
    d.CheckBox6->click();
    EXPECT_TRUE(d.CheckBox7->isVisible());
    EXPECT_FALSE(UpdateEnabled());
    d.CheckBox6->click();
    EXPECT_FALSE(UpdateEnabled());

    d.CheckBox6->click();
    EXPECT_FALSE(d.ButtonMsgSound->isEnabled());
    d.CheckBox7->click();
    EXPECT_TRUE(d.ButtonMsgSound->isEnabled());
    EXPECT_FALSE(d.ButtonMsgTest->isEnabled());
    d.PickSoundFile = [&](QString &file) {
        file = QStringLiteral("  ") + wav + QStringLiteral(" ");
        return true;
    };
    d.ButtonMsgSound->click();
    EXPECT_TRUE(UpdateEnabled());
    EXPECT_TRUE(d.ButtonMsgTest->isEnabled());
    d.ButtonMsgTest->click();
    EXPECT_EQ(FPlayed, QStringList{wav});
    Save();
    EXPECT_EQ(ReadFile(IniPath()), "[General]\nUseSound=True\nMsgSound=" + wav.toUtf8() + "\n");

    // Switching sounds off forgets the file.
    TFormOption &again = Open(0);
    EXPECT_TRUE(again.CheckBox7->isChecked());
    EXPECT_EQ(again.LxEditCtrl2->text(), wav);
    again.CheckBox6->click();
    EXPECT_TRUE(again.LxEditCtrl2->text().isEmpty());
    EXPECT_FALSE(again.ButtonMsgTest->isEnabled());
    Save();
    EXPECT_EQ(ReadFile(IniPath()), "[General]\nUseSound=False\nMsgSound=\n");
}

// Only the keys of the page that changed are written; every other byte of the file stays.
TEST_F(OptionsDialogTest, SavingWritesOnlyTheChangedKeys)
{
    const QByteArray ini = "; kept as it is\n[General]\nUseMRU=true\n\n[Editor]\nFontName=IPAGothic\nShowLinNo=true\n"
                           "TABWidth=8\nTextBGColor=4278190085\n\n[Preview]\nTopMarg=12.3456\nLeftMarg=20.00\n\n"
                           "[FormMain]\nWidth=500\n";
    TFormOption &e = Open(1, ini);
    Type(e.LxNumEditCtrl2, "2");
    e.CheckBox2->click();
    EXPECT_TRUE(e.ColorBox5->isVisible());
    Save();
    QByteArray expected = ini;
    expected.replace("TABWidth=8\n", "TABWidth=2\n");
    expected.replace("TextBGColor=4278190085\n", "TextBGColor=4278190085\nShowCtrlCode=True\n");
    EXPECT_EQ(ReadFile(IniPath()), expected);

    TFormOption &p = Open(2);
    Type(p.LxNumLeftMarg, "15.5");
    EXPECT_EQ(p.LxNumLeftMarg->Text(), "15.5");
    p.CheckDate->click();
    Save();
    expected.replace("LeftMarg=20.00\n", "LeftMarg=15.5\nShowDate=False\n");
    EXPECT_EQ(ReadFile(IniPath()), expected);
}

TEST_F(OptionsDialogTest, FontAndColourPickersFillTheirFields)
{
    TFormOption &e = Open(1, "");
    QFontDialog::FontDialogOptions asked;
    e.PickFont = [&](QFont &font, QFontDialog::FontDialogOptions options) {
        asked = options;
        font = QFont(QStringLiteral("IPAGothic"), 12);
        return true;
    };
    e.CheckBox3->click();
    e.ButtonEditorFont->click();
    EXPECT_TRUE(asked & QFontDialog::MonospacedFonts);
    EXPECT_EQ(e.LxEditCtrl1->text(), "IPAGothic");
    EXPECT_EQ(e.LxNumEditCtrl3->Text(), "12");
    EXPECT_TRUE(UpdateEnabled());

    e.ColorBox4->PickCustom = [](QColor &color) {
        color = QColor(0x12, 0x34, 0x56);
        return true;
    };
    QComboBox *combo = e.ColorBox4->Combo();
    combo->setCurrentIndex(combo->count() - 1);
    emit combo->activated(combo->count() - 1);
    EXPECT_EQ(e.ColorBox4->Selected(), 0x563412);
    // A cancelled custom colour keeps the one before.
    e.ColorBox4->PickCustom = [](QColor &) { return false; };
    combo->setCurrentIndex(combo->count() - 1);
    emit combo->activated(combo->count() - 1);
    EXPECT_EQ(e.ColorBox4->Selected(), 0x563412);
    Save();
    const QByteArray saved = ReadFile(IniPath());
    EXPECT_TRUE(saved.contains("FontName=IPAGothic\nFontSize=12\n")) << saved.constData();
    EXPECT_TRUE(saved.contains("TextBGColor=5649426\n")) << saved.constData();
}

// The fixed-pitch filter keeps the Japanese gothic face, which Qt's own filter drops.
TEST(OptionsFontFilter, FixedPitchKeepsTheJapaneseGothic)
{
    QFontDialog dialog;
    dialog.setOptions(QFontDialog::DontUseNativeDialog);
    ASSERT_TRUE(TFormOption::KeepFixedPitchFamilies(dialog));
    auto *model = qobject_cast<QStringListModel *>(dialog.findChildren<QListView *>().front()->model());
    const QStringList families = model->stringList();
    EXPECT_TRUE(families.contains(QStringLiteral("IPAGothic"))) << families.join(',').toStdString();
    EXPECT_FALSE(families.contains(QStringLiteral("IPAPGothic")));
    EXPECT_FALSE(families.contains(QStringLiteral("DejaVu Sans")));
}

TEST_F(OptionsDialogTest, CloseSavesNothing)
{
    TFormOption &d = Open(0, "[General]\nMRUMax=3\n");
    d.CheckUseMRU->click();
    d.ButtonClose->click();
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_EQ(ReadFile(IniPath()), "[General]\nMRUMax=3\n");
    EXPECT_TRUE(FStore->ReadBool(SettingKeys::General::UseMRU));
}

// The main window's three commands are always there and open the dialog on their pages, with
// the click sound.
TEST(OptionsFromMainWindow, EachCommandOpensItsPage)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("tovik.ini");
    WriteFile(ini, "[General]\nUseSound=True\nClkSound=clk.wav\nFormPosLoad=False\n");
    qputenv("TOVIK_INI", QFile::encodeName(ini));
    {
        TAppGlobalState state;
        QStringList sounds;
        state.SetSoundSink([&](const QString &file) { sounds << file; });
        TFormMain window;
        int index = 0;
        for (QAction *action : {window.ActOptionApp, window.ActOptionEdit, window.ActPrevOpt}) {
            EXPECT_TRUE(action->isEnabled());
            int page = -1;
            QString title;
            QTimer::singleShot(0, [&] {
                if (auto *dialog = dynamic_cast<TFormOption *>(QApplication::activeModalWidget())) {
                    page = dialog->Page();
                    title = dialog->windowTitle();
                    dialog->reject();
                }
            });
            action->trigger();
            EXPECT_EQ(page, index) << title.toStdString();
            ++index;
        }
        EXPECT_EQ(sounds, QStringList({"clk.wav", "clk.wav", "clk.wav"}));

        // A saved history setting applies to the open window at once.
        ASSERT_TRUE(window.OpenDialog1->Active());
        QTimer::singleShot(0, [&] {
            if (auto *dialog = dynamic_cast<TFormOption *>(QApplication::activeModalWidget())) {
                dialog->CheckUseMRU->click();
                dialog->ButtonUpdate->click();
            }
        });
        window.ActOptionApp->trigger();
        EXPECT_FALSE(window.OpenDialog1->Active());
        EXPECT_FALSE(state.IniData().ReadBool(SettingKeys::General::UseMRU));
    }
    qunsetenv("TOVIK_INI");
}
