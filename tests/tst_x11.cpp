// Screen capture and hot keys on a real X server; keys are pressed with xdotool.

#include "platform/x11/X11HotKeyService.h"
#include "platform/x11/X11ScreenCapture.h"
#include "model/CaptureModel.h"
#include "shortcuts/GlobalShortcuts.h"
#include "support/TestUtilities.h"

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
