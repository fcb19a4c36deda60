#pragma once
// The desktop's global-shortcuts portal (org.freedesktop.portal.GlobalShortcuts): on a
// Wayland session it delivers request keys pressed in any program. The program registers
// itself (as programs outside a sandbox must on newer portals), opens a session, binds
// the request keys in use and takes each activation as that key. The consent dialog is
// the portal's; a refusal, or a portal that binds nothing, is kept for the run.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <cstdint>
#include <vector>

#include "shell/keyWays.h"

class tGlobalShortcuts : public QObject {
    Q_OBJECT
public:
    // `bus`: the session bus (tests give a private one with a stand-in portal).
    explicit tGlobalShortcuts(const QDBusConnection& bus, QObject* parent = nullptr);
    // Closes the session: the desktop drops the keys.
    ~tGlobalShortcuts() override;

    // Binds these request keys (virtual key codes), in place of those bound before.
    // Asks nothing after a refusal. The answer comes as StateChanged.
    void Bind(const std::vector<std::uint16_t>& keys);

    tPortalState State() const { return state_; }
    // The keys the portal reported bound.
    const std::vector<std::uint16_t>& BoundKeys() const { return bound_; }
    // The portal's interface version (0 before it answered or without the portal).
    unsigned Version() const { return version_; }

signals:
    void StateChanged(tPortalState state);
    void KeyActivated(std::uint16_t key);

private slots:
    void OnResponse(uint response, const QVariantMap& results, const QDBusMessage& message);
    void OnActivated(const QDBusMessage& message);

private:
    enum class tStep { Idle, Registering, AskingVersion, Creating, Binding };

    void Next();
    void AskVersion();
    void CreateSession();
    void BindSession();
    void CloseSession();
    // Sends a call that answers through a Request object; `token` names it.
    void CallWithRequest(QDBusMessage call, const QString& token);
    void Finish(tPortalState state);
    QString RequestPath(const QString& token) const;

    QDBusConnection bus_;
    tPortalState state_ = tPortalState::Absent;
    tStep step_ = tStep::Idle;
    bool registered_ = false;
    bool refused_ = false;
    unsigned version_ = 0;
    int requestCount_ = 0;
    QString pendingRequest_;
    QString session_;
    std::vector<std::uint16_t> wanted_;   // the keys to bind next
    std::vector<std::uint16_t> binding_;  // the keys of the request in flight
    std::vector<std::uint16_t> bound_;
    bool again_ = false;  // keys changed while a request was in flight
};
