// Screen capture and hot keys on a real X server; keys are pressed with xdotool.

#include "platform/X11HotKeyService.h"
#include "platform/X11ScreenCapture.h"
#include "shortcuts/GlobalShortcuts.h"
#include "support/TestUtilities.h"

#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <xcb/xcb.h>

namespace {

const QColor left(200, 30, 40);
const QColor right(20, 60, 220);
constexpr int keycode4 = 13; // the "4" key
constexpr int controlAltSuper = 4 | 8 | 64;

// A frameless window at the top-left corner, of two colours side by side.
class KnownWindow : public QWidget
{
public:
    KnownWindow() : QWidget(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint) { setGeometry(0, 0, 200, 100); }
    void paint(QColor l, QColor r)
    {
        m_left = l, m_right = r;
        repaint();
        QTest::qWait(100);
        auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        free(xcb_get_input_focus_reply(x11->connection(), xcb_get_input_focus(x11->connection()), nullptr));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(0, 0, 100, 100, m_left);
        painter.fillRect(100, 0, 100, 100, m_right);
    }

private:
    QColor m_left = left, m_right = right;
};

// Another client trying to grab a key: "grabbed" or "refused"; it holds a grab while it lives.
QString grabByOtherClient(int keycode, int modifiers, QProcess *holder = nullptr)
{
    QProcess local;
    QProcess &process = holder ? *holder : local;
    process.start(QStringLiteral(GRAB_KEY_PATH), {QString::number(keycode), QString::number(modifiers)});
    process.waitForReadyRead(10000);
    const QString answer = QString::fromLatin1(process.readLine()).trimmed();
    if (!holder) {
        process.closeWriteChannel();
        process.waitForFinished(5000);
    }
    return answer;
}

} // namespace

class X11Test : public QObject
{
    Q_OBJECT

    KnownWindow m_window;
    X11HotKeyService m_service;
    QList<bool> m_pressed;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(qGuiApp->nativeInterface<QNativeInterface::QX11Application>(), "needs an X11 display");
        m_window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_window));
        m_window.paint(left, right);
        GlobalShortcuts::setService(&m_service);
        GlobalShortcuts::setPressHandler([this](bool full) { m_pressed << full; });
    }

    // Shared memory and Qt's own grab see the same pixels, at the screen's full resolution.
    void capturesTheScreenAtFullResolution()
    {
        X11ScreenCapture capture;
        QCOMPARE(capture.backend(), X11ScreenCapture::Backend::SharedMemory);
        const qreal scale = QGuiApplication::primaryScreen()->devicePixelRatio();
        const QSize pixels = (QSizeF(QGuiApplication::primaryScreen()->geometry().size()) * scale).toSize();
        const CaptureResult<QImage> result = capture.grab(capture.mainDisplayId(), pixels.width(), pixels.height());
        QVERIFY2(result.value, qPrintable(result.error));
        const QImage &image = *result.value;
        QCOMPARE(image.size(), pixels);
        QCOMPARE(image.devicePixelRatio(), 1.0);
        QVERIFY(!image.hasAlphaChannel());
        QCOMPARE(image.pixelColor(QPointF(50 * scale, 50 * scale).toPoint()), left);
        QCOMPARE(image.pixelColor(QPoint(qRound(199 * scale), qRound(99 * scale))), right);
        X11ScreenCapture qtGrab(X11ScreenCapture::Backend::QtGrab);
        const CaptureResult<QImage> viaQt = qtGrab.grab(qtGrab.mainDisplayId(), pixels.width(), pixels.height());
        QVERIFY2(viaQt.value, qPrintable(viaQt.error));
        QCOMPARE(viaQt.value->copy(0, 0, 400, 200), image.copy(0, 0, 400, 200));
    }

    // A segment is reused only once no image holds it, so a kept image never changes, even
    // after the service that made it is gone.
    void keptImagesNeverChange()
    {
        QImage kept;
        {
            X11ScreenCapture capture;
            QVERIFY(capture.grab(capture.mainDisplayId(), 300, 200).value);
            QVERIFY(capture.grab(capture.mainDisplayId(), 300, 200).value);
            QCOMPARE(capture.segmentsCreated(), 1);
            kept = *capture.grab(capture.mainDisplayId(), 300, 200).value;
            m_window.paint(Qt::green, Qt::green);
            const QImage next = *capture.grab(capture.mainDisplayId(), 300, 200).value;
            QCOMPARE(capture.segmentsCreated(), 2);
            QCOMPARE(next.pixelColor(10, 10).rgb(), QColor(Qt::green).rgb());
        }
        m_window.paint(left, right);
        QCOMPARE(kept.pixelColor(10, 10).rgb(), left.rgb());
    }

    // Requests answer on a later turn: every screen in points, or a readable error.
    void requestsAnswerLater()
    {
        X11ScreenCapture capture;
        std::optional<CaptureResult<QList<CaptureDisplay>>> content;
        capture.requestShareableContent([&](auto result) { content = result; });
        std::optional<CaptureResult<QImage>> wrong, image;
        capture.requestImage(42, 10, 10, [&](auto result) { wrong = result; });
        capture.requestImage(capture.mainDisplayId(), 64, 32, [&](auto result) { image = result; });
        QVERIFY(!content && !wrong && !image);
        QTRY_VERIFY(content && wrong && image);
        QCOMPARE(content->value->size(), QGuiApplication::screens().size());
        QCOMPARE(content->value->first().id, capture.mainDisplayId());
        QCOMPARE(QSize(content->value->first().width, content->value->first().height), QGuiApplication::primaryScreen()->geometry().size());
        QCOMPARE(wrong->error, QStringLiteral("display 42 is not connected"));
        QCOMPARE(image->value->size(), QSize(64, 32));
    }

    // Presses arrive whatever the lock keys; a newer pair releases the older grabs.
    void pressesReachTheHandler()
    {
        QVERIFY(GlobalShortcuts::install(QStringLiteral("control+option+command+4"), QStringLiteral("control+option+command+3")));
        QCOMPARE(grabByOtherClient(keycode4, controlAltSuper), QStringLiteral("refused"));
        for (const char *lock : {"", "Num_Lock", "Caps_Lock"}) {
            m_pressed.clear();
            QVERIFY(!*lock || xdotool({"key", lock}));
            QVERIFY(xdotool({"key", "ctrl+alt+super+4"}));
            QVERIFY(xdotool({"key", "ctrl+alt+super+3"}));
            QTRY_COMPARE(m_pressed, (QList<bool>{false, true}));
            QVERIFY(!*lock || xdotool({"key", lock}));
        }
        QVERIFY(GlobalShortcuts::install(QStringLiteral("control+shift+f5"), QStringLiteral("control+shift+3")));
        QCOMPARE(grabByOtherClient(keycode4, controlAltSuper), QStringLiteral("grabbed"));
        m_pressed.clear();
        QVERIFY(xdotool({"key", "ctrl+shift+F5"}));
        QTRY_COMPARE(m_pressed, QList<bool>{false});
    }

    // A combination another client holds is refused, and the variants that did succeed (with
    // Caps Lock, say) are given back; one client cannot take the same grab twice.
    void refusals()
    {
        GlobalShortcuts::install(QString(), QString());
        QProcess holder;
        QCOMPARE(grabByOtherClient(keycode4, controlAltSuper, &holder), QStringLiteral("grabbed"));
        QVERIFY(!GlobalShortcuts::install(QStringLiteral("control+option+command+4"), QStringLiteral("control+option+command+3")));
        QCOMPARE(GlobalShortcuts::lastRegistrationError(), -9878);
        QCOMPARE(grabByOtherClient(keycode4, controlAltSuper | 2), QStringLiteral("grabbed"));
        holder.closeWriteChannel();
        holder.waitForFinished(5000);

        X11HotKeyService service;
        HotKeyRef ref = 0;
        QCOMPARE(service.registerHotKey(0, 0x1200, {GlobalShortcuts::signature, 7}, &ref), 0);
        QCOMPARE(service.registerHotKey(0, 0x1200, {GlobalShortcuts::signature, 8}, &ref), -9878);
        QCOMPARE(service.registerHotKey(0x24, 0x1000, {GlobalShortcuts::signature, 9}, &ref), -9879); // Return
    }
};

QTEST_MAIN(X11Test)
#include "tst_x11.moc"
