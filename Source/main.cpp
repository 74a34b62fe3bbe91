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
#include "platform/MessageLanguage.h"
#include "platform/SingleInstance.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
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

void PrintHelp()
{
    if (tovik::platform::JapaneseMessages())
        std::fputs("使い方: tovik [オプション] [書庫ファイル...]\n"
                   "\n"
                   "書庫ファイル (LZH, ZIP, 7z, CAB, TAR とその圧縮形式, ARJ, 自己解凍 .exe など) を\n"
                   "ファイルごとにタブで開いて表示します。書庫を変更することはありません。\n"
                   "Tovik がすでに起動していれば、ファイルはそのウィンドウの新しいタブで開きます。\n"
                   "\n"
                   "オプション:\n"
                   "  -h, --help     この説明を表示して終了する\n"
                   "  -V, --version  バージョンを表示して終了する\n"
                   "  --             以降の引数をすべてファイル名として扱う\n"
                   "\n"
                   "環境変数:\n"
                   "  TOVIK_ARCHIVERS  アーカイバライブラリを探すフォルダ (コロン区切り)\n"
                   "  TOVIK_INI        設定ファイルのパス\n",
                   stdout);
    else
        std::fputs("Usage: tovik [OPTION] [ARCHIVE...]\n"
                   "\n"
                   "Shows archives (LZH, ZIP, 7z, CAB, TAR and its compressed forms, ARJ, self-extracting\n"
                   ".exe and more), each in a tab of its own. Archives are never changed.\n"
                   "While Tovik runs, the files open in new tabs of its window.\n"
                   "\n"
                   "Options:\n"
                   "  -h, --help     show this help and exit\n"
                   "  -V, --version  show the version and exit\n"
                   "  --             take every later argument as a file name\n"
                   "\n"
                   "Environment:\n"
                   "  TOVIK_ARCHIVERS  folders to search for archiver libraries (colon-separated)\n"
                   "  TOVIK_INI        the settings file\n",
                   stdout);
}

// Answers --help and --version before any window system is touched, so that both work without
// a display. -1: neither was asked for.
int InformationOption(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            break;
        if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
            PrintHelp();
            return 0;
        }
        if (std::strcmp(argv[i], "-V") == 0 || std::strcmp(argv[i], "--version") == 0) {
            std::printf("tovik %s\n", tovik::platform::ProgramVersion());
            return 0;
        }
    }
    return -1;
}

// The archives of the command line as absolute paths: a running window has its own current
// folder. The first "--" only ends the options.
QStringList FileArguments(QStringList args)
{
    args.removeFirst();
    if (const qsizetype end = args.indexOf(QStringLiteral("--")); end >= 0)
        args.removeAt(end);
    for (QString &arg : args)
        if (!arg.isEmpty())
            arg = QFileInfo(arg).absoluteFilePath();
    return args;
}

} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer clock;
    clock.start();
    if (const int status = InformationOption(argc, argv); status >= 0)
        return status;
    int result = 1;
    {
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("tovik"));
        // No application display name: Qt would append it to every window's caption.
        QGuiApplication::setDesktopFileName(QStringLiteral("tovik"));
        QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("tovik"), QIcon(QStringLiteral(":/tovik/tovik.png"))));
        tovik::platform::RegisterFontSubstitutes();
        ChooseIconTheme();

        const QStringList args = FileArguments(QApplication::arguments());
        const bool timing = EnvFlag("TOVIK_TIMING");
        const bool quit = EnvFlag("TOVIK_QUIT_AFTER_LOAD");
        // One window per user and display; measured runs always have their own.
        tovik::platform::SingleInstance instance;
        QStringList handedOver;
        if (!timing && !quit) {
            instance.OnFilesReceived = [&handedOver](const QStringList &files) { handedOver += files; };
            if (instance.Start(args) == tovik::platform::SingleInstance::Role::Forwarded)
                return 0;
        }

        std::unique_ptr<TAppGlobalState> state;
        try {
            state = std::make_unique<TAppGlobalState>();
        } catch (const std::exception &e) {
            std::fprintf(stderr, "tovik: the settings could not be loaded: %s\n", e.what());
        } catch (...) {
            std::fprintf(stderr, "tovik: the settings could not be loaded\n");
        }

        if (state) {
            const char *sortColumn = std::getenv("TOVIK_SORT_COLUMN");
            {
                TFormMain window(args);
                // What came in while the window was being made opens now; later batches at once.
                instance.OnFilesReceived = [&window](const QStringList &files) { window.OpenForwardedFiles(files); };
                if (!handedOver.isEmpty())
                    QTimer::singleShot(0, &window, [&window, handedOver] { window.OpenForwardedFiles(handedOver); });
                std::unique_ptr<FirstShownWatch> watch;
                if (timing || quit)
                    watch = std::make_unique<FirstShownWatch>(&window, clock, timing, quit,
                                                              sortColumn ? std::atoi(sortColumn) : -1);
                window.show();
                result = app.exec();
                instance.OnFilesReceived = nullptr;
            }
            ViewerFactory()->CloseAll();
        }
        // Whatever was extracted for outside applications goes with the program.
        RemoveExtractFolder();
        state.reset();
    }
    return result;
}
