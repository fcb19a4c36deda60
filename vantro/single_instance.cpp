#include "single_instance.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

#include "hotkey_command.h"

namespace {

constexpr int kAnswerTimeoutMs = 3000;

QString RuntimeFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    return folder;
}

}  // namespace

QString TSingleInstance::LockPath() {
    return RuntimeFolder() + QStringLiteral("/Vantro.lock");
}

QString TSingleInstance::SocketPath() {
    return RuntimeFolder() + QStringLiteral("/Vantro.socket");
}

TSingleInstance::TSingleInstance() : Lock_(LockPath()) {
    Lock_.setStaleLockTime(0);
}

TSingleInstance::~TSingleInstance() {
    if (Server_) Server_->close();
}

bool TSingleInstance::TryBecomeFirst() {
    if (!Lock_.tryLock(0)) return false;
    // A socket file left by a process that died is ours to replace: we hold the lock.
    QLocalServer::removeServer(SocketPath());
    Server_ = std::make_unique<QLocalServer>();
    Server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(Server_.get(), &QLocalServer::newConnection, this, &TSingleInstance::AnswerRequest);
    Server_->listen(SocketPath());
    return true;
}

void TSingleInstance::AnswerRequest() {
    while (QLocalSocket* client = Server_->nextPendingConnection()) {
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        connect(client, &QLocalSocket::readyRead, client, [this, client] {
            if (!client->canReadLine()) return;
            const std::string line = client->readLine(4096).trimmed().toStdString();
            if (std::string key; ParseHotKeyRequestLine(line, key)) {
                const std::string answer = OnHotKey ? OnHotKey(key) : "it is still starting";
                client->write(QByteArray::fromStdString(answer + "\n"));
            } else {
                const bool found = OnActivate && OnActivate(line);
                client->write(found ? "1\n" : "0\n");
            }
            client->flush();
            client->disconnectFromServer();
        });
    }
}

bool ActivatePreviousInstance(const std::string& title) {
    const QString trimmed = QString::fromStdString(title).trimmed();
    if (trimmed.isEmpty()) return false;
    QLocalSocket socket;
    socket.connectToServer(TSingleInstance::SocketPath());
    if (!socket.waitForConnected(kAnswerTimeoutMs)) return false;
    socket.write(trimmed.toUtf8() + '\n');
    socket.flush();
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(kAnswerTimeoutMs)) return false;
    }
    return socket.readLine().trimmed() == "1";
}
