// A real Japanese document printed to PDF looks like its preview: the PDF page, rendered by
// pdftoppm, against the preview's page drawn at the same size. Both pictures are left in the
// build folder (preview-pdf-*.png) for a look.
#include "Preview/Source/LxPVPageFile.h"
#include "Preview/Source/LxPrinters.h"
#include "Preview/Source/LxTextPrev.h"
#include "Source/LxPnGlobalState.h"
#include "Source/PrintPreviewFrm.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifndef TOVIK_SOURCE_DIR
#error "TOVIK_SOURCE_DIR must name the source tree"
#endif

namespace {

QStringList Document()
{
    QStringList lines;
    QFile readme(QStringLiteral(TOVIK_SOURCE_DIR "/samples/sample/readme-ja.txt"));
    if (readme.open(QIODevice::ReadOnly))
        lines = QString::fromUtf8(readme.readAll()).split(QLatin1Char('\n'));
    // Long paragraphs that wrap, from the shared corpus when it is there.
    QFile corpus(QStringLiteral(TOVIK_SHARED_CORPUS "/uchardet-ja/utf-8.txt"));
    if (corpus.open(QIODevice::ReadOnly))
        lines += QString::fromUtf8(corpus.readAll()).split(QLatin1Char('\n'));
    else
        lines << QString(120, QChar(0x6587)) + QStringLiteral("（折り返しの確認）");
    QStringList document;
    for (int i = 0; i < 6; ++i)
        document += lines;
    return document;
}

// Grey levels averaged over cells of the given size: what the eye compares.
std::vector<double> Cells(const QImage &image, int cell)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    std::vector<double> cells;
    for (int y = 0; y + cell <= grey.height(); y += cell)
        for (int x = 0; x + cell <= grey.width(); x += cell) {
            double sum = 0;
            for (int j = 0; j < cell; ++j) {
                const uchar *row = grey.constScanLine(y + j);
                for (int i = 0; i < cell; ++i)
                    sum += 255 - row[x + i];
            }
            cells.push_back(sum / (cell * cell));
        }
    return cells;
}

double Correlation(const std::vector<double> &a, const std::vector<double> &b)
{
    double ma = 0, mb = 0;
    for (size_t i = 0; i < a.size(); ++i)
        ma += a[i], mb += b[i];
    ma /= double(a.size());
    mb /= double(b.size());
    double sab = 0, saa = 0, sbb = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        sab += (a[i] - ma) * (b[i] - mb);
        saa += (a[i] - ma) * (a[i] - ma);
        sbb += (b[i] - mb) * (b[i] - mb);
    }
    return saa > 0 && sbb > 0 ? sab / std::sqrt(saa * sbb) : 0;
}

int Ink(const QImage &image, const QRect &r)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += qGray(image.pixel(x, y)) < 220;
    return n;
}

TEST(PreviewPdfTest, PrintedPagesMatchThePreview)
{
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (pdftoppm.isEmpty())
        GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    if (TLxPVPrinterInfo().HasPrinters())
        GTEST_SKIP() << "a printer is installed; the test prints to the PDF writer of a printerless machine";
    QTemporaryDir dir;
    qputenv("TOVIK_INI", dir.filePath(QStringLiteral("tovik.ini")).toUtf8());
    TAppGlobalState state;
    TFormPreview form;
    form.LoadText(QStringLiteral("samples/readme-ja.txt"), Document());
    form.show();
    ASSERT_GE(form.LxTextPrev1->PageCount(), 2);

    const QString pdf = dir.filePath(QStringLiteral("doc.pdf"));
    form.RunPrintDialog = [&](QPrinter *printer, QWidget *) {
        printer->setOutputFileName(pdf);
        return true;
    };
    form.ActPrint->trigger();
    ASSERT_TRUE(QFile::exists(pdf));
    QProcess render;
    render.start(pdftoppm, {QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-png"), pdf,
                            dir.filePath(QStringLiteral("page"))});
    ASSERT_TRUE(render.waitForFinished(60000));
    ASSERT_EQ(render.exitCode(), 0);

    const QStringList rendered = QDir(dir.path()).entryList({QStringLiteral("page-*.png")}, QDir::Files, QDir::Name);
    ASSERT_EQ(rendered.size(), form.LxTextPrev1->PageCount());
    for (int index : {0, 1}) {
        const QImage printed(dir.filePath(rendered[index]));
        ASSERT_FALSE(printed.isNull());
        QImage preview(printed.size(), QImage::Format_RGB32);
        preview.fill(Qt::white);
        {
            QPainter painter(&preview);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::TextAntialiasing);
            PlayPage(painter, *form.LxTextPrev1->PageData().Page(index), QRectF(QPointF(0, 0), printed.size()));
        }
        printed.save(QStringLiteral("preview-pdf-printed-%1.png").arg(index + 1));
        preview.save(QStringLiteral("preview-pdf-preview-%1.png").arg(index + 1));

        // Header (title, date, rule), footer (rule, author, page number), row numbers and body
        // stand where the preview has them; 20 mm margins are 79 pixels at 100 dpi.
        const int w = printed.width(), h = printed.height();
        const QRect header(79, 20, w - 158, 59), footer(79, h - 78, w - 158, 60);
        const QRect numbers(79, 110, 40, 400), body(120, 110, w - 200, 400);
        for (const QRect &r : {header, footer, numbers, body}) {
            const int a = Ink(printed, r), b = Ink(preview, r);
            EXPECT_GT(a, 20) << "page " << index + 1 << " region " << r.x() << "," << r.y();
            EXPECT_NEAR(double(a), double(b), 0.25 * std::max(a, b) + 20) << "page " << index + 1;
        }
        // Nothing outside the sheet's margins and bands is drawn in either.
        EXPECT_EQ(Ink(printed, QRect(0, 0, 70, h)), 0);
        EXPECT_EQ(Ink(preview, QRect(0, 0, 70, h)), 0);
        EXPECT_GT(Correlation(Cells(printed, 12), Cells(preview, 12)), 0.95) << "page " << index + 1;
    }
    qunsetenv("TOVIK_INI");
}

} // namespace
