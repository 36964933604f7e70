// An area capture on a real X server at this process's scale factor (QT_SCALE_FACTOR), on a
// screen of any size: the capture is the screen pixel for pixel, and a drag between two screen
// pixels gives exactly that crop. CTest runs it at several scales and screen sizes.

#include "model/CaptureModel.h"
#include "overlay/AreaSelectionOverlay.h"
#include "overlay/SelectionOverlayWindow.h"
#include "platform/UserDefaults.h"
#include "platform/x11/X11PointerFilter.h"
#include "platform/x11/X11ScreenCapture.h"
#include "support/TestUtilities.h"

#include <QApplication>
#include <QTest>

#include <xcb/xcb.h>


class CaptureScalesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        QVERIFY2(x11, "needs an X11 display");
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(x11->connection())).data;
        m_pattern = patternImage({screen->width_in_pixels, screen->height_in_pixels});
        QVERIFY(showOnRoot(m_pattern));
        qApp->installNativeEventFilter(&m_pointer);
    }

    void areaCaptureIsPixelExact_data()
    {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::newRow("odd pixels") << QPoint(301, 203) << QPoint(1002, 607);
        QTest::newRow("up to the far corner") << QPoint(17, 9) << QPoint(m_pattern.width() - 1, m_pattern.height() - 1);
    }

    void areaCaptureIsPixelExact()
    {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        auto defaults = UserDefaults::inMemory();
        CaptureModel model(*defaults);
        X11ScreenCapture capture;
        model.setCaptureEnvironment({.screenCapture = &capture, .presentOverlay = AreaSelectionOverlay::present});

        model.take(false);
        QTRY_VERIFY(AreaSelectionOverlay::window());
        QVERIFY(QTest::qWaitForWindowExposed(AreaSelectionOverlay::window()));
        QCOMPARE(model.image().size(), m_pattern.size());
        QVERIFY2(model.image() == m_pattern, "the capture differs from the screen");

        QTest::qWait(100);
        QVERIFY(xdotool({"mousemove", QString::number(from.x()), QString::number(from.y()), "mousedown", "1",
                         "mousemove", QString::number(to.x()), QString::number(to.y()), "mouseup", "1"}));
        QTRY_VERIFY(!AreaSelectionOverlay::window());
        const QRect expected(from, QSize(to.x() - from.x(), to.y() - from.y()));
        QCOMPARE(model.crop(), QRectF(expected));
        QVERIFY(model.cropped() == m_pattern.copy(expected));
    }

private:
    QImage m_pattern;
    X11PointerFilter m_pointer;
};

QTEST_MAIN(CaptureScalesTest)
#include "tst_capturescales.moc"
