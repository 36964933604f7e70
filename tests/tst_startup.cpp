// The tray menu, the main window and its menus, as the program builds them at start.

#include "app/PixdriftApp.h"
#include "app/PixdriftDelegate.h"
#include "shortcuts/GlobalShortcuts.h"
#include "support/Fakes.h"
#include "support/TestUtilities.h"
#include "text/tr.h"

#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSystemTrayIcon>
#include <QTest>

namespace {

QStringList describe(const QMenu *menu)
{
    QStringList entries;
    for (const QAction *action : menu->actions())
        entries << (action->isSeparator() ? QStringLiteral("---") : action->text()) +
                       (action->shortcut().isEmpty() ? QString() : " [" + action->shortcut().toString() + u']');
    return entries;
}

} // namespace

class StartupTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(!loadTranslations(QLocale(QLocale::English)).isEmpty()); }

    void trayMenu()
    {
        FakeHotKeyService service;
        GlobalShortcuts::setService(&service);
        auto defaults = UserDefaults::inMemory();
        FakeApplicationWindows windows;
        PixdriftDelegate delegate(*defaults, &windows);
        delegate.applicationDidFinishLaunching();
        QCOMPARE(delegate.statusItem()->toolTip(), QStringLiteral("Pixdrift"));
        QVERIFY(!delegate.statusItem()->icon().isNull());
        const QList<QAction *> entries = delegate.statusMenu()->actions();
        QCOMPARE(describe(delegate.statusMenu()), QStringList({"Open Pixdrift", "Capture Area", "Capture Full Screen",
                                                               "Capture Area in 3 s", "Capture Area in 10 s", "---", "Quit Pixdrift"}));
        entries.at(2)->trigger(); // without a model the capture entries do nothing

        CaptureRig rig;
        rig.capture.answering = FakeScreenCapture::Answering::WhenTold;
        entries.at(2)->trigger();
        QCOMPARE(rig.model.status(), QStringLiteral("Capturing the full screen…"));
        entries.at(1)->trigger();
        QCOMPARE(rig.model.status(), QStringLiteral("Capturing an area…"));
        int opened = 0;
        PixdriftDelegate::openMain = [&] { ++opened; };
        entries.at(0)->trigger();
        PixdriftDelegate::openMain = nullptr;
        QCOMPARE(opened, 1);
        QCOMPARE(windows.calls, QStringList{QStringLiteral("activate")});
        GlobalShortcuts::setService(nullptr);
    }

    // Closing the window keeps the program; the tray's first entry brings the window back.
    void mainWindowAndMenus()
    {
        auto defaults = UserDefaults::inMemory();
        PixdriftApp app(*defaults);
        app.launch();
        QMainWindow *window = app.mainWindow();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("Pixdrift"));
        QCOMPARE(window->centralWidget()->minimumSize(), QSize(720, 520));
        QCOMPARE(CaptureModel::shared(), &app.model());
        QStringList menus;
        for (QAction *entry : window->menuBar()->actions())
            menus << entry->menu()->title() + ": " + describe(entry->menu()).join(u", ");
        QCOMPARE(menus, QStringList({"Pixdrift: Settings… [Ctrl+,], ---, Quit Pixdrift [Ctrl+Q]",
                                     "Capture: Select Area…, Full Screen, Capture Area in 3 s, Capture Area in 10 s, ---, Include marks"}));
        window->close();
        QVERIFY(!window->isVisible());
        app.delegate().statusMenu()->actions().at(0)->trigger();
        QVERIFY(window->isVisible());
    }
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
