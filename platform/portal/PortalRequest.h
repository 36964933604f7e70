#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QTimer>
#include <QVariantMap>

#include <chrono>
#include <functional>

// One call to the desktop portal (org.freedesktop.portal.Desktop) that answers later through a
// Request object's Response signal: the call returns the request's path at once, and the
// portal's answer comes when the desktop (or the user) has decided.
//
// The response codes are the portal's: 0 done, 1 cancelled by the user, 2 anything else.
class PortalRequest : public QObject
{
    Q_OBJECT

public:
    static inline const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
    static inline const QString path = QStringLiteral("/org/freedesktop/portal/desktop");

    enum Code : uint { Success = 0, Cancelled = 1, Failed = 2 };
    struct Answer
    {
        uint code = Failed;
        QVariantMap results;
        // What went wrong with the call itself (no portal, no such interface, no answer).
        QString error;
    };
    using Handler = std::function<void(const Answer &)>;

    // Calls `method` of `interface` with `arguments` followed by `options`, to which the request's
    // handle token is added. `done` is called exactly once, on a later turn of the event loop;
    // a portal that has not answered after `timeout` counts as failed.
    static void call(const QDBusConnection &bus, const QString &interface, const QString &method,
                     const QVariantList &arguments, QVariantMap options, Handler done,
                     std::chrono::milliseconds timeout = std::chrono::seconds(60));

    // A token no earlier request of this process used, as handle tokens must be.
    [[nodiscard]] static QString newToken();

private Q_SLOTS:
    void onResponse(uint code, const QVariantMap &results);

private:
    PortalRequest(const QDBusConnection &bus, Handler done);
    void listen(const QString &requestPath);
    void finish(const Answer &answer);

    QDBusConnection m_bus;
    Handler m_done;
    QString m_listening;
    QTimer m_timeout;
    bool m_finished = false;
};
