#include "shell/instance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace tenvix::ui {

namespace {
// A path is one UTF-8 line; anything longer than any path can be is dropped.
constexpr qint64 kMaxMessage = 64 * 1024;
// A socket's path is at most 107 bytes; a display name is a few.
constexpr qsizetype kMaxDisplayKey = 32;

// A folder only this user can enter: not a link, the user's own, mode 0700.
bool IsPrivateFolder(const QByteArray& path)
{
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 077) == 0;
}

QString SessionFolder()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/') && IsPrivateFolder(runtime))
        return QFile::decodeName(runtime);
    // An existing folder of that name is judged like any other: one that
    // another user made first is refused, not used.
    const QByteArray own = QFile::encodeName(QDir::tempPath()) + "/tenvix-" + QByteArray::number(::geteuid());
    ::mkdir(own.constData(), 0700);
    return IsPrivateFolder(own) ? QFile::decodeName(own) : QString();
}

QString DisplayKey()
{
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty())
        display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty())
        display = QStringLiteral("none");
    // A Wayland display may be given as a path.
    return display.replace(u'/', u'_').right(kMaxDisplayKey);
}

// Whether the channel's socket is this user's, or not there yet. A name
// without a folder lives in Qt's temporary folder.
bool OwnedOrAbsent(const QString& name)
{
    const QString path = name.contains(u'/') ? name : QDir::tempPath() + u'/' + name;
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return errno == ENOENT;
    return S_ISSOCK(st.st_mode) && st.st_uid == ::geteuid();
}
} // namespace

InstanceChannel::InstanceChannel(QString name, QObject* parent) : QObject(parent), m_name(std::move(name)) {}

InstanceChannel::~InstanceChannel() = default;

QString InstanceChannel::DefaultName()
{
    const QString folder = SessionFolder();
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/tenvix-open-") + DisplayKey();
}

bool InstanceChannel::HandOver(const QString& path, int timeoutMs) const
{
    if (m_name.isEmpty() || !OwnedOrAbsent(m_name))
        return false;
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(QFileInfo(path).absoluteFilePath().toUtf8() + '\n');
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // The receiver closes once it has the whole line.
    socket.waitForDisconnected(timeoutMs);
    return true;
}

bool InstanceChannel::Listen()
{
    if (m_pServer)
        return true;
    if (m_name.isEmpty() || !OwnedOrAbsent(m_name))
        return false;
    // A program that answers keeps the name. Ask first: listening with
    // access options would quietly take the name over.
    {
        QLocalSocket probe;
        probe.connectToServer(m_name);
        if (probe.waitForConnected(500))
            return false;
    }
    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    // What is left is a socket of a program that crashed.
    if (!server->listen(m_name) && (!QLocalServer::removeServer(m_name) || !server->listen(m_name))) {
        delete server;
        return false;
    }
    m_pServer = server;
    connect(server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_pServer->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine()) {
                    if (socket->bytesAvailable() > kMaxMessage)
                        socket->abort();
                    return;
                }
                const QString path = QString::fromUtf8(socket->readLine(kMaxMessage)).trimmed();
                socket->disconnectFromServer();
                if (!path.isEmpty())
                    emit PathReceived(path);
            });
        }
    });
    return true;
}

} // namespace tenvix::ui
