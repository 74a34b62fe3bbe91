#include "TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <cstdlib>

void EnsureApplication()
{
    if (QApplication::instance())
        return;
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        static QTemporaryDir runtime;
        QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    }
    static int argc = 1;
    static char name[] = "test_settings";
    static char *argv[] = {name, nullptr};
    // Never destroyed: tearing Qt down among the exit-time destructors crashes.
    new QApplication(argc, argv);
}

QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

void IniFileTest::SetUp()
{
    EnsureApplication();
    ASSERT_TRUE(FDir.isValid());
    qputenv("TOVIK_INI", IniPath().toLocal8Bit());
}

void IniFileTest::TearDown() { qunsetenv("TOVIK_INI"); }
