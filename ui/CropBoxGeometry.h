#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <optional>

// The crop box's rules as plain functions. Rectangles are in the box's own coordinates: origin
// at the displayed image's top-left corner, y down, in view points or, where a function says so,
// in image pixels.
namespace CropBoxGeometry {

// Handles clockwise from the top-left corner, as they sit on the rectangle.
enum class Handle { TopLeft, Top, TopRight, Right, BottomRight, Bottom, BottomLeft, Left };
inline constexpr int handleCount = 8;

inline constexpr qreal minimumSize = 30;
inline constexpr qreal handleDiameter = 12;
inline constexpr qreal dragThreshold = 10;

[[nodiscard]] QPointF handleCentre(const QRectF &rect, Handle handle);

// The rectangle while `handle` is dragged by `translation` (measured from the press) from
// `origin`: at least `minimum` on each side, its position kept inside `bounds`, its size not
// limited.
[[nodiscard]] QRectF resized(const QRectF &origin, Handle handle, QPointF translation, QSizeF bounds,
                             qreal minimum = minimumSize);
// The rectangle's new top-left while its interior is dragged, all in image pixels. It moves by
// whole pixels, so that the pixels it covers stay as many as before, and stays inside `bounds`
// where it fits.
[[nodiscard]] QPointF moved(const QRectF &origin, QPointF translation, QSizeF bounds);

// What a press at `point` takes hold of: a handle anywhere on its circle, else the interior.
// Nothing: the press belongs to whatever lies below the box.
struct Hit
{
    std::optional<Handle> handle; // empty: the interior
};
[[nodiscard]] std::optional<Hit> hitTest(const QRectF &rect, QPointF point);

} // namespace CropBoxGeometry
