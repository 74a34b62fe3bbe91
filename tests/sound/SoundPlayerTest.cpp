#include "platform/SoundPlayer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A short, valid PCM wave file.
QByteArray WaveFile()
{
    const quint32 samples = 800;
    QByteArray wav;
    auto u32 = [&](quint32 v) { for (int i = 0; i < 4; ++i) wav.append(char((v >> (8 * i)) & 0xFF)); };
    auto u16 = [&](quint16 v) { wav.append(char(v & 0xFF)); wav.append(char(v >> 8)); };
    wav += "RIFF"; u32(36 + samples * 2); wav += "WAVEfmt "; u32(16);
    u16(1); u16(1); u32(8000); u32(16000); u16(2); u16(16);
    wav += "data"; u32(samples * 2);
    for (quint32 i = 0; i < samples; ++i)
        u16(quint16((i % 16) * 1000));
    return wav;
}

void Write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

// Without an audio device (as here) the player warns and never finishes: nothing may wait for it.
TEST(SoundPlayerTest, RealFilesNeverBlockOrFail)
{
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "test_sound";
        static char *argv[] = {name, nullptr};
        new QCoreApplication(argc, argv);
    }
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString good = dir.filePath("good.wav");
    const QString broken = dir.filePath("broken.wav");
    Write(good, WaveFile());
    Write(broken, QByteArray("RIFF\x10\x00\x00\x00WAVEjunk and more junk", 29));
    QElapsedTimer timer;
    timer.start();
    {
        tovik::platform::SoundPlayer player;
        for (const QString &file : {good, broken, dir.filePath("missing.wav"), dir.path(), QString(), good,
                                    dir.filePath("a.wav"), dir.filePath("b.wav"), dir.filePath("c.wav"), good}) {
            player.Play(file);
            QCoreApplication::processEvents();
        }
    }
    EXPECT_LT(timer.elapsed(), 5000);
}
