#include "portal_requests.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

TPortalRequests::TPortalRequests(QDBusConnection bus, QObject* parent)
    : QObject(parent), Bus_(std::move(bus)) {
    // Every request of ours: the path the portal picks is not known before the call
    // returns, and the answer may come before the return is read.
    Bus_.connect(QString::fromLatin1(kService), QString(),
                 QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"), this,
                 SLOT(Response(uint, QVariantMap)));
}

void TPortalRequests::Call(const QString& interface, const QString& method, QVariantList arguments,
                           QVariantMap options, TAnswer answer) {
    // Unique in the process: every requester of ours sees every answer.
    static int next = 0;
    const QString token =
        QStringLiteral("vantro%1_%2").arg(QCoreApplication::applicationPid()).arg(++next);
    options.insert(QStringLiteral("handle_token"), token);
    arguments.append(options);
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kService), QString::fromLatin1(kPath), interface, method);
    call.setArguments(arguments);
    Pending_[token] = std::move(answer);
    auto* watcher = new QDBusPendingCallWatcher(Bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, token](auto* done) {
        done->deleteLater();
        if (!done->isError()) return;
        auto it = Pending_.find(token);
        if (it == Pending_.end()) return;
        TAnswer failed = std::move(it->second);
        Pending_.erase(it);
        failed(2, {{QStringLiteral("error"), done->error().message()}});
    });
}

void TPortalRequests::Response(uint response, const QVariantMap& results) {
    const QString path = message().path();
    const QString token = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    auto it = Pending_.find(token);
    if (it == Pending_.end()) return;  // another program's request
    TAnswer answer = std::move(it->second);
    Pending_.erase(it);
    answer(response, results);
}

QVariant TPortalRequests::Property(const QString& interface, const QString& name,
                                   int timeoutMs) const {
    QDBusMessage get = QDBusMessage::createMethodCall(
        QString::fromLatin1(kService), QString::fromLatin1(kPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get.setArguments({interface, name});
    const QDBusMessage reply = Bus_.call(get, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
    return reply.arguments().first().value<QDBusVariant>().variant();
}
