#include "Source/LxPnGlobalProcs.h"

#include "platform/Cp932.h"
#include "platform/VisibleText.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

QString NameToQString(std::string_view cp932)
{
    QString name = Cp932ToQString(cp932);
    for (QChar &c : name)
        if (char32_t picture = tovik::platform::ControlPicture(c.unicode()))
            c = QChar(static_cast<char16_t>(picture));
    return name;
}

QString LibraryMessageText(std::string_view buffer)
{
    const size_t end = std::min(buffer.find('\0'), buffer.size());
    size_t first = 0, last = end;
    while (first < last && static_cast<unsigned char>(buffer[first]) <= ' ')
        ++first;
    while (last > first && static_cast<unsigned char>(buffer[last - 1]) <= ' ')
        --last;
    return Cp932ToQString(buffer.substr(first, last - first));
}

bool InstallToolkitTranslations()
{
    // Owned by the application object, and gone with it.
    static QPointer<QTranslator> installed;
    if (installed)
        return true;
    // "qt_ja" gathers the catalogues of every toolkit module that has one.
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qt"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}
