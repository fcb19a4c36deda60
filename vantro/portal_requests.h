#pragma once
// Calls to the desktop portal (org.freedesktop.portal.Desktop on the session bus) that
// answer later through a Request object's Response signal: each call carries a
// handle_token of its own, and the answer is matched by the request path ending in it.

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QVariantMap>
#include <functional>
#include <map>

class TPortalRequests : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    using TAnswer = std::function<void(unsigned response, const QVariantMap& results)>;

    explicit TPortalRequests(QDBusConnection bus, QObject* parent = nullptr);

    // Calls `method` of `interface` with the arguments; `options` (the last argument) gets
    // the handle_token. The answer comes once: response 0 success, 1 the user cancelled,
    // 2 anything else (a failed call too, with "error" in the results).
    void Call(const QString& interface, const QString& method, QVariantList arguments,
              QVariantMap options, TAnswer answer);

    // A property of the portal's object; invalid when there is no portal or no interface.
    QVariant Property(const QString& interface, const QString& name, int timeoutMs) const;

    QDBusConnection& Bus() { return Bus_; }

    static constexpr const char* kService = "org.freedesktop.portal.Desktop";
    static constexpr const char* kPath = "/org/freedesktop/portal/desktop";

private slots:
    void Response(uint response, const QVariantMap& results);

private:
    QDBusConnection Bus_;
    std::map<QString, TAnswer> Pending_;  // by handle_token
};
