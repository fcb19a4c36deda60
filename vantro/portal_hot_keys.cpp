#include "portal_hot_keys.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMetaType>
#include <QDBusObjectPath>

#include "portal_requests.h"

namespace {

constexpr const char* kInterface = "org.freedesktop.portal.GlobalShortcuts";
constexpr int kProbeTimeoutMs = 3000;
// A fixed session token: some desktops keep the binding under it, and a new token on
// every start would find the keys taken by the last one.
constexpr const char* kSessionToken = "vantro_hot_keys";

struct TShortcut {
    QString Id;
    QVariantMap Properties;
};
using TShortcuts = QList<TShortcut>;

QDBusArgument& operator<<(QDBusArgument& out, const TShortcut& shortcut) {
    out.beginStructure();
    out << shortcut.Id << shortcut.Properties;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, TShortcut& shortcut) {
    in.beginStructure();
    in >> shortcut.Id >> shortcut.Properties;
    in.endStructure();
    return in;
}

// The id of each hot key is its index in the wedge's tables.
const char* const kIds[] = {"F9", "F10", "F11"};
const char* const kDescriptions[] = {"Vantro: ask the gauge for a reading",
                                     "Vantro: send a break to the gauge",
                                     "Vantro: pulse DTR to the gauge"};

TShortcuts WantedShortcuts() {
    TShortcuts shortcuts;
    for (int i = 0; i < 3; ++i) {
        shortcuts.append({QString::fromLatin1(kIds[i]),
                          {{QStringLiteral("description"), QString::fromLatin1(kDescriptions[i])},
                           {QStringLiteral("preferred_trigger"), QString::fromLatin1(kIds[i])}}});
    }
    return shortcuts;
}

QString Interface() {
    return QString::fromLatin1(kInterface);
}

}  // namespace

Q_DECLARE_METATYPE(TShortcut)
Q_DECLARE_METATYPE(TShortcuts)

TPortalHotKeys::TPortalHotKeys()
    : Portal_(std::make_unique<TPortalRequests>(QDBusConnection::sessionBus())) {
    qDBusRegisterMetaType<TShortcut>();
    qDBusRegisterMetaType<TShortcuts>();
    if (!Portal_->Bus().isConnected()) return;
    if (!Portal_->Property(Interface(), QStringLiteral("version"), kProbeTimeoutMs).isValid()) {
        return;
    }
    State_ = TState::Asking;
    Portal_->Bus().connect(QString::fromLatin1(TPortalRequests::kService),
                           QString::fromLatin1(TPortalRequests::kPath), Interface(),
                           QStringLiteral("Activated"), this,
                           SLOT(Activated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
}

TPortalHotKeys::~TPortalHotKeys() = default;

void TPortalHotKeys::Start() {
    if (State_ != TState::Asking) return;
    // The shortcuts go into the session options too: one desktop's portal binds only
    // those, and ignores the later bind call.
    Portal_->Call(Interface(), QStringLiteral("CreateSession"), {},
                  {{QStringLiteral("session_handle_token"), QString::fromLatin1(kSessionToken)},
                   {QStringLiteral("shortcuts"), QVariant::fromValue(WantedShortcuts())}},
                  [this](uint response, const QVariantMap& results) {
                      Session_ = results.value(QStringLiteral("session_handle")).toString();
                      if (response != 0 || Session_.isEmpty()) {
                          Tell(TState::Refused, TStatusText::PortalNoSession);
                          return;
                      }
                      Bind();
                  });
}

void TPortalHotKeys::Bind() {
    Portal_->Call(
        Interface(), QStringLiteral("BindShortcuts"),
        {QVariant::fromValue(QDBusObjectPath(Session_)), QVariant::fromValue(WantedShortcuts()),
         QString()},
        {}, [this](uint response, const QVariantMap& results) {
            TShortcuts bound;
            const QVariant list = results.value(QStringLiteral("shortcuts"));
            if (list.canConvert<QDBusArgument>()) list.value<QDBusArgument>() >> bound;
            if (response != 0 || bound.isEmpty()) {
                Tell(TState::Refused, TStatusText::HotKeysNotBound);
                return;
            }
            TStatusMessage keys(TStatusText::List);
            for (const TShortcut& shortcut : bound) {
                const std::string trigger =
                    shortcut.Properties.value(QStringLiteral("trigger_description"))
                        .toString()
                        .toStdString();
                const std::string id = shortcut.Id.toStdString();
                keys.Args.push_back(trigger.empty()
                                        ? TStatusMessage(id)
                                        : TStatusMessage(TStatusText::HotKeyOn, {id, trigger}));
            }
            Tell(TState::Bound, {TStatusText::HotKeysBound, {keys}});
        });
}

void TPortalHotKeys::Tell(TState state, TStatusMessage text) {
    State_ = state;
    StateText_ = std::move(text);
    if (OnStateChanged)
        OnStateChanged(state, QString::fromStdString(StatusText(LangEnglish, StateText_)));
}

bool TPortalHotKeys::Register(int id, int, int) {
    if (State_ == TState::Absent || State_ == TState::Refused) return false;
    Registered_.insert(id);
    return true;
}

void TPortalHotKeys::Unregister(int id) {
    Registered_.erase(id);
}

void TPortalHotKeys::Activated(const QDBusObjectPath& session, const QString& shortcut, qulonglong,
                               const QVariantMap&) {
    if (session.path() != Session_) return;
    for (int id = 0; id < 3; ++id) {
        if (shortcut == QLatin1String(kIds[id]) && Registered_.contains(id) && OnHotKey) {
            OnHotKey(id);
        }
    }
}
