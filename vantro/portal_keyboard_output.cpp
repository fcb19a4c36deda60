#include "portal_keyboard_output.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>

#include "keystroke_keysyms.h"
#include "keystroke_text.h"
#include "portal_requests.h"

namespace {

constexpr const char* kInterface = "org.freedesktop.portal.RemoteDesktop";
constexpr uint kKeyboard = 1;
constexpr uint kPersistUntilRevoked = 2;
constexpr int kProbeTimeoutMs = 3000;
constexpr int kNotifyTimeoutMs = 2000;

QString Interface() {
    return QString::fromLatin1(kInterface);
}

}  // namespace

TPortalKeyboardOutput::TPortalKeyboardOutput()
    : Portal_(std::make_unique<TPortalRequests>(QDBusConnection::sessionBus())) {
    if (!Portal_->Bus().isConnected()) {
        Problem_ = TStatusText::PortalNoSessionBus;
        return;
    }
    const QVariant types =
        Portal_->Property(Interface(), QStringLiteral("AvailableDeviceTypes"), kProbeTimeoutMs);
    if (!types.isValid()) {
        Problem_ = TStatusText::PortalNotOffered;
    } else if ((types.toUInt() & kKeyboard) == 0) {
        Problem_ = TStatusText::PortalOffersNoKeyboard;
    } else {
        State_ = TState::Asking;
    }
}

TPortalKeyboardOutput::~TPortalKeyboardOutput() {
    if (Session_.isEmpty()) return;
    QDBusMessage close = QDBusMessage::createMethodCall(
        QString::fromLatin1(TPortalRequests::kService), Session_,
        QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Close"));
    Portal_->Bus().call(close, QDBus::Block, 1000);
}

void TPortalKeyboardOutput::Start(const QString& restoreToken) {
    if (State_ != TState::Asking) return;
    Portal_->Call(Interface(), QStringLiteral("CreateSession"), {},
                  {{QStringLiteral("session_handle_token"), QStringLiteral("vantro")}},
                  [this, restoreToken](uint response, const QVariantMap& results) {
                      Session_ = results.value(QStringLiteral("session_handle")).toString();
                      if (response != 0 || Session_.isEmpty()) {
                          Fail(TState::Failed, TStatusText::PortalNoSession);
                          return;
                      }
                      SelectDevices(restoreToken);
                  });
}

void TPortalKeyboardOutput::SelectDevices(const QString& restoreToken) {
    QVariantMap options{{QStringLiteral("types"), kKeyboard},
                        {QStringLiteral("persist_mode"), kPersistUntilRevoked}};
    if (!restoreToken.isEmpty()) options.insert(QStringLiteral("restore_token"), restoreToken);
    Portal_->Call(Interface(), QStringLiteral("SelectDevices"),
                  {QVariant::fromValue(QDBusObjectPath(Session_))}, options,
                  [this](uint response, const QVariantMap&) {
                      if (response != 0) {
                          Fail(TState::Failed, TStatusText::PortalGaveNoKeyboard);
                          return;
                      }
                      StartSession();
                  });
}

void TPortalKeyboardOutput::StartSession() {
    // Here the desktop may ask the user.
    Portal_->Call(Interface(), QStringLiteral("Start"),
                  {QVariant::fromValue(QDBusObjectPath(Session_)), QString()}, {},
                  [this](uint response, const QVariantMap& results) {
                      if (response == 1) {
                          Fail(TState::Refused, TStatusText::PortalRefused);
                          return;
                      }
                      if (response != 0 ||
                          (results.value(QStringLiteral("devices")).toUInt() & kKeyboard) == 0) {
                          Fail(TState::Failed, TStatusText::PortalNoKeyboard);
                          return;
                      }
                      const QString token =
                          results.value(QStringLiteral("restore_token")).toString();
                      if (!token.isEmpty() && OnRestoreToken) OnRestoreToken(token);
                      State_ = TState::Typing;
                      if (OnStateChanged) {
                          OnStateChanged(
                              State_, QString::fromStdString(StatusText(LangEnglish, StateText())));
                      }
                      while (!Waiting_.empty()) {
                          auto [text, wait] = Waiting_.front();
                          Waiting_.pop_front();
                          SendKeys(text, wait);
                      }
                  });
}

TStatusMessage TPortalKeyboardOutput::StateText() const {
    switch (State_) {
        case TState::Asking:
            return {TStatusText::Asking, {TStatusText::RoutePortal}};
        case TState::Typing:
            return TStatusText::RoutePortal;
        default:
            return Problem_;
    }
}

void TPortalKeyboardOutput::Fail(TState state, TStatusText text) {
    State_ = state;
    Problem_ = text;
    Waiting_.clear();
    if (OnStateChanged)
        OnStateChanged(state, QString::fromStdString(StatusText(LangEnglish, text)));
}

void TPortalKeyboardOutput::Notify(const char* method, int value, unsigned state) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(TPortalRequests::kService), QString::fromLatin1(TPortalRequests::kPath),
        Interface(), QString::fromLatin1(method));
    call.setArguments(
        {QVariant::fromValue(QDBusObjectPath(Session_)), QVariantMap(), value, state});
    // One at a time: a desktop that is handed many at once delivers them out of order, and
    // a press left waiting starts the key repeat.
    Portal_->Bus().call(call, QDBus::Block, kNotifyTimeoutMs);
}

void TPortalKeyboardOutput::SendKeys(const std::string& keystrokeText, bool wait) {
    if (State_ == TState::Asking) {
        Waiting_.emplace_back(keystrokeText, wait);
        return;
    }
    if (State_ != TState::Typing) return;
    const std::optional<TLayoutKeyMap> layout = LayoutInUse ? LayoutInUse() : std::nullopt;
    for (const TKeystroke& key : ParseKeystrokeText(keystrokeText)) {
        const std::uint32_t keysym = KeysymForKeystroke(key);
        const std::optional<TKeyPress> press =
            layout && key.Key == TNamedKey::Plain ? layout->PressFor(keysym) : std::nullopt;
        if (!press) {
            Notify("NotifyKeyboardKeysym", int(keysym), 1);
            Notify("NotifyKeyboardKeysym", int(keysym), 0);
            continue;
        }
        for (std::uint32_t modifier : press->Modifiers) {
            Notify("NotifyKeyboardKeycode", int(modifier), 1);
        }
        Notify("NotifyKeyboardKeycode", int(press->Code), 1);
        Notify("NotifyKeyboardKeycode", int(press->Code), 0);
        for (auto it = press->Modifiers.rbegin(); it != press->Modifiers.rend(); ++it) {
            Notify("NotifyKeyboardKeycode", int(*it), 0);
        }
    }
}
