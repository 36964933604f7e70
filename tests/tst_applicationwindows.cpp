#include "platform/QtApplicationWindows.h"

#include <QMenu>
#include <QTest>

class ApplicationWindowsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hideAndUnhideTouchOnlyWhatWasVisible()
    {
        QWidget main, settings, closed, overlay;
        main.setObjectName(QStringLiteral("main"));
        overlay.setProperty(QtApplicationWindows::excludedProperty, true);
        main.show();
        settings.show();
        overlay.show();
        QtApplicationWindows windows;

        windows.hideApplication();
        QVERIFY(!main.isVisible());
        QVERIFY(!settings.isVisible());
        QVERIFY(overlay.isVisible());
        QVERIFY(windows.anyVisible()); // taken away by the capture, so still counted

        windows.unhideApplication();
        QVERIFY(main.isVisible());
        QVERIFY(settings.isVisible());
        QVERIFY(!closed.isVisible());

        main.close();
        settings.close();
        overlay.close();
        QVERIFY(!windows.anyVisible());
    }

    void orderOutTakesOnlyTheMainWindow()
    {
        QWidget main, settings;
        main.setObjectName(QStringLiteral("main"));
        main.show();
        settings.show();
        QtApplicationWindows windows;

        windows.orderOutMainWindow();
        QVERIFY(!main.isVisible());
        QVERIFY(settings.isVisible());

        settings.close();
        QVERIFY(windows.anyVisible());
        windows.bringMainWindowToFront();
        QVERIFY(main.isVisible());

        // Closed by the user after it came back: no longer counted.
        main.close();
        QVERIFY(!windows.anyVisible());
    }

    void menusAndPopupsAreNotWindows()
    {
        QMenu menu;
        menu.addAction(QStringLiteral("x"));
        menu.popup(QPoint(10, 10));
        QVERIFY(menu.isVisible());
        QtApplicationWindows windows;
        QVERIFY(!windows.anyVisible());
        windows.hideApplication();
        QVERIFY(menu.isVisible());
    }

    void firstWindowComesToFront()
    {
        QWidget only;
        QtApplicationWindows windows;
        windows.bringFirstWindowToFront();
        QVERIFY(only.isVisible());
    }
};

QTEST_MAIN(ApplicationWindowsTest)
#include "tst_applicationwindows.moc"
