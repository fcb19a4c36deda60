#pragma once
// One LonvarStd per user: a lock file held while the program runs and a local socket
// beside it, both named after the program in the user's runtime folder. A second start
// finds the lock taken, asks the first through the socket to come to the front and
// ends. The kernel drops the lock of a program that was killed, so a crash never
// blocks the next start.
//
// The socket speaks one line per connection: "raise" (a second start) or
// "request <key>" (a request key handed over from the command line, answered with one
// line: "ok", or the reason it was not taken).

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

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
    // Where the instance of `name` listens; a client needs no instance object.
    static QString SocketPathFor(const QString& name, const QString& folder = {});

    // Takes a request key's virtual key code (already checked to be F1..F12) and gives
    // the answer line for the requesting command: "ok" when the key went its way, else
    // why not. Without a handler every request is answered "not ready".
    using tRequestHandler = std::function<QString(std::uint16_t keyCode)>;
    void SetRequestHandler(tRequestHandler handler) { onRequest_ = std::move(handler); }

signals:
    // A later start asked this instance to show itself.
    void RaiseRequested();

private:
    void AskFirstToRaise() const;
    QString Answer(const QByteArray& line);
    QString name_;
    QString folder_;
    int lockFd_ = -1;
    QLocalServer server_;
    tRequestHandler onRequest_;
};
