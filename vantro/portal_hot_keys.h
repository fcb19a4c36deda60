#pragma once
// Hot keys F9, F10, F11 through the desktop's GlobalShortcuts portal. The desktop binds
// them once at start (it may ask the user, and may let the user choose other keys); a
// press is handed on as the hot key's id while that id is registered (the port is open).

#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <set>

#include "hot_key_registrar.h"
#include "language_table.h"

class TPortalRequests;

class TPortalHotKeys : public QObject, public THotKeyRegistrar {
    Q_OBJECT
public:
    enum class TState { Absent, Asking, Bound, Refused };

    // Looks for the portal on the session bus; Available() tells.
    TPortalHotKeys();
    ~TPortalHotKeys() override;

    bool Available() const { return State_ != TState::Absent; }
    TState State() const { return State_; }
    // Asks the desktop to bind the three keys.
    void Start();

    bool Register(int id, int keyCode, int modifierBits) override;
    void Unregister(int id) override;

    // What the status line says of the hot keys now.
    const TStatusMessage& StateText() const { return StateText_; }
    // The state changed; the text says it in English.
    std::function<void(TState state, const QString& text)> OnStateChanged;

private slots:
    void Activated(const QDBusObjectPath& session, const QString& shortcut, qulonglong timestamp,
                   const QVariantMap& options);

private:
    void Bind();
    void Tell(TState state, TStatusMessage text);

    std::unique_ptr<TPortalRequests> Portal_;
    TState State_ = TState::Absent;
    QString Session_;
    TStatusMessage StateText_{TStatusText::Asking, {TStatusText::PortalHotKeys}};
    std::set<int> Registered_;
};
