#include "platform/dbus/DBusInstance.h"

#include "platform/LogLine.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QFileInfo>

#include <gio/gio.h>

DBusInstance::DBusInstance(Handlers handlers, QObject *parent)
    : QObject(parent)
    , m_handlers(std::move(handlers))
{
    new FreedesktopApplication(this);
}

DBusInstance::Role DBusInstance::claim()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        logLine("Pixdrift found no session bus (%@); running without one instance per session",
                bus.lastError().message());
        return Role::Alone;
    }
    // The object first, so that a second start that finds the name can call it at once.
    bus.registerObject(objectPath, this, QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportAdaptors);
    // Not queued: a name held by a running instance means that instance is the program. A
    // crashed one's name is freed by the bus.
    const auto reply = bus.interface()->registerService(serviceName, QDBusConnectionInterface::DontQueueService,
                                                        QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered)
        return Role::Primary;
    bus.unregisterObject(objectPath);
    return Role::Secondary;
}

DBusInstance::CallResult DBusInstance::callRunning(const QString &method, const QVariantList &arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(serviceName, objectPath, serviceName, method);
    call.setArguments(arguments);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ErrorMessage)
        return CallResult::Done;
    if (reply.errorName() == QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown")
        || reply.errorName() == QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner"))
        return CallResult::Gone;
    logLine("Pixdrift: the running Pixdrift answered %@: %@", reply.errorName(), reply.errorMessage());
    return CallResult::Failed;
}

DBusInstance::CallResult DBusInstance::callRunningAtOnce(const QString &method, const QVariantList &arguments)
{
    GError *error = nullptr;
    GDBusConnection *bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus) {
        g_clear_error(&error);
        return CallResult::Gone;
    }
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE_TUPLE);
    for (const QVariant &argument : arguments) {
        if (argument.typeId() == QMetaType::Bool)
            g_variant_builder_add(&builder, "b", gboolean(argument.toBool()));
        else if (argument.typeId() == QMetaType::UInt)
            g_variant_builder_add(&builder, "u", guint32(argument.toUInt()));
        else
            g_variant_builder_add(&builder, "s", argument.toString().toUtf8().constData());
    }
    const QByteArray name = serviceName.toUtf8(), path = objectPath.toUtf8(), call = method.toUtf8();
    GVariant *reply = g_dbus_connection_call_sync(bus, name.constData(), path.constData(), name.constData(),
                                                  call.constData(), g_variant_builder_end(&builder), nullptr,
                                                  G_DBUS_CALL_FLAGS_NO_AUTO_START, 5000, nullptr, &error);
    g_object_unref(bus);
    if (reply) {
        g_variant_unref(reply);
        return CallResult::Done;
    }
    const bool gone = g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN)
                      || g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NAME_HAS_NO_OWNER);
    g_error_free(error);
    return gone ? CallResult::Gone : CallResult::Failed;
}

bool DBusInstance::isThisProgram(const QString &busName)
{
    const QDBusReply<uint> pid = QDBusConnection::sessionBus().interface()->servicePid(busName);
    if (!pid.isValid())
        return false;
    const QString caller = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid.value())).canonicalFilePath();
    return !caller.isEmpty() && caller == QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

QString DBusInstance::Run(const QVariantMap &request, const QDBusUnixFileDescriptor &output, const QDBusMessage &message)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!isThisProgram(message.service())) {
        logLine("Pixdrift refused a capture for %@: not Pixdrift", message.service());
        bus.send(message.createErrorReply(QDBusError::AccessDenied,
                                          QStringLiteral("Only Pixdrift's own command line may ask for captures")));
        return {};
    }
    if (!m_handlers.run) {
        bus.send(message.createErrorReply(QDBusError::NotSupported, QStringLiteral("No captures here")));
        return {};
    }
    message.setDelayedReply(true);
    // The answer comes once the capture has gone where it goes; the file stays open until then.
    m_handlers.run(request, output.fileDescriptor(),
                   [bus, message, output](const QString &error, const QString &text) mutable {
                       bus.send(error.isEmpty() ? message.createReply(text) : message.createErrorReply(error, text));
                   });
    return {};
}

void DBusInstance::Activate()
{
    if (m_handlers.activate)
        m_handlers.activate();
}

void DBusInstance::CaptureArea()
{
    if (m_handlers.captureArea)
        m_handlers.captureArea();
}

void DBusInstance::CaptureFull()
{
    if (m_handlers.captureFull)
        m_handlers.captureFull();
}

void DBusInstance::CaptureScreen(const QString &name)
{
    if (m_handlers.captureScreen)
        m_handlers.captureScreen(name);
}

void DBusInstance::CaptureLast()
{
    if (m_handlers.captureLast)
        m_handlers.captureLast();
}

void DBusInstance::CaptureWindow()
{
    if (m_handlers.captureWindow)
        m_handlers.captureWindow();
}

void DBusInstance::CaptureAfter(bool full, uint seconds, const QDBusMessage &message)
{
    if (seconds < 1 || seconds > 60) {
        message.setDelayedReply(true);
        QDBusConnection::sessionBus().send(message.createErrorReply(
            QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"), QStringLiteral("the delay takes 1 to 60 seconds")));
        return;
    }
    if (m_handlers.captureAfter)
        m_handlers.captureAfter(full, int(seconds));
}

void DBusInstance::Quit()
{
    if (m_handlers.quit)
        m_handlers.quit();
}

FreedesktopApplication::FreedesktopApplication(DBusInstance *instance)
    : QDBusAbstractAdaptor(instance)
    , m_instance(instance)
{
}

void FreedesktopApplication::Activate(const QVariantMap &)
{
    m_instance->Activate();
}

void FreedesktopApplication::Open(const QStringList &, const QVariantMap &)
{
    // Pixdrift opens no files: the window comes forward.
    m_instance->Activate();
}

void FreedesktopApplication::ActivateAction(const QString &name, const QVariantList &, const QVariantMap &,
                                            const QDBusMessage &message)
{
    if (name == u"CaptureArea") {
        m_instance->CaptureArea();
    } else if (name == u"CaptureFull") {
        m_instance->CaptureFull();
    } else if (name == u"CaptureLast") {
        m_instance->CaptureLast();
    } else if (name == u"CaptureWindow") {
        m_instance->CaptureWindow();
    } else {
        message.setDelayedReply(true);
        QDBusConnection::sessionBus().send(message.createErrorReply(
            QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"), QStringLiteral("no such action: ") + name));
    }
}
