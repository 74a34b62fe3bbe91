// GoogleTest entry for the desktop tests: one QApplication, offscreen, with a runtime folder
// of its own (the single-window socket lives there) and the program's MIME package added to
// the system's database.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtime;
    if (!runtime.isValid())
        return 1;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));

    QTemporaryDir data;
    if (!data.isValid() || !QDir().mkpath(data.filePath(QStringLiteral("mime/packages")))
        || !QFile::copy(QStringLiteral(TOVIK_SOURCE_DIR "/data/tovik-mime.xml"),
                        data.filePath(QStringLiteral("mime/packages/tovik.xml"))))
        return 1;
    const QByteArray system = qEnvironmentVariableIsEmpty("XDG_DATA_DIRS") ? QByteArray("/usr/local/share:/usr/share")
                                                                            : qgetenv("XDG_DATA_DIRS");
    qputenv("XDG_DATA_DIRS", QFile::encodeName(data.path()) + ':' + system);

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
