#include "shell/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <cstdio>
#include <string>

#include "engine/dataModule.h"

namespace {

constexpr int kConnectMs = 2000;
// A line longer than any command: the peer is not one of ours.
constexpr qint64 kMaxLine = 64;

QString RuntimeFolder() {
    const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty() && QDir(xdg).exists()) return xdg;
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

}  // namespace

tSingleInstance::tSingleInstance(const QString& name, const QString& folder)
    : name_(name), folder_(folder.isEmpty() ? RuntimeFolder() : folder) {
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine()) {
                    if (socket->bytesAvailable() > kMaxLine) socket->abort();
                    return;
                }
                const QString answer = Answer(socket->readLine(kMaxLine + 1).trimmed());
                if (!answer.isEmpty()) socket->write((answer + "\n").toUtf8());
                socket->disconnectFromServer();
            });
        }
    });
}

QString tSingleInstance::SocketPathFor(const QString& name, const QString& folder) {
    return (folder.isEmpty() ? RuntimeFolder() : folder) + "/" + name;
}

QString tSingleInstance::Answer(const QByteArray& line) {
    if (line == "raise") {
        emit RaiseRequested();
        return {};
    }
    if (!line.startsWith("request ")) return "unknown command";
    // The command has checked the name; a peer that did not gets the same refusal.
    const std::uint16_t code = TD::KeyNameToCode(line.mid(8).toStdString());
    if (code == 0) return "unknown key";
    return onRequest_ ? onRequest_(code) : QString("not ready");
}

tSingleInstance::~tSingleInstance() {
    if (lockFd_ < 0) return;
    server_.close();
    // The lock goes before the file: a start in between finds the file free.
    close(lockFd_);
}

bool tSingleInstance::Acquire() {
    QDir().mkpath(folder_);
    // Close-on-exec: an office the program starts must not inherit the lock and hold it
    // after the program has ended.
    const std::string lockPath = LockPath().toStdString();
    lockFd_ = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd_ < 0) {
        std::fprintf(stderr, "LonvarStd: no lock file %s; a second start is not detected\n",
                     lockPath.c_str());
        return true;
    }
    if (flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        close(lockFd_);
        lockFd_ = -1;
        AskFirstToRaise();
        return false;
    }
    // Ours now: a socket left by a killed instance is stale.
    const std::string pid = std::to_string(getpid()) + "\n";
    if (ftruncate(lockFd_, 0) == 0) {
        [[maybe_unused]] const ssize_t written = write(lockFd_, pid.data(), pid.size());
    }
    QLocalServer::removeServer(SocketPath());
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(SocketPath())) {
        std::fprintf(stderr, "LonvarStd: %s: %s\n", SocketPath().toLocal8Bit().constData(),
                     server_.errorString().toLocal8Bit().constData());
    }
    return true;
}

void tSingleInstance::AskFirstToRaise() const {
    // The first instance may still be starting and not listen yet: then it simply
    // stays where it is.
    QLocalSocket socket;
    socket.connectToServer(SocketPath());
    if (socket.waitForConnected(kConnectMs)) {
        socket.write("raise\n");
        socket.waitForBytesWritten(kConnectMs);
        socket.disconnectFromServer();
    }
}
