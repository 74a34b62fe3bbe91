// The version dialog, the shell hand-over behind its address label, and the Japanese font
// substitutes the windows depend on.
#include "BasicControls/Source/LxShellExecute.h"
#include "Source/LxPnGlobalState.h"
#include "Source/VersionInfoFrm.h"
#include "platform/Fonts.h"

#include <QDesktopServices>
#include <QFile>
#include <QTemporaryDir>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QObject>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

// Receives what the desktop would be asked to open.
class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

namespace {

struct UrlHandlers {
    UrlRecorder recorder;
    UrlHandlers()
    {
        for (const char *scheme : {"https", "http", "mailto", "file"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &recorder, "open");
    }
    ~UrlHandlers()
    {
        for (const char *scheme : {"https", "http", "mailto", "file"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
};

TEST(VersionInfoTest, ShowsTitleVersionMakerAndAddress)
{
    TFormVersionInfo form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("バージョン情報"));
    EXPECT_EQ(form.LabelTitle->text(), QStringLiteral("Tovik 書庫ビューア"));
    EXPECT_EQ(form.LabelVersion->text(), QStringLiteral(TOVIK_TEST_VERSION));
    EXPECT_FALSE(form.LabelMaker1->text().isEmpty());
    EXPECT_FALSE(form.LabelMaker2->text().isEmpty());
    const QUrl web(form.LabelWeb->text());
    EXPECT_TRUE(web.isValid());
    EXPECT_EQ(web.scheme(), QStringLiteral("https"));
    EXPECT_EQ(form.ButtonOK->text(), QStringLiteral("OK"));
}

TEST(VersionInfoTest, DoubleClickOnAddressOpensItSingleClickDoesNot)
{
    UrlHandlers handlers;
    QTemporaryDir dir;
    const QString iniPath = dir.filePath(QStringLiteral("tovik.ini"));
    QFile ini(iniPath);
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[General]\nUseSound=True\nClkSound=/sounds/click.wav\nMsgSound=/sounds/msg.wav\n");
    ini.close();
    qputenv("TOVIK_INI", iniPath.toLocal8Bit());
    TAppGlobalState state;
    QStringList played;
    state.SetSoundSink([&played](const QString &file) { played << file; });

    TFormVersionInfo form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(form.LabelWeb, Qt::LeftButton);
    EXPECT_TRUE(handlers.recorder.urls.isEmpty());
    QTest::mouseDClick(form.LabelWeb, Qt::LeftButton);
    ASSERT_EQ(handlers.recorder.urls.size(), 1);
    EXPECT_EQ(handlers.recorder.urls.first(), QUrl(TFormVersionInfo::WebAddress()));
    EXPECT_EQ(played, QStringList{QStringLiteral("/sounds/click.wav")});
    qunsetenv("TOVIK_INI");
}

TEST(VersionInfoTest, OkClosesTheModalDialog)
{
    TFormVersionInfo form;
    QTimer::singleShot(0, &form, [&form] { form.ButtonOK->click(); });
    EXPECT_EQ(form.exec(), QDialog::Accepted);
    EXPECT_FALSE(form.isVisible());
}

TEST(ShellExecTest, TargetsBecomeTheRightAddresses)
{
    UrlHandlers handlers;
    TLxShellExec shell;
    shell.FileName = QStringLiteral("https://example.org/a b");
    EXPECT_GT(shell.Execute(), 32);
    shell.FileName = QStringLiteral("someone@example.org");
    EXPECT_GT(shell.Execute(), 32);
    shell.FileName = QStringLiteral("/tmp/書庫 1.lzh");
    EXPECT_GT(shell.Execute(), 32);
    ASSERT_EQ(handlers.recorder.urls.size(), 3);
    EXPECT_EQ(handlers.recorder.urls[0].host(), QStringLiteral("example.org"));
    EXPECT_EQ(handlers.recorder.urls[1], QUrl(QStringLiteral("mailto:someone@example.org")));
    EXPECT_EQ(handlers.recorder.urls[2], QUrl::fromLocalFile(QStringLiteral("/tmp/書庫 1.lzh")));
}

TEST(ShellExecTest, FailuresAreReportedNotThrown)
{
    UrlHandlers handlers;
    TLxShellExec shell;
    EXPECT_LE(shell.Execute(), 32); // nothing to open
    shell.FileName = QStringLiteral("/tmp/x.txt");
    shell.Verb = TLxSHVerb::svPrint;
    EXPECT_LE(shell.Execute(), 32);
    EXPECT_TRUE(handlers.recorder.urls.isEmpty());
    EXPECT_STREQ(LxSHVerbName(TLxSHVerb::svProperties), "properties");
}

// The settings' default font must come out as a Japanese face whose half-width characters
// all have one width, or the text views misalign.
TEST(FontsTest, DefaultJapaneseNameResolvesToFixedPitchJapaneseFace)
{
    const QFont font = tovik::platform::FontFromSettings(QStringLiteral("ＭＳ ゴシック"), 9);
    const QString family = QFontInfo(font).family();
    EXPECT_TRUE(family.contains(QStringLiteral("IPAGothic")) || family.contains(QStringLiteral("Noto Sans Mono CJK")))
        << family.toStdString();
    const QFontMetricsF fm(font);
    EXPECT_DOUBLE_EQ(fm.horizontalAdvance(QLatin1Char('i')), fm.horizontalAdvance(QLatin1Char('W')));
    EXPECT_DOUBLE_EQ(fm.horizontalAdvance(QStringLiteral("漢")), 2 * fm.horizontalAdvance(QLatin1Char('W')));
    EXPECT_TRUE(QFontMetricsF(font).inFont(QChar(0x6F22)));
    EXPECT_EQ(QFontInfo(tovik::platform::FontFromSettings(QString(), 0)).family(), family);
}

TEST(FontsTest, MinchoAndProportionalNamesResolveToo)
{
    for (const char *name : {"ＭＳ 明朝", "ＭＳ Ｐゴシック", "MS Gothic"}) {
        const QString family = QFontInfo(QFont(QString::fromUtf8(name))).family();
        EXPECT_TRUE(family.startsWith(QStringLiteral("IPA")) || family.startsWith(QStringLiteral("Noto")))
            << name << " -> " << family.toStdString();
    }
}

} // namespace

#include "VersionInfoTest.moc"
