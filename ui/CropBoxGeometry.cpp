#include "ui/CropBoxGeometry.h"

#include <algorithm>
#include <cmath>

namespace CropBoxGeometry {

QPointF handleCentre(const QRectF &r, Handle handle)
{
    switch (handle) {
    case Handle::TopLeft:
        return {r.left(), r.top()};
    case Handle::Top:
        return {r.center().x(), r.top()};
    case Handle::TopRight:
        return {r.right(), r.top()};
    case Handle::Right:
        return {r.right(), r.center().y()};
    case Handle::BottomRight:
        return {r.right(), r.bottom()};
    case Handle::Bottom:
        return {r.center().x(), r.bottom()};
    case Handle::BottomLeft:
        return {r.left(), r.bottom()};
    case Handle::Left:
        break;
    }
    return {r.left(), r.center().y()};
}

QRectF resized(const QRectF &o, Handle handle, QPointF translation, QSizeF bounds, qreal minimum)
{
    const qreal dx = translation.x();
    const qreal dy = translation.y();
    qreal x = o.x(), y = o.y(), w = o.width(), h = o.height();
    switch (handle) {
    case Handle::TopLeft:
        x += dx, y += dy, w -= dx, h -= dy;
        break;
    case Handle::Top:
        y += dy, h -= dy;
        break;
    case Handle::TopRight:
        y += dy, w += dx, h -= dy;
        break;
    case Handle::Right:
        w += dx;
        break;
    case Handle::BottomRight:
        w += dx, h += dy;
        break;
    case Handle::Bottom:
        h += dy;
        break;
    case Handle::BottomLeft:
        x += dx, w -= dx, h += dy;
        break;
    case Handle::Left:
        x += dx, w -= dx;
        break;
    }
    // A size made negative by crossing the opposite edge counts by its magnitude; the position
    // is clamped after the size is settled.
    w = std::max(minimum, std::abs(w));
    h = std::max(minimum, std::abs(h));
    x = std::min(std::max(0.0, x), bounds.width() - w);
    y = std::min(std::max(0.0, y), bounds.height() - h);
    return {x, y, w, h};
}

QPointF moved(const QRectF &o, QPointF translation, QSizeF bounds)
{
    // The edges keep their place between pixels: an edge moved by a fraction would take in one
    // more pixel when the crop is rounded outward.
    auto along = [](qreal start, qreal length, qreal by, qreal limit) {
        const qreal lowest = std::ceil(-start);
        const qreal highest = std::floor(limit - length - start);
        return start + std::min(std::max(lowest, std::round(by)), highest);
    };
    return {along(o.x(), o.width(), translation.x(), bounds.width()),
            along(o.y(), o.height(), translation.y(), bounds.height())};
}

std::optional<Hit> hitTest(const QRectF &rect, QPointF point)
{
    const qreal radius = handleDiameter / 2;
    for (int i = 0; i < handleCount; ++i) {
        const auto handle = static_cast<Handle>(i);
        const QPointF d = point - handleCentre(rect, handle);
        if (d.x() * d.x() + d.y() * d.y() <= radius * radius)
            return Hit{handle};
    }
    if (rect.contains(point))
        return Hit{};
    return std::nullopt;
}

} // namespace CropBoxGeometry
