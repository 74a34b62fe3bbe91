// The program as a desktop citizen: one window per user (a later start hands its files over,
// a stranger is never talked to), the main window's caption, the command-line language, and
// the archive types the launcher claims.
#include "Source/LxPnGlobalState.h"
#include "Source/MainFrm.h"
#include "Source/ViewerFrm.h"
#include "platform/MessageBox.h"
#include "platform/MessageLanguage.h"
#include "platform/SingleInstance.h"
#include "platform/WindowTitle.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <poll.h>
#include <unistd.h>

using tovik::platform::SingleInstance;

namespace {

constexpr uid_t kStranger = 65534;   // nobody

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Runs the event loop until the child ends; answers its exit status, or -1.
int WaitForChild(pid_t child, int timeoutMs = 20000)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        int status = 0;
        if (::waitpid(child, &status, WNOHANG) == child)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    return -1;
}

sockaddr_un Address(const QString &path)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(path);
    std::memcpy(address.sun_path, bytes.constData(), std::min<size_t>(bytes.size(), sizeof address.sun_path - 1));
    return address;
}

// Becomes the second user; only calls that are safe after fork().
void BecomeStranger()
{
    if (::setgid(kStranger) != 0 || ::setuid(kStranger) != 0)
        ::_exit(90);
}

class DesktopTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        qputenv("TOVIK_ARCHIVERS", TOVIK_ARCHIVER_BUILD_DIR);
        const QString ini = tmp.filePath(QStringLiteral("tovik.ini"));
        WriteFile(ini, QStringLiteral("[General]\nWorkFolder=%1\nUseSound=False\nFormPosLoad=False\n")
                           .arg(tmp.filePath(QStringLiteral("work")))
                           .toUtf8());
        qputenv("TOVIK_INI", QFile::encodeName(ini));
        state = std::make_unique<TAppGlobalState>();
        tovik::platform::SetMessageInterceptor([this](const QString &text, tovik::platform::MessageKind,
                                                      QMessageBox::StandardButtons) {
            messages << text;
            return QMessageBox::Ok;
        });
    }

    void TearDown() override
    {
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        tovik::platform::SetMessageInterceptor(nullptr);
        state.reset();
    }

    QString MakeZip(const QString &name)
    {
        const QString src = tmp.filePath(QStringLiteral("src-") + name);
        WriteFile(src + QStringLiteral("/readme.txt"), "hello\r\n");
        const QString archive = tmp.filePath(name);
        QProcess zip;
        zip.setWorkingDirectory(src);
        zip.start(QStringLiteral("zip"), {QStringLiteral("-q"), QStringLiteral("-X"), archive, QStringLiteral("readme.txt")});
        EXPECT_TRUE(zip.waitForFinished(30000));
        EXPECT_EQ(zip.exitCode(), 0);
        return archive;
    }

    QTemporaryDir tmp;
    std::unique_ptr<TAppGlobalState> state;
    std::unique_ptr<TFormMain> window;
    QStringList messages;
};

TEST_F(DesktopTest, CaptionNamesTheArchiveOfTheFrontTab)
{
    const QString a = MakeZip(QStringLiteral("a.zip"));
    const QString b = MakeZip(QStringLiteral("b.zip"));
    window = std::make_unique<TFormMain>();
    window->show();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tovik 書庫ビューア"));

    window->OpenFiles({a, b});
    ASSERT_EQ(window->PageControl1->count(), 2);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("b.zip — Tovik 書庫ビューア"));
    window->PageControl1->setCurrentIndex(0);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("a.zip — Tovik 書庫ビューア"));
    // Opening what is already open only brings its tab forward, and the caption follows.
    window->DoOpenFile(b);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("b.zip — Tovik 書庫ビューア"));

    // A file that no library reads closes its tab again: the caption stays with what is shown.
    const QString bad = tmp.filePath(QStringLiteral("notes.xyz"));
    WriteFile(bad, "not an archive at all");
    window->DoOpenFile(bad);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->PageControl1->count() == 2; }));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("b.zip — Tovik 書庫ビューア"));

    while (window->PageControl1->count() > 0)
        delete window->PageControl1->widget(0);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tovik 書庫ビューア"));
    // Nothing appends the program's name to captions (Qt does so when a display name is set).
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QGuiApplication::applicationName());
}

TEST_F(DesktopTest, SecondStartHandsItsFilesToTheFirstWindow)
{
    const QString a = MakeZip(QStringLiteral("a.zip"));
    MakeZip(QStringLiteral("b.zip"));
    window = std::make_unique<TFormMain>(QStringList {a});
    window->show();
    SingleInstance instance;
    ASSERT_FALSE(instance.SocketPath().isEmpty());
    ASSERT_EQ(instance.Start({}), SingleInstance::Role::Primary);
    TFormMain *w = window.get();
    instance.OnFilesReceived = [w](const QStringList &files) { w->OpenForwardedFiles(files); };

    // The real program, started from the archive's folder with a relative name: it must name
    // the file so that this process, with another current folder, finds it.
    QProcess second;
    second.setWorkingDirectory(tmp.path());
    second.setProgram(QStringLiteral(TOVIK_TEST_BIN_DIR "/tovik"));
    second.setArguments({QStringLiteral("b.zip")});
    second.start();
    ASSERT_TRUE(second.waitForStarted(10000));
    QElapsedTimer clock;
    clock.start();
    while (second.state() != QProcess::NotRunning && clock.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(second.state(), QProcess::NotRunning) << "the second start did not end";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();

    QTRY_COMPARE_WITH_TIMEOUT(window->PageControl1->count(), 2, 5000);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("b.zip — Tovik 書庫ビューア"));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
}

TEST_F(DesktopTest, StaleSocketOfAnEndedProgramIsTakenOver)
{
    const QString path = tmp.filePath(QStringLiteral("stale.socket"));
    // A socket file that nobody listens on any more, as a crash leaves it.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = Address(path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
    ::close(fd);
    ASSERT_TRUE(QFileInfo::exists(path));

    SingleInstance first(path);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(first.Start({QStringLiteral("/x.lzh")}), SingleInstance::Role::Primary);
    EXPECT_LT(clock.elapsed(), 2000);
}

TEST_F(DesktopTest, ListenerRefusesAnotherUser)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "acting as a second user needs root";
    // A folder that lets anyone in, as a misconfigured runtime folder would.
    const QString folder = tmp.filePath(QStringLiteral("open"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ::chmod(QFile::encodeName(tmp.path()).constData(), 0777);
    ::chmod(QFile::encodeName(folder).constData(), 0777);
    const QString path = folder + QStringLiteral("/tovik.socket");
    SingleInstance instance(path);
    ASSERT_EQ(instance.Start({}), SingleInstance::Role::Primary);
    ::chmod(QFile::encodeName(path).constData(), 0777);
    QStringList received;
    bool called = false;
    instance.OnFilesReceived = [&](const QStringList &files) {
        called = true;
        received = files;
    };

    const QByteArray request = tovik::platform::EncodeForwardRequest({QStringLiteral("/home/victim/secret.lzh")});
    const sockaddr_un address = Address(path);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        BecomeStranger();
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
            ::_exit(91);
        if (::write(fd, request.constData(), size_t(request.size())) != request.size())
            ::_exit(0);   // cut off while writing: refused
        char answer[16];
        pollfd p {fd, POLLIN, 0};
        if (::poll(&p, 1, 10000) != 1)
            ::_exit(92);   // neither answered nor closed
        ::_exit(::read(fd, answer, sizeof answer) > 0 ? 93 : 0);
    }
    EXPECT_EQ(WaitForChild(child), 0) << "91: could not connect, 92: left hanging, 93: answered";
    QCoreApplication::processEvents();
    EXPECT_FALSE(called) << received.join(QLatin1Char(' ')).toStdString();
}

TEST_F(DesktopTest, StartGivesNoFilesToAnotherUsersListener)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "acting as a second user needs root";
    const QString folder = tmp.filePath(QStringLiteral("open"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ::chmod(QFile::encodeName(tmp.path()).constData(), 0777);
    ::chmod(QFile::encodeName(folder).constData(), 0777);
    const QString path = folder + QStringLiteral("/tovik.socket");
    const sockaddr_un address = Address(path);

    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The stranger listens where this user's program would, and counts what it is told.
        BecomeStranger();
        const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::bind(server, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 || ::listen(server, 4) != 0)
            ::_exit(91);
        ::chmod(address.sun_path, 0777);
        (void)!::write(ready[1], "r", 1);
        pollfd p {server, POLLIN, 0};
        if (::poll(&p, 1, 10000) != 1)
            ::_exit(92);
        const int connection = ::accept(server, nullptr, nullptr);
        char buffer[256];
        ssize_t total = 0, n = 0;
        pollfd q {connection, POLLIN, 0};
        while (::poll(&q, 1, 3000) == 1 && (n = ::read(connection, buffer, sizeof buffer)) > 0)
            total += n;
        ::_exit(total > 0 ? 93 : 0);
    }
    ::close(ready[1]);
    char signal = 0;
    ASSERT_EQ(::read(ready[0], &signal, 1), 1);
    ::close(ready[0]);

    SingleInstance instance(path);
    EXPECT_EQ(instance.Start({QStringLiteral("/home/me/private.lzh")}, 3000), SingleInstance::Role::Alone);
    EXPECT_EQ(WaitForChild(child), 0) << "91: could not listen, 92: no connection, 93: was told file names";
    // The stranger's socket stays where it is: this program does not remove what it does not own.
    EXPECT_TRUE(QFileInfo::exists(path));
}

TEST(ForwardRequest, RoundTripAndLyingFields)
{
    using tovik::platform::EncodeForwardRequest;
    using tovik::platform::ParseForwardRequest;
    QStringList files;
    const QStringList names {QStringLiteral("/tmp/書庫 1.lzh"), QString(), QStringLiteral("/a/b.zip")};
    ASSERT_TRUE(ParseForwardRequest(EncodeForwardRequest(names), files));
    EXPECT_EQ(files, names);
    ASSERT_TRUE(ParseForwardRequest(EncodeForwardRequest({}), files));
    EXPECT_TRUE(files.isEmpty());

    const QByteArray good = EncodeForwardRequest({QStringLiteral("/x.lzh")});
    const qsizetype bodyAt = good.indexOf('\n') + 1;
    auto withWord = [&](qsizetype at, quint32 value) {
        QByteArray bytes = good;
        qToBigEndian(value, bytes.data() + at);
        return bytes;
    };
    struct Case {
        const char *why;
        QByteArray bytes;
    } cases[] = {
        {"empty", QByteArray()},
        {"another protocol", QByteArray("GET / HTTP/1.0\r\n\r\n")},
        {"cut short", good.left(good.size() - 1)},
        {"trailing bytes", good + "x"},
        {"body longer than sent", withWord(bodyAt, 1000)},
        {"more names than sent", withWord(bodyAt + 4, 2)},
        {"name longer than the body", withWord(bodyAt + 8, 0x7fffffff)},
        {"name count over the limit", withWord(bodyAt + 4, tovik::platform::kMaxForwardedFiles + 1)},
    };
    for (const Case &c : cases) {
        files = QStringList {QStringLiteral("left over")};
        EXPECT_FALSE(ParseForwardRequest(c.bytes, files)) << c.why;
        EXPECT_TRUE(files.isEmpty()) << c.why;
    }
    QStringList many;
    for (int i = 0; i < tovik::platform::kMaxForwardedFiles; ++i)
        many << QString(300, QLatin1Char('x'));
    EXPECT_FALSE(ParseForwardRequest(EncodeForwardRequest(many), files)) << "over the size limit";
}

TEST(MessageLanguage, FollowsTheLocaleThatMessagesUse)
{
    struct Case {
        const char *all, *messages, *lang;
        bool japanese;
    } cases[] = {
        {nullptr, nullptr, "ja_JP.UTF-8", true},
        {nullptr, nullptr, "ja", true},
        {nullptr, nullptr, "C.UTF-8", false},
        {nullptr, nullptr, "jam_XX", false},
        {nullptr, "ja_JP.eucJP", "C", true},
        {"C", "ja_JP.UTF-8", "ja_JP.UTF-8", false},
        {"ja_JP@euro", nullptr, "en_US.UTF-8", true},
        {"", nullptr, "ja_JP.UTF-8", true},   // an empty variable counts as unset
        {nullptr, nullptr, nullptr, false},
    };
    const QByteArray saved[] = {qgetenv("LC_ALL"), qgetenv("LC_MESSAGES"), qgetenv("LANG")};
    const char *names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    for (const Case &c : cases) {
        const char *values[] = {c.all, c.messages, c.lang};
        for (int i = 0; i < 3; ++i)
            values[i] ? qputenv(names[i], values[i]) : qunsetenv(names[i]);
        EXPECT_EQ(tovik::platform::JapaneseMessages(), c.japanese)
            << (c.all ? c.all : "-") << " " << (c.messages ? c.messages : "-") << " " << (c.lang ? c.lang : "-");
    }
    for (int i = 0; i < 3; ++i)
        saved[i].isNull() ? qunsetenv(names[i]) : qputenv(names[i], saved[i]);
}

} // namespace

namespace {

// The launcher's MimeType list.
QStringList ClaimedTypes()
{
    QFile launcher(QStringLiteral(TOVIK_SOURCE_DIR "/data/tovik.desktop"));
    if (!launcher.open(QIODevice::ReadOnly))
        return {};
    while (!launcher.atEnd()) {
        const QString line = QString::fromUtf8(launcher.readLine()).trimmed();
        if (line.startsWith(QLatin1String("MimeType=")))
            return line.mid(9).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    }
    return {};
}

TEST(Launcher, ClaimsTheTypeOfEveryNameTheRegistryChoosesALibraryFor)
{
    // The MIME database here is the system's plus the program's own package (see main).
    const QStringList claimed = ClaimedTypes();
    ASSERT_FALSE(claimed.isEmpty());
    QMimeDatabase db;
    for (const char *name : {"a.lzh", "B.LZH", "a.zip", "a.jar", "a.ear", "a.war", "a.7z", "a.cab", "a.tar", "a.a",
                             "a.lib", "a.deb", "a.rpm", "a.cpio", "a.z", "a.gz", "a.tgz", "a.taz", "a.bz2", "a.tar.gz",
                             "a.tar.bz2", "a.tar.Z", "a.arj", "setup.exe"}) {
        const QMimeType type = db.mimeTypeForFile(QString::fromLatin1(name), QMimeDatabase::MatchExtension);
        EXPECT_TRUE(claimed.contains(type.name())) << name << " is " << type.name().toStdString();
    }
    // Every claimed type is one the database knows, so no association is silently dead.
    for (const QString &type : claimed)
        EXPECT_TRUE(db.mimeTypeForName(type).isValid()) << type.toStdString();
}

} // namespace
