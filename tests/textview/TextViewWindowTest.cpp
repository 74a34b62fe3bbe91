// The text viewer window around the editor: file types, character codes from the menu,
// save as, find and the remembered placement.
#include "Source/LxPnArcDataClasses.h"
#include "Source/TextViewFrm.h"
#include "TextViewTestSupport.h"
#include "editor/LxTextEditor.h"
#include "platform/Cp932.h"
#include "platform/MessageBox.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using tovik::platform::MessageKind;
using tovik::platform::Utf8ToCp932;

class TextViewWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        qputenv("TOVIK_INI", dir.filePath(QStringLiteral("tovik.ini")).toLocal8Bit());
        tovik::platform::SetMessageInterceptor([this](const QString &text, MessageKind, QMessageBox::StandardButtons) {
            messages << text;
            return QMessageBox::Ok;
        });
    }
    void TearDown() override
    {
        tovik::platform::SetMessageInterceptor(nullptr);
        qunsetenv("TOVIK_INI");
    }
    static TLxPackedItem Entry(const char *path)
    {
        TLxPackedItem item;
        item.Path = Utf8ToCp932(path);
        const size_t slash = item.Path.rfind('/');
        item.Name = slash == std::string::npos ? item.Path : item.Path.substr(slash + 1);
        item.OriginalSize = 10;
        return item;
    }
    static QAction *MenuItem(QWidget *root, const QString &caption)
    {
        for (QAction *a : root->findChildren<QAction *>())
            if (a->text() == caption)
                return a;
        return nullptr;
    }

    QTemporaryDir dir;
    QStringList messages;
};

TEST_F(TextViewWindowTest, FileTypeFollowsTheExtensionAndTheMenu)
{
    TFrmTextView view;
    const TLxPackedItem item = Entry("src/Main.JAVA");
    view.SetEntry(item);
    view.SetText("public class Main {}\n");
    EXPECT_EQ(view.LxTextEditor1->GetLanguage(), 2);
    EXPECT_TRUE(view.ActFileTypeJava->isChecked());
    view.ActFileTypeC->trigger();
    EXPECT_EQ(view.LxTextEditor1->GetLanguage(), 3);
    EXPECT_TRUE(view.ActFileTypeC->isChecked());
    EXPECT_FALSE(view.ActFileTypeJava->isChecked());
    view.ActFileTypeOther->trigger();
    EXPECT_EQ(view.LxTextEditor1->GetLanguage(), 0);
    // No toolkit English anywhere in the menus.
    for (QAction *a : view.MainMenu1->findChildren<QAction *>())
        EXPECT_FALSE(a->text().contains(QStringLiteral("&Undo"))) << a->text().toStdString();
}

TEST_F(TextViewWindowTest, CharacterCodeItemsCarryTheirTags)
{
    const int codes[] = {932, -932, -933, -2, 65000, -65001, 65001, -3, -4, -5, -6};
    for (int tag = 1; tag <= 11; ++tag)
        EXPECT_EQ(TFrmTextView::CharSetCodeOfTag(tag), codes[tag - 1]);
    EXPECT_EQ(TFrmTextView::CharSetCodeOfTag(0), 0);
    EXPECT_EQ(TFrmTextView::CharSetCodeOfTag(12), 0);

    TFrmTextView view;
    const std::string sjis = Utf8ToCp932("日本語\r\n");
    view.SetText(QByteArray(sjis.data(), qsizetype(sjis.size())));
    messages.clear();
    QAction *utf7 = MenuItem(&view, QStringLiteral("UTF-7"));
    ASSERT_NE(utf7, nullptr);
    utf7->trigger();
    EXPECT_EQ(messages, QStringList{QStringLiteral("このファイルタイプは対応していません")});
    EXPECT_EQ(Shown(view), QStringLiteral("日本語"));
    messages.clear();
    MenuItem(&view, QStringLiteral("SHIFT-JIS"))->trigger();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("日本語(ShiftJIS)")));
    EXPECT_EQ(Shown(view), QStringLiteral("日本語"));
}

TEST_F(TextViewWindowTest, ShiftJisRowCutsAtTheFirstZeroByteToo)
{
    TFrmTextView view;
    view.SetText(QByteArray("abc\r\ndef\0hidden", 15));
    EXPECT_EQ(Shown(view), QStringLiteral("abc\ndef"));
    MenuItem(&view, QStringLiteral("SHIFT-JIS"))->trigger();
    EXPECT_EQ(Shown(view), QStringLiteral("abc\ndef"));
}

TEST_F(TextViewWindowTest, SaveAsWritesShiftJisWithCrLf)
{
    TFrmTextView view;
    const QByteArray euc = QByteArray::fromHex("c6fccbdcb8ec0a") + "second\n"; // 日本語 in EUC-JP
    view.SetText(euc);
    const QString file = dir.filePath(QStringLiteral("out.txt"));
    ASSERT_TRUE(view.SaveLinesTo(file));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const std::string expected = Utf8ToCp932("日本語\r\nsecond\r\n");
    EXPECT_EQ(f.readAll(), QByteArray(expected.data(), qsizetype(expected.size())));
    messages.clear();
    EXPECT_FALSE(view.SaveLinesTo(dir.filePath(QStringLiteral("no/such/folder/out.txt"))));
    EXPECT_EQ(messages.size(), 1);
}

TEST_F(TextViewWindowTest, FindSelectsTheTextFound)
{
    TFrmTextView view;
    view.SetText("one two\r\nthree two\r\n");
    EXPECT_TRUE(view.FindNext(QStringLiteral("two"), true, true, true));
    TEditViewInfo &info = view.LxTextEditor1->Options()->DrawOption;
    EXPECT_EQ(info.Selection.StartPos, TEditRowCol(0, 4));
    EXPECT_TRUE(view.FindNext(QStringLiteral("two"), true, true, true));
    EXPECT_EQ(info.Selection.StartPos, TEditRowCol(1, 6));
    EXPECT_FALSE(view.FindNext(QStringLiteral("two"), true, true, true));
    EXPECT_TRUE(view.FindNext(QStringLiteral("two"), false, true, true));
    EXPECT_EQ(info.Selection.StartPos, TEditRowCol(0, 4));
    EXPECT_TRUE(view.ActPreview->isEnabled());
}

TEST_F(TextViewWindowTest, PlacementComesBackAfterReopening)
{
    {
        TFrmTextView view;
        view.show();
        view.setGeometry(70, 80, 520, 410);
        QApplication::processEvents();
        view.close();
    }
    TFrmTextView again;
    again.show();
    QApplication::processEvents();
    EXPECT_EQ(again.size(), QSize(520, 410));
}

} // namespace
