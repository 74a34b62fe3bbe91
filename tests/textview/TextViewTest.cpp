// The text viewer window: caption, file type, size field and the text it shows.
#include "Source/LxPnArcDataClasses.h"
#include "Source/TextViewFrm.h"
#include "TextViewTestSupport.h"
#include "editor/LxTextEditor.h"
#include "platform/Cp932.h"

#include <QAction>
#include <QLabel>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using tovik::platform::Utf8ToCp932;

TLxPackedItem Entry(const char *pathUtf8, int64_t size)
{
    TLxPackedItem item;
    item.Path = Utf8ToCp932(pathUtf8);
    const size_t slash = item.Path.rfind('/');
    item.Name = slash == std::string::npos ? item.Path : item.Path.substr(slash + 1);
    item.OriginalSize = size;
    return item;
}

QByteArray Bytes(const std::string &s) { return QByteArray(s.data(), qsizetype(s.size())); }

TEST(TextViewTest, EntryGivesCaptionFileTypeAndSize)
{
    struct Case {
        const char *path;
        int64_t size;
        const char *caption, *ext, *sizeText;
    } cases[] = {
        {"文書/説明書.txt", 1234567, "テキストビューア [文書/説明書.txt]", "txt", "1,234,567"},
        {"src/Main.JAVA", 0, "テキストビューア [src/Main.JAVA]", "JAVA", "0"},
        {"Makefile", 999, "テキストビューア [Makefile]", "", "999"},
        {"a.b/big.tar.gz", 3000000000LL, "テキストビューア [a.b/big.tar.gz]", "gz", "3,000,000,000"},
    };
    for (const Case &c : cases) {
        TFrmTextView view;
        EXPECT_EQ(view.windowTitle(), QStringLiteral("テキストビューア"));
        const TLxPackedItem item = Entry(c.path, c.size);
        view.SetEntry(item);
        EXPECT_EQ(view.Entry, &item);
        EXPECT_EQ(view.windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_EQ(view.FileExt(), QString::fromUtf8(c.ext));
        EXPECT_EQ(view.LxPanelSize->text(), QString::fromUtf8(c.sizeText));
        EXPECT_EQ(view.LxPanelCharSet->text(), QStringLiteral("日本語(ShiftJIS)"));
    }
}

TEST(TextViewTest, ShiftJisTextIsShownReadOnlyWithItsLines)
{
    TFrmTextView view;
    const std::string sjis = Utf8ToCp932("一行目\r\n二行目 ソース\\表\rthird\n\nlast");
    view.SetText(Bytes(sjis));
    EXPECT_EQ(view.RawText, Bytes(sjis));
    const std::vector<std::string> expected = {Utf8ToCp932("一行目"), Utf8ToCp932("二行目 ソース\\表"), "third", "",
                                               "last"};
    EXPECT_EQ(LinesOf(view), expected);
    EXPECT_EQ(Shown(view), QStringLiteral("一行目\n二行目 ソース\\表\nthird\n\nlast"));
    EXPECT_TRUE(view.LxTextEditor1->Options()->DrawOption.Readonly);
}

TEST(TextViewTest, NothingAfterTheFirstZeroByteIsShown)
{
    TFrmTextView view;
    view.SetText(QByteArray("text\nmore\0hidden\nlines", 22));
    EXPECT_EQ(LinesOf(view), (std::vector<std::string>{"text", "more"}));
    EXPECT_EQ(view.RawText.size(), 22); // the bytes themselves are kept whole
    view.SetText(QByteArray("\0abc", 4));
    EXPECT_EQ(view.Lines().Count(), 0);
    EXPECT_TRUE(Shown(view).isEmpty());
}

TEST(TextViewTest, JapaneseRendersInTheFixedJapaneseFont)
{
    TFrmTextView view;
    const QFontInfo info(view.LxTextEditor1->Painter()->Font());
    EXPECT_TRUE(info.family().contains(QStringLiteral("IPAGothic")) ||
                info.family().contains(QStringLiteral("Noto Sans Mono CJK")))
        << info.family().toStdString();
    EXPECT_TRUE(QFontMetrics(view.LxTextEditor1->Painter()->Font()).inFont(QChar(0x3042)));
}

TEST(TextViewTest, RunsModally)
{
    TFrmTextView view;
    QTimer::singleShot(0, &view, [&view] { view.accept(); });
    EXPECT_EQ(view.exec(), QDialog::Accepted);
}

} // namespace
