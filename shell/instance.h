#pragma once

// One running program per user and desktop session for opening files: a
// second start with a file hands the path to the program already running on
// the same display, which opens it after its usual question, and ends.

#include <QObject>
#include <QString>

class QLocalServer;

namespace tenvix::ui {

class InstanceChannel : public QObject {
    Q_OBJECT
public:
    // `name` identifies the channel: a socket path, or a bare name that Qt
    // places in the temporary folder (the tests' own). An empty name is no
    // channel: nothing is handed over and nothing listens.
    explicit InstanceChannel(QString name = DefaultName(), QObject* parent = nullptr);
    ~InstanceChannel() override;

    // The socket of this user's session: in $XDG_RUNTIME_DIR (else a folder
    // of the user's own, mode 0700, under the temporary folder), named after
    // the display ($WAYLAND_DISPLAY, else $DISPLAY), so that a start on
    // another display or in another session gets a program of its own.
    // Empty when no folder private to the user can be had.
    static QString DefaultName();

    // Gives `path` (made absolute) to the running program. False when none
    // answers within `timeoutMs`, or when the socket belongs to another user.
    bool HandOver(const QString& path, int timeoutMs = 2000) const;
    // Starts answering later starts. False when another program already
    // does, or when the socket's name is taken by another user.
    bool Listen();

signals:
    void PathReceived(const QString& path);

private:
    QString m_name;
    QLocalServer* m_pServer = nullptr;
};

} // namespace tenvix::ui
