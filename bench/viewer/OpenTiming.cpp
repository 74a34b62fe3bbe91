// The viewer as the program runs it, timed: prints one line when the first tab is fully shown
// (its tree built, its root folder listed and painted) and ends the program right then.
//
//   tovik-open-timing ARCHIVE...
//
// Environment: TOVIK_SORT_COLUMN=n also clicks the heading of column n twice (ascending, then
// descending) and prints how long each sort and repaint took.
#include "Source/AppMain.h"
#include "Source/ArcFileListModel.h"
#include "Source/MainFrm.h"
#include "Source/ViewerFrm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <time.h>
#include <unistd.h>

namespace {

// Milliseconds since the process started, from the kernel's record of its start.
double MillisecondsSinceProcessStart()
{
    FILE *f = std::fopen("/proc/self/stat", "r");
    if (!f)
        return -1;
    char buffer[1024];
    const size_t n = std::fread(buffer, 1, sizeof buffer - 1, f);
    std::fclose(f);
    buffer[n] = '\0';
    // Field 22 (starttime, in clock ticks since boot) follows the command name in parentheses.
    const char *p = std::strrchr(buffer, ')');
    if (!p)
        return -1;
    unsigned long long start = 0;
    int field = 2;
    for (const char *q = p + 1; *q && field < 22; ++q)
        if (*q == ' ' && ++field == 22)
            start = std::strtoull(q + 1, nullptr, 10);
    timespec now {};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double ticks = double(sysconf(_SC_CLK_TCK));
    return (double(now.tv_sec) + now.tv_nsec / 1e9 - double(start) / ticks) * 1000.0;
}

// Watches for the first paint of the front tab's list (or of the window, with no tab) and
// reports the time it took to get there.
class FirstShownWatch : public QObject
{
public:
    FirstShownWatch(TFormMain *window, QElapsedTimer clock, int sortColumn)
        : QObject(window), FWindow(window), FClock(clock), FSortColumn(sortColumn)
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (FDone || event->type() != QEvent::Paint)
            return false;
        QWidget *page = FWindow->PageControl1->currentWidget();
        TFormViewer *form = page ? page->findChild<TFormViewer *>() : nullptr;
        // The archives open once the window shows: wait for the first tab's listed rows.
        const bool target = form ? watched == form->ListFileView->viewport() && form->ListModel->rowCount() > 0
                                 : watched == FWindow && qApp->arguments().size() <= 1;
        if (!target)
            return false;
        FDone = true;
        QTimer::singleShot(0, this, [this, form] { Report(form); });
        return false;
    }

private:
    void Report(TFormViewer *form)
    {
        std::fprintf(stderr, "tovik-timing: shown=%.1fms process=%.1fms rows=%d\n", FClock.nsecsElapsed() / 1e6,
                     MillisecondsSinceProcessStart(), form ? form->ListModel->rowCount() : 0);
        if (form && FSortColumn >= 0) {
            for (int pass = 0; pass < 2; ++pass) {
                QElapsedTimer sortClock;
                sortClock.start();
                emit form->ListFileView->header()->sectionClicked(FSortColumn);
                form->ListFileView->viewport()->repaint();
                std::fprintf(stderr, "tovik-timing: sort column=%d direction=%s %.1fms\n", FSortColumn,
                             pass == 0 ? "ascending" : "descending", sortClock.nsecsElapsed() / 1e6);
            }
        }
        std::fflush(stderr);
        FWindow->close();
    }

    TFormMain *FWindow;
    QElapsedTimer FClock;
    int FSortColumn;
    bool FDone = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer clock;
    clock.start();
    const char *sortColumn = std::getenv("TOVIK_SORT_COLUMN");
    return RunApplication(argc, argv, [&](TFormMain &window) {
        // Owned by the window, and gone with it.
        new FirstShownWatch(&window, clock, sortColumn ? std::atoi(sortColumn) : -1);
    });
}
