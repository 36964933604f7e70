#include "platform/x11/X11BandPainter.h"

#include "platform/x11/X11Shared.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::size_t bandBytes = std::size_t(4) << 20;

xcb_connection_t *qtConnection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
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

X11BandPainter::X11BandPainter(xcb_connection_t *connection, std::unique_ptr<X11SharedSegment> segment)
    : m_connection(connection), m_segment(std::move(segment))
{
}

X11BandPainter::~X11BandPainter()
{
    if (m_gc)
        xcb_free_gc(m_connection, m_gc);
    m_segment->detachFromServer();
}

X11BandPainter *X11BandPainter::instance()
{
    static std::unique_ptr<X11BandPainter> painter;
    static bool tried = false;
    if (!std::exchange(tried, true)) {
        xcb_connection_t *connection = qtConnection();
        if (!connection || !x11ServerFitsRgb32(connection))
            return nullptr;
        const xcb_query_extension_reply_t *shm = xcb_get_extension_data(connection, &xcb_shm_id);
        if (!shm || !shm->present)
            return nullptr;
        QString error;
        bool refused = false;
        if (std::unique_ptr<X11SharedSegment> segment = X11SharedSegment::create(connection, bandBytes, &error, &refused)) {
            std::memset(segment->pixels(), 0, bandBytes);
            painter.reset(new X11BandPainter(connection, std::move(segment)));
            // Gone before Qt's connection closes.
            QObject::connect(qGuiApp, &QCoreApplication::aboutToQuit, [] { painter.reset(); });
        }
    }
    return painter.get();
}

bool X11BandPainter::paint(std::uint32_t window, const QRegion &region, qreal ratio, const Draw &draw)
{
    xcb_connection_t *connection = m_connection;
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
            QImage image(m_segment->pixels(), band.width(), band.height(), rowBytes, QImage::Format_RGB32);
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
                              std::int16_t(rect.top()), 24, XCB_IMAGE_FORMAT_Z_PIXMAP, 0, m_segment->seg(), 0);
        }
        // The server has read the band before the next one is drawn over it.
        roundTrip(connection);
    }
    return true;
}
