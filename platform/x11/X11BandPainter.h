#pragma once

#include <QRegion>

#include <cstdint>
#include <functional>
#include <memory>

class QPainter;
class X11SharedSegment;
struct xcb_connection_t;

// Paints a window straight onto the X server a band of rows at a time, through one small
// shared-memory segment: a full-screen window then needs no buffer of its size, in our memory or
// the server's. Qt makes such a buffer for every window it paints itself, and keeps it for as
// long as the window exists.
class X11BandPainter
{
public:
    // Paints with `draw` in the window's own coordinates, clipped to the region it is given.
    using Draw = std::function<void(QPainter &painter, const QRegion &region)>;

    // The painter for Qt's X11 connection, made on first use; none where the server cannot share
    // our memory (a remote display) or Qt does not run on X11.
    static X11BandPainter *instance();
    ~X11BandPainter();

    // Paints `region` (the window's coordinates, device pixels `ratio` to a point) of `window`.
    // False where the server refused; nothing is shown then.
    bool paint(std::uint32_t window, const QRegion &region, qreal ratio, const Draw &draw);

private:
    X11BandPainter(xcb_connection_t *connection, std::unique_ptr<X11SharedSegment> segment);

    xcb_connection_t *m_connection;
    std::unique_ptr<X11SharedSegment> m_segment;
    std::uint32_t m_gc = 0;
    std::uint32_t m_gcWindow = 0;
};
