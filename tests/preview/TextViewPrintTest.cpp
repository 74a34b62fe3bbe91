// The text viewer's "印刷" opens the print preview of the lines it shows.
#include "Preview/Source/LxPreviewSections.h"
#include "Preview/Source/LxTextPrev.h"
#include "Source/LxPnArcDataClasses.h"
#include "Source/LxPnGlobalState.h"
#include "Source/PrintPreviewFrm.h"
#include "Source/TextViewFrm.h"
#include "platform/Cp932.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(TextViewPrintTest, PrintOpensThePreviewOfTheShownLines)
{
    QTemporaryDir dir;
    qputenv("TOVIK_INI", dir.filePath(QStringLiteral("tovik.ini")).toUtf8());
    TAppGlobalState state;
    TLxPackedItem entry;
    entry.Path = tovik::platform::Utf8ToCp932("文書/メモ.txt");
    entry.Name = tovik::platform::Utf8ToCp932("メモ.txt");
    std::string text;
    for (int i = 1; i <= 100; ++i)
        text += tovik::platform::Utf8ToCp932("日本語の行 ") + std::to_string(i) + "\r\n";
    TFrmTextView view;
    view.SetEntry(entry);
    view.SetText(QByteArray(text.data(), qsizetype(text.size())));
    EXPECT_EQ(view.ActPrint->text(), QStringLiteral("印刷"));

    QString caption, pageInfo, title;
    int pages = 0;
    QTimer::singleShot(0, [&] {
        auto *preview = dynamic_cast<TFormPreview *>(QApplication::activeModalWidget());
        ASSERT_NE(preview, nullptr);
        caption = preview->windowTitle();
        pageInfo = preview->pnlPageInfo->text();
        pages = preview->LxTextPrev1->PageCount();
        title = static_cast<TLxPVTextItem *>(preview->TextSection->HeaderBand().Items().Items(1))->Text;
        preview->ActClose->trigger();
    });
    view.ActPrint->trigger();
    EXPECT_EQ(caption, QStringLiteral("印刷プレビュー"));
    EXPECT_EQ(pages, 2);
    EXPECT_EQ(pageInfo, QStringLiteral("1/2"));
    EXPECT_EQ(title, QStringLiteral("メモ.txt"));
    qunsetenv("TOVIK_INI");
}

} // namespace
