// The program as a process on an X server with a tray: start-up line, tray icon, its menu,
// and Quit.

#include "support/TestUtilities.h"

#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

namespace {


QImage screen()
{
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage();
}

// The tray sits in the top-right corner, 24 pixels high.
const QRect trayArea(1280 - 200, 0, 200, 24);

bool hasNonBlackPixels(const QImage &image, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(image.pixel(x, y)) > 40)
                return true;
        }
    }
    return false;
}

} // namespace

class TrayX11Test : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 1280, 800));
        QVERIFY(m_home.isValid());
        QDir().mkpath(QStringLiteral("screenshots"));
        m_tray.start(QStringLiteral("trayer"), {"--edge", "top", "--align", "right", "--widthtype", "request",
                                                "--height", "24", "--SetDockType", "true", "--transparent", "false"});
        QVERIFY(m_tray.waitForStarted(10000));
    }

    void cleanupTestCase()
    {
        for (QProcess *process : {&m_pixdrift, &m_tray}) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(5000);
            }
        }
    }

    void startsWithTheTrayIconAndQuitsFromItsMenu()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), m_home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("LANG"), QStringLiteral("C"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        m_pixdrift.setProcessEnvironment(environment);
        m_pixdrift.start(QStringLiteral(PIXDRIFT_PATH), {});
        QVERIFY(m_pixdrift.waitForStarted(10000));

        QByteArray output;
        QTRY_VERIFY_WITH_TIMEOUT((output += m_pixdrift.readAllStandardError()).contains("Pixdrift startup"), 10000);
        QVERIFY2(output.contains("Pixdrift startup shortcuts registered=YES area=control+option+command+4 "
                                 "full=control+option+command+3 status=0 handler=0"),
                 output.constData());

        QTRY_VERIFY_WITH_TIMEOUT(hasNonBlackPixels(screen(), trayArea), 10000);
        QVERIFY(QFile::exists(m_home.filePath(QStringLiteral("config/Pixdrift/defaults.json"))));

        // An area capture hides our windows and brings them back; the tray icon stays in the tray.
        const QImage trayBefore = screen().copy(trayArea);
        QVERIFY(xdotool({"key", "ctrl+alt+super+4"}));
        QTRY_VERIFY_WITH_TIMEOUT((output += m_pixdrift.readAllStandardError()).contains("hotkey id=1"), 5000);
        QTest::qWait(800);
        QVERIFY(xdotool({"key", "Escape"}));
        QTest::qWait(500);
        QTRY_COMPARE_WITH_TIMEOUT(screen().copy(trayArea), trayBefore, 5000);

        // A left click opens the menu.
        const QImage before = screen();
        QVERIFY(xdotool({"mousemove", "1267", "12", "click", "1"}));
        QTRY_VERIFY_WITH_TIMEOUT(screen().copy(1000, 24, 280, 120) != before.copy(1000, 24, 280, 120), 5000);
        QTest::qWait(300);
        QVERIFY(screen().save(QStringLiteral("screenshots/tray-menu.png")));

        // Up wraps to the last entry, Quit.
        QVERIFY(xdotool({"key", "Up"}));
        QVERIFY(xdotool({"key", "Return"}));
        QVERIFY(m_pixdrift.waitForFinished(10000));
        QCOMPARE(m_pixdrift.exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_pixdrift.exitCode(), 0);
    }

private:
    QTemporaryDir m_home;
    QProcess m_tray;
    QProcess m_pixdrift;
};

QTEST_MAIN(TrayX11Test)
#include "tst_tray_x11.moc"
