#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>

class QDBusArgument;

// One entry of the portal's a(sa{sv}) shortcut lists as it goes over the bus: an id and its
// properties ("description", "preferred_trigger", "trigger_description").
struct PortalShortcutEntry
{
    QString id;
    QVariantMap properties;
};
Q_DECLARE_METATYPE(PortalShortcutEntry)
QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcutEntry &entry);
const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcutEntry &entry);

// System-wide keys on a Wayland desktop that offers the GlobalShortcuts portal (KDE Plasma):
// the program names its shortcuts and the keys it would like, and the desktop decides which keys
// they get and says when one is pressed.
class PortalGlobalShortcuts : public QObject
{
    Q_OBJECT

public:
    struct Shortcut
    {
        QString id;
        QString description;
        // In the portal's form, e.g. "CTRL+ALT+LOGO+4".
        QString preferredTrigger;
    };
    // A shortcut as the desktop bound it: its keys as the desktop writes them (empty when it
    // gave the shortcut no keys).
    struct Bound
    {
        QString id;
        QString trigger;
    };
    // The shortcuts as bound, or an error text (no portal, no GlobalShortcuts in it, refused).
    using BindHandler = std::function<void(const QList<Bound> &bound, const QString &error)>;

    explicit PortalGlobalShortcuts(const QDBusConnection &bus, QObject *parent = nullptr);

    // Opens the session and binds the shortcuts; `done` is called once, on a later turn.
    void bind(const QList<Shortcut> &shortcuts, BindHandler done);

    // Called with a shortcut's id whenever the desktop reports a press of it.
    std::function<void(const QString &id)> onActivated;

private Q_SLOTS:
    void activated(const QDBusObjectPath &session, const QString &id, qulonglong timestamp, const QVariantMap &options);

private:
    QDBusConnection m_bus;
    QString m_session;
};
