#include "platform/x11/X11PointerFilter.h"

#include "platform/PointerPositions.h"

#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <cstdlib>
#include <cstring>

X11PointerFilter::X11PointerFilter()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    static constexpr char name[] = "XInputExtension";
    xcb_query_extension_reply_t *reply = xcb_query_extension_reply(
        connection, xcb_query_extension(connection, std::strlen(name), name), nullptr);
    if (reply && reply->present)
        m_inputOpcode = reply->major_opcode;
    std::free(reply);
}

bool X11PointerFilter::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    switch (event->response_type & 0x7f) {
    case XCB_BUTTON_PRESS:
    case XCB_BUTTON_RELEASE:
    case XCB_MOTION_NOTIFY: {
        // Press, release and motion events share this layout.
        const auto *pointer = reinterpret_cast<const xcb_button_press_event_t *>(event);
        PointerPositions::record(pointer->time, QPoint(pointer->root_x, pointer->root_y));
        break;
    }
    case XCB_GE_GENERIC: {
        const auto *generic = reinterpret_cast<const xcb_ge_generic_event_t *>(event);
        if (m_inputOpcode == 0 || generic->extension != m_inputOpcode)
            break;
        if (generic->event_type != XCB_INPUT_BUTTON_PRESS && generic->event_type != XCB_INPUT_BUTTON_RELEASE
            && generic->event_type != XCB_INPUT_MOTION)
            break;
        // Fixed point, 16 bits of fraction; pointer devices land on whole pixels.
        const auto *device = reinterpret_cast<const xcb_input_button_press_event_t *>(event);
        PointerPositions::record(device->time, QPoint(device->root_x >> 16, device->root_y >> 16));
        break;
    }
    default:
        break;
    }
    return false;
}
