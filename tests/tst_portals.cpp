// The desktop portal clients and KDE's services against fakes of our own on the test's private
// session bus, and the one-instance object as other programs call it there.

#include "platform/dbus/DBusInstance.h"
#include "platform/dbus/DesktopNotifications.h"
#include "platform/kde/KGlobalAccelHotKeys.h"
#include "platform/kde/KWinScreenCapture.h"
#include "platform/portal/PortalGlobalShortcuts.h"
#include "platform/portal/PortalRequest.h"
#include "platform/portal/PortalScreenCapture.h"
#include "support/Fakes.h"
#include "support/TestUtilities.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDBusVirtualObject>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <QScopeGuard>
#include <QTest>

#include <unistd.h>

namespace {

// Answers every request on a connection of its own, as the real portal would: the request's
// path at once, then its Response signal with what the test set.
class FakePortal : public QDBusVirtualObject
{
public:
    explicit FakePortal(bool withShortcuts)
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-portal")))
        , m_withShortcuts(withShortcuts)
    {
        m_ready = m_bus.registerVirtualObject(PortalRequest::path, this) && m_bus.registerService(PortalRequest::service);
    }
    ~FakePortal() override
    {
        m_bus.unregisterService(PortalRequest::service);
        m_bus.unregisterObject(PortalRequest::path);
        QDBusConnection::disconnectFromBus(QStringLiteral("fake-portal"));
    }

    [[nodiscard]] bool ready() const { return m_ready; }
    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        const bool shortcuts = message.interface() == u"org.freedesktop.portal.GlobalShortcuts";
        if (shortcuts && !m_withShortcuts) {
            connection.send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
                                                     QStringLiteral("No such interface")));
            return true;
        }
        const QVariantMap options = qdbus_cast<QVariantMap>(message.arguments().constLast());
        QString sender = message.service().mid(1);
        sender.replace(u'.', u'_');
        const QString request = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                                    .arg(sender, options.value(QStringLiteral("handle_token")).toString());
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));

        QVariantMap results = screenshotResults;
        if (message.member() == u"CreateSession") {
            m_session = QStringLiteral("/org/freedesktop/portal/desktop/session/%1/%2")
                            .arg(sender, options.value(QStringLiteral("session_handle_token")).toString());
            results = {{QStringLiteral("session_handle"), m_session}};
        } else if (message.member() == u"BindShortcuts") {
            QList<PortalShortcutEntry> bound = qdbus_cast<QList<PortalShortcutEntry>>(message.arguments().at(1));
            // The desktop gives the first shortcut the keys asked for and the second none.
            for (qsizetype i = 0; i < bound.size(); ++i)
                bound[i].properties.insert(QStringLiteral("trigger_description"),
                                           i == 0 ? bound[i].properties.value(QStringLiteral("preferred_trigger"))
                                                  : QString());
            results = {{QStringLiteral("shortcuts"), QVariant::fromValue(bound)}};
        }
        if (message.member() == u"Screenshot" && !pictureToWrite.first.isEmpty()) {
            // The desktop takes its time, as a real one does: a clock tick or more.
            QThread::msleep(50);
            pictureToWrite.second.save(pictureToWrite.first);
        }
        QDBusMessage response =
            QDBusMessage::createSignal(request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        response << (shortcuts ? 0u : screenshotCode) << results;
        connection.send(response);
        return true;
    }

    void press(const QString &id)
    {
        QDBusMessage activated = QDBusMessage::createSignal(
            PortalRequest::path, QStringLiteral("org.freedesktop.portal.GlobalShortcuts"), QStringLiteral("Activated"));
        activated << QVariant::fromValue(QDBusObjectPath(m_session)) << id << qulonglong(0) << QVariantMap();
        m_bus.send(activated);
    }

    uint screenshotCode = 0;
    QVariantMap screenshotResults;
    // A picture the portal makes as it answers: (file, image).
    std::pair<QString, QImage> pictureToWrite;

private:
    QDBusConnection m_bus;
    bool m_withShortcuts;
    bool m_ready = false;
    QString m_session;
};


// A key sequence as KGlobalAccel sends it: (ai), four keys.
struct KeySequence
{
    QList<int> keys;
};
QDBusArgument &operator<<(QDBusArgument &argument, const KeySequence &sequence)
{
    argument.beginStructure();
    argument << sequence.keys;
    argument.endStructure();
    return argument;
}
const QDBusArgument &operator>>(const QDBusArgument &argument, KeySequence &sequence)
{
    argument.beginStructure();
    argument >> sequence.keys;
    argument.endStructure();
    return argument;
}

} // namespace
Q_DECLARE_METATYPE(KeySequence)
namespace {

// KWin's KGlobalAccel and ScreenShot2 as KWin 5.27 answers them: keys another program holds are
// left out of what setShortcut returns; keys kept from an earlier session win unless the call
// says otherwise; the pixels go through the pipe the caller gives.
class FakeKde : public QDBusVirtualObject
{
public:
    FakeKde()
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-kde")))
    {
        m_ready = m_bus.registerVirtualObject(QStringLiteral("/kglobalaccel"), this)
                  && m_bus.registerVirtualObject(QStringLiteral("/org/kde/KWin/ScreenShot2"), this)
                  && m_bus.registerService(QStringLiteral("org.kde.kglobalaccel")) && m_bus.registerService(QStringLiteral("org.kde.KWin"));
    }
    ~FakeKde() override { QDBusConnection::disconnectFromBus(QStringLiteral("fake-kde")); }

    [[nodiscard]] bool ready() const { return m_ready; }
    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        const QList<QVariant> arguments = message.arguments();
        if (message.member().startsWith(u"Capture"))
            return capture(message, connection);
        if (message.member() == u"getComponent") {
            connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(componentPath))));
        } else if (message.member() == u"setShortcut") {
            const QString action = arguments[0].toStringList().value(1);
            QList<int> wanted = qdbus_cast<QList<int>>(arguments[1]);
            const uint flags = arguments[2].toUInt();
            if (!(flags & 4) && keys.contains(action))
                wanted = keys[action];
            wanted.removeIf([this](int key) { return taken.contains(key); });
            keys[action] = wanted;
            connection.send(message.createReply(QVariant::fromValue(wanted)));
        } else {
            connection.send(message.createReply());
        }
        return true;
    }

    void press(const QString &action)
    {
        QDBusMessage pressed = QDBusMessage::createSignal(componentPath, QStringLiteral("org.kde.kglobalaccel.Component"),
                                                          QStringLiteral("globalShortcutPressed"));
        pressed << KGlobalAccelHotKeys::componentUnique << action << qlonglong(0);
        m_bus.send(pressed);
    }
    // As System Settings changes a key: the new keys as key sequences of four.
    void change(const QString &action, int key)
    {
        QDBusMessage changed = QDBusMessage::createSignal(QStringLiteral("/kglobalaccel"), QStringLiteral("org.kde.KGlobalAccel"),
                                                          QStringLiteral("yourShortcutsChanged"));
        changed << QStringList{KGlobalAccelHotKeys::componentUnique, action}
                << QVariant::fromValue(QList<KeySequence>{{{key, 0, 0, 0}}});
        m_bus.send(changed);
    }

    QMap<QString, QList<int>> keys;
    QList<int> taken;
    // What CaptureScreen and CaptureActiveWindow do: send these bytes as an image this size, or
    // refuse. What was asked last: the method and its options.
    QByteArray pixels;
    QSize size;
    bool refuse = false;
    QString method;
    QVariantMap options;

private:
    bool capture(const QDBusMessage &message, const QDBusConnection &connection)
    {
        method = message.member();
        options = qdbus_cast<QVariantMap>(message.arguments().at(message.arguments().size() - 2));
        if (refuse) {
            connection.send(message.createErrorReply(QStringLiteral("org.kde.KWin.ScreenShot2.Error.NoAuthorized"),
                                                     QStringLiteral("The process is not authorized to take a screenshot")));
            return true;
        }
        const auto pipe = qdbus_cast<QDBusUnixFileDescriptor>(message.arguments().last());
        // Small enough for the pipe's buffer: the reader runs on this very thread.
        if (::write(pipe.fileDescriptor(), pixels.constData(), size_t(pixels.size())) != pixels.size())
            return false;
        connection.send(message.createReply(QVariantMap{{QStringLiteral("type"), QStringLiteral("raw")},
                                                        {QStringLiteral("width"), uint(size.width())},
                                                        {QStringLiteral("height"), uint(size.height())},
                                                        {QStringLiteral("stride"), uint(size.width() * 4)},
                                                        {QStringLiteral("format"), uint(QImage::Format_ARGB32)},
                                                        {QStringLiteral("scale"), 2.0}}));
        return true;
    }

    static inline const QString componentPath = QStringLiteral("/component/app_pixdrift_Pixdrift");
    QDBusConnection m_bus;
    bool m_ready = false;
};

QList<std::uint32_t> kdePresses;

// A notification server: keeps what it was asked to show, and says when an action was chosen.
class FakeNotifications : public QDBusVirtualObject
{
public:
    FakeNotifications()
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-notifications")))
    {
        m_ready = m_bus.registerVirtualObject(QStringLiteral("/org/freedesktop/Notifications"), this)
                  && m_bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }
    ~FakeNotifications() override { QDBusConnection::disconnectFromBus(QStringLiteral("fake-notifications")); }
    [[nodiscard]] bool ready() const { return m_ready; }
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        shown.append(message.arguments().value(4).toString());
        actions = message.arguments().value(5).toStringList();
        connection.send(message.createReply(QVariant::fromValue(uint(shown.size()))));
        return true;
    }
    void invoke(uint id, const QString &action)
    {
        QDBusMessage invoked = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                          QStringLiteral("org.freedesktop.Notifications"),
                                                          QStringLiteral("ActionInvoked"));
        invoked << id << action;
        m_bus.send(invoked);
    }
    QStringList shown, actions;

private:
    QDBusConnection m_bus;
    bool m_ready = false;
};

} // namespace

class PortalsTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run me under dbus-run-session");
        // The portal's pictures land in a home folder of the test's own.
        QVERIFY(m_home.isValid());
        qputenv("HOME", QFile::encodeName(m_home.path()));
        qDBusRegisterMetaType<PortalShortcutEntry>();
        qDBusRegisterMetaType<QList<PortalShortcutEntry>>();
        qDBusRegisterMetaType<KeySequence>();
        qDBusRegisterMetaType<QList<KeySequence>>();
    }

    void screenshot_data()
    {
        QTest::addColumn<bool>("portal");
        QTest::addColumn<uint>("code");
        QTest::addColumn<QString>("file"); // where the portal leaves its picture; "-" none
        QTest::addColumn<bool>("madeByPortal"); // as it answers; else the file was there before
        QTest::addColumn<QString>("uri");  // what it answers; empty: that file's URI, "-" none
        QTest::addColumn<QString>("error");
        const QString temporary = QDir::tempPath() + QStringLiteral("/pixdrift-portal-test.png");
        const QString home = m_home.filePath(QStringLiteral("Screenshot.png"));
        const QString elsewhere = QDir::currentPath() + QStringLiteral("/pixdrift-portal-test.png");
        // A picture the portal made for the request is removed wherever it lies; a file that
        // was there before is the user's.
        QTest::newRow("new, in the temporary folder") << true << 0u << temporary << true << "" << "";
        QTest::newRow("new, in the home folder") << true << 0u << home << true << "" << "";
        QTest::newRow("new, in another folder") << true << 0u << elsewhere << true << "" << "";
        QTest::newRow("there before, in the temporary folder") << true << 0u << temporary << false << "" << "";
        QTest::newRow("there before, in the home folder") << true << 0u << home << false << "" << "";
        QTest::newRow("there before, in another folder") << true << 0u << elsewhere << false << "" << "";
        QTest::newRow("cancelled by the user") << true << 1u << temporary << false << "" << "cancelled";
        QTest::newRow("refused") << true << 2u << temporary << false << "" << "refused";
        QTest::newRow("missing file") << true << 0u << "-" << false << "file:///tmp/pixdrift-no-such.png" << "could not be read";
        QTest::newRow("not a file URI") << true << 0u << "-" << false << "https://example.com/a.png" << "no file";
        QTest::newRow("no URI") << true << 0u << "-" << false << "-" << "no file";
        QTest::newRow("no portal") << false << 0u << "-" << false << "-" << "portal failed";
    }
    void screenshot()
    {
        QFETCH(bool, portal);
        QFETCH(uint, code);
        QFETCH(QString, file);
        QFETCH(bool, madeByPortal);
        QFETCH(QString, uri);
        QFETCH(QString, error);
        const QSize size = QGuiApplication::primaryScreen()->geometry().size();
        const QImage picture = patternImage(size); // of the whole desktop
        QVERIFY(file == u"-" || madeByPortal || picture.save(file));
        std::optional<FakePortal> fake;
        if (portal) {
            QVERIFY(fake.emplace(false).ready());
            fake->screenshotCode = code;
            if (madeByPortal)
                fake->pictureToWrite = {file, picture};
            if (uri != u"-")
                fake->screenshotResults = {{QStringLiteral("uri"), uri.isEmpty() ? QUrl::fromLocalFile(file).toString() : uri}};
        }
        PortalScreenCapture capture(QDBusConnection::sessionBus());
        std::optional<CaptureResult<QImage>> result;
        capture.requestImage(1, size.width(), size.height(), [&result](CaptureResult<QImage> r) { result = r; });
        QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 10000);
        QVERIFY2(error.isEmpty() ? result->value && *result->value == picture : !result->value && result->error.contains(error),
                 qPrintable(result->error));
        if (file != u"-") {
            QCOMPARE(QFile::exists(file), !madeByPortal);
            QFile::remove(file);
        }
    }

    // The desktop binds the first shortcut and gives the second no keys; a press arrives. With
    // no GlobalShortcuts portal, binding fails with a reason.
    void shortcuts()
    {
        for (const bool offered : {true, false}) {
            FakePortal fake(offered);
            QVERIFY(fake.ready());
            PortalGlobalShortcuts keys(QDBusConnection::sessionBus());
            QStringList pressed;
            keys.onActivated = [&pressed](const QString &id) { pressed.append(id); };
            std::optional<QList<PortalGlobalShortcuts::Bound>> bound;
            QString error;
            keys.bind({{QStringLiteral("area"), QStringLiteral("Capture Area"), QStringLiteral("CTRL+ALT+LOGO+4")},
                       {QStringLiteral("full"), QStringLiteral("Capture Full Screen"), QStringLiteral("CTRL+ALT+LOGO+3")}},
                      [&](const QList<PortalGlobalShortcuts::Bound> &b, const QString &e) { bound = b, error = e; });
            QTRY_VERIFY_WITH_TIMEOUT(bound.has_value(), 10000);
            QCOMPARE(error.isEmpty(), offered);
            if (!offered)
                continue;
            QCOMPARE(bound->size(), 2);
            QCOMPARE(bound->at(0).id, QStringLiteral("area"));
            QCOMPARE(bound->at(0).trigger, QStringLiteral("CTRL+ALT+LOGO+4"));
            QCOMPARE(bound->at(1).trigger, QString());
            fake.press(QStringLiteral("full"));
            QTRY_COMPARE(pressed, QStringList{QStringLiteral("full")});
        }
    }

    // KDE's keys: registered on the keys asked for, refused on another program's, the keys
    // System Settings kept while we were away taken at start, a press and a change there
    // reaching us.
    void kdeKeys()
    {
        FakeKde kde;
        QVERIFY(kde.ready());
        // The keys are set with calls that wait for their answer: the fake answers from a thread.
        QThread answering;
        kde.moveToThread(&answering);
        answering.start();
        auto stop = qScopeGuard([&answering] {
            answering.quit();
            answering.wait();
        });
        const int ctrlAlt = (Qt::CTRL | Qt::ALT).toInt();
        kde.taken = {ctrlAlt | Qt::Key_5};
        kde.keys[QStringLiteral("capture-full")] = {(Qt::CTRL | Qt::SHIFT | Qt::Key_F5).toCombined()};
        KGlobalAccelHotKeys keys(QDBusConnection::sessionBus(), {{QStringLiteral("capture-area"), QStringLiteral("Capture Area")},
                                                                 {QStringLiteral("capture-full"), QStringLiteral("Capture Full Screen")}});
        QList<QList<std::uint32_t>> changes;
        keys.onChangedElsewhere = [&changes](HotKeyId id, std::uint32_t keyCode, std::uint32_t modifiers) {
            changes.append({id.number, keyCode, modifiers});
        };
        QCOMPARE(keys.installEventHandler([](const HotKeyEvent &event) {
            kdePresses.append(event.id->number);
            return HotKeyStatus::noError;
        }), HotKeyStatus::noError);
        const std::uint32_t ctrlAltMask = ShortcutMask::control | ShortcutMask::option;
        HotKeyRef area = 0, full = 0;
        QCOMPARE(keys.registerHotKey(0x15, ctrlAltMask | ShortcutMask::command, {1, 1}, &area), HotKeyStatus::noError);
        QCOMPARE(kde.keys[QStringLiteral("capture-area")], QList<int>{ctrlAlt | Qt::META | Qt::Key_4});
        QCOMPARE(keys.registerHotKey(0x14, ctrlAltMask, {1, 2}, &full), HotKeyStatus::noError);
        QCOMPARE(changes, (QList<QList<std::uint32_t>>{{2, 0x60, ShortcutMask::control | ShortcutMask::shift}}));
        QCOMPARE(kde.keys[QStringLiteral("capture-full")], QList<int>{(Qt::CTRL | Qt::SHIFT | Qt::Key_F5).toCombined()});

        // Recorded anew in our settings: our choice wins over the kept one, another program's key does not.
        QCOMPARE(keys.unregisterHotKey(area), HotKeyStatus::noError);
        QCOMPARE(keys.registerHotKey(0x17, ctrlAltMask, {1, 1}, &area), HotKeyStatus::hotKeyExists);
        QCOMPARE(keys.registerHotKey(0x69, 0, {1, 1}, &area), HotKeyStatus::noError);
        QCOMPARE(kde.keys[QStringLiteral("capture-area")], QList<int>{Qt::Key_Print});

        kdePresses.clear();
        kde.press(QStringLiteral("capture-area"));
        QTRY_COMPARE(kdePresses, QList<std::uint32_t>{1});
        kde.change(QStringLiteral("capture-full"), ctrlAlt | Qt::Key_6);
        QTRY_COMPARE(changes.size(), 2);
        QCOMPARE(changes[1], (QList<std::uint32_t>{2, 0x16, ctrlAltMask}));
    }

    // A capture that skipped the window is announced by the notification server, whose action
    // opens the folder; with no server the fallback says it.
    void notifications()
    {
        QStringList fallback, opened;
        DesktopNotifications notifications(
            QDBusConnection::sessionBus(), [&fallback](const QString &text) { fallback << text; },
            [&opened](const QString &folder) { opened << folder; });
        {
            FakeNotifications server;
            QVERIFY(server.ready());
            notifications.notify(QStringLiteral("Copied 300 × 200"), {});
            notifications.notify(QStringLiteral("Saved a.png."), QStringLiteral("/pictures"));
            QTRY_COMPARE(server.shown, (QStringList{"Copied 300 × 200", "Saved a.png."}));
            QVERIFY(server.actions.contains(QStringLiteral("open-folder")));
            QTest::qWait(100); // the ids come back
            server.invoke(1, QStringLiteral("default")); // nothing to open
            server.invoke(2, QStringLiteral("open-folder"));
            QTRY_COMPARE(opened, QStringList{"/pictures"});
        }
        QVERIFY(fallback.isEmpty());
        notifications.notify(QStringLiteral("Copied 10 × 10"), {});
        QTRY_COMPARE(fallback, QStringList{"Copied 10 × 10"});
    }

    // KWin's pixels come through the pipe; a refusal, or pixels cut short, leave the screen to
    // the fallback from then on. The active window comes with its frame and its scale; refused,
    // it is a failure, never the fallback's.
    void kwinScreenshot_data()
    {
        QTest::addColumn<int>("answer"); // 0 whole, 1 refused, 2 cut short
        QTest::addColumn<bool>("window");
        QTest::newRow("raw pixels") << 0 << false;
        QTest::newRow("refused") << 1 << false;
        QTest::newRow("cut short") << 2 << false;
        QTest::newRow("the active window") << 0 << true;
        QTest::newRow("the active window refused") << 1 << true;
    }
    void kwinScreenshot()
    {
        QFETCH(int, answer);
        QFETCH(bool, window);
        FakeKde kde;
        QVERIFY(kde.ready());
        const QImage picture = patternImage(QSize(64, 32)).convertToFormat(QImage::Format_ARGB32);
        // As it comes: at the scale KWin says.
        QImage expected = picture.convertToFormat(QImage::Format_RGB32);
        expected.setDevicePixelRatio(2.0);
        kde.size = picture.size();
        kde.pixels = QByteArray(reinterpret_cast<const char *>(picture.constBits()), picture.sizeInBytes());
        kde.refuse = answer == 1;
        if (answer == 2)
            kde.pixels.chop(100);
        auto fallback = std::make_unique<FakeScreenCapture>();
        FakeScreenCapture *fallbackRef = fallback.get();
        KWinScreenCapture capture(QDBusConnection::sessionBus(), std::move(fallback));
        for (int round = 0; window && round < 2; ++round) {
            QVERIFY(capture.capturesActiveWindow());
            std::optional<CaptureResult<QImage>> result;
            capture.requestActiveWindow([&result](CaptureResult<QImage> r) { result = r; });
            QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 12000);
            QCOMPARE(kde.method, QStringLiteral("CaptureActiveWindow"));
            QCOMPARE(kde.options.value(QStringLiteral("include-decoration")), QVariant(true));
            QCOMPARE(kde.options.value(QStringLiteral("include-shadow")), QVariant(false));
            QCOMPARE(bool(result->value), answer == 0);
            QVERIFY(fallbackRef->imageRequests.isEmpty());
            if (answer == 0)
                QCOMPARE(*result->value, expected);
        }
        for (int round = 0; !window && round < 2; ++round) {
            std::optional<CaptureResult<QImage>> result;
            capture.requestImage(1, 64, 32, [&result](CaptureResult<QImage> r) { result = r; });
            QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 12000);
            QVERIFY2(result->value, qPrintable(result->error));
            QCOMPARE(fallbackRef->imageRequests.size(), answer == 0 ? 0 : round + 1);
            if (answer == 0)
                QCOMPARE(*result->value, expected);
        }
        // Once the screens come from the fallback, windows are not captured either.
        QCOMPARE(capture.capturesActiveWindow(), window || answer == 0);
    }

    // The running program takes over the bus only what its command line takes: a delay of 1 to
    // 60 seconds, and only the calls it has. Launchers reach it through the freedesktop
    // interface: open it, or run one of its desktop entry's actions.
    void oneInstanceRefusesWhatTheCommandLineRefuses()
    {
        QStringList done;
        DBusInstance::Handlers handlers;
        handlers.activate = [&] { done << QStringLiteral("open"); };
        handlers.captureArea = [&] { done << QStringLiteral("area"); };
        handlers.captureFull = [&] { done << QStringLiteral("full"); };
        handlers.captureScreen = [&](const QString &name) { done << QStringLiteral("screen ") + name; };
        handlers.captureLast = [&] { done << QStringLiteral("last"); };
        handlers.captureAfter = [&](bool full, int seconds) { done << (full ? "full after " : "area after ") + QString::number(seconds); };
        DBusInstance instance(handlers);
        QCOMPARE(instance.claim(), DBusInstance::Role::Primary);
        QDBusConnection caller = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("caller"));
        const QString own = DBusInstance::serviceName, launcher = QStringLiteral("org.freedesktop.Application");
        const QList<std::tuple<QString, QString, QVariantList, bool>> calls{
            {own, "CaptureAfter", {false, 0u}, false},
            {own, "CaptureAfter", {true, 61u}, false},
            {own, "CaptureAfter", {true, 60u}, true},
            {own, "CaptureAfter", {true}, false},
            {own, "Delete", {}, false},
            {own, "CaptureScreen", {QStringLiteral("all")}, true},
            {own, "CaptureLast", {}, true},
            {launcher, "Activate", {QVariantMap()}, true},
            {launcher, "ActivateAction", {QStringLiteral("CaptureArea"), QVariantList(), QVariantMap()}, true},
            {launcher, "ActivateAction", {QStringLiteral("CaptureFull"), QVariantList(), QVariantMap()}, true},
            {launcher, "ActivateAction", {QStringLiteral("CaptureLast"), QVariantList(), QVariantMap()}, true},
            {launcher, "ActivateAction", {QStringLiteral("Quit"), QVariantList(), QVariantMap()}, false}};
        for (const auto &[interface, method, arguments, accepted] : calls) {
            QDBusMessage call = QDBusMessage::createMethodCall(DBusInstance::serviceName, DBusInstance::objectPath,
                                                               interface, method);
            call.setArguments(arguments);
            const QDBusMessage reply = caller.call(call, QDBus::BlockWithGui, 5000);
            QVERIFY2((reply.type() == QDBusMessage::ReplyMessage) == accepted, qPrintable(method + reply.errorMessage()));
        }
        QCOMPARE(done, (QStringList{"full after 60", "screen all", "last", "open", "area", "full", "last"}));
        QDBusConnection::disconnectFromBus(QStringLiteral("caller"));
    }
};

QTEST_MAIN(PortalsTest)
#include "tst_portals.moc"
