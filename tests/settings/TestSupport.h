// Shared pieces of the settings tests: the application object and a temporary ini file.
#ifndef TOVIK_TESTS_SETTINGS_TESTSUPPORT_H
#define TOVIK_TESTS_SETTINGS_TESTSUPPORT_H

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Creates the application object on first use (offscreen, with a private runtime folder).
void EnsureApplication();

QByteArray ReadBytes(const QString &path);
void WriteBytes(const QString &path, const QByteArray &bytes);

// Points TOVIK_INI at a file in a fresh temporary folder for the length of each test.
class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QString IniPath() const { return FDir.filePath(QStringLiteral("tovik.ini")); }
    QString Ini() const { return QString::fromUtf8(ReadBytes(IniPath())); }
    void SetIni(const QByteArray &text) { WriteBytes(IniPath(), text); }

    QTemporaryDir FDir;
};

#endif
