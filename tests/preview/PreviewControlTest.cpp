// The preview control and the preview window, offscreen, on the A4 stand-in sheet.
#include "Preview/Source/LxPVPageFile.h"
#include "Preview/Source/LxPreviewScreen.h"
#include "Preview/Source/LxPreviewSections.h"
#include "Preview/Source/LxPrinters.h"
#include "Preview/Source/LxTextPrev.h"
#include "Source/LxPnGlobalState.h"
#include "Source/PrintPreviewFrm.h"
#include "platform/MessageBox.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

// A control whose client area is exactly w x h (the vertical bar is always there).
std::unique_ptr<TLxTextPrev> Control(int w, int h)
{
    auto prev = std::make_unique<TLxTextPrev>(nullptr, std::make_unique<TLxPVScrenInfo>(96, 96));
    prev->SetBorderStyle(TLxCustomTextPrev::bsNone);
    prev->resize(w, h);
    prev->show();
    const QSize client = prev->viewport()->size();
    prev->resize(2 * w - client.width(), 2 * h - client.height());
    return prev;
}

QStringList Lines(int n)
{
    QStringList lines;
    for (int i = 1; i <= n; ++i)
        lines << QStringLiteral("%1 行目のテキスト").arg(i);
    return lines;
}

class PreviewControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (TLxPVPrinterInfo().HasPrinters())
            GTEST_SKIP() << "a printer is installed; these figures are those of the A4 stand-in";
    }
};

TEST_F(PreviewControlTest, WholePageSheetIsCentredInTheClientArea)
{
    auto prev = Control(627, 427);
    ASSERT_EQ(prev->viewport()->size(), QSize(627, 427));
    EXPECT_EQ(prev->PreviewMode(), pmWholePage);
    EXPECT_EQ(prev->SheetRect(), (TLxRect{170, 12, 170 + 283, 12 + 400}));
    EXPECT_EQ(prev->FullPageWidth(), 794);
    EXPECT_EQ(prev->CurrentPage(), 0);
    EXPECT_FALSE(prev->horizontalScrollBar()->isVisible());
    EXPECT_EQ(LxMulDiv(5, 1, 2), 3);
    EXPECT_EQ(LxMulDiv(-5, 1, 2), -3);
}

TEST_F(PreviewControlTest, PagesTurnOnlyWithinTheDocument)
{
    auto prev = Control(627, 427);
    prev->AddTextSection()->SetLines(Lines(150));
    std::vector<int> changes, counts;
    prev->OnPageChange = [&](TLxCustomTextPrev *, int page, int section) {
        changes.push_back(page);
        EXPECT_EQ(section, 1);
    };
    prev->OnPageCountChange = [&](TLxCustomTextPrev *, int count) { counts.push_back(count); };
    prev->UpdatePreview();
    ASSERT_EQ(prev->PageCount(), 3);
    EXPECT_EQ(counts, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(changes, std::vector<int>{1});
    prev->SetPage(0);
    prev->SetPage(4);
    prev->SetPage(1);
    EXPECT_EQ(changes, std::vector<int>{1});

    auto wheel = [&](int delta) {
        QWheelEvent event(QPointF(100, 100), QPointF(100, 100), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(prev->viewport(), &event);
    };
    wheel(120);
    EXPECT_EQ(prev->CurrentPage(), 1) << "away from the user on page 1";
    wheel(-120);
    EXPECT_EQ(prev->CurrentPage(), 2);
    QScrollBar *bar = prev->verticalScrollBar();
    EXPECT_EQ(bar->value(), 2);
    EXPECT_EQ(bar->maximum(), 3);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(prev->CurrentPage(), 3);
    wheel(-120);
    EXPECT_EQ(prev->CurrentPage(), 3) << "towards the user on the last page";
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(prev->CurrentPage(), 2);

    // Dragging the scroll box turns pages and shows where it is; letting go hides the hint.
    bar->setSliderDown(true);
    bar->setSliderPosition(3);
    EXPECT_EQ(prev->CurrentPage(), 3);
    ASSERT_NE(TLxCustomTextPrev::PageHintWindow(), nullptr);
    EXPECT_TRUE(TLxCustomTextPrev::PageHintWindow()->isVisible());
    EXPECT_EQ(TLxCustomTextPrev::PageHintWindow()->text(), QStringLiteral("3-3"));
    bar->setSliderDown(false);
    EXPECT_FALSE(TLxCustomTextPrev::PageHintWindow()->isVisible());
}

TEST_F(PreviewControlTest, ScrollBarsThatCannotScrollStayDisabled)
{
    auto prev = Control(627, 427);
    prev->AddTextSection()->SetLines(Lines(3));
    prev->UpdatePreview();
    EXPECT_EQ(prev->PageCount(), 1);
    EXPECT_TRUE(prev->verticalScrollBar()->isVisible());
    EXPECT_FALSE(prev->verticalScrollBar()->isEnabled());
    prev->SetScale(20);
    EXPECT_FALSE(prev->horizontalScrollBar()->isEnabled()) << "a fifth of the sheet fits the width";
    prev->SetScale(200);
    EXPECT_TRUE(prev->horizontalScrollBar()->isEnabled());
    EXPECT_TRUE(prev->verticalScrollBar()->isEnabled());
}

TEST_F(PreviewControlTest, ScaleSwitchesModeAndScrollingStopsAtTheEdges)
{
    auto prev = Control(627, 427);
    prev->AddTextSection()->SetLines(Lines(5));
    prev->UpdatePreview();
    std::vector<int> scales;
    prev->OnScaleChange = [&](TLxCustomTextPrev *, int scale) { scales.push_back(scale); };
    prev->SetScale(150);
    EXPECT_EQ(prev->PreviewMode(), pmScaled);
    EXPECT_EQ(scales, std::vector<int>{150});
    EXPECT_TRUE(prev->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(prev->verticalScrollBar()->isVisible());
    EXPECT_EQ(prev->ViewWidth(), LxMulDiv(794, 150, 100));
    const int cw = prev->viewport()->width();
    prev->ScrollToX(-100000);
    EXPECT_EQ(prev->ScrollX(), cw - prev->ExtentWidth());
    prev->ScrollToX(500);
    EXPECT_EQ(prev->ScrollX(), 0);
    prev->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(prev->ScrollX(), -(cw / 10));
    prev->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(prev->ScrollY(), -(prev->viewport()->height() / 2));
    EXPECT_EQ(prev->verticalScrollBar()->value(), prev->viewport()->height() / 2);

    prev->SetPreviewMode(pmPageWidth);
    EXPECT_FALSE(prev->horizontalScrollBar()->isVisible());
    EXPECT_EQ(prev->ScrollY(), 0);
    EXPECT_EQ(prev->ViewWidth(), prev->viewport()->width() - 27);
}

TEST_F(PreviewControlTest, PaintShowsBackgroundPaperAndPage)
{
    auto prev = Control(627, 427);
    prev->AddTextSection()->SetLines(QStringList(60, QString(40, QChar(0x6F22))));
    prev->SetColor(QColor(0, 0, 255));
    prev->UpdatePreview();
    const QImage shot = prev->viewport()->grab().toImage();
    shot.save(QStringLiteral("preview-control.png"));
    EXPECT_EQ(shot.pixelColor(5, 5), QColor(0, 0, 255));
    EXPECT_EQ(shot.pixelColor(200, 30), QColor(Qt::white)) << "paper in the top margin";
    EXPECT_EQ(shot.pixelColor(170 + 283 + 2, 200), QColor(Qt::black)) << "shadow";
    // The body's text darkens the sheet where it stands.
    int dark = 0;
    for (int y = 60; y < 300; ++y)
        for (int x = 200; x < 420; ++x)
            dark += qGray(shot.pixel(x, y)) < 240;
    EXPECT_GT(dark, 500);
}

TEST_F(PreviewControlTest, PrintingWithoutPagesStillMakesAJob)
{
    QTemporaryDir dir;
    auto prev = Control(300, 300);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("empty.pdf")));
    EXPECT_TRUE(prev->PrintTo(printer));
    EXPECT_TRUE(QFile::exists(printer.outputFileName()));

    QPrinter nowhere(QPrinter::HighResolution);
    nowhere.setOutputFormat(QPrinter::PdfFormat);
    nowhere.setOutputFileName(QStringLiteral("/nonexistent-folder/x.pdf"));
    EXPECT_FALSE(prev->PrintTo(nowhere)) << "a job that cannot start is reported";
}

// The window reads the "Preview" settings from its own ini file.
class PreviewWindowTest : public PreviewControlTest {
protected:
    void SetUp() override
    {
        PreviewControlTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(Dir.isValid());
        qputenv("TOVIK_INI", Dir.filePath(QStringLiteral("tovik.ini")).toUtf8());
    }
    void WriteIni(const QByteArray &text)
    {
        QFile file(Dir.filePath(QStringLiteral("tovik.ini")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    void TearDown() override { qunsetenv("TOVIK_INI"); }
    QTemporaryDir Dir;
};

TEST_F(PreviewWindowTest, ZoomRunsFromTwentyToTwoHundredSixtyPercent)
{
    TAppGlobalState state;
    TFormPreview form;
    form.LoadText(QStringLiteral("docs/a.txt"), Lines(3));
    form.show();
    form.ActOrigin->trigger();
    EXPECT_EQ(form.pnlZoomInfo->text(), QStringLiteral("100%"));
    for (int i = 0; i < 12; ++i)
        form.ActZoonDown->trigger();
    EXPECT_EQ(form.LxTextPrev1->Scale(), 20);
    EXPECT_EQ(form.pnlZoomInfo->text(), QStringLiteral("20%"));
    for (int i = 0; i < 40; ++i)
        form.ActZoonUp->trigger();
    EXPECT_EQ(form.LxTextPrev1->Scale(), 260);
    form.ActWholeSize->trigger();
    EXPECT_EQ(form.pnlZoomInfo->text(), QStringLiteral("全画面"));
    form.ActPageWidth->trigger();
    EXPECT_EQ(form.pnlZoomInfo->text(), QStringLiteral("ページ幅"));
    EXPECT_EQ(form.LxTextPrev1->PreviewMode(), pmPageWidth);
}

TEST_F(PreviewWindowTest, PageActionsFollowThePageShown)
{
    TAppGlobalState state;
    TFormPreview form;
    EXPECT_EQ(form.pnlPageInfo->text(), QStringLiteral("0/0"));
    EXPECT_FALSE(form.ActPrint->isEnabled());
    form.LoadText(QStringLiteral("one.txt"), Lines(3));
    form.show();
    EXPECT_EQ(form.pnlPageInfo->text(), QStringLiteral("1/1"));
    for (QAction *a : {form.ActFirst, form.ActPrev, form.ActNext, form.ActLast})
        EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    EXPECT_TRUE(form.ActPrint->isEnabled());

    form.LoadText(QStringLiteral("many.txt"), Lines(400));
    ASSERT_GT(form.LxTextPrev1->PageCount(), 3);
    const int count = form.LxTextPrev1->PageCount();
    EXPECT_EQ(form.pnlPageInfo->text(), QStringLiteral("1/%1").arg(count));
    EXPECT_FALSE(form.ActFirst->isEnabled());
    EXPECT_TRUE(form.ActNext->isEnabled());
    form.ActNext->trigger();
    EXPECT_EQ(form.pnlPageInfo->text(), QStringLiteral("2/%1").arg(count));
    EXPECT_TRUE(form.ActPrev->isEnabled());
    form.ActLast->trigger();
    EXPECT_FALSE(form.ActNext->isEnabled());
    EXPECT_FALSE(form.ActLast->isEnabled());
    form.ActFirst->trigger();
    EXPECT_EQ(form.LxTextPrev1->CurrentPage(), 1);
}

TEST_F(PreviewWindowTest, LineNumbersToggleRebuildsWithoutTouchingTheSetting)
{
    WriteIni("[Preview]\nUseRowNo=False\n");
    TAppGlobalState state;
    TFormPreview form;
    // Lines that just fill their width: the number column pushes them onto a second row.
    QStringList lines(120, QString(52, QChar(0x3042)));
    form.LoadText(QStringLiteral("wide.txt"), lines);
    form.show();
    EXPECT_FALSE(form.ActLinNo->isChecked());
    const int without = form.LxTextPrev1->PageCount();
    form.ActLinNo->trigger();
    EXPECT_TRUE(form.ActLinNo->isChecked());
    EXPECT_TRUE(form.TextSection->ShowRowNumbers());
    EXPECT_GT(form.LxTextPrev1->PageCount(), without);
    EXPECT_FALSE(state.IniData().ReadBool(SettingKeys::Preview::UseRowNo));
    form.ActLinNo->trigger();
    EXPECT_EQ(form.LxTextPrev1->PageCount(), without);
}

// Ink in a rectangle of a page drawn at 100 dpi.
int Ink(const QImage &page, const QRect &r)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += qGray(page.pixel(x, y)) < 200;
    return n;
}

QImage PageImage(TFormPreview &form, int index)
{
    QImage image(827, 1169, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PlayPage(painter, *form.LxTextPrev1->PageData().Page(index), QRectF(0, 0, 827, 1169));
    return image;
}

TEST_F(PreviewWindowTest, SettingsComposeHeaderAndFooter)
{
    // 20 mm margins at 100 dpi: the header band is y 0-78, the footer from 1090.
    const QRect header(79, 0, 669, 78), footer(79, 1091, 669, 78), body(79, 100, 669, 980);
    {
        TAppGlobalState state;
        TFormPreview form;
        form.LoadText(QStringLiteral("フォルダ/報告書.txt"), Lines(10));
        form.show();
        const QImage page = PageImage(form, 0);
        EXPECT_GT(Ink(page, header), 200);
        EXPECT_GT(Ink(page, footer), 100);
        EXPECT_GT(Ink(page, body), 500);
        EXPECT_EQ(form.TextSection->HeaderBand().Items().Count(), 3);
        EXPECT_EQ(form.TextSection->FooterBand().Items().Count(), 3);
        auto *name = static_cast<TLxPVTextItem *>(form.TextSection->HeaderBand().Items().Items(1));
        EXPECT_EQ(name->Text, QStringLiteral("報告書.txt"));
        EXPECT_EQ(name->Font.Font.pointSize(), 12);
        EXPECT_EQ(name->Font.Color, QColor(192, 192, 192));
    }
    WriteIni("[Preview]\nShowHeaderBorder=False\nShowFileName=False\nShowDate=False\n"
             "ShowFooterBorder=False\nShowPageNo=False\nShowOwthor=False\nLeftMarg=30\n");
    TAppGlobalState state;
    TFormPreview form;
    form.LoadText(QStringLiteral("報告書.txt"), Lines(10));
    form.show();
    const QImage page = PageImage(form, 0);
    EXPECT_EQ(Ink(page, header), 0);
    EXPECT_EQ(Ink(page, footer), 0);
    EXPECT_EQ(Ink(page, QRect(0, 100, 117, 900)), 0) << "nothing left of a 30 mm margin";
    EXPECT_GT(Ink(page, body), 500);
}

TEST_F(PreviewWindowTest, PrintGoesThroughTheDialogToAPdfFile)
{
    TAppGlobalState state;
    TFormPreview form;
    form.LoadText(QStringLiteral("a.txt"), Lines(200));
    form.show();
    const QString pdf = Dir.filePath(QStringLiteral("out.pdf"));
    form.RunPrintDialog = [&](QPrinter *printer, QWidget *) {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        return true;
    };
    form.ActPrint->trigger();
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "),
              qsizetype(form.LxTextPrev1->PageCount()));

    // A refused dialog prints nothing; a job that cannot start says so.
    std::vector<QString> messages;
    tovik::platform::SetMessageInterceptor([&](const QString &text, auto, auto) {
        messages.push_back(text);
        return QMessageBox::Ok;
    });
    form.RunPrintDialog = [&](QPrinter *printer, QWidget *) {
        printer->setOutputFileName(QStringLiteral("/nonexistent-folder/x.pdf"));
        return true;
    };
    form.ActPrint->trigger();
    tovik::platform::SetMessageInterceptor(nullptr);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], QStringLiteral("印刷できませんでした。"));
}

TEST_F(PreviewWindowTest, LandscapeFromTheSetupDialogRebuildsThePages)
{
    TAppGlobalState state;
    TFormPreview form;
    form.LoadText(QStringLiteral("a.txt"), Lines(200));
    form.show();
    const int portrait = form.LxTextPrev1->PageCount();
    form.RunPrinterSetupDialog = [](QPrinter *printer, QWidget *) {
        printer->setPageOrientation(QPageLayout::Landscape);
        return true;
    };
    form.ActPrinterSetup->trigger();
    EXPECT_EQ(form.LxTextPrev1->PrinterInfo().PhysicalWidth(), 3508);
    EXPECT_EQ(form.LxTextPrev1->PageData().Page(0)->SheetWidth(), 3508);
    EXPECT_GT(form.LxTextPrev1->PageCount(), portrait);
    const TLxRect sheet = form.LxTextPrev1->SheetRect();
    EXPECT_GT(sheet.Width(), sheet.Height());
}

} // namespace

namespace {

TEST_F(PreviewWindowTest, WindowShowsToolbarLabelsAndThePage)
{
    WriteIni("[Preview]\nShowMarginMark=True\nShowPrintableRect=True\n");
    TAppGlobalState state;
    TFormPreview form;
    form.LoadText(QStringLiteral("文書/報告書.txt"), Lines(150));
    form.resize(700, 800);
    form.show();
    form.grab().save(QStringLiteral("preview-window.png"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("印刷プレビュー"));
    EXPECT_EQ(form.pnlPageInfo->text(), QStringLiteral("1/3"));
    for (QLabel *label : {form.pnlPageInfo, form.pnlZoomInfo})
        EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
    // The sheet fills the control's height in the whole-page mode.
    const TLxRect sheet = form.LxTextPrev1->SheetRect();
    EXPECT_EQ(sheet.Top, 12);
    EXPECT_EQ(sheet.Height(), form.LxTextPrev1->viewport()->height() - 27);
    EXPECT_TRUE(form.LxTextPrev1->ShowDefaultMargin());
    EXPECT_TRUE(form.LxTextPrev1->ShowPrintableRect());
    form.ActOrigin->trigger();
    form.grab().save(QStringLiteral("preview-window-100.png"));
    EXPECT_EQ(form.LxTextPrev1->ViewWidth(), form.LxTextPrev1->FullPageWidth());
    // The corner marks stand 1.5 mm outside the top-left margin corner, in grey.
    const QImage shot = form.LxTextPrev1->viewport()->grab().toImage();
    const TLxRect s100 = form.LxTextPrev1->SheetRect();
    const QPoint corner = form.LxTextPrev1->DeviceToScreen({236, 236});
    const int gap = form.LxTextPrev1->DeviceToScreen({17, 17}).y();
    EXPECT_EQ(shot.pixelColor(s100.Left + corner.x(), s100.Top + corner.y() - gap - 3), QColor(128, 128, 128));
}

} // namespace
