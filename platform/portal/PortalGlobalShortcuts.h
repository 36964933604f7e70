#pragma once

#include "platform/DesktopShortcuts.h"

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

// System-wide keys on a Wayland desktop that offers the GlobalShortcuts portal (KDE Plasma).
// Binding opens the portal's session; an error names what is missing (no portal, no
// GlobalShortcuts in it, refused).
class PortalGlobalShortcuts : public QObject, public DesktopShortcuts
{
    Q_OBJECT

public:
    explicit PortalGlobalShortcuts(const QDBusConnection &bus, QObject *parent = nullptr);

    void bind(const QList<Shortcut> &shortcuts, BindHandler done) override;

private Q_SLOTS:
    void activated(const QDBusObjectPath &session, const QString &id, qulonglong timestamp, const QVariantMap &options);

private:
    QDBusConnection m_bus;
    QString m_session;
};
