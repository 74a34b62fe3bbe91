#include "Source/AppMain.h"

#include "Source/LxPnGlobalState.h"
#include "Source/MainFrm.h"
#include "platform/Fonts.h"
#include "platform/SoundPlayer.h"

#include <QApplication>
#include <QIcon>

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

} // namespace

int RunApplication(int argc, char *argv[], const std::function<void(TFormMain &)> &shown)
{
    int result = 1;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tovik"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tovik"));
    tovik::platform::RegisterFontSubstitutes();
    ChooseIconTheme();

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
        QStringList args = QApplication::arguments();
        args.removeFirst();
        TFormMain window(args);
        window.show();
        if (shown)
            shown(window);
        result = app.exec();
    }
    // Whatever was extracted for outside applications goes with the program.
    RemoveExtractFolder();
    return result;
}
