#include "shell/globalShortcuts.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QList>
#include <algorithm>

#include "shell/requestCommand.h"

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kShortcuts = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
const QString kSession = QStringLiteral("org.freedesktop.portal.Session");
const QString kRegistry = QStringLiteral("org.freedesktop.host.portal.Registry");
// The name of the desktop file: how the portal knows a program outside a sandbox.
const QString kAppId = QStringLiteral("org.tavrix.LonvarStd");
// Fixed: the desktop keeps the bound keys under this name, and a new name on each run
// would find its keys taken by the last run's.
const QString kSessionToken = QStringLiteral("lonvarstd");

struct tPortalShortcut {
    QString Id;
    QVariantMap Properties;
};
using tPortalShortcuts = QList<tPortalShortcut>;

QDBusArgument& operator<<(QDBusArgument& argument, const tPortalShortcut& shortcut) {
    argument.beginStructure();
    argument << shortcut.Id << shortcut.Properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, tPortalShortcut& shortcut) {
    argument.beginStructure();
    argument >> shortcut.Id >> shortcut.Properties;
    argument.endStructure();
    return argument;
}

}  // namespace

Q_DECLARE_METATYPE(tPortalShortcut)
Q_DECLARE_METATYPE(tPortalShortcuts)

namespace {

QString ShortcutId(std::uint16_t key) {
    return "request-" + QString::fromStdString(RequestKeyName(key));
}

std::uint16_t KeyOfShortcut(const QString& id) {
    if (!id.startsWith("request-")) return 0;
    return RequestKeyCode(id.mid(8).toStdString());
}

QVariant ShortcutsArgument(const std::vector<std::uint16_t>& keys) {
    tPortalShortcuts list;
    for (std::uint16_t key : keys) {
        const QString name = QString::fromStdString(RequestKeyName(key));
        list.push_back(
            {ShortcutId(key),
             {{"description", "Request a reading (" + name + ")"}, {"preferred_trigger", name}}});
    }
    return QVariant::fromValue(list);
}

// "a{sv}" values arrive as QDBusArgument when their type is not a basic one.
tPortalShortcuts ShortcutsOf(const QVariant& value) {
    if (value.canConvert<QDBusArgument>()) return qdbus_cast<tPortalShortcuts>(value);
    return value.value<tPortalShortcuts>();
}

QString PathText(const QVariant& value) {
    if (value.canConvert<QDBusObjectPath>()) return value.value<QDBusObjectPath>().path();
    return value.toString();
}

}  // namespace

tGlobalShortcuts::tGlobalShortcuts(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), bus_(bus) {
    qDBusRegisterMetaType<tPortalShortcut>();
    qDBusRegisterMetaType<tPortalShortcuts>();
    bus_.connect(kService, kPath, kShortcuts, "Activated", this, SLOT(OnActivated(QDBusMessage)));
    // Every request's answer, watched from the start: a match added just before a call
    // can reach the bus after the call, and an answer sent at once would be lost.
    bus_.connect(kService, QString(), kRequest, "Response", this,
                 SLOT(OnResponse(uint, QVariantMap, QDBusMessage)));
}

tGlobalShortcuts::~tGlobalShortcuts() {
    CloseSession();
}

void tGlobalShortcuts::Bind(const std::vector<std::uint16_t>& keys) {
    wanted_ = keys;
    // Until the portal answers, no key is told unwatched.
    if (!refused_ && !wanted_.empty() && wanted_ != bound_ && state_ != tPortalState::Asking) {
        state_ = tPortalState::Asking;
        emit StateChanged(state_);
    }
    Next();
}

void tGlobalShortcuts::Next() {
    if (step_ != tStep::Idle) {
        again_ = true;
        return;
    }
    if (refused_) return;
    if (!registered_) {
        // Older portals lack the registry: the error only means there is nothing to register.
        step_ = tStep::Registering;
        QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kRegistry, "Register");
        call << kAppId << QVariantMap{};
        auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this](QDBusPendingCallWatcher* w) {
                    w->deleteLater();
                    registered_ = true;
                    step_ = tStep::Idle;
                    Next();
                });
        return;
    }
    if (version_ == 0) {
        AskVersion();
        return;
    }
    if (wanted_ == bound_ && (state_ == tPortalState::Bound || wanted_.empty())) return;
    CloseSession();
    bound_.clear();
    if (wanted_.empty()) return;
    CreateSession();
}

void tGlobalShortcuts::AskVersion() {
    step_ = tStep::AskingVersion;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, "org.freedesktop.DBus.Properties", "Get");
    call << kShortcuts << QStringLiteral("version");
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *w;
        step_ = tStep::Idle;
        if (reply.isError()) {
            // No portal, or one without global shortcuts: nothing to ask again this run.
            refused_ = true;
            Finish(tPortalState::Absent);
            return;
        }
        version_ = std::max(1u, reply.value().variant().toUInt());
        Next();
    });
}

void tGlobalShortcuts::CreateSession() {
    step_ = tStep::Creating;
    binding_ = wanted_;
    const QString token = QString("lonvarstd_%1").arg(++requestCount_);
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kShortcuts, "CreateSession");
    // Interface version 1 (Plasma 5.27) binds only the keys named here; later ones ignore them.
    call << QVariantMap{{"handle_token", token},
                        {"session_handle_token", kSessionToken},
                        {"shortcuts", ShortcutsArgument(binding_)}};
    CallWithRequest(call, token);
}

void tGlobalShortcuts::BindSession() {
    step_ = tStep::Binding;
    const QString token = QString("lonvarstd_%1").arg(++requestCount_);
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kShortcuts, "BindShortcuts");
    call << QVariant::fromValue(QDBusObjectPath(session_)) << ShortcutsArgument(binding_)
         << QString() << QVariantMap{{"handle_token", token}};
    CallWithRequest(call, token);
}

void tGlobalShortcuts::CloseSession() {
    if (session_.isEmpty()) return;
    bus_.asyncCall(QDBusMessage::createMethodCall(kService, session_, kSession, "Close"));
    session_.clear();
}

void tGlobalShortcuts::CallWithRequest(QDBusMessage call, const QString& token) {
    pendingRequest_ = RequestPath(token);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *w;
        if (reply.isError()) {
            refused_ = true;
            Finish(tPortalState::Refused);
            return;
        }
        // Older portals may name another request object than the one foreseen.
        pendingRequest_ = reply.value().path();
    });
}

QString tGlobalShortcuts::RequestPath(const QString& token) const {
    QString sender = bus_.baseService().mid(1);
    sender.replace('.', '_');
    return kPath + "/request/" + sender + "/" + token;
}

void tGlobalShortcuts::OnResponse(uint response, const QVariantMap& results,
                                  const QDBusMessage& message) {
    if (pendingRequest_.isEmpty() || message.path() != pendingRequest_) return;
    pendingRequest_.clear();
    if (response != 0) {
        // 1: the user said no; 2: the portal could not.
        CloseSession();
        refused_ = true;
        Finish(tPortalState::Refused);
        return;
    }
    if (step_ == tStep::Creating) {
        session_ = PathText(results.value("session_handle"));
        BindSession();
        return;
    }
    if (step_ != tStep::Binding) return;
    std::vector<std::uint16_t> bound;
    for (const tPortalShortcut& shortcut : ShortcutsOf(results.value("shortcuts"))) {
        const std::uint16_t key = KeyOfShortcut(shortcut.Id);
        if (std::find(binding_.begin(), binding_.end(), key) != binding_.end()) {
            bound.push_back(key);
        }
    }
    std::sort(bound.begin(), bound.end());
    if (bound.empty()) {
        // A portal that binds nothing says so only by the empty list.
        CloseSession();
        refused_ = true;
        Finish(tPortalState::Refused);
        return;
    }
    bound_ = std::move(bound);
    Finish(tPortalState::Bound);
}

void tGlobalShortcuts::OnActivated(const QDBusMessage& message) {
    const QList<QVariant> args = message.arguments();
    if (args.size() < 2 || session_.isEmpty() || PathText(args[0]) != session_) return;
    const std::uint16_t key = KeyOfShortcut(args[1].toString());
    if (std::find(bound_.begin(), bound_.end(), key) != bound_.end()) emit KeyActivated(key);
}

void tGlobalShortcuts::Finish(tPortalState state) {
    step_ = tStep::Idle;
    if (state != state_) {
        state_ = state;
        emit StateChanged(state_);
    }
    if (again_ && !refused_) {
        again_ = false;
        Next();
    }
}
