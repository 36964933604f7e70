#include "platform/x11/X11ScrollInput.h"

#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <memory>

X11ScrollInput::X11ScrollInput()
{
    if (auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
        m_connection = x11->connection();
    if (!m_connection)
        return;
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    const xcb_query_extension_reply_t *xtest = xcb_get_extension_data(m_connection, &xcb_test_id);
    m_available = xtest && xtest->present;
}

bool X11ScrollInput::scroll(QPoint pixel, int clicks)
{
    if (!m_available)
        return false;
    if (!m_pointerBefore) {
        const std::unique_ptr<xcb_query_pointer_reply_t, decltype(&std::free)> pointer(
            xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr), &std::free);
        if (pointer)
            m_pointerBefore = QPoint(pointer->root_x, pointer->root_y);
    }
    xcb_test_fake_input(m_connection, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, m_root, qint16(pixel.x()),
                        qint16(pixel.y()), 0);
    const quint8 button = clicks < 0 ? 4 : 5;
    for (int i = 0; i < std::abs(clicks); ++i) {
        xcb_test_fake_input(m_connection, XCB_BUTTON_PRESS, button, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_test_fake_input(m_connection, XCB_BUTTON_RELEASE, button, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    }
    // Checked at once: a refusal would otherwise look like a page that does not move.
    const std::unique_ptr<xcb_generic_error_t, decltype(&std::free)> error(
        xcb_request_check(m_connection, xcb_test_fake_input_checked(m_connection, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME,
                                                                     m_root, qint16(pixel.x()), qint16(pixel.y()), 0)),
        &std::free);
    return !error;
}

void X11ScrollInput::restorePointer()
{
    if (!m_pointerBefore || !m_available)
        return;
    xcb_test_fake_input(m_connection, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, m_root, qint16(m_pointerBefore->x()),
                        qint16(m_pointerBefore->y()), 0);
    xcb_flush(m_connection);
    m_pointerBefore.reset();
}
