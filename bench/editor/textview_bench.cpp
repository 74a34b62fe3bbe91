// Speed of the text viewer window against a QPlainTextEdit holding the same text, both
// offscreen, in one run:
//   - a 1,000,000-byte Shift_JIS text opened to its first painted screen: <= 100 ms, and
//     faster than the QPlainTextEdit
//   - one page of scrolling repainted: <= 16 ms
//   - Ctrl+End on a 50,000-line file: <= 50 ms
//   - a single 1,000,000-byte line opens and scrolls with every step < 16 ms
// Each step is timed up to a full grab of the editor's viewport, which paints all of it (more
// than the uncovered strip a real scroll repaints). The machine's load shows in these
// figures: run it on a quiet machine for the real ones.
// Prints one line per figure with PASS or FAIL; exits 1 when any fails.
#include "Source/LxPnArcDataClasses.h"
#include "Source/TextViewFrm.h"
#include "editor/LxTextEditor.h"
#include "platform/Cp932.h"
#include "platform/Fonts.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Time(const std::function<void()> &f)
{
    const auto a = Clock::now();
    f();
    return Ms(a, Clock::now());
}

// Japanese prose with ASCII, about 1,000,000 bytes of CP932 in lines of 60-80 bytes.
std::string JapaneseText(size_t bytes, bool lineBreaks)
{
    const std::string piece = tovik::platform::Utf8ToCp932(
        "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。 int x = 42; // comment ");
    std::string text;
    text.reserve(bytes + piece.size());
    while (text.size() < bytes) {
        text += piece;
        if (lineBreaks)
            text += "\r\n";
    }
    text.resize(bytes);
    return text;
}

void Key(QWidget *w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(w, &press);
}

bool ok = true;

void Report(const char *what, double ms, double limit)
{
    std::printf("%-60s %8.2f ms (limit %g) %s\n", what, ms, limit, ms <= limit ? "PASS" : "FAIL");
    ok = ok && ms <= limit;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tovik::platform::RegisterFontSubstitutes();

    // --show FILE [MS]: the window with FILE's bytes, for screenshots; closes after MS.
    if (argc >= 3 && std::string(argv[1]) == "--show") {
        QFile file(QString::fromLocal8Bit(argv[2]));
        if (!file.open(QIODevice::ReadOnly))
            return 2;
        TFrmTextView view;
        TLxPackedItem entry;
        entry.Path = tovik::platform::Utf8ToCp932(QFileInfo(file).fileName().toStdString());
        entry.Name = entry.Path;
        entry.OriginalSize = file.size();
        view.SetEntry(entry);
        view.SetText(file.readAll());
        view.LxTextEditor1->Options()->DrawOption.SetDrawMarks(true);
        view.resize(760, 520);
        view.move(20, 20);
        if (qEnvironmentVariableIsSet("SHOT_SELECT")) {
            // A selection across rows: from row 2, column 4 to row 5, column 10.
            view.LxTextEditor1->Options()->DrawOption.Selection.SetRange({2, 4}, {5, 10});
        }
        view.show();
        QTimer::singleShot(argc >= 4 ? atoi(argv[3]) : 3000, &view, [&view] { view.accept(); });
        view.exec();
        return 0;
    }

    const std::string text = JapaneseText(1000000, true);
    const QByteArray bytes(text.data(), static_cast<qsizetype>(text.size()));
    const QString unicode = QString::fromStdString(tovik::platform::Cp932ToUtf8(text));

    // Warm up fonts and the window machinery once.
    {
        TFrmTextView warm;
        warm.SetText("warm");
        warm.show();
        warm.LxTextEditor1->viewport()->grab();
    }

    std::vector<double> ours, theirs;
    for (int run = 0; run < 5; ++run) {
        ours.push_back(Time([&] {
            TFrmTextView view;
            view.resize(800, 600);
            view.SetText(bytes);
            view.show();
            view.LxTextEditor1->viewport()->grab();
        }));
        theirs.push_back(Time([&] {
            QPlainTextEdit edit;
            edit.resize(800, 600);
            edit.setReadOnly(true);
            edit.setLineWrapMode(QPlainTextEdit::NoWrap);
            edit.setFont(TFrmTextView().LxTextEditor1->Painter()->Font());
            edit.setPlainText(QString::fromStdString(tovik::platform::Cp932ToUtf8(text)));
            edit.show();
            edit.viewport()->grab();
        }));
    }
    const double open = Median(ours), peer = Median(theirs);
    Report("open 1,000,000-byte Shift_JIS text to its first screen", open, 100);
    std::printf("%-60s %8.2f ms, ratio %.2f %s\n", "  QPlainTextEdit, same text, same run", peer, open / peer,
                open < peer ? "PASS" : "FAIL");
    ok = ok && open < peer;

    TFrmTextView view;
    view.resize(800, 600);
    view.SetText(bytes);
    view.show();
    TLxTextEditor *editor = view.LxTextEditor1;
    editor->setFocus();
    editor->viewport()->grab();
    std::vector<double> pages;
    for (int i = 0; i < 20; ++i)
        pages.push_back(Time([&] {
            Key(editor, Qt::Key_PageDown);
            editor->viewport()->grab();
        }));
    std::printf("  (top line after 20 pages: %d)\n", editor->Options()->DrawOption.TopLine);
    Report("one page of scrolling repainted (median of 20)", Median(pages), 16);
    Report("  the slowest page", *std::max_element(pages.begin(), pages.end()), 16 * 2);

    std::string lines;
    for (int i = 0; i < 50000; ++i)
        lines += "static int value" + std::to_string(i) + " = " + std::to_string(i * 7) + "; /* row */\r\n";
    TFrmTextView big;
    big.resize(800, 600);
    big.SetText(QByteArray(lines.data(), static_cast<qsizetype>(lines.size())));
    big.LxTextEditor1->SetFileExt("cpp");
    big.show();
    big.LxTextEditor1->setFocus();
    big.LxTextEditor1->viewport()->grab();
    Report("Ctrl+End on a 50,000-line C++ file, repainted", Time([&] {
               Key(big.LxTextEditor1, Qt::Key_End, Qt::ControlModifier);
               big.LxTextEditor1->viewport()->grab();
           }),
           50);
    std::printf("  (caret row after Ctrl+End: %d)\n", big.LxTextEditor1->Options()->DrawOption.Caret.Row);

    const std::string one = JapaneseText(1000000, false);
    TFrmTextView longLine;
    longLine.resize(800, 600);
    const double openLong = Time([&] {
        longLine.SetText(QByteArray(one.data(), static_cast<qsizetype>(one.size())));
        longLine.show();
        longLine.LxTextEditor1->viewport()->grab();
    });
    std::printf("%-60s %8.2f ms\n", "a single 1,000,000-byte line opened and painted", openLong);
    TLxTextEditor *le = longLine.LxTextEditor1;
    le->setFocus();
    std::vector<double> steps;
    steps.push_back(Time([&] {
        Key(le, Qt::Key_End);
        le->viewport()->grab();
    }));
    for (int i = 0; i < 20; ++i)
        steps.push_back(Time([&] {
            le->horizontalScrollBar()->setValue(le->horizontalScrollBar()->value() - 400);
            le->viewport()->grab();
        }));
    steps.push_back(Time([&] {
        Key(le, Qt::Key_Home);
        le->viewport()->grab();
    }));
    std::printf("  steps:");
    for (double t : steps)
        std::printf(" %.1f", t);
    std::printf("\n");
    Report("  slowest step on it (End, 20 scroll steps, Home)", *std::max_element(steps.begin(), steps.end()), 16);
    return ok ? 0 : 1;
}
