#include "LxNumEdit.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

// Failures print the texts, not their bytes.
void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }

namespace {

// A field in a window beside a second control, so that the field can lose the focus.
struct Field {
    QWidget window;
    TLxNumEditCtrl *num = new TLxNumEditCtrl(&window);
    QLineEdit *other = new QLineEdit(&window);
    int changes = 0;

    Field()
    {
        auto *layout = new QHBoxLayout(&window);
        layout->addWidget(num);
        layout->addWidget(other);
        num->OnChange = [this](TLxCustomNum *) { ++changes; };
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    void Enter()
    {
        num->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        EXPECT_TRUE(num->hasFocus());
    }
    void Leave()
    {
        other->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        EXPECT_FALSE(num->hasFocus());
    }
    // Plays a keystroke script: characters are typed; <BS>, <DEL>, <LEFT> are those keys,
    // <ALL> is Ctrl+A, <LEAVE> and <ENTER> move the focus, <IME:...> commits text from the
    // input method.
    void Play(const QString &script)
    {
        for (qsizetype i = 0; i < script.size();) {
            if (script[i] == QLatin1Char('<')) {
                const qsizetype end = script.indexOf(QLatin1Char('>'), i);
                const QString token = script.mid(i + 1, end - i - 1);
                i = end + 1;
                if (token == QLatin1String("BS"))
                    QTest::keyClick(num, Qt::Key_Backspace);
                else if (token == QLatin1String("DEL"))
                    QTest::keyClick(num, Qt::Key_Delete);
                else if (token == QLatin1String("LEFT"))
                    QTest::keyClick(num, Qt::Key_Left);
                else if (token == QLatin1String("ALL"))
                    QTest::keyClick(num, Qt::Key_A, Qt::ControlModifier);
                else if (token == QLatin1String("LEAVE"))
                    Leave();
                else if (token == QLatin1String("ENTER"))
                    Enter();
                else if (token.startsWith(QLatin1String("IME:"))) {
                    QInputMethodEvent ime;
                    ime.setCommitString(token.mid(4));
                    QApplication::sendEvent(num, &ime);
                }
                continue;
            }
            QTest::keyClick(num, script[i].toLatin1());
            ++i;
        }
    }
};

struct KeyRow {
    const char *name;
    int intLen, decimalLen;
    bool comma, zeroFixed, deciDispZero;
    int minValue, maxValue;
    const char *keys;
    const char *display;  // what the field shows after the script
    const char *value;    // the value text
    int changes;
};

// The field has the focus (everything selected) when a script starts.
const KeyRow kRows[] = {
    {"IntLenRefusesTheThirdDigit", 2, 0, true, false, false, 0, 0, "123", "12", "12", 2},
    {"PointIgnoredWithoutDecimals", 9, 0, true, false, false, 0, 0, "1.5", "15", "15", 2},
    {"DecimalsLimitedToDecimalLen", 9, 2, true, false, false, 0, 0, "1.234", "1.23", "1.23", 3},
    {"MinusOnZeroDoesNothing", 9, 0, true, false, false, 0, 0, "-", "0", "0", 0},
    {"MinusFlipsTheSignOfANumber", 9, 0, true, false, false, 0, 0, "5-", "-5", "-5", 2},
    {"MinusTwiceGivesItBack", 9, 0, true, false, false, 0, 0, "5--", "5", "5", 3},
    {"TrailingZeroWaitsForADigit", 9, 3, true, false, false, 0, 0, "1.50", "1.5", "1.5", 3},
    {"PendingZeroStoredBeforeTheNextDigit", 9, 3, true, false, false, 0, 0, "1.502", "1.502", "1.502", 4},
    {"BackspaceTakesTheDigitAndThePendingZero", 9, 3, true, false, false, 0, 0, "1.502<BS>", "1.5", "1.5", 5},
    {"BackspaceBackToThePoint", 9, 3, true, false, false, 0, 0, "1.5<BS>", "1.", "1.000", 3},
    {"BackspaceOverThePoint", 9, 3, true, false, false, 0, 0, "1.<BS>", "1", "1.000", 1},
    {"BackspaceToZero", 9, 0, true, false, false, 0, 0, "-7<BS><BS>", "0", "0", 2},
    {"ZerosAloneAfterThePointShow", 9, 2, true, false, false, 0, 0, "1.00", "1.00", "1.00", 3},
    {"CommasGroupTheDisplayOnly", 9, 0, true, false, false, 0, 0, "1234567", "1,234,567", "1234567", 7},
    {"NoCommasWhenAsked", 9, 0, false, false, false, 0, 0, "1234567", "1234567", "1234567", 7},
    {"TypingReplacesASelection", 9, 0, true, false, false, 0, 0, "12<ALL>7", "7", "7", 3},
    {"BackspaceClearsASelection", 9, 0, true, false, false, 0, 0, "12<ALL><BS>", "0", "0", 3},
    {"DeleteClearsASelectionOnly", 9, 0, true, false, false, 0, 0, "12<DEL><ALL><DEL>", "0", "0", 3},
    {"ArrowDropsTheSelection", 9, 0, true, false, false, 0, 0, "12<ALL><LEFT>3", "123", "123", 3},
    {"ClearingZeroIsNoChange", 9, 0, true, false, false, 0, 0, "<BS><ALL><DEL>", "0", "0", 0},
    {"LeavingClampsToTheMaximum", 3, 0, true, false, false, 0, 20, "25<LEAVE>", "20", "20", 3},
    {"LeavingClampsToTheMinimum", 3, 0, true, false, false, 5, 0, "3<LEAVE>", "5", "5", 2},
    {"InsideTheBoundsNoClamp", 3, 0, true, false, false, 0, 20, "20<LEAVE>", "20", "20", 2},
    {"ZeroFixedFillsWhenNotEditing", 4, 0, true, true, false, 0, 0, "12<LEAVE>", "0012", "12", 2},
    {"ZeroFixedNotWhileEditing", 4, 0, true, true, false, 0, 0, "12", "12", "12", 2},
    {"DecimalZerosShownWhenNotEditing", 4, 1, true, false, true, 0, 0, "20<LEAVE>", "20.0", "20.0", 2},
    {"DecimalZerosNotWhileEditing", 4, 1, true, false, true, 0, 0, "20", "20", "20.0", 2},
    {"ReenteringKeepsTheDecimals", 9, 3, true, false, false, 0, 0, "1.5<LEAVE><ENTER><LEFT>2", "1.52", "1.52", 3},
    {"FullWidthFromTheInputMethod", 9, 3, true, false, false, 0, 0, "<IME:\xef\xbc\x91\xef\xbc\x92\xef\xbc\x8e\xef\xbc\x95>",
     "12.5", "12.5", 1},
    {"FullWidthMinus", 9, 0, true, false, false, 0, 0, "4<IME:\xe2\x88\x92>", "-4", "-4", 2},
    {"OtherCharactersDiscarded", 9, 2, true, false, false, 0, 0, "1a,2<IME:\xe3\x81\x82x>", "12", "12.00", 2},
};

class NumEditKeys : public ::testing::TestWithParam<KeyRow> {};

} // namespace

TEST_P(NumEditKeys, ShowsAndHolds)
{
    const KeyRow &row = GetParam();
    Field f;
    f.num->SetIntLen(row.intLen);
    f.num->SetDecimalLen(row.decimalLen);
    f.num->SetComma(row.comma);
    f.num->SetZeroFixed(row.zeroFixed);
    f.num->SetDeciDispZero(row.deciDispZero);
    f.num->SetMinValue(row.minValue);
    f.num->SetMaxValue(row.maxValue);
    f.Enter();
    f.Play(QString::fromUtf8(row.keys));
    EXPECT_EQ(f.num->Text(), QString::fromUtf8(row.display));
    EXPECT_EQ(f.num->Model().ValueText(), QString::fromUtf8(row.value));
    EXPECT_EQ(f.changes, row.changes);
}

INSTANTIATE_TEST_SUITE_P(Keystrokes, NumEditKeys, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<KeyRow> &info) { return std::string(info.param.name); });

TEST(NumEditModel, SettingFromTextTypesItsCharacters)
{
    TEditNum model;
    model.IntLen = 3;
    model.DecimalLen = 2;
    model.Comma = false;
    const struct {
        const char *text, *value;
    } rows[] = {
        {" -12.5 ", "-12.5"}, {"1234.567", "123.56"}, {"abc", "0.00"}, {"", "0.00"}, {"-0", "0.00"},
        {"-0.05", "-0.05"},   {"007", "7.00"},        {"1,5", "15.00"}, {"1.2.3", "1.23"},
    };
    for (const auto &row : rows) {
        model.SetText(QString::fromUtf8(row.text));
        EXPECT_EQ(model.ValueText(), QString::fromLatin1(row.value)) << row.text;
        // Not editing: nothing pending after the point.
        EXPECT_EQ(model.DecState, 0) << row.text;
    }
}

TEST(NumEditControl, ValueWritesReadsAndClamps)
{
    TLxNumEditCtrl num;
    int changes = 0;
    num.OnChange = [&](TLxCustomNum *) { ++changes; };
    num.SetDecimalLen(1);
    num.SetValue(12.5);
    EXPECT_EQ(num.Text(), "12.5");
    EXPECT_EQ(changes, 1);
    num.SetValue(12.5);  // the same value: no event
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(num.IntValue(), 12);

    num.SetMaxValue(10);
    EXPECT_DOUBLE_EQ(num.Value(), 10.0);  // reading clamps, without an event
    EXPECT_EQ(num.Text(), "10");
    EXPECT_EQ(changes, 1);

    // A bound is taken only on the right side of the other one.
    num.SetMinValue(20);
    EXPECT_EQ(num.MinValue(), 0);
    num.SetMinValue(-5);
    EXPECT_EQ(num.MinValue(), -5);
    num.SetMaxValue(-10);
    EXPECT_EQ(num.MaxValue(), 10);
    num.SetMaxValue(0);
    num.SetMinValue(3);  // no maximum: any minimum
    EXPECT_EQ(num.MinValue(), 3);
    num.SetValue(-2.0);
    EXPECT_DOUBLE_EQ(num.Value(), 3.0);
}

TEST(NumEditControl, ReadOnlyIgnoresKeysAndEnterMovesOn)
{
    Field f;
    f.num->SetText("42");
    f.num->SetReadOnly(true);
    f.Enter();
    f.Play("7<BS><ALL><DEL>");
    EXPECT_EQ(f.num->Text(), "42");
    EXPECT_EQ(f.changes, 0);
    f.num->SetReadOnly(false);
    QTest::keyClick(f.num, Qt::Key_Return);
    EXPECT_TRUE(f.other->hasFocus());
}

TEST(NumEditControl, MouseClickClearsAndDoubleClickSelects)
{
    Field f;
    f.num->SetText("42");
    QTest::mouseClick(f.num, Qt::LeftButton);
    EXPECT_TRUE(f.num->hasFocus());
    EXPECT_FALSE(f.num->Selected());
    QTest::mouseDClick(f.num, Qt::LeftButton);
    EXPECT_TRUE(f.num->Selected());
    f.Play("9");
    EXPECT_EQ(f.num->Text(), "9");
}

// The number stands against the right edge, and the caret with it, whatever the width.
TEST(NumEditControl, PaintsRightAligned)
{
    Field f;
    f.num->setFixedSize(160, 24);
    f.num->SetText("8888");
    QApplication::processEvents();
    const QImage image = f.num->grab().toImage();
    const QColor base = f.num->palette().color(QPalette::Base);
    int left = image.width(), right = -1;
    for (int y = 3; y < image.height() - 3; ++y)
        for (int x = 3; x < image.width() - 3; ++x)
            if (qGray(image.pixel(x, y)) < qGray(base.rgb()) - 100) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    ASSERT_GE(right, 0) << "nothing drawn";
    EXPECT_GT(right, image.width() - 10);
    EXPECT_GT(left, image.width() / 2);
}
