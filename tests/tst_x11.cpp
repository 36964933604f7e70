// Screen capture and hot keys on a real X server; keys are pressed with xdotool.

#include "platform/x11/X11BandPainter.h"
#include "platform/x11/X11HotKeyService.h"
#include "platform/x11/X11ScreenCapture.h"
#include "platform/x11/X11WindowsGone.h"
#include "model/CaptureModel.h"
#include "shortcuts/GlobalShortcuts.h"
#include "support/TestUtilities.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QTest>

#include <xcb/xcb.h>

namespace {

constexpr int keycode4 = 13; // the "4" key
constexpr int controlAltSuper = 4 | 8 | 64;

// Another X client: a connection of its own, holding what it grabs until it goes.
struct OtherClient
{
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    ~OtherClient() { xcb_disconnect(connection); }
    bool grab(int keycode, int modifiers)
    {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        xcb_generic_error_t *error = xcb_request_check(
            connection, xcb_grab_key_checked(connection, 1, root, std::uint16_t(modifiers), xcb_keycode_t(keycode),
                                             XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        std::free(error);
        return !error;
    }
};

} // namespace

class X11Test : public QObject
{
    Q_OBJECT

    X11HotKeyService m_service;
    QList<HotKeyAction> m_pressed;

    // A plain window of our own connection (no window manager here: it is its own frame).
    static std::uint32_t mappedWindow(xcb_connection_t *connection, QRect area)
    {
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        const std::uint32_t window = xcb_generate_id(connection);
        const std::uint32_t values[] = {screen->black_pixel, 1};
        xcb_create_window(connection, 24, window, screen->root, std::int16_t(area.x()), std::int16_t(area.y()),
                          std::uint16_t(area.width()), std::uint16_t(area.height()), 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
        xcb_map_window(connection, window);
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
        return window;
    }

private Q_SLOTS:
    void initTestCase()
    {
        GlobalShortcuts::setService(&m_service);
        GlobalShortcuts::setPressHandler([this](HotKeyAction action) { m_pressed << action; });
    }

    // A kept image never changes, even after the service that made it is gone; every capture
    // goes through the one segment. (tst_capturescales checks the pixels themselves.)
    void keptImagesNeverChange()
    {
        const QImage first = patternImage({300, 200}), second = first.mirrored(true, false);
        QVERIFY(showOnRoot(first));
        QImage kept;
        {
            X11ScreenCapture capture;
            QCOMPARE(capture.backend(), X11ScreenCapture::Backend::SharedMemory);
            QVERIFY(capture.grab(capture.mainDisplayId(), 300, 200).value);
            kept = *capture.grab(capture.mainDisplayId(), 300, 200).value;
            QCOMPARE(capture.segmentsCreated(), 1);
            QVERIFY(showOnRoot(second));
            QCOMPARE(*capture.grab(capture.mainDisplayId(), 300, 200).value, second);
            QCOMPARE(capture.segmentsCreated(), 1);
            std::optional<CaptureResult<QImage>> wrong;
            capture.requestImage(42, 10, 10, [&](auto result) { wrong = result; });
            QVERIFY(!wrong); // answers come on a later turn
            QTRY_COMPARE(wrong->error, QStringLiteral("display 42 is not connected"));
        }
        QCOMPARE(kept, first);
    }

    // The capture goes ahead once the window is off the screen, and not before; a window that
    // stays never holds it up past the limit.
    void windowsGone()
    {
        auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        xcb_connection_t *connection = x11->connection();
        const std::uint32_t window = mappedWindow(connection, QRect(10, 10, 200, 100));
        QCOMPARE(X11WindowsGone::frameOf(connection, window), window);
        bool gone = false;
        X11WindowsGone::whenGone(connection, {window}, std::chrono::milliseconds(16), std::chrono::seconds(30),
                                 [&] { gone = true; });
        QTest::qWait(100);
        QVERIFY(!gone);
        xcb_unmap_window(connection, window);
        xcb_flush(connection);
        QTRY_VERIFY_WITH_TIMEOUT(gone, 5000); // long before the 30 s limit

        const std::uint32_t stays = mappedWindow(connection, QRect(10, 10, 200, 100));
        bool given = false;
        X11WindowsGone::whenGone(connection, {stays}, std::chrono::milliseconds(16), std::chrono::milliseconds(300),
                                 [&] { given = true; });
        QVERIFY(!given);
        QTRY_VERIFY(given);
        xcb_destroy_window(connection, window);
        xcb_destroy_window(connection, stays);
        xcb_flush(connection);
    }

    // What the band painter puts on a window is what a painter draws, pixel for pixel, across
    // the bands of a window taller than one, at a whole and a fractional scale, for a region of
    // several rectangles; pixels outside the region are left as they were.
    void bandPainting_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("scale 1") << 1.0;
        QTest::newRow("scale 1.5") << 1.5;
    }
    void bandPainting()
    {
        QFETCH(qreal, ratio);
        X11BandPainter *painter = X11BandPainter::instance();
        QVERIFY(painter);
        auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        xcb_connection_t *connection = x11->connection();
        const QSize pixels(2500, 1500); // 4 MB bands of 419 rows
        const std::uint32_t window = mappedWindow(connection, QRect(QPoint(0, 0), pixels));
        const QImage pattern = patternImage(pixels);
        const QRegion region = QRegion(QRect(0, 0, 40, 40)) | QRect(100, 300, 900, 500) | QRect(700, 700, 800, 160);
        // Draws the pattern at the device's own resolution, as the overlay draws the screen.
        auto draw = [&](QPainter &p, const QRegion &) {
            p.save();
            p.scale(1 / ratio, 1 / ratio);
            p.drawImage(0, 0, pattern);
            p.restore();
        };
        QVERIFY(painter->paint(window, region, ratio, draw));
        xcb_get_image_reply_t *reply = xcb_get_image_reply(
            connection,
            xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, std::uint16_t(pixels.width()),
                          std::uint16_t(pixels.height()), ~0u),
            nullptr);
        QVERIFY(reply);
        QImage shown(xcb_get_image_data(reply), pixels.width(), pixels.height(), QImage::Format_RGB32);
        shown = shown.copy();
        std::free(reply);
        xcb_destroy_window(connection, window);
        xcb_flush(connection);
        for (const QRect &points : region) {
            // The pixels wholly inside the rectangle of points.
            const QRect inside(QPoint(int(std::ceil(points.left() * ratio)), int(std::ceil(points.top() * ratio))),
                               QPoint(int((points.right() + 1) * ratio) - 1, int((points.bottom() + 1) * ratio) - 1));
            QCOMPARE(shown.copy(inside), pattern.copy(inside).convertToFormat(QImage::Format_RGB32));
        }
        // Outside the region the window keeps its background (black): nothing stale was put.
        QCOMPARE(shown.pixel(2400, 1400), qRgb(0, 0, 0));
        QCOMPARE(shown.pixel(80, 80), qRgb(0, 0, 0));
    }

    // Presses arrive whatever the lock keys; a newer set releases the older grabs.
    void pressesReachTheHandler()
    {
        using enum HotKeyAction;
        QVERIFY(GlobalShortcuts::install(CaptureModel::defaultShortcuts));
        QVERIFY(!OtherClient().grab(keycode4, controlAltSuper));
        for (const char *lock : {"", "Num_Lock", "Caps_Lock"}) {
            m_pressed.clear();
            QVERIFY(!*lock || xdotool({"key", lock}));
            QVERIFY(xdotool({"key", "ctrl+alt+super+4"}));
            QVERIFY(xdotool({"key", "ctrl+alt+super+3"}));
            QVERIFY(xdotool({"key", "ctrl+alt+super+5"}));
            QTRY_COMPARE(m_pressed, (QList<HotKeyAction>{area, full, window}));
            QVERIFY(!*lock || xdotool({"key", lock}));
        }
        QVERIFY(GlobalShortcuts::install({"control+shift+f5", "control+shift+3", "control+shift+w"}));
        QVERIFY(OtherClient().grab(keycode4, controlAltSuper));
        m_pressed.clear();
        QVERIFY(xdotool({"key", "ctrl+shift+F5"}));
        QTRY_COMPARE(m_pressed, QList<HotKeyAction>{area});
        // The screenshot key alone, and with modifiers.
        QVERIFY(GlobalShortcuts::install({"print", "shift+print", "option+print"}));
        m_pressed.clear();
        QVERIFY(xdotool({"key", "Print"}));
        QVERIFY(xdotool({"key", "shift+Print"}));
        QVERIFY(xdotool({"key", "alt+Print"}));
        QTRY_COMPARE(m_pressed, (QList<HotKeyAction>{area, full, window}));
    }

    // A combination another client holds is refused, and the variants that did succeed (with
    // Caps Lock, say) are given back; one client cannot take the same grab twice.
    void refusals()
    {
        GlobalShortcuts::install({});
        {
            OtherClient holder;
            QVERIFY(holder.grab(keycode4, controlAltSuper));
            QVERIFY(!GlobalShortcuts::install(CaptureModel::defaultShortcuts));
            QCOMPARE(GlobalShortcuts::lastRegistrationError(), -9878);
            QVERIFY(OtherClient().grab(keycode4, controlAltSuper | 2)); // the Caps Lock variant was given back
        }

        X11HotKeyService service;
        HotKeyRef ref = 0;
        QCOMPARE(service.registerHotKey(0, 0x1200, {GlobalShortcuts::signature, 7}, &ref), 0);
        QCOMPARE(service.registerHotKey(0, 0x1200, {GlobalShortcuts::signature, 8}, &ref), -9878);
        QCOMPARE(service.registerHotKey(0x24, 0x1000, {GlobalShortcuts::signature, 9}, &ref), -9879); // Return
    }
};

QTEST_MAIN(X11Test)
#include "tst_x11.moc"
