// Print preview speed: paginating, turning pages and printing a 1,000,000-byte Japanese text,
// side by side with QTextDocument::print of the same text to PDF in the same run.
//
// Prints one line per figure and the ratios; exits non-zero when a figure is over its limit
// (pagination 2 s, one page turn 30 ms, printing to PDF 5 s).
#include "Preview/Source/LxPVPageFile.h"
#include "Preview/Source/LxPreviewSections.h"
#include "Preview/Source/LxPrinters.h"
#include "Preview/Source/LxTextPrev.h"
#include "Source/PrintPreviewFrm.h"
#include "platform/Cp932.h"
#include "platform/Fonts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextDocument>

#include <cstdio>
#include <ctime>
#include <random>
#include <string>
#include <vector>

namespace {

// About 20,000 lines, 1,000,000 bytes of Shift_JIS: kanji, kana, ASCII words and numbers.
std::vector<std::string> MakeText()
{
    const char *pieces[] = {"日本語の", "テキストを", "印刷する", "ための", "プレビュー", "書庫",
                            "ファイル", "表示", "行番号", "ヘッダ", "フッタ", "ページ",
                            " archive ", " viewer ", " print ", " 2026 ", "、", "。"};
    std::vector<std::string> sjis;
    for (const char *p : pieces)
        sjis.push_back(tovik::platform::Utf8ToCp932(p));
    std::mt19937 random(15);
    std::vector<std::string> lines;
    size_t total = 0;
    while (total < 1000000) {
        std::string line;
        const size_t target = 10 + random() % 80;
        while (line.size() < target)
            line += sjis[random() % sjis.size()];
        total += line.size() + 2;
        lines.push_back(std::move(line));
    }
    return lines;
}

double Seconds(QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e9; }

// Processor time of this process: on a machine shared with other work, the figure that
// contention does not inflate.
double CpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tovik::platform::RegisterFontSubstitutes();
    QTemporaryDir dir;

    const std::vector<std::string> lines = MakeText();
    size_t bytes = 0;
    QString plain;
    for (const std::string &line : lines) {
        bytes += line.size() + 2;
        plain += QString::fromStdString(tovik::platform::Cp932ToUtf8(line)) + QLatin1Char('\n');
    }
    std::printf("text: %zu lines, %zu bytes\n", lines.size(), bytes);

    TFormPreview form;
    form.resize(800, 900);
    form.LoadText(QStringLiteral("bench.txt"), lines);
    TLxTextPrev *prev = form.LxTextPrev1;
    if (!form.TextSection->ShowRowNumbers())
        form.TextSection->SetShowRowNumbers(true);
    form.show();

    QElapsedTimer t;
    t.start();
    double cpu = CpuSeconds();
    prev->UpdatePreview();
    const double paginate = Seconds(t);
    const double paginateCpu = CpuSeconds() - cpu;
    const int pages = prev->PageCount();

    // Turning a page: set the page and paint the control.
    // The first paint loads the glyph caches and is not counted.
    prev->viewport()->grab();
    double turnMax = 0, turnSum = 0;
    const int turns = 20;
    for (int i = 0; i < turns; ++i) {
        const int page = 1 + (i * 37) % pages;
        t.restart();
        prev->SetPage(page == prev->CurrentPage() ? page % pages + 1 : page);
        prev->viewport()->grab();
        const double s = Seconds(t);
        turnMax = std::max(turnMax, s);
        turnSum += s;
    }

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setResolution(300);
    printer.setOutputFileName(dir.filePath(QStringLiteral("preview.pdf")));
    t.restart();
    cpu = CpuSeconds();
    const bool printed = prev->PrintTo(printer);
    const double print = Seconds(t);
    const double printCpu = CpuSeconds() - cpu;

    // The peer: the same text laid out and printed by QTextDocument.
    QPrinter peerPrinter(QPrinter::HighResolution);
    peerPrinter.setOutputFormat(QPrinter::PdfFormat);
    peerPrinter.setResolution(300);
    peerPrinter.setOutputFileName(dir.filePath(QStringLiteral("peer.pdf")));
    t.restart();
    cpu = CpuSeconds();
    QTextDocument document;
    document.setDefaultFont(prev->PageData().Font);
    document.setPlainText(plain);
    document.print(&peerPrinter);
    const double peer = Seconds(t);
    const double peerCpu = CpuSeconds() - cpu;

    std::printf("pages: %d\n", pages);
    std::printf("pagination with row numbers: %.3f s, processor %.3f s (limit 2 s)\n", paginate, paginateCpu);
    std::printf("page turn: mean %.1f ms, worst %.1f ms over %d turns (limit 30 ms)\n",
                1000 * turnSum / turns, 1000 * turnMax, turns);
    std::printf("print to PDF: %.3f s, processor %.3f s, %lld bytes (limit 5 s)\n", print, printCpu,
                (long long)QFileInfo(printer.outputFileName()).size());
    std::printf("QTextDocument::print to PDF: %.3f s, processor %.3f s, %lld bytes\n", peer, peerCpu,
                (long long)QFileInfo(peerPrinter.outputFileName()).size());
    std::printf("ratio pagination / QTextDocument::print: %.2f (processor %.2f)\n", paginate / peer,
                paginateCpu / peerCpu);
    std::printf("ratio pagination + print / QTextDocument::print: %.2f\n", (paginate + print) / peer);
    const bool ok = printed && paginate <= 2.0 && turnMax <= 0.030 && print <= 5.0;
    std::printf("%s\n", ok ? "within limits" : "OVER LIMIT");
    return ok ? 0 : 1;
}
