#include "Source/AppMain.h"

#include "Source/ArchiveTask.h"
#include "Source/LxPnGlobalProcs.h"
#include "Source/LxPnGlobalState.h"
#include "Source/MainFrm.h"
#include "platform/Fonts.h"
#include "platform/SingleInstance.h"
#include "platform/SoundPlayer.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QTimer>

#include <cstdio>
#include <exception>
#include <memory>

namespace {

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

int RunApplication(int argc, char *argv[], const std::function<void(TFormMain &)> &shown)
{
    int result = 1;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tovik"));
    // No application display name: Qt would append it to every window's caption.
    QGuiApplication::setDesktopFileName(QStringLiteral("tovik"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("tovik"), QIcon(QStringLiteral(":/tovik/tovik.png"))));
    tovik::platform::RegisterFontSubstitutes();
    InstallToolkitTranslations();
    ChooseIconTheme();

    // One window per user and display; a harness always has its own.
    const QStringList args = FileArguments(QApplication::arguments());
    tovik::platform::SingleInstance instance;
    QStringList handedOver;
    if (!shown) {
        instance.OnFilesReceived = [&handedOver](const QStringList &files) { handedOver += files; };
        if (instance.Start(args) == tovik::platform::SingleInstance::Role::Forwarded)
            return 0;
    }

    // Declared first, so that it outlives the state that plays through it.
    tovik::platform::SoundPlayer sounds;
    std::unique_ptr<TAppGlobalState> state;
    try {
        state = std::make_unique<TAppGlobalState>();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "tovik: the settings could not be loaded: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "tovik: the settings could not be loaded\n");
    }

    if (state)
        state->SetSoundSink([&sounds](const QString &fileName) { sounds.Play(fileName); });

    if (state) {
        TFormMain window;
        // The archives of the command line open once the window shows, so that a long
        // listing shows its progress in the window instead of keeping it from appearing.
        if (!args.isEmpty())
            QTimer::singleShot(0, &window, [&window, args] { window.OpenFiles(args); });
        // What came in while the window was being made opens next; later batches at once.
        instance.OnFilesReceived = [&window](const QStringList &files) { window.OpenForwardedFiles(files); };
        if (!handedOver.isEmpty())
            QTimer::singleShot(0, &window, [&window, handedOver] { window.OpenForwardedFiles(handedOver); });
        window.show();
        if (shown)
            shown(window);
        result = app.exec();
        instance.OnFilesReceived = nullptr;
    }
    // Work cancelled at closing may still be ending inside a library.
    WaitForArchiveTasks();
    // Whatever was extracted for outside applications goes with the program.
    RemoveExtractFolder();
    return result;
}
