#include "text/tr.h"
#include "model/CaptureModel.h"
#include "platform/UserDefaults.h"
#include "shortcuts/GlobalShortcuts.h"
#include "support/FakeHotKeyService.h"
#include "support/FakeScreenCapture.h"
#include "support/LogCapture.h"

#include <QTest>

namespace {
constexpr std::uint32_t pxdr = 0x50584452;
}

class GlobalShortcutsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(!loadTranslations(QLocale(QLocale::English)).isEmpty()); }

    void init()
    {
        m_service = FakeHotKeyService();
        GlobalShortcuts::s_refs = {};
        GlobalShortcuts::s_handlerInstalled = false;
        GlobalShortcuts::s_lastRegistrationError = 0;
        GlobalShortcuts::s_handlerInstallError = 0;
        GlobalShortcuts::setService(&m_service);
        GlobalShortcuts::setPressHandler({});
    }

    void installingTwiceReplacesThePair()
    {
        QVERIFY(GlobalShortcuts::install(QStringLiteral("control+option+command+4"),
                                         QStringLiteral("control+option+command+3")));
        QVERIFY(GlobalShortcuts::install(QStringLiteral("control+a"), QStringLiteral("shift+command+space")));
        QCOMPARE(m_service.registered.size(), 2u);
        QCOMPARE(m_service.handlerInstalls, 1);
        QVERIFY(m_service.isRegistered(0, 0x1000));
        QVERIFY(m_service.isRegistered(49, 0x0300));
        QVERIFY(!m_service.isRegistered(21, 0x1900));
    }

    void anInvalidAreaLeavesTheFullWorking()
    {
        QVERIFY(!GlobalShortcuts::install(QStringLiteral("control+return"), QStringLiteral("control+option+command+3")));
        QCOMPARE(m_service.registered.size(), 1u);
        QVERIFY(m_service.isRegistered(20, 0x1900));
        QCOMPARE(GlobalShortcuts::lastRegistrationError(), 0); // an invalid text records nothing
        QCOMPARE(GlobalShortcuts::handlerInstallError(), 0);
    }

    void aRefusedFullLeavesTheAreaWorking()
    {
        m_service.refuse[2] = -9878;
        QVERIFY(!GlobalShortcuts::install(QStringLiteral("control+option+command+4"),
                                          QStringLiteral("control+option+command+3")));
        QVERIFY(m_service.isRegistered(21, 0x1900));
        QCOMPARE(m_service.registered.size(), 1u);
        QCOMPARE(GlobalShortcuts::lastRegistrationError(), -9878);
    }

    void bothRefusedKeepsTheFullStatus()
    {
        m_service.refuse[1] = -9879;
        m_service.refuse[2] = -9878;
        QVERIFY(!GlobalShortcuts::install(QStringLiteral("control+a"), QStringLiteral("control+b")));
        QCOMPARE(GlobalShortcuts::lastRegistrationError(), -9878);
    }

    // The handler is tried again until it installs; a refusal's status stays afterwards.
    void handlerFailureThenSuccess()
    {
        m_service.handlerStatus = -9868;
        m_service.refuse[1] = -9878;
        QVERIFY(!GlobalShortcuts::install(QStringLiteral("control+a"), QStringLiteral("control+b")));
        QCOMPARE(GlobalShortcuts::handlerInstallError(), -9868);

        m_service.handlerStatus = 0;
        m_service.refuse.clear();
        QVERIFY(GlobalShortcuts::install(QStringLiteral("control+a"), QStringLiteral("control+b")));
        QCOMPARE(GlobalShortcuts::handlerInstallError(), 0);
        QCOMPARE(GlobalShortcuts::lastRegistrationError(), -9878);
        QCOMPARE(m_service.handlerInstalls, 2);

        QVERIFY(GlobalShortcuts::install(QStringLiteral("control+a"), QStringLiteral("control+b")));
        QCOMPARE(m_service.handlerInstalls, 2);
    }

    void pressesStartCaptures_data()
    {
        QTest::addColumn<uint>("signature");
        QTest::addColumn<uint>("number");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QString>("captureStatus"); // empty: no capture starts

        QTest::newRow("area") << pxdr << 1u << 0 << QStringList{"Pixdrift received global hotkey id=1"}
                              << "Capturing an area…";
        QTest::newRow("full") << pxdr << 2u << 0 << QStringList{"Pixdrift received global hotkey id=2"}
                              << "Capturing the full screen…";
        QTest::newRow("unknown number") << pxdr << 3u << 0 << QStringList{"Pixdrift received global hotkey id=3"}
                                        << "";
        QTest::newRow("foreign signature") << 0x41424344u << 1u << -9874 << QStringList{} << "";
    }

    void pressesStartCaptures()
    {
        QFETCH(uint, signature);
        QFETCH(uint, number);
        QFETCH(int, status);
        QFETCH(QStringList, log);
        QFETCH(QString, captureStatus);

        auto defaults = UserDefaults::inMemory();
        CaptureModel model(*defaults);
        FakeScreenCapture capture;
        capture.answering = FakeScreenCapture::Answering::WhenTold;
        model.setCaptureEnvironment({.screenCapture = &capture});
        GlobalShortcuts::setPressHandler([&model](bool full) { model.take(full); });
        QVERIFY(GlobalShortcuts::install(QStringLiteral("control+a"), QStringLiteral("control+b")));

        LogCapture logged;
        QCOMPARE(m_service.press(HotKeyEvent{HotKeyId{signature, number}}), status);
        QCOMPARE(logged.lines(), log);
        // The capture starts on a later turn, not inside the press.
        QCOMPARE(model.status(), QStringLiteral("Ready."));
        QCoreApplication::processEvents();
        QCOMPARE(model.status(), captureStatus.isEmpty() ? QStringLiteral("Ready.") : captureStatus);
    }

    void aPressWithoutIdentifierIsReturned()
    {
        QVERIFY(GlobalShortcuts::install(QStringLiteral("control+a"), QStringLiteral("control+b")));
        LogCapture logged;
        QCOMPARE(m_service.press(HotKeyEvent{}), -9870);
        QVERIFY(logged.lines().isEmpty());
    }

    void aPressWithoutHandlerIsDropped()
    {
        QVERIFY(GlobalShortcuts::install(QStringLiteral("control+a"), QStringLiteral("control+b")));
        QCOMPARE(m_service.press(HotKeyEvent{HotKeyId{pxdr, 1}}), 0);
        QCoreApplication::processEvents();
    }

private:
    FakeHotKeyService m_service;
};

QTEST_MAIN(GlobalShortcutsTest)
#include "tst_globalshortcuts.moc"
