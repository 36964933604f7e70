// The hot keys on a real X server, pressed with xdotool.

#include "text/tr.h"
#include "model/CaptureModel.h"
#include "platform/UserDefaults.h"
#include "platform/X11HotKeyService.h"
#include "shortcuts/GlobalShortcuts.h"
#include "support/FakeScreenCapture.h"
#include "support/LogCapture.h"
#include "support/TestUtilities.h"

#include <QProcess>
#include <QTest>

namespace {

constexpr int keycode4 = 13; // the "4" key: Linux input code 5 + 8
constexpr int controlAltSuper = 4 | 8 | 64;
constexpr int capsLock = 2;


// Another client holding a grab for as long as the object lives.
class OtherClient
{
public:
    OtherClient(int keycode, int modifiers)
    {
        m_process.start(QStringLiteral(GRAB_KEY_PATH), {QString::number(keycode), QString::number(modifiers)});
        m_process.waitForReadyRead(10000);
        m_answer = QString::fromLatin1(m_process.readLine()).trimmed();
    }
    ~OtherClient()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }
    [[nodiscard]] QString answer() const { return m_answer; }

private:
    QProcess m_process;
    QString m_answer;
};

} // namespace

class X11HotKeysTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(!loadTranslations(QLocale(QLocale::English)).isEmpty());
        m_capture.answering = FakeScreenCapture::Answering::WhenTold;
        m_model.setCaptureEnvironment({.screenCapture = &m_capture});
        GlobalShortcuts::setService(&m_service);
        GlobalShortcuts::setPressHandler([this](bool full) { m_model.take(full); });
    }

    void pressesReachTheCallback_data()
    {
        QTest::addColumn<QString>("lock");
        QTest::newRow("no lock") << "";
        QTest::newRow("Num Lock on") << "Num_Lock";
        QTest::newRow("Caps Lock on") << "Caps_Lock";
    }

    void pressesReachTheCallback()
    {
        QFETCH(QString, lock);
        QVERIFY(GlobalShortcuts::install(QStringLiteral("control+option+command+4"),
                                         QStringLiteral("control+option+command+3")));
        if (!lock.isEmpty())
            QVERIFY(xdotool({"key", lock}));

        LogCapture log;
        m_model.setStatus(QString());
        QVERIFY(xdotool({"key", "ctrl+alt+super+4"}));
        QTRY_COMPARE(log.lines(), QStringList{QStringLiteral("Pixdrift received global hotkey id=1")});
        QTRY_COMPARE(m_model.status(), QStringLiteral("Capturing an area…"));
        QVERIFY(xdotool({"key", "ctrl+alt+super+3"}));
        QTRY_COMPARE(log.lines().size(), 2);
        QCOMPARE(log.lines().last(), QStringLiteral("Pixdrift received global hotkey id=2"));

        if (!lock.isEmpty())
            QVERIFY(xdotool({"key", lock}));
    }

    void aCombinationTakenByAnotherClientIsRefused()
    {
        GlobalShortcuts::install(QString(), QString());
        OtherClient other(keycode4, controlAltSuper);
        QCOMPARE(other.answer(), QStringLiteral("grabbed"));

        QVERIFY(!GlobalShortcuts::install(QStringLiteral("control+option+command+4"),
                                          QStringLiteral("control+option+command+3")));
        QCOMPARE(GlobalShortcuts::lastRegistrationError(), -9878);

        // The variants that did succeed (with Caps Lock, say) were given back.
        OtherClient withCapsLock(keycode4, controlAltSuper | capsLock);
        QCOMPARE(withCapsLock.answer(), QStringLiteral("grabbed"));

        // The full capture still works.
        LogCapture log;
        QVERIFY(xdotool({"key", "ctrl+alt+super+3"}));
        QTRY_COMPARE(log.lines(), QStringList{QStringLiteral("Pixdrift received global hotkey id=2")});
    }

    void reinstallingReleasesTheOldGrabs()
    {
        QVERIFY(GlobalShortcuts::install(QStringLiteral("control+option+command+4"),
                                         QStringLiteral("control+option+command+3")));
        QCOMPARE(OtherClient(keycode4, controlAltSuper).answer(), QStringLiteral("refused"));

        QVERIFY(GlobalShortcuts::install(QStringLiteral("control+shift+f5"), QStringLiteral("control+shift+3")));
        QCOMPARE(OtherClient(keycode4, controlAltSuper).answer(), QStringLiteral("grabbed"));

        LogCapture log;
        QVERIFY(xdotool({"key", "ctrl+shift+F5"}));
        QTRY_COMPARE(log.lines(), QStringList{QStringLiteral("Pixdrift received global hotkey id=1")});
    }

    void aSavedShortcutWorksAtOnce()
    {
        m_model.setAreaShortcut(CaptureModel::defaultAreaShortcut);
        m_model.setFullShortcut(CaptureModel::defaultFullShortcut);
        QVERIFY(GlobalShortcuts::install(m_model.areaShortcut(), m_model.fullShortcut()));

        m_model.setAreaShortcut(QStringLiteral("shift+option+f6"));
        m_model.saveShortcuts();
        QCOMPARE(m_model.status(), QStringLiteral("Shortcuts saved: Alt+Shift+F6 · Ctrl+Alt+Super+3"));

        // The old area combination, then the full one as a marker: presses arrive in order, so
        // once the marker is in, an old press would be too.
        LogCapture log;
        QVERIFY(xdotool({"key", "ctrl+alt+super+4"}));
        QVERIFY(xdotool({"key", "ctrl+alt+super+3"}));
        QTRY_VERIFY(!log.lines().isEmpty());
        QCOMPARE(log.lines(), QStringList{QStringLiteral("Pixdrift received global hotkey id=2")});

        QVERIFY(xdotool({"key", "shift+alt+F6"}));
        QTRY_COMPARE(log.lines().size(), 2);
        QCOMPARE(log.lines().last(), QStringLiteral("Pixdrift received global hotkey id=1"));
        // The old combination is free for others again.
        QCOMPARE(OtherClient(keycode4, controlAltSuper).answer(), QStringLiteral("grabbed"));
    }

    void theServiceRefusesWhatCannotWork()
    {
        X11HotKeyService service;
        HotKeyRef ref = 0;
        QCOMPARE(service.registerHotKey(0, 0x1200, {GlobalShortcuts::signature, 7}, &ref), 0);
        // X11 would take the same grab twice from one client and drop both on one ungrab.
        QCOMPARE(service.registerHotKey(0, 0x1200, {GlobalShortcuts::signature, 8}, &ref), -9878);
        // Return is not a key of the shortcut table.
        QCOMPARE(service.registerHotKey(0x24, 0x1000, {GlobalShortcuts::signature, 9}, &ref), -9879);
    }

private:
    X11HotKeyService m_service;
    FakeScreenCapture m_capture;
    std::unique_ptr<UserDefaults> m_defaults = UserDefaults::inMemory();
    CaptureModel m_model{*m_defaults};
};

QTEST_MAIN(X11HotKeysTest)
#include "tst_x11hotkeys.moc"
