// The editor component on a real (offscreen) widget: keys, mouse, wheel, scroll bars,
// colours, read-only mode, undo notifications and input-method text.
#include "editor/EditPopup.h"
#include "editor/LxTextEditor.h"
#include "platform/Cp932.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QInputMethodEvent>
#include <QScrollBar>
#include <QStyleHints>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using tovik::platform::Utf8ToCp932;

std::vector<std::string> Numbered(int n, const std::string &prefix = "line ")
{
    std::vector<std::string> lines;
    for (int i = 0; i < n; ++i)
        lines.push_back(prefix + std::to_string(i));
    return lines;
}

class EditorViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        editor.SetScrollBars(TLxEditCustomView::ssBoth);
        editor.resize(400, 300);
        editor.show();
        editor.setFocus();
        QApplication::processEvents();
    }
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(&editor, Qt::Key(key), mods); }
    TEditViewInfo &Info() { return editor.Options()->DrawOption; }
    // Viewport pixels of the centre of (row, column) as drawn now.
    QPoint PointOf(int screenRow, double x)
    {
        const QRect text = editor.Options()->TextView.TextRect;
        return QPoint(text.left() + static_cast<int>(x), text.top() + screenRow * Info().LineHeight + Info().LineHeight / 2);
    }
    QImage Grab()
    {
        QApplication::processEvents();
        return editor.viewport()->grab().toImage();
    }

    TLxTextEditor editor;
};

TEST_F(EditorViewTest, ShiftRightSelectsAndLeftClears)
{
    editor.Lines()->SetLines({"abcdef", "xyz"});
    for (int i = 0; i < 3; ++i)
        Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(Info().Selection.StartPos, TEditRowCol(0, 0));
    EXPECT_EQ(Info().Selection.EndPos, TEditRowCol(0, 3));
    editor.Options()->DrawOption.Readonly = true;
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("abc"));
    Key(Qt::Key_Left);
    EXPECT_FALSE(Info().Selection.HasSelection());
    EXPECT_EQ(Info().Caret, TEditRowCol(0, 2));
}

TEST_F(EditorViewTest, ReadOnlyRefusesEditsButCopiesSearchesAndSelects)
{
    editor.Lines()->SetLines({"alpha beta", "gamma"});
    Info().Readonly = true;
    QTest::keyClicks(&editor, "xy");
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Delete);
    Key(Qt::Key_Return);
    Key(Qt::Key_Tab);
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    Key(Qt::Key_V, Qt::ControlModifier);
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor.Lines()->Count(), 2);
    EXPECT_EQ((*editor.Lines())[0], "alpha beta");
    EXPECT_TRUE(editor.Find("gamma", true, 0, true, false));
    EXPECT_EQ(Info().Selection.StartPos, TEditRowCol(1, 0));
    EXPECT_EQ(Info().Caret, TEditRowCol(1, 5));
    Key(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("gamma"));
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Info().Selection.StartPos, TEditRowCol(0, 0));
    EXPECT_EQ(Info().Selection.EndPos, TEditRowCol(1, 5));
    // The menu follows the same rules.
    editor.Options()->Popup->UpdateItems();
    EXPECT_TRUE(editor.Options()->Popup->ItemCopy->isEnabled());
    EXPECT_FALSE(editor.Options()->Popup->ItemCut->isEnabled());
    EXPECT_FALSE(editor.Options()->Popup->ItemPaste->isEnabled());
}

TEST_F(EditorViewTest, EditingUndoAndTheModifiedNotification)
{
    editor.Lines()->SetLines({"ab"});
    std::vector<bool> modified;
    editor.OnModifiChange = [&](TLxEditCustomView *, bool canUpdate) { modified.push_back(canUpdate); };
    std::vector<std::pair<int, int>> moves;
    editor.OnRowColChange = [&](TLxEditCustomView *, int row, int col) { moves.emplace_back(row, col); };
    Key(Qt::Key_End);
    QTest::keyClicks(&editor, "c");
    EXPECT_EQ((*editor.Lines())[0], "abc");
    EXPECT_EQ(modified, std::vector<bool>{true});
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ((*editor.Lines())[0], "ab");
    EXPECT_EQ(modified, (std::vector<bool>{true, false}));
    EXPECT_FALSE(moves.empty());
    EXPECT_EQ(moves.back(), std::make_pair(0, 2));
    // Input-method text arrives as Unicode and is stored as CP932.
    QInputMethodEvent ime;
    ime.setCommitString(QStringLiteral("漢字"));
    QCoreApplication::sendEvent(&editor, &ime);
    EXPECT_EQ((*editor.Lines())[0], "ab" + Utf8ToCp932("漢字"));
    EXPECT_EQ(Info().Caret, TEditRowCol(0, 6));
    QKeyEvent kana(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("あ"));
    QCoreApplication::sendEvent(&editor, &kana);
    EXPECT_EQ((*editor.Lines())[0], "ab" + Utf8ToCp932("漢字あ"));
}

TEST_F(EditorViewTest, LineNumberClickSelectsTheRow)
{
    editor.Lines()->SetLines({"first", "second row", "third"});
    QApplication::processEvents();
    const QRect bar = editor.Options()->LeftView.BarRect;
    ASSERT_GT(bar.width(), 0);
    const QPoint p(bar.left() + 5, PointOf(1, 0).y());
    QTest::mouseClick(editor.viewport(), Qt::LeftButton, Qt::NoModifier, p);
    EXPECT_EQ(Info().Selection.StartPos, TEditRowCol(1, 0));
    EXPECT_EQ(Info().Selection.EndPos, TEditRowCol(1, 10));
    // A click right of a row's end puts the caret at the end.
    QTest::mouseClick(editor.viewport(), Qt::LeftButton, Qt::NoModifier, PointOf(0, 300));
    EXPECT_EQ(Info().Caret, TEditRowCol(0, 5));
    EXPECT_FALSE(Info().Selection.HasSelection());
}

TEST_F(EditorViewTest, WheelScrollsAwayAndTheFirstKeyOnlyComesBack)
{
    editor.Lines()->SetLines(Numbered(200));
    QApplication::processEvents();
    const int visible = Info().VisibleLines;
    ASSERT_GT(visible, 5);
    QWheelEvent wheel(QPointF(50, 50), editor.viewport()->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(editor.viewport(), &wheel);
    QCoreApplication::sendEvent(editor.viewport(), &wheel);
    EXPECT_EQ(Info().TopLine, 8);
    EXPECT_EQ(editor.verticalScrollBar()->value(), 8);
    Key(Qt::Key_Down); // only brings the caret's view back
    EXPECT_EQ(Info().TopLine, 0);
    EXPECT_EQ(Info().Caret, TEditRowCol(0, 0));
    Key(Qt::Key_Down);
    EXPECT_EQ(Info().Caret, TEditRowCol(1, 0));
    // Down on the last visible row moves two rows and scrolls two.
    Info().SetCaret(visible - 1, 0);
    Key(Qt::Key_Down);
    EXPECT_EQ(Info().Caret.Row, visible + 1);
    EXPECT_EQ(Info().TopLine, 2);
    // Ctrl+PageDown with top line 50: the last visible row.
    editor.Options()->ScrollRows(50 - Info().TopLine);
    Info().SetCaret(50, 0);
    Key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(Info().Caret.Row, 50 + visible - 1);
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(Info().Caret, TEditRowCol(199, 8));
    EXPECT_EQ(Info().TopLine, 200 - visible);
}

TEST_F(EditorViewTest, VerticalBarDisabledWhenEverythingFits)
{
    editor.Lines()->SetLines({"one", "two"});
    QApplication::processEvents();
    EXPECT_FALSE(editor.verticalScrollBar()->isEnabled());
    QWheelEvent wheel(QPointF(50, 50), editor.viewport()->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(editor.viewport(), &wheel);
    EXPECT_EQ(Info().TopLine, 0);
    editor.Lines()->SetLines(Numbered(100));
    QApplication::processEvents();
    EXPECT_TRUE(editor.verticalScrollBar()->isEnabled());
}

TEST_F(EditorViewTest, FileExtRecoloursAndMarksDraw)
{
    editor.Lines()->SetLines({"begin end", "x"});
    Grab();
    const TEditTokenItm *first = Info().ViewLines.Items(0)->Tokens.Items(0);
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(first->DrawProps.Styled);
    editor.SetFileExt("pas");
    EXPECT_EQ(editor.GetLanguage(), 1);
    Grab();
    first = Info().ViewLines.Items(0)->Tokens.Items(0);
    EXPECT_EQ(first->Kind, tkKeyword);
    EXPECT_TRUE(first->DrawProps.Styled);
    // Navy keyword pixels are on screen.
    QImage image = Grab();
    bool navy = false;
    for (int y = 0; y < image.height() && !navy; ++y)
        for (int x = 0; x < image.width() && !navy; ++x)
            navy = image.pixelColor(x, y) == QColor(0, 0, 128);
    EXPECT_TRUE(navy);
}

TEST_F(EditorViewTest, TabWidthOutOfRangeIsRefusedWithTheMessage)
{
    QStringList messages;
    tovik::platform::SetMessageInterceptor([&](const QString &text, tovik::platform::MessageKind, QMessageBox::StandardButtons) {
        messages << text;
        return QMessageBox::Ok;
    });
    EXPECT_FALSE(Info().SetTabIndents(13));
    tovik::platform::SetMessageInterceptor(nullptr);
    EXPECT_EQ(messages, QStringList{QStringLiteral("タブの範囲は2-12です")});
    EXPECT_EQ(Info().TabIndents, 4);
}

TEST_F(EditorViewTest, LongLineScrollsHorizontally)
{
    editor.Lines()->SetLines({std::string(100000, 'a') + "END", "short"});
    Grab();
    EXPECT_TRUE(editor.horizontalScrollBar()->isEnabled());
    Key(Qt::Key_End);
    EXPECT_EQ(Info().Caret, TEditRowCol(0, 100003));
    Grab();
    EXPECT_GT(Info().HorzOffset, 0);
    const QRect caret = editor.Options()->CaretRect();
    EXPECT_TRUE(editor.Options()->TextView.TextRect.contains(caret.topLeft())) << caret.x();
    Key(Qt::Key_Home);
    EXPECT_EQ(Info().HorzOffset, 0);
}

// Whether the caret's column of pixels is drawn dark at the caret's place now.
bool CaretDrawn(const QImage &image, const QRect &caret)
{
    return qGray(image.pixel(caret.left(), caret.center().y())) < 128;
}

TEST_F(EditorViewTest, CaretBlinksAndShowsAgainWhenMoved)
{
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    QGuiApplication::styleHints()->setCursorFlashTime(100);
    editor.Lines()->SetLines({"abc", "def"});
    Key(Qt::Key_Right);
    bool seenOn = false;
    bool seenOff = false;
    for (int i = 0; i < 60 && !(seenOn && seenOff); ++i) {
        QTest::qWait(10);
        (CaretDrawn(Grab(), editor.Options()->CaretRect()) ? seenOn : seenOff) = true;
    }
    EXPECT_TRUE(seenOn);
    EXPECT_TRUE(seenOff);
    // Whatever the phase, a caret that moves is shown where it went.
    for (int i = 0; i < 5; ++i) {
        Key(Qt::Key_Right);
        EXPECT_TRUE(CaretDrawn(editor.viewport()->grab().toImage(), editor.Options()->CaretRect()));
    }
    QGuiApplication::styleHints()->setCursorFlashTime(flash);
}

TEST_F(EditorViewTest, PreeditIsShownAtTheCaretUntilCommitted)
{
    editor.Lines()->SetLines({"ab"});
    Key(Qt::Key_End);
    const QRect caret = editor.Options()->CaretRect();
    // Past the row's end stands the end mark; the composition is drawn over it.
    const QRect after(caret.left() + 2, caret.top(), 30, caret.height());
    const QImage plain = Grab().copy(after);

    QInputMethodEvent compose(QStringLiteral("にほ"), {{QInputMethodEvent::Cursor, 1, 1, QVariant()}});
    QCoreApplication::sendEvent(&editor, &compose);
    // Shown, not stored; the input method's window follows the composing cursor.
    EXPECT_EQ((*editor.Lines())[0], "ab");
    EXPECT_NE(Grab().copy(after), plain);
    const QRect imeCaret = static_cast<QWidget &>(editor).inputMethodQuery(Qt::ImCursorRectangle).toRect();
    EXPECT_GT(imeCaret.left(), caret.translated(editor.viewport()->pos()).left());

    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("日本"));
    QCoreApplication::sendEvent(&editor, &commit);
    EXPECT_EQ((*editor.Lines())[0], "ab" + Utf8ToCp932("日本"));
    EXPECT_EQ(Info().Caret, TEditRowCol(0, 6));

    // A read-only editor takes no composition at all.
    Info().Readonly = true;
    const QImage before = Grab();
    QInputMethodEvent refused(QStringLiteral("て"), {});
    QCoreApplication::sendEvent(&editor, &refused);
    EXPECT_EQ(Grab(), before);
}

} // namespace
