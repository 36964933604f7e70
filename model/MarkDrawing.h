#pragma once

#include "model/Mark.h"

#include <QImage>
#include <QList>
#include <QPointF>

#include <utility>

class QPainter;

// Marks as they are drawn over the image: `scale` maps image pixels to the painter's units
// (view points), with the image's top-left corner at the painter's origin. Lines are 4 units
// wide and arrow heads 16 long whatever the scale.
namespace MarkDrawing {

inline constexpr qreal lineWidth = 4;
inline constexpr qreal headLength = 16;
inline constexpr qreal headAngle = 0.45; // radians on either side of the shaft
// A pixelate mark's blocks, in points of the captured screen.
inline constexpr qreal pixelBlock = 12;

// The two outer ends of an arrow head at `tip` for a shaft from `tail`, in view units.
[[nodiscard]] std::pair<QPointF, QPointF> arrowHead(QPointF tail, QPointF tip);

// Pixelate marks draw nothing here: pixelatedArea() gives what they show.
void drawMark(QPainter &painter, const Mark &mark, qreal scale);
// In list order, later marks over earlier ones.
void drawMarks(QPainter &painter, const QList<Mark> &marks, qreal scale);

[[nodiscard]] bool isPixelate(const Mark &mark);
// The whole image pixels a pixelate mark covers, cut to `bounds`.
[[nodiscard]] QRect pixelateArea(const Mark &mark, const QRect &bounds);
// What a pixelate mark over `area` shows: the area in blocks `block` pixels wide, counted from
// its top-left corner, each one colour, the average of the source's pixels under it. Nothing of
// the pixels under a block can be read back from it.
[[nodiscard]] QImage pixelated(const QImage &source, const QRect &area, int block);

// The mark a finished drag makes: drag points are in the view, `imageOffset` is where the
// image's top-left corner lies there and `scale` maps image pixels to view units.
[[nodiscard]] Mark markFromDrag(QPointF start, QPointF end, QPointF imageOffset, qreal scale, const QColor &color,
                                const QString &tool);

} // namespace MarkDrawing
