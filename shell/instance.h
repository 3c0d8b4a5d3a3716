#pragma once

// One running program per user for opening files: a second start with a
// file hands the path to the program already running, which opens it after
// its usual question, and ends.

#include <QObject>
#include <QString>

class QLocalServer;

namespace tenvix::ui {

class CInstanceChannel : public QObject {
    Q_OBJECT
public:
    // `name` identifies the channel; the default is per user.
    explicit CInstanceChannel(QString name = DefaultName(), QObject* parent = nullptr);
    ~CInstanceChannel() override;

    static QString DefaultName();

    // Gives `path` (made absolute) to the running program. False when none
    // answers within `timeoutMs`.
    bool HandOver(const QString& path, int timeoutMs = 2000) const;
    // Starts answering later starts. False when another program already does.
    bool Listen();

signals:
    void PathReceived(const QString& path);

private:
    QString m_name;
    QLocalServer* m_pServer = nullptr;
};

} // namespace tenvix::ui
