// Colour values, measurement on any device and the display-text functions.
#include "editor/EditFuncs.h"
#include "platform/Cp932.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>

#include <gtest/gtest.h>

namespace {

using tovik::platform::Utf8ToCp932;

std::string Sj(const char *utf8) { return Utf8ToCp932(utf8); }

TEST(ColorValueTest, FixedSystemAndDefaultValues)
{
    EXPECT_EQ(ColorValueToQColor(0x0000FF), QColor(255, 0, 0));      // 0x00BBGGRR: red
    EXPECT_EQ(ColorValueToQColor(0xFF0000), QColor(0, 0, 255));      // blue
    EXPECT_EQ(ColorValueToQColor(0x008000), QColor(0, 128, 0));
    EXPECT_EQ(ColorValueToQColor(16777215), QColor(255, 255, 255));
    const QPalette p = QGuiApplication::palette();
    EXPECT_EQ(ColorValueToQColor(-16777211), p.color(QPalette::Base));        // window
    EXPECT_EQ(ColorValueToQColor(-16777201), p.color(QPalette::Button));      // button face
    EXPECT_EQ(ColorValueToQColor(-16777198), p.color(QPalette::ButtonText));  // button text
    EXPECT_TRUE(ColorValueToQColor(-16777215).isValid());                     // desktop
    EXPECT_EQ(ColorValueToQColor(SystemColorValue(200)), QColor(Qt::black));  // no such index
    EXPECT_FALSE(ColorValueToQColor(kDefaultColor).isValid());
    EXPECT_EQ(ColorValueToQColor(kDefaultColor, Qt::yellow), QColor(Qt::yellow));
    EXPECT_EQ(SystemColorValue(15), -16777201);
    EXPECT_EQ(QColorToColorValue(QColor(0x12, 0x34, 0x56)), 0x563412);
    EXPECT_EQ(ColorValueToQColor(QColorToColorValue(QColor(1, 2, 3))), QColor(1, 2, 3));
}

TEST(TextMeasureTest, FixedPitchFontMeasuresColumns)
{
    TEditTextMeasure m(QFont(QString::fromUtf8("ＭＳ ゴシック"), 10));
    ASSERT_TRUE(m.FixedPitch()) << "the Japanese fixed-pitch substitute is not installed";
    const qreal w = m.ColumnWidth();
    EXPECT_GT(w, 0);
    EXPECT_DOUBLE_EQ(m.Width(Sj("漢a")), 3 * w);
    EXPECT_DOUBLE_EQ(m.Width(ExpandTabs("a\tb", 4)), 5 * w); // a tab keeps its columns
    // Columns nearest to x; never inside the double-byte character.
    const std::string s = Sj("a漢b");
    EXPECT_EQ(m.ColumnAtX(s, 0.4 * w), 0);
    EXPECT_EQ(m.ColumnAtX(s, 0.6 * w), 1);
    EXPECT_EQ(m.ColumnAtX(s, 1.9 * w), 1);
    EXPECT_EQ(m.ColumnAtX(s, 2.1 * w), 3);
    EXPECT_EQ(m.ColumnAtX(s, 100 * w), 4);
    EXPECT_DOUBLE_EQ(m.WidthOfColumns(s, 2), 3 * w); // column 2 is inside 漢
    // A long line: the jump-ahead still lands on a character boundary.
    std::string longLine;
    for (int i = 0; i < 5000; ++i)
        longLine += Sj("あ");
    const int col = m.ColumnAtX("x" + longLine, 3001.2 * w);
    EXPECT_EQ(col % 2, 1);
}

TEST(TextMeasureTest, PrinterDeviceMeasuresInItsOwnPixels)
{
    const QFont font(QString::fromUtf8("ＭＳ ゴシック"), 10);
    QImage screen(10, 10, QImage::Format_RGB32);
    screen.setDotsPerMeterX(3780); // 96 dpi
    screen.setDotsPerMeterY(3780);
    QImage printer(10, 10, QImage::Format_RGB32);
    printer.setDotsPerMeterX(11811); // 300 dpi
    printer.setDotsPerMeterY(11811);
    TEditTextMeasure a(font, &screen), b(font, &printer);
    const std::string text = Sj("日本語のtext");
    EXPECT_NEAR(b.Width(text) / a.Width(text), 300.0 / 96.0, 0.15);
    EXPECT_GT(b.LineHeight(), 2 * a.LineHeight());
    // Drawing on the device works without any widget.
    QImage page(200, 50, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter p(&page);
    TEditTextMeasure onPage(font, &page);
    p.setFont(font);
    onPage.Draw(p, 2, onPage.Ascent(), text);
    p.end();
    bool inked = false;
    for (int y = 0; y < page.height() && !inked; ++y)
        for (int x = 0; x < page.width() && !inked; ++x)
            inked = page.pixelColor(x, y) != QColor(Qt::white);
    EXPECT_TRUE(inked);
}

TEST(DisplayTextTest, ConversionKeepsColumns)
{
    EXPECT_EQ(DisplayTextToQString("a\tb"), QStringLiteral("a b"));
    EXPECT_EQ(DisplayTextToQString(ExpandTabs(Sj("漢\tx"), 4)), QString::fromUtf8("漢  x"));
    EXPECT_EQ(DisplayTextToQString(std::string("\x82", 1)), QString::fromUtf8("・")); // lone lead byte
}

TEST(DisplayTextTest, TabExpansionAndFillers)
{
    struct Case {
        const char *name;
        std::string text;
        int tab;
        std::string expanded;
    } cases[] = {
        {"tab after one byte", "a\tb", 4, "a\t\xFE\xFE" "b"},
        {"tab on a stop", "abcd\tx", 4, "abcd\t\xFE\xFE\xFEx"},
        {"two tabs", "\t\t", 2, "\t\xFE\t\xFE"},
        {"no tab", Sj("漢字"), 4, Sj("漢字")},
        {"tab after kanji", Sj("漢") + "\t", 4, Sj("漢") + "\t\xFE"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ExpandTabs(c.text, c.tab), c.expanded) << c.name;
        EXPECT_EQ(StripFillers(c.expanded), c.text) << c.name;
    }
    EXPECT_EQ(TabDisplayText(5, 4, true), "  |");
    EXPECT_EQ(TabDisplayText(5, 4, false), "   ");
    EXPECT_EQ(TabDisplayText(8, 4, false), "    ");
    const std::string e = ExpandTabs("a\tb", 4); // a TAB FE FE b
    EXPECT_EQ(SkipFillers(e, 3, true), 5);  // after the tab: past both fillers
    EXPECT_EQ(SkipFillers(e, 5, false), 2); // back over fillers onto the tab and one more
    EXPECT_EQ(SkipFillers(e, 2, true), 2);  // after "a": nothing to skip
}

TEST(DisplayTextTest, SubstringSearch)
{
    struct Case {
        const char *name;
        std::string text, sub;
        int limit;
        bool forward;
        int expected;
    } cases[] = {
        {"first after limit", "abcabc", "bc", 1, true, 4},
        {"from the start", "abcabc", "bc", -1, true, 1},
        {"overlapping prefix", "aaab", "aab", -1, true, 1},
        {"backward nearest the limit", "ab ab ab x", "ab", 9, false, 6},
        {"backward must end before limit", "ab ab", "ab", 5, false, 0},
        {"none", "abc", "x", -1, true, -1},
        {"empty pattern", "abc", "", -1, true, -1},
        // 0x82 0x60 is "Ａ"; its trail byte 0x60 is "`" and must not match alone.
        {"trail byte never a start", Sj("Ａ"), "`", -1, true, -1},
        {"after a double-byte character", Sj("Ａ") + "`", "`", -1, true, 2},
        {"kanji found whole", Sj("日本語"), Sj("本"), -1, true, 2},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FindSub(c.text, c.sub, c.limit, c.forward), c.expected) << c.name;
}

TEST(DisplayTextTest, CharactersAndColumns)
{
    const std::string s = Sj("a漢");
    EXPECT_EQ(CharAtColumn(s, 0, true), "a");
    EXPECT_EQ(CharAtColumn(s, 1, true), Sj("漢"));
    EXPECT_EQ(CharAtColumn(s, 3, false), Sj("漢"));
    EXPECT_EQ(CharAtColumn(s, 1, false), "a");
    EXPECT_EQ(CharAtColumn(s, 3, true), "\r\n");
    EXPECT_EQ(CharAtColumn("", 0, false), "\r\n");
    EXPECT_EQ(InsertAt("abc", "X", 0), "Xabc");
    EXPECT_EQ(InsertAt("abc", "X", 2), "abXc");
    EXPECT_EQ(InsertAt("abc", "X", 9), "abcX");
    int cr = 0, col = 3;
    CountColumns("ab\t\tc", 4, cr, col);
    EXPECT_EQ(cr, 0);
    EXPECT_EQ(col, 3 + 2 + 8 + 1);
    cr = 0;
    col = 5;
    CountColumns("x\r\nyz", 4, cr, col);
    EXPECT_EQ(cr, 1);
    EXPECT_EQ(col, 2);
}

TEST(ClipboardTest, TextGoesThroughCp932)
{
    SetClipboardText(Sj("漢字\r\nabc"));
    EXPECT_EQ(GetClipboardText(), Sj("漢字\r\nabc"));
}

} // namespace
