#include "platform/dbus/DesktopNotifications.h"

#include "platform/LogLine.h"
#include "text/tr.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString openFolderAction = QStringLiteral("open-folder");
constexpr int shownMs = 6000;

} // namespace

DesktopNotifications::DesktopNotifications(const QDBusConnection &bus, std::function<void(const QString &)> fallback,
                                           std::function<void(const QString &)> openFolder, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
    , m_fallback(std::move(fallback))
    , m_openFolder(std::move(openFolder))
{
    m_bus.connect(service, path, service, QStringLiteral("ActionInvoked"), this, SLOT(actionInvoked(uint, QString)));
    m_bus.connect(service, path, service, QStringLiteral("NotificationClosed"), this, SLOT(closed(uint, uint)));
}

void DesktopNotifications::notify(const QString &text, const QString &folder)
{
    QStringList actions;
    if (!folder.isEmpty()) {
        // "default" is a click on the notification itself.
        actions << QStringLiteral("default") << ::tr("notify.openFolder") << openFolderAction << ::tr("notify.openFolder");
    }
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, service, QStringLiteral("Notify"));
    call << QStringLiteral("Pixdrift") << 0u << QStringLiteral("app.pixdrift.Pixdrift") << QStringLiteral("Pixdrift")
         << text << actions
         << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("app.pixdrift.Pixdrift")},
                        {QStringLiteral("transient"), true}}
         << shownMs;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, text, folder] {
        watcher->deleteLater();
        const QDBusPendingReply<uint> reply = *watcher;
        if (reply.isError() || !reply.isValid()) {
            logLine("Pixdrift has no notification server: %@", reply.error().message());
            if (m_fallback)
                m_fallback(text);
            return;
        }
        if (!folder.isEmpty())
            m_folders.insert(reply.value(), folder);
    });
}

void DesktopNotifications::actionInvoked(uint id, const QString &action)
{
    const QString folder = m_folders.value(id);
    if (folder.isEmpty() || (action != u"default" && action != openFolderAction))
        return;
    if (m_openFolder)
        m_openFolder(folder);
}

void DesktopNotifications::closed(uint id, uint)
{
    m_folders.remove(id);
}
