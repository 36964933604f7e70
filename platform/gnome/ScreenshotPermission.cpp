#include "platform/gnome/ScreenshotPermission.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QMap>
#include <QStringList>


namespace {

const QString service = QStringLiteral("org.freedesktop.impl.portal.PermissionStore");
const QString path = QStringLiteral("/org/freedesktop/impl/portal/PermissionStore");
const QString table = QStringLiteral("screenshot");
constexpr int callTimeoutMs = 3000;

QDBusMessage storeCall(const char *method)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, service, QLatin1String(method));
    call << table << table;
    return call;
}

} // namespace

namespace ScreenshotPermission {

State stored(const QDBusConnection &bus)
{
    const QDBusMessage reply = bus.call(storeCall("Lookup"), QDBus::Block, callTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return reply.errorName() == u"org.freedesktop.portal.Error.NotFound" ? State::NotAsked : State::NoStore;
    // a{sas}: each application's answers.
    QMap<QString, QStringList> answers;
    const auto permissions = reply.arguments().value(0).value<QDBusArgument>();
    if (permissions.currentSignature() != u"a{sas}")
        return State::NoStore;
    permissions >> answers;
    const QStringList ours = answers.value(QString());
    if (ours.isEmpty())
        return State::NotAsked;
    return ours.first() == u"yes" ? State::Granted : State::Refused;
}

bool forgetRefusal(const QDBusConnection &bus)
{
    if (stored(bus) != State::Refused)
        return true;
    QDBusMessage call = storeCall("DeletePermission");
    call << QString();
    return bus.call(call, QDBus::Block, callTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

} // namespace ScreenshotPermission
