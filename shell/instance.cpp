#include "shell/instance.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace tenvix::ui {

namespace {
// A path is one UTF-8 line; anything longer than any path can be is dropped.
constexpr qint64 kMaxMessage = 64 * 1024;
} // namespace

CInstanceChannel::CInstanceChannel(QString name, QObject* parent) : QObject(parent), m_name(std::move(name)) {}

CInstanceChannel::~CInstanceChannel() = default;

QString CInstanceChannel::DefaultName() { return QStringLiteral("tenvix-open-%1").arg(::getuid()); }

bool CInstanceChannel::HandOver(const QString& path, int timeoutMs) const
{
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

bool CInstanceChannel::Listen()
{
    if (m_pServer)
        return true;
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
