#include "platform/X11ScreenCapture.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <xcb/xcb.h>

namespace {

const QColor left(200, 30, 40);
const QColor right(20, 60, 220);

// A frameless window at the top-left corner: red on its left half, blue on its right.
class KnownWindow : public QWidget
{
public:
    KnownWindow()
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint)
    {
        setGeometry(0, 0, 200, 100);
    }
    void setColours(QColor l, QColor r)
    {
        m_left = l;
        m_right = r;
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(0, 0, 100, 100, m_left);
        painter.fillRect(100, 0, 100, 100, m_right);
    }

private:
    QColor m_left = left;
    QColor m_right = right;
};

void syncWithServer()
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    free(xcb_get_input_focus_reply(x11->connection(), xcb_get_input_focus(x11->connection()), nullptr));
}

} // namespace

class X11ScreenCaptureTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(qGuiApp->nativeInterface<QNativeInterface::QX11Application>(), "needs an X11 display");
        m_window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_window));
        QTest::qWait(200);
        syncWithServer();
    }

    void capturesTheScreenAtFullResolution()
    {
        X11ScreenCapture capture;
        QCOMPARE(capture.backend(), X11ScreenCapture::Backend::SharedMemory);
        QScreen *screen = QGuiApplication::primaryScreen();
        const qreal scale = screen->devicePixelRatio();
        const QSize pixels = (QSizeF(screen->geometry().size()) * scale).toSize();

        const CaptureResult<QImage> result = capture.grab(capture.mainDisplayId(), pixels.width(), pixels.height());
        QVERIFY2(result.value, qPrintable(result.error));
        const QImage &image = *result.value;
        QCOMPARE(image.size(), pixels);
        QCOMPARE(image.devicePixelRatio(), 1.0);
        QVERIFY(!image.hasAlphaChannel());
        QCOMPARE(image.pixelColor(QPointF(50 * scale, 50 * scale).toPoint()), left);
        QCOMPARE(image.pixelColor(QPointF(150 * scale, 50 * scale).toPoint()), right);
        QCOMPARE(image.pixelColor(QPoint(qRound(199 * scale), qRound(99 * scale))), right);
        QCOMPARE(qAlpha(image.pixel(0, 0)), 255);

        // Qt's own grab sees the same pixels.
        X11ScreenCapture qtGrab(X11ScreenCapture::Backend::QtGrab);
        QCOMPARE(qtGrab.backend(), X11ScreenCapture::Backend::QtGrab);
        const CaptureResult<QImage> viaQt = qtGrab.grab(qtGrab.mainDisplayId(), pixels.width(), pixels.height());
        QVERIFY2(viaQt.value, qPrintable(viaQt.error));
        QCOMPARE(viaQt.value->copy(0, 0, 400, 200), image.copy(0, 0, 400, 200));
    }

    // A segment is reused only once no image holds it, so a kept image never changes.
    void segmentsAreReusedOnlyWhenFree()
    {
        X11ScreenCapture capture;
        QVERIFY(capture.grab(capture.mainDisplayId(), 300, 200).value);
        QVERIFY(capture.grab(capture.mainDisplayId(), 300, 200).value);
        QCOMPARE(capture.segmentsCreated(), 1);

        const QImage kept = *capture.grab(capture.mainDisplayId(), 300, 200).value;
        QCOMPARE(kept.pixelColor(10, 10).rgb(), left.rgb());
        m_window.setColours(Qt::green, Qt::green);
        m_window.repaint();
        QTest::qWait(100);
        syncWithServer();
        const QImage next = *capture.grab(capture.mainDisplayId(), 300, 200).value;
        QCOMPARE(capture.segmentsCreated(), 2);
        QCOMPARE(next.pixelColor(10, 10).rgb(), QColor(Qt::green).rgb());
        QCOMPARE(kept.pixelColor(10, 10).rgb(), left.rgb());

        m_window.setColours(left, right);
        m_window.repaint();
        QTest::qWait(100);
        syncWithServer();
        QVERIFY(capture.grab(capture.mainDisplayId(), 200, 100).value);
        QCOMPARE(capture.segmentsCreated(), 3);
    }

    // Images stay valid after the service that made them is gone.
    void imagesOutliveTheService()
    {
        QImage image;
        {
            X11ScreenCapture capture;
            image = *capture.grab(capture.mainDisplayId(), 400, 200).value;
        }
        const qreal scale = QGuiApplication::primaryScreen()->devicePixelRatio();
        QCOMPARE(image.pixelColor(QPointF(150 * scale, 50 * scale).toPoint()).rgb(), right.rgb());
    }

    void contentListsEveryScreenInPoints()
    {
        X11ScreenCapture capture;
        std::optional<CaptureResult<QList<CaptureDisplay>>> answer;
        capture.requestShareableContent([&](auto result) { answer = result; });
        QVERIFY(!answer); // never before the call returns
        QTRY_VERIFY(answer);
        QVERIFY(answer->value);
        QCOMPARE(answer->value->size(), QGuiApplication::screens().size());
        const CaptureDisplay main = answer->value->first();
        QCOMPARE(main.id, capture.mainDisplayId());
        QCOMPARE(QSize(main.width, main.height), QGuiApplication::primaryScreen()->geometry().size());
        QCOMPARE(capture.mainScreen()->scale, QGuiApplication::primaryScreen()->devicePixelRatio());
    }

    void requestsAnswerLaterWithReadableErrors()
    {
        X11ScreenCapture capture;
        std::optional<CaptureResult<QImage>> answer;
        capture.requestImage(42, 10, 10, [&](auto result) { answer = result; });
        QVERIFY(!answer);
        QTRY_VERIFY(answer);
        QVERIFY(!answer->value);
        QCOMPARE(answer->error, QStringLiteral("display 42 is not connected"));

        answer.reset();
        capture.requestImage(capture.mainDisplayId(), 64, 32, [&](auto result) { answer = result; });
        QTRY_VERIFY(answer);
        QVERIFY(answer->value);
        QCOMPARE(answer->value->size(), QSize(64, 32));
    }

private:
    KnownWindow m_window;
};

QTEST_MAIN(X11ScreenCaptureTest)
#include "tst_x11screencapture.moc"
