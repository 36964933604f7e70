#include "platform/x11/X11BandPainter.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace {

constexpr std::size_t bandBytes = std::size_t(4) << 20;

xcb_connection_t *qtConnection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// Whether the server keeps 24-bit pixels as 32-bit little-endian words, as QImage's RGB32 does.
bool serverFitsRgb32(xcb_connection_t *connection)
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

void roundTrip(xcb_connection_t *connection)
{
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

// The device pixels a rectangle of points covers, every partly covered pixel included.
QRect devicePixels(const QRect &points, qreal ratio)
{
    if (ratio == 1.0)
        return points;
    const int left = int(std::floor(points.left() * ratio));
    const int top = int(std::floor(points.top() * ratio));
    const int right = int(std::ceil((points.right() + 1) * ratio));
    const int bottom = int(std::ceil((points.bottom() + 1) * ratio));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

// The points that cover a rectangle of device pixels.
QRect pointsCovering(const QRect &pixels, qreal ratio)
{
    if (ratio == 1.0)
        return pixels;
    const int left = int(std::floor(pixels.left() / ratio));
    const int top = int(std::floor(pixels.top() / ratio));
    const int right = int(std::ceil((pixels.right() + 1) / ratio));
    const int bottom = int(std::ceil((pixels.bottom() + 1) / ratio));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

} // namespace

class X11BandPainter::Segment
{
public:
    static std::unique_ptr<Segment> create(xcb_connection_t *connection)
    {
        const int id = shmget(IPC_PRIVATE, bandBytes, IPC_CREAT | 0600);
        if (id < 0)
            return nullptr;
        void *address = shmat(id, nullptr, 0);
        if (address == reinterpret_cast<void *>(-1)) {
            shmctl(id, IPC_RMID, nullptr);
            return nullptr;
        }
        const xcb_shm_seg_t seg = xcb_generate_id(connection);
        xcb_generic_error_t *error =
            xcb_request_check(connection, xcb_shm_attach_checked(connection, seg, std::uint32_t(id), 0));
        // Marked for removal once both sides hold it: the kernel frees it even if we crash.
        shmctl(id, IPC_RMID, nullptr);
        if (error) {
            std::free(error);
            shmdt(address);
            return nullptr;
        }
        return std::unique_ptr<Segment>(new Segment(connection, seg, static_cast<uchar *>(address)));
    }

    ~Segment()
    {
        xcb_shm_detach(m_connection, m_seg);
        xcb_flush(m_connection);
        shmdt(m_pixels);
    }

    Segment(const Segment &) = delete;
    Segment &operator=(const Segment &) = delete;

    xcb_connection_t *const m_connection;
    const xcb_shm_seg_t m_seg;
    uchar *const m_pixels;

private:
    Segment(xcb_connection_t *connection, xcb_shm_seg_t seg, uchar *pixels)
        : m_connection(connection), m_seg(seg), m_pixels(pixels)
    {
    }
};

X11BandPainter::X11BandPainter(std::unique_ptr<Segment> segment)
    : m_segment(std::move(segment))
{
}

X11BandPainter::~X11BandPainter()
{
    if (m_gc)
        xcb_free_gc(m_segment->m_connection, m_gc);
}

X11BandPainter *X11BandPainter::instance()
{
    static std::unique_ptr<X11BandPainter> painter;
    static bool tried = false;
    if (!std::exchange(tried, true)) {
        xcb_connection_t *connection = qtConnection();
        if (!connection || !serverFitsRgb32(connection))
            return nullptr;
        const xcb_query_extension_reply_t *shm = xcb_get_extension_data(connection, &xcb_shm_id);
        if (!shm || !shm->present)
            return nullptr;
        if (std::unique_ptr<Segment> segment = Segment::create(connection)) {
            std::memset(segment->m_pixels, 0, bandBytes);
            painter.reset(new X11BandPainter(std::move(segment)));
            // Gone before Qt's connection closes.
            QObject::connect(qGuiApp, &QCoreApplication::aboutToQuit, [] { painter.reset(); });
        }
    }
    return painter.get();
}

bool X11BandPainter::paint(std::uint32_t window, const QRegion &region, qreal ratio, const Draw &draw)
{
    xcb_connection_t *connection = m_segment->m_connection;
    if (m_gcWindow != window) {
        if (m_gc)
            xcb_free_gc(connection, m_gc);
        m_gc = xcb_generate_id(connection);
        const std::uint32_t noExposures = 0;
        xcb_create_gc(connection, m_gc, window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
        m_gcWindow = window;
    }

    QRegion pixels;
    for (const QRect &rect : region)
        pixels |= devicePixels(rect, ratio);
    const QRect bounds = pixels.boundingRect();
    if (bounds.isEmpty())
        return true;
    const qsizetype rowBytes = qsizetype(bounds.width()) * 4;
    const int bandRows = int(std::max<qsizetype>(1, qsizetype(bandBytes) / rowBytes));
    if (rowBytes > qsizetype(bandBytes))
        return false;

    for (int top = bounds.top(); top <= bounds.bottom(); top += bandRows) {
        const QRect band(bounds.left(), top, bounds.width(), std::min(bandRows, bounds.bottom() + 1 - top));
        const QRegion bandPixels = pixels & band;
        if (bandPixels.isEmpty())
            continue;
        // Every pixel put is painted: the points drawn cover the band's pixels whole.
        QRegion points;
        for (const QRect &rect : bandPixels)
            points |= pointsCovering(rect, ratio);
        {
            QImage image(m_segment->m_pixels, band.width(), band.height(), rowBytes, QImage::Format_RGB32);
            QPainter painter(&image);
            painter.translate(-band.left(), -band.top());
            painter.scale(ratio, ratio);
            painter.setClipRegion(points);
            draw(painter, points);
        }
        for (const QRect &rect : bandPixels) {
            xcb_shm_put_image(connection, window, m_gc, std::uint16_t(band.width()), std::uint16_t(band.height()),
                              std::uint16_t(rect.left() - band.left()), std::uint16_t(rect.top() - band.top()),
                              std::uint16_t(rect.width()), std::uint16_t(rect.height()), std::int16_t(rect.left()),
                              std::int16_t(rect.top()), 24, XCB_IMAGE_FORMAT_Z_PIXMAP, 0, m_segment->m_seg, 0);
        }
        // The server has read the band before the next one is drawn over it.
        roundTrip(connection);
    }
    return true;
}
