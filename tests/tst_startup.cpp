#include "app/PixdriftApp.h"
#include "app/PixdriftDelegate.h"
#include "text/tr.h"
#include "model/CaptureModel.h"
#include "platform/UserDefaults.h"
#include "shortcuts/GlobalShortcuts.h"
#include "support/FakeApplicationWindows.h"
#include "support/FakeHotKeyService.h"
#include "support/FakeScreenCapture.h"
#include "support/LogCapture.h"

#include <QJsonObject>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSystemTrayIcon>
#include <QTest>

namespace {

QStringList describe(const QMenu *menu)
{
    QStringList entries;
    const QList<QAction *> actions = menu->actions();
    for (const QAction *action : actions) {
        QString entry = action->isSeparator() ? QStringLiteral("---") : action->text();
        if (!action->shortcut().isEmpty())
            entry += QStringLiteral(" [") + action->shortcut().toString() + u']';
        entries << entry;
    }
    return entries;
}

} // namespace

class StartupTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(!loadTranslations(QLocale(QLocale::English)).isEmpty()); }

    void startupLogLine_data()
    {
        QTest::addColumn<QJsonObject>("stored");
        QTest::addColumn<bool>("refuseFull");
        QTest::addColumn<QString>("line");

        QTest::newRow("empty store") << QJsonObject() << false
                                     << "Pixdrift startup shortcuts registered=YES area=control+option+command+4 "
                                        "full=control+option+command+3 status=0 handler=0";
        QTest::newRow("custom shortcuts")
            << QJsonObject{{"pd.areaShortcut", "control+shift+a"}, {"pd.fullShortcut", "control+shift+f5"},
                           {"pd.shortcutDefaultsVersion", 3}}
            << false
            << "Pixdrift startup shortcuts registered=YES area=control+shift+a full=control+shift+f5 status=0 "
               "handler=0";
        QTest::newRow("full refused") << QJsonObject() << true
                                      << "Pixdrift startup shortcuts registered=NO area=control+option+command+4 "
                                         "full=control+option+command+3 status=-9878 handler=0";
    }

    void startupLogLine()
    {
        QFETCH(QJsonObject, stored);
        QFETCH(bool, refuseFull);
        QFETCH(QString, line);
        FakeHotKeyService service;
        if (refuseFull)
            service.refuse[2] = -9878;
        GlobalShortcuts::setService(&service);
        auto defaults = UserDefaults::inMemory(stored);

        LogCapture log;
        PixdriftDelegate delegate(*defaults, nullptr);
        delegate.applicationDidFinishLaunching();
        QCOMPARE(log.lines().first(), line);
        if (!stored.isEmpty()) {
            QVERIFY(service.isRegistered(0, 0x1200));  // control+shift+a
            QVERIFY(service.isRegistered(96, 0x1200)); // control+shift+f5
        }
        GlobalShortcuts::setService(nullptr);
    }

    void trayMenu()
    {
        FakeHotKeyService service;
        GlobalShortcuts::setService(&service);
        auto defaults = UserDefaults::inMemory();
        FakeApplicationWindows windows;
        PixdriftDelegate delegate(*defaults, &windows);
        delegate.applicationDidFinishLaunching();

        QVERIFY(delegate.statusItem());
        QCOMPARE(delegate.statusItem()->toolTip(), QStringLiteral("Pixdrift"));
        QVERIFY(!delegate.statusItem()->icon().isNull());
        QCOMPARE(describe(delegate.statusMenu()),
                 QStringList({"Open Pixdrift", "Capture Area", "Capture Full Screen", "Capture Area in 3 s",
                              "Capture Area in 10 s", "---", "Quit Pixdrift"}));

        // Without a model the capture entries do nothing.
        delegate.statusMenu()->actions().at(2)->trigger();

        CaptureModel model(*defaults);
        FakeScreenCapture capture;
        capture.answering = FakeScreenCapture::Answering::WhenTold;
        model.setCaptureEnvironment({.screenCapture = &capture});
        delegate.statusMenu()->actions().at(2)->trigger();
        QCOMPARE(model.status(), QStringLiteral("Capturing the full screen…"));
        delegate.statusMenu()->actions().at(1)->trigger();
        QCOMPARE(model.status(), QStringLiteral("Capturing an area…"));

        int opened = 0;
        PixdriftDelegate::openMain = [&] { ++opened; };
        delegate.statusMenu()->actions().at(0)->trigger();
        PixdriftDelegate::openMain = nullptr;
        QCOMPARE(opened, 1);
        QCOMPARE(windows.calls, QStringList{QStringLiteral("activate")});
        GlobalShortcuts::setService(nullptr);
    }

    void mainWindowAndMenus()
    {
        auto defaults = UserDefaults::inMemory();
        PixdriftApp app(*defaults);
        LogCapture log;
        app.launch();
        QVERIFY(log.lines().first().startsWith(QStringLiteral("Pixdrift startup shortcuts registered=NO")));

        QMainWindow *window = app.mainWindow();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->objectName(), QStringLiteral("main"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Pixdrift"));
        QCOMPARE(window->centralWidget()->minimumSize(), QSize(720, 520));
        QCOMPARE(CaptureModel::shared(), &app.model());

        QList<QMenu *> menus;
        const QList<QAction *> entries = window->menuBar()->actions();
        for (QAction *entry : entries)
            menus << entry->menu();
        QCOMPARE(menus.size(), 2);
        QCOMPARE(menus[0]->title(), QStringLiteral("Pixdrift"));
        QCOMPARE(describe(menus[0]), QStringList({"Settings… [Ctrl+,]", "---", "Quit Pixdrift [Ctrl+Q]"}));
        QCOMPARE(menus[1]->title(), QStringLiteral("Capture"));
        QCOMPARE(describe(menus[1]), QStringList({"Select Area…", "Full Screen", "Capture Area in 3 s",
                                                  "Capture Area in 10 s", "---", "Include marks"}));

        // Closing the window keeps the program; the tray's first entry brings the window back.
        window->close();
        QVERIFY(!window->isVisible());
        app.delegate().statusMenu()->actions().at(0)->trigger();
        QVERIFY(window->isVisible());
    }
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
