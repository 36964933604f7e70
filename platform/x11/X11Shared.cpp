#include "platform/x11/X11Shared.h"

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <cerrno>
#include <sys/ipc.h>
#include <sys/shm.h>

bool x11ServerFitsRgb32(xcb_connection_t *connection)
{
    const xcb_setup_t *setup = xcb_get_setup(connection);
    const xcb_screen_t *screen = xcb_setup_roots_iterator(setup).data;
    if (screen->root_depth != 24 || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return false;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it)) {
        if (it.data->depth == 24)
            return it.data->bits_per_pixel == 32;
    }
    return false;
}

std::unique_ptr<X11SharedSegment> X11SharedSegment::create(xcb_connection_t *connection, std::size_t size,
                                                           QString *error, bool *attachRefused)
{
    const int id = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
    if (id < 0) {
        *error = QStringLiteral("could not create a shared-memory segment (%1)").arg(qt_error_string(errno));
        return nullptr;
    }
    void *address = shmat(id, nullptr, 0);
    if (address == reinterpret_cast<void *>(-1)) {
        *error = QStringLiteral("could not map a shared-memory segment (%1)").arg(qt_error_string(errno));
        shmctl(id, IPC_RMID, nullptr);
        return nullptr;
    }
    const xcb_shm_seg_t seg = xcb_generate_id(connection);
    XcbReply<xcb_generic_error_t> attachError(
        xcb_request_check(connection, xcb_shm_attach_checked(connection, seg, std::uint32_t(id), 0)));
    shmctl(id, IPC_RMID, nullptr);
    if (attachError) {
        *attachRefused = true;
        *error = QStringLiteral("the X server could not attach the shared-memory segment (error %1)")
                     .arg(attachError->error_code);
        shmdt(address);
        return nullptr;
    }
    return std::unique_ptr<X11SharedSegment>(
        new X11SharedSegment(connection, seg, static_cast<unsigned char *>(address), size));
}

X11SharedSegment::X11SharedSegment(xcb_connection_t *connection, std::uint32_t seg, unsigned char *pixels,
                                   std::size_t size)
    : m_connection(connection), m_seg(seg), m_pixels(pixels), m_size(size)
{
}

X11SharedSegment::~X11SharedSegment()
{
    shmdt(m_pixels);
}

void X11SharedSegment::detachFromServer()
{
    xcb_shm_detach(m_connection, m_seg);
    xcb_flush(m_connection);
}
