#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>
#include <QtEndian>

#include <sys/socket.h>
#include <unistd.h>

namespace tovik::platform {
namespace {

const QByteArray kRequestMagic = QByteArrayLiteral("TOVIK-OPEN 1\n");
const QByteArray kAnswerOk = QByteArrayLiteral("OK\n");
// How long the listener waits for a connected client to finish its request.
constexpr int kServeTimeoutMs = 5000;

void AppendUint32(QByteArray &to, quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    to.append(bytes, 4);
}

bool ReadUint32(const QByteArray &from, qsizetype &pos, quint32 &value)
{
    if (from.size() - pos < 4)
        return false;
    value = qFromBigEndian<quint32>(from.constData() + pos);
    pos += 4;
    return true;
}

// Letters, digits and a few signs of the display's name, so that it can go into a file name.
QString DisplayKey()
{
    QString display = QGuiApplication::platformName();
    if (display == QLatin1String("xcb"))
        display = QStringLiteral("x11") + qEnvironmentVariable("DISPLAY");
    else if (display.startsWith(QLatin1String("wayland")))
        display = QStringLiteral("wayland-") + qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("0"));
    QString key;
    for (const QChar c : display)
        key.append(c.isLetterOrNumber() && c.unicode() < 128 ? c : QLatin1Char('_'));
    return key.isEmpty() ? QStringLiteral("default") : key;
}

} // namespace

QByteArray EncodeForwardRequest(const QStringList &files)
{
    QByteArray body;
    AppendUint32(body, quint32(files.size()));
    for (const QString &file : files) {
        const QByteArray bytes = file.toUtf8();
        AppendUint32(body, quint32(bytes.size()));
        body.append(bytes);
    }
    QByteArray request = kRequestMagic;
    AppendUint32(request, quint32(body.size()));
    request.append(body);
    return request;
}

bool ParseForwardRequest(const QByteArray &bytes, QStringList &files)
{
    files.clear();
    if (!bytes.startsWith(kRequestMagic) || bytes.size() > kMaxForwardedRequestBytes)
        return false;
    qsizetype pos = kRequestMagic.size();
    quint32 bodySize = 0, count = 0;
    if (!ReadUint32(bytes, pos, bodySize) || bodySize != quint32(bytes.size() - pos))
        return false;
    if (!ReadUint32(bytes, pos, count) || count > quint32(kMaxForwardedFiles))
        return false;
    QStringList parsed;
    for (quint32 i = 0; i < count; ++i) {
        quint32 length = 0;
        if (!ReadUint32(bytes, pos, length) || length > quint32(bytes.size() - pos))
            return false;
        parsed.append(QString::fromUtf8(bytes.constData() + pos, qsizetype(length)));
        pos += length;
    }
    if (pos != bytes.size())
        return false;
    files = parsed;
    return true;
}

SingleInstance::SingleInstance(QString socketPath)
    : FSocketPath(socketPath.isEmpty() ? DefaultSocketPath() : std::move(socketPath))
{
}

SingleInstance::~SingleInstance()
{
    // Closing removes the socket file, so the next start listens at once.
    if (FServer)
        FServer->close();
}

QString SingleInstance::DefaultSocketPath()
{
    // Qt creates a missing runtime folder and warns about (and corrects) one that others may enter.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        return QString();
    return runtime + QStringLiteral("/tovik-") + DisplayKey() + QStringLiteral(".socket");
}

long SingleInstance::PeerUserId(int socketDescriptor)
{
    if (socketDescriptor < 0)
        return -1;
    ucred credentials {};
    socklen_t length = sizeof credentials;
    if (::getsockopt(socketDescriptor, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0
        || length != sizeof credentials)
        return -1;
    return long(credentials.uid);
}

SingleInstance::Role SingleInstance::Start(const QStringList &files, int timeoutMs)
{
    if (FSocketPath.isEmpty())
        return Role::Alone;
    // Two programs started at once must not both decide to listen.
    QLockFile lock(FSocketPath + QStringLiteral(".lock"));
    lock.setStaleLockTime(10000);
    const bool locked = lock.tryLock(timeoutMs);

    bool strangerInTheWay = false;
    if (Forward(files, timeoutMs, strangerInTheWay))
        return Role::Forwarded;
    if (strangerInTheWay || !locked)
        return Role::Alone;
    return Listen() ? Role::Primary : Role::Alone;
}

bool SingleInstance::Forward(const QStringList &files, int timeoutMs, bool &strangerInTheWay)
{
    QLocalSocket socket;
    socket.connectToServer(FSocketPath);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    const long owner = PeerUserId(int(socket.socketDescriptor()));
    if (owner != long(::getuid())) {
        // Someone else's program listens here: it gets no file names, and its socket stays.
        strangerInTheWay = true;
        socket.abort();
        return false;
    }
    socket.write(EncodeForwardRequest(files));
    QElapsedTimer clock;
    clock.start();
    QByteArray answer;
    while (!answer.endsWith('\n') && answer.size() < 16) {
        const int left = timeoutMs - int(clock.elapsed());
        if (left <= 0 || (socket.bytesToWrite() > 0 && !socket.waitForBytesWritten(left)))
            break;
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(std::max(1, timeoutMs - int(clock.elapsed()))))
            break;
        answer += socket.readAll();
    }
    socket.abort();
    // A listener that does not answer (hung, or a stale socket nobody serves) is left alone;
    // this start then runs a window of its own rather than lose the files.
    return answer == kAnswerOk;
}

bool SingleInstance::Listen()
{
    FServer = std::make_unique<QLocalServer>();
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    // Nobody answered on the socket: what is left there is a stale file of a program that ended.
    QLocalServer::removeServer(FSocketPath);
    if (!FServer->listen(FSocketPath)) {
        FServer.reset();
        return false;
    }
    QObject::connect(FServer.get(), &QLocalServer::newConnection, FServer.get(), [this] { Accept(); });
    return true;
}

void SingleInstance::Accept()
{
    while (QLocalSocket *connection = FServer->nextPendingConnection()) {
        QObject::connect(connection, &QLocalSocket::disconnected, connection, &QObject::deleteLater);
        if (PeerUserId(int(connection->socketDescriptor())) != long(::getuid())) {
            connection->abort();
            connection->deleteLater();
            continue;
        }
        Serve(connection);
    }
}

void SingleInstance::Serve(QLocalSocket *connection)
{
    auto buffer = std::make_shared<QByteArray>();
    QPointer<QLocalSocket> guard(connection);
    QTimer::singleShot(kServeTimeoutMs, connection, [guard] {
        if (guard)
            guard->abort();
    });
    auto onReadable = [this, connection, buffer] {
        buffer->append(connection->readAll());
        const qsizetype header = kRequestMagic.size() + 4;
        if (buffer->size() > kMaxForwardedRequestBytes
            || (buffer->size() >= kRequestMagic.size() && !buffer->startsWith(kRequestMagic))) {
            connection->abort();
            return;
        }
        if (buffer->size() < header)
            return;
        const quint32 bodySize = qFromBigEndian<quint32>(buffer->constData() + kRequestMagic.size());
        if (bodySize > quint32(kMaxForwardedRequestBytes)) {
            connection->abort();
            return;
        }
        if (buffer->size() < header + qsizetype(bodySize))
            return;
        QStringList files;
        if (!ParseForwardRequest(*buffer, files)) {
            connection->abort();
            return;
        }
        connection->write(kAnswerOk);
        connection->flush();
        connection->disconnectFromServer();
        // The files open from the event loop, after the client has its answer and has gone.
        QTimer::singleShot(0, FServer.get(), [this, files] {
            if (OnFilesReceived)
                OnFilesReceived(files);
        });
    };
    QObject::connect(connection, &QLocalSocket::readyRead, connection, onReadable);
    if (connection->bytesAvailable() > 0)
        onReadable();
}

} // namespace tovik::platform
