// An area capture on a real X server, driven by real pointer and key events.

#include "app/tr.h"
#include "model/CaptureModel.h"
#include "overlay/AreaSelectionOverlay.h"
#include "overlay/SelectionOverlayWindow.h"
#include "platform/QtApplicationWindows.h"
#include "platform/UserDefaults.h"
#include "platform/X11ScreenCapture.h"
#include "support/TestUtilities.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QWidget>

namespace {


// Stripes in the top-left corner, so the screenshots show what was frozen.
class Backdrop : public QWidget
{
public:
    Backdrop()
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint)
    {
        setGeometry(0, 0, 600, 400);
        // It stands for another program's window: the capture must not hide it.
        setProperty(QtApplicationWindows::excludedProperty, true);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        for (int i = 0; i < 12; ++i)
            painter.fillRect(i * 50, 0, 50, 400, QColor::fromHsv(i * 30, 160, 230));
        painter.setPen(Qt::black);
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("Pixdrift test backdrop"));
    }
};

} // namespace

class AreaCaptureX11Test : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(!loadTranslations(QLocale(QLocale::English)).isEmpty());
        m_backdrop.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_backdrop));
        m_model.setCaptureEnvironment(
            {.screenCapture = &m_capture, .windows = &m_windows, .presentOverlay = AreaSelectionOverlay::present});
        QDir().mkpath(QStringLiteral("screenshots"));
    }

    void aDragSetsTheCrop()
    {
        m_model.take(false);
        QTRY_VERIFY(AreaSelectionOverlay::window() && AreaSelectionOverlay::window()->isVisible());
        QTest::qWait(200);
        saveScreenshot(QStringLiteral("overlay-shown"));

        QVERIFY(xdotool({"mousemove", "100", "100", "mousedown", "1", "mousemove", "200", "180", "mousemove", "300",
                 "250"}));
        QTest::qWait(300);
        saveScreenshot(QStringLiteral("overlay-mid-drag"));
        QVERIFY(xdotool({"mouseup", "1"}));

        QTRY_VERIFY(!AreaSelectionOverlay::window());
        const qreal scale = QGuiApplication::primaryScreen()->devicePixelRatio();
        QCOMPARE(m_model.crop(), QRectF(QPointF(100, 100) * scale, QSizeF(200, 150) * scale));
        QCOMPARE(m_model.status(), QStringLiteral("Adjust the crop, then copy or save."));
        // The frozen image is what was on screen: the backdrop's first stripe.
        QCOMPARE(m_model.image().pixel(10, 10), QColor::fromHsv(0, 160, 230).rgb());
    }

    // Escape reaches the overlay through its keyboard grab, wherever the focus was.
    void escapeCancels()
    {
        m_model.take(false);
        QTRY_VERIFY(AreaSelectionOverlay::window() && AreaSelectionOverlay::window()->isVisible());
        QTest::qWait(200);
        QVERIFY(xdotool({"key", "Escape"}));
        QTRY_VERIFY(!AreaSelectionOverlay::window());
        QVERIFY(m_model.hasImage());
        QCOMPARE(m_model.crop(), QRectF(QPointF(0, 0), QSizeF(m_model.image().size())));
    }

private:
    // For a person to look at; the assertions do not depend on them.
    void saveScreenshot(const QString &name)
    {
        const QSize size = m_model.image().size();
        const auto shot = m_capture.grab(m_capture.mainDisplayId(), size.width(), size.height());
        QVERIFY2(shot.value, qPrintable(shot.error));
        QVERIFY(shot.value->save(QStringLiteral("screenshots/") + name + QStringLiteral(".png")));
    }

    Backdrop m_backdrop;
    std::unique_ptr<UserDefaults> m_defaults = UserDefaults::inMemory();
    CaptureModel m_model{*m_defaults};
    X11ScreenCapture m_capture;
    QtApplicationWindows m_windows;
};

QTEST_MAIN(AreaCaptureX11Test)
#include "tst_areacapture_x11.moc"
