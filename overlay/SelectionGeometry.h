#pragma once

#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>

// The overlay's geometry as plain functions. View coordinates are logical pixels with a
// top-left origin; image coordinates are pixels of the captured image, also top-left.
namespace SelectionGeometry {

// The cancel button: 156 × 38, 20 from the right edge and 20 below the top edge.
[[nodiscard]] QRectF cancelButtonRect(QSizeF bounds);
// Whether a press at `point` lands on the cancel button. The button takes its left and bottom
// edges but not its right and top ones.
[[nodiscard]] bool hitsCancelButton(QPointF point, QSizeF bounds);

// The rectangle spanned by a drag from `start` to `current`; not clamped to the view.
[[nodiscard]] QRectF selectionBetween(QPointF start, QPointF current);
// A selection must be more than 3 points wide and high to count.
[[nodiscard]] bool isLargeEnough(const QRectF &selection);
// Whether a selection is drawn at all (and the hint hidden).
[[nodiscard]] bool isVisible(const QRectF &selection);

// How a selection's edges become pixel edges. Outward: the pixels the selection touches, for
// positions as exact as the image's pixels. Nearest: each edge to the nearest pixel edge, for
// positions a fraction of a pixel off (a fractional Wayland scale, which Qt reads as the next
// whole one, and whose positions Qt gets only to a step of its own scale).
enum class Edges { Outward, Nearest };
// The selection in image pixels, not clamped to the image. Nothing for a view without area.
[[nodiscard]] std::optional<QRect> pixelRect(const QRectF &selection, QSizeF bounds, QSizeF pixelSize,
                                             Edges edges = Edges::Outward);

// "W × H px", the selection's size in image pixels, truncated toward zero.
[[nodiscard]] QString sizeLabel(const QRectF &selection, QSizeF bounds, QSizeF pixelSize);
// The y of the size label's bottom edge: 24 below the selection, but at least 8 above the
// bottom of the view.
[[nodiscard]] qreal sizeLabelBottom(const QRectF &selection, QSizeF bounds);

// Room around a stroke or a text for antialiasing, in logical pixels.
inline constexpr int paintMargin = 3;
// What painting along `rect` may touch: its whole pixels and the margin around them.
[[nodiscard]] QRect grown(const QRectF &rect);
// The whole pixels that lie at least the margin inside `rect`.
[[nodiscard]] QRect shrunk(const QRectF &rect);
// The whole pixels whose centres lie inside `rect`.
[[nodiscard]] QRect pixelsInside(const QRectF &rect);

} // namespace SelectionGeometry
