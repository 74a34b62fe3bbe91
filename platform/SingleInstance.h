// One window per user and display: the first program started listens on a local socket in
// the user's runtime folder; a later start hands its files to it and ends.
//
// The socket lives in $XDG_RUNTIME_DIR (a folder only its owner may enter); the listener
// still checks who is on the other end of every connection, and a starting program checks who
// owns the listener, so that neither side ever talks to another user's program.
#ifndef TOVIK_PLATFORM_SINGLEINSTANCE_H
#define TOVIK_PLATFORM_SINGLEINSTANCE_H

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QLocalServer;
class QLocalSocket;

namespace tovik::platform {

class SingleInstance
{
public:
    enum class Role {
        Primary,    // this program listens: later starts hand their files to it
        Forwarded,  // a running program took the files: end without a window
        Alone,      // neither (no runtime folder, a stranger's socket in the way): run alone
    };

    // socketPath empty: DefaultSocketPath().
    explicit SingleInstance(QString socketPath = QString());
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // Hands files (absolute paths, possibly none) to the program already running for this
    // user, waiting at most timeoutMs for it to take them; without one, starts listening.
    Role Start(const QStringList &files, int timeoutMs = 5000);

    // Receives each batch a later start hands over, from the event loop. An empty list is a
    // plain second start: the window only comes to the front.
    std::function<void(const QStringList &files)> OnFilesReceived;

    // The socket for the current user and display: "<runtime folder>/tovik-<display>.socket".
    // Empty when there is no runtime folder.
    static QString DefaultSocketPath();

    // The user id of the process at the other end of a connected local socket, or -1.
    static long PeerUserId(int socketDescriptor);

    QString SocketPath() const { return FSocketPath; }

private:
    bool Forward(const QStringList &files, int timeoutMs, bool &strangerInTheWay);
    bool Listen();
    void Accept();
    void Serve(QLocalSocket *connection);

    QString FSocketPath;
    std::unique_ptr<QLocalServer> FServer;
};

// Limits of one request, so that a confused client cannot make the listener allocate without
// bound.
constexpr int kMaxForwardedRequestBytes = 1 << 20;
constexpr int kMaxForwardedFiles = 4096;

// The bytes of a request that hands files over, and the reverse. ParseForwardRequest answers
// false for anything malformed or over the limits.
QByteArray EncodeForwardRequest(const QStringList &files);
bool ParseForwardRequest(const QByteArray &bytes, QStringList &files);

} // namespace tovik::platform

#endif
