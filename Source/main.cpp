// Program entry: settings first, then the main window; at the end the extraction folder goes.
//
// Environment for measurements: TOVIK_TIMING=1 prints one line when the first tab is fully
// shown (its tree built, its root folder listed and painted); TOVIK_QUIT_AFTER_LOAD=1 ends the
// program right then; TOVIK_SORT_COLUMN=n then also sorts the list by column n and prints
// how long that took.
#include "Source/LxPnGlobalState.h"
#include "Source/MainFrm.h"
#include "Source/ViewerFrm.h"
#include "platform/Fonts.h"
#include "platform/SoundPlayer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QIcon>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>

#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <exception>
#include <memory>

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

bool EnvFlag(const char *name)
{
    const char *value = std::getenv(name);
    return value && *value && std::strcmp(value, "0") != 0;
}

// Watches for the first paint of the front tab's list (or of the window, with no tab) and
// reports the time it took to get there.
class FirstShownWatch : public QObject
{
public:
    FirstShownWatch(TFormMain *window, QElapsedTimer clock, bool print, bool quit, int sortColumn)
        : FWindow(window), FClock(clock), FPrint(print), FQuit(quit), FSortColumn(sortColumn)
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (FDone || event->type() != QEvent::Paint)
            return false;
        auto *form = dynamic_cast<TFormViewer *>(FWindow->PageControl1->currentWidget()
                                                     ? FWindow->PageControl1->currentWidget()->findChild<TFormViewer *>()
                                                     : nullptr);
        const bool target = form ? watched == form->ListFileView->viewport() : watched == FWindow;
        if (!target)
            return false;
        FDone = true;
        QTimer::singleShot(0, this, [this, form] { Report(form); });
        return false;
    }

private:
    void Report(TFormViewer *form)
    {
        if (FPrint) {
            std::fprintf(stderr, "tovik-timing: shown=%.1fms process=%.1fms load=%.1fms tree=%.1fms rows=%d\n",
                         FClock.nsecsElapsed() / 1e6, MillisecondsSinceProcessStart(), form ? form->LoadMs : 0.0,
                         form ? form->TreeMs : 0.0, form ? form->ListModel->rowCount() : 0);
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
        }
        if (FQuit)
            FWindow->close();
    }

    TFormMain *FWindow;
    QElapsedTimer FClock;
    bool FPrint, FQuit;
    int FSortColumn;
    bool FDone = false;
};

// Desktops without a configured theme get a full one, so that per-type icons are found.
void ChooseIconTheme()
{
    // Without a desktop platform (offscreen) Qt searches no system folder at all.
    QStringList paths = QIcon::themeSearchPaths();
    const QString dataDirs = qEnvironmentVariable("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
    for (const QString &dir : dataDirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString icons = dir + QStringLiteral("/icons");
        if (!paths.contains(icons))
            paths.append(icons);
    }
    QIcon::setThemeSearchPaths(paths);
    const QString theme = QIcon::themeName();
    if (theme.isEmpty() || theme == QLatin1String("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    if (QIcon::fallbackThemeName().isEmpty())
        QIcon::setFallbackThemeName(QStringLiteral("hicolor"));
}

} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer clock;
    clock.start();
    int result = 1;
    {
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("tovik"));
        QApplication::setApplicationDisplayName(QStringLiteral("Tovik"));
        tovik::platform::RegisterFontSubstitutes();
        ChooseIconTheme();

        std::unique_ptr<TAppGlobalState> state;
        try {
            state = std::make_unique<TAppGlobalState>();
        } catch (const std::exception &e) {
            std::fprintf(stderr, "tovik: the settings could not be loaded: %s\n", e.what());
        } catch (...) {
            std::fprintf(stderr, "tovik: the settings could not be loaded\n");
        }

        tovik::platform::SoundPlayer sounds;
        if (state)
            state->SetSoundSink([&sounds](const QString &fileName) { sounds.Play(fileName); });

        if (state) {
            QStringList args = QApplication::arguments();
            args.removeFirst();
            const bool timing = EnvFlag("TOVIK_TIMING");
            const bool quit = EnvFlag("TOVIK_QUIT_AFTER_LOAD");
            const char *sortColumn = std::getenv("TOVIK_SORT_COLUMN");
            {
                TFormMain window(args);
                std::unique_ptr<FirstShownWatch> watch;
                if (timing || quit)
                    watch = std::make_unique<FirstShownWatch>(&window, clock, timing, quit,
                                                              sortColumn ? std::atoi(sortColumn) : -1);
                window.show();
                result = app.exec();
            }
            ViewerFactory()->CloseAll();
        }
        // Whatever was extracted for outside applications goes with the program.
        RemoveExtractFolder();
        state.reset();
    }
    return result;
}
