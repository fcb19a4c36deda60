#pragma once
// One LonvarStd per user: a lock file held while the program runs and a local socket
// beside it, both named after the program in the user's runtime folder. A second start
// finds the lock taken, asks the first through the socket to come to the front and
// ends. The kernel drops the lock of a program that was killed, so a crash never
// blocks the next start.

#include <QLocalServer>
#include <QObject>
#include <QString>

class tSingleInstance : public QObject {
    Q_OBJECT
public:
    // `folder`: "" = the user's runtime folder ($XDG_RUNTIME_DIR, else Qt's choice).
    explicit tSingleInstance(const QString& name, const QString& folder = {});
    ~tSingleInstance() override;
    tSingleInstance(const tSingleInstance&) = delete;
    tSingleInstance& operator=(const tSingleInstance&) = delete;

    // True when this is the first instance: it holds the lock and listens for later
    // starts (also when the folder cannot take a lock file: better two programs than
    // none). False when another instance holds the lock; it has been asked to come
    // to the front.
    bool Acquire();

    QString LockPath() const { return folder_ + "/" + name_ + ".lock"; }
    QString SocketPath() const { return folder_ + "/" + name_; }

signals:
    // A later start asked this instance to show itself.
    void RaiseRequested();

private:
    void AskFirstToRaise() const;
    QString name_;
    QString folder_;
    int lockFd_ = -1;
    QLocalServer server_;
};
