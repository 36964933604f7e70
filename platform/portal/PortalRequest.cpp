#include "platform/portal/PortalRequest.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include <atomic>

namespace {

const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");

} // namespace

QString PortalRequest::newToken()
{
    static std::atomic<unsigned> counter{0};
    return QStringLiteral("pixdrift%1").arg(++counter);
}

PortalRequest::PortalRequest(const QDBusConnection &bus, Handler done)
    : m_bus(bus)
    , m_done(std::move(done))
{
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this,
            [this] { finish({Failed, {}, QStringLiteral("the desktop portal did not answer")}); });
}

void PortalRequest::call(const QDBusConnection &bus, const QString &interface, const QString &method,
                         const QVariantList &arguments, QVariantMap options, Handler done,
                         std::chrono::milliseconds timeout)
{
    auto *request = new PortalRequest(bus, std::move(done));
    if (!bus.isConnected()) {
        QMetaObject::invokeMethod(
            request, [request] { request->finish({Failed, {}, QStringLiteral("no session bus")}); },
            Qt::QueuedConnection);
        return;
    }
    // The answer may come before the call's reply: listen on the path the portal will use
    // (its request folder, our unique name without the colon and with dots made underscores,
    // the token) before calling.
    const QString token = newToken();
    options.insert(QStringLiteral("handle_token"), token);
    QString sender = bus.baseService().mid(1);
    sender.replace(u'.', u'_');
    request->listen(QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token));
    request->m_timeout.start(timeout);

    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(QVariantList(arguments) << options);
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(message), request);
    connect(watcher, &QDBusPendingCallWatcher::finished, request, [request](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *w;
        if (reply.isError()) {
            request->finish({Failed, {}, reply.error().message()});
            return;
        }
        // Older portals answer on a path of their own choice.
        if (reply.value().path() != request->m_listening)
            request->listen(reply.value().path());
    });
}

void PortalRequest::listen(const QString &requestPath)
{
    if (!m_listening.isEmpty())
        m_bus.disconnect(service, m_listening, requestInterface, QStringLiteral("Response"), this,
                         SLOT(onResponse(uint, QVariantMap)));
    m_listening = requestPath;
    m_bus.connect(service, m_listening, requestInterface, QStringLiteral("Response"), this,
                  SLOT(onResponse(uint, QVariantMap)));
}

void PortalRequest::onResponse(uint code, const QVariantMap &results)
{
    finish({code, results, {}});
}

void PortalRequest::finish(const Answer &answer)
{
    if (std::exchange(m_finished, true))
        return;
    m_timeout.stop();
    m_bus.disconnect(service, m_listening, requestInterface, QStringLiteral("Response"), this,
                     SLOT(onResponse(uint, QVariantMap)));
    const Handler done = std::move(m_done);
    deleteLater();
    if (done)
        done(answer);
}
