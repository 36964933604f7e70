#include "platform/portal/PortalGlobalShortcuts.h"

#include "platform/portal/PortalRequest.h"

#include <QDBusArgument>
#include <QDBusMetaType>

namespace {

const QString interfaceName = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

} // namespace

QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcutEntry &entry)
{
    argument.beginStructure();
    argument << entry.id << entry.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcutEntry &entry)
{
    argument.beginStructure();
    argument >> entry.id >> entry.properties;
    argument.endStructure();
    return argument;
}

namespace {

QString failureText(const PortalRequest::Answer &answer, const char *what)
{
    if (!answer.error.isEmpty())
        return answer.error;
    return answer.code == PortalRequest::Cancelled ? QStringLiteral("%1 was cancelled").arg(QLatin1String(what))
                                                   : QStringLiteral("%1 was refused").arg(QLatin1String(what));
}

} // namespace

PortalGlobalShortcuts::PortalGlobalShortcuts(const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
{
    qDBusRegisterMetaType<PortalShortcutEntry>();
    qDBusRegisterMetaType<QList<PortalShortcutEntry>>();
}

void PortalGlobalShortcuts::bind(const QList<Shortcut> &shortcuts, BindHandler done)
{
    const QVariantMap sessionOptions{{QStringLiteral("session_handle_token"), PortalRequest::newToken()}};
    PortalRequest::call(
        m_bus, interfaceName, QStringLiteral("CreateSession"), {}, sessionOptions,
        [this, shortcuts, done = std::move(done)](const PortalRequest::Answer &created) {
            if (!created.error.isEmpty() || created.code != PortalRequest::Success) {
                done({}, failureText(created, "the shortcut session"));
                return;
            }
            m_session = created.results.value(QStringLiteral("session_handle")).toString();
            m_bus.connect(PortalRequest::service, PortalRequest::path, interfaceName, QStringLiteral("Activated"), this,
                          SLOT(activated(QDBusObjectPath, QString, qulonglong, QVariantMap)));

            QList<PortalShortcutEntry> entries;
            for (const Shortcut &shortcut : shortcuts)
                entries.append({shortcut.id,
                                {{QStringLiteral("description"), shortcut.description},
                                 {QStringLiteral("preferred_trigger"), shortcut.preferredTrigger}}});
            const QVariantList arguments{QVariant::fromValue(QDBusObjectPath(m_session)),
                                         QVariant::fromValue(entries), QString()};
            PortalRequest::call(m_bus, interfaceName, QStringLiteral("BindShortcuts"), arguments, {},
                                [done](const PortalRequest::Answer &bound) {
                                    if (!bound.error.isEmpty() || bound.code != PortalRequest::Success) {
                                        done({}, failureText(bound, "binding the shortcuts"));
                                        return;
                                    }
                                    QList<PortalShortcutEntry> entries;
                                    bound.results.value(QStringLiteral("shortcuts")).value<QDBusArgument>() >> entries;
                                    QList<Bound> result;
                                    for (const PortalShortcutEntry &entry : std::as_const(entries))
                                        result.append({entry.id,
                                                       entry.properties.value(QStringLiteral("trigger_description")).toString()});
                                    done(result, {});
                                });
        });
}

void PortalGlobalShortcuts::activated(const QDBusObjectPath &session, const QString &id, qulonglong, const QVariantMap &)
{
    if (session.path() == m_session && onActivated)
        onActivated(id);
}
