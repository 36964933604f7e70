#pragma once

#include "model/Mark.h"
#include "model/marks/MarkKind.h"

#include <QImage>
#include <QList>
#include <QPointF>

#include <utility>

class QPainter;

// Marks as they are drawn over the image, on screen and into the output alike.
namespace MarkDrawing {

inline constexpr qreal lineWidth = 4;
inline constexpr qreal headLength = 16;
inline constexpr qreal headAngle = 0.45; // radians on either side of the shaft
// A pixelate mark's blocks, and the blocks a blur starts from, in points of the captured screen.
inline constexpr qreal pixelBlock = 12;
inline constexpr qreal blurBlock = 10;

// The two outer ends of an arrow head `length` long at `tip` for a shaft from `tail`.
[[nodiscard]] std::pair<QPointF, QPointF> arrowHead(QPointF tail, QPointF tip, qreal length = headLength);

// Every mark in list order, later marks over earlier ones; counters are numbered in that order.
void drawMarks(QPainter &painter, const QList<Mark> &marks, const MarkScene &scene);
// On screen at `scale` view points per image pixel, lines in view points.
void drawMarks(QPainter &painter, const QList<Mark> &marks, qreal scale);
// The number a counter shows: its place among the counters of `marks`; 0 for other marks.
[[nodiscard]] int counterNumber(const QList<Mark> &marks, qsizetype index);

[[nodiscard]] bool isPixelate(const Mark &mark);
// The whole image pixels an area mark covers, cut to `bounds`.
[[nodiscard]] QRect pixelateArea(const Mark &mark, const QRect &bounds);
// What a pixelate mark over `area` shows: the area in blocks `block` pixels wide, counted from
// its top-left corner, each one colour, the average of the source's pixels under it. Nothing of
// the pixels under a block can be read back from it.
[[nodiscard]] QImage pixelated(const QImage &source, const QRect &area, int block);
// What a blur mark shows: the same averages, blended smoothly into each other. Only one value
// per block survives, so no detail smaller than a block can be recovered.
[[nodiscard]] QImage blurred(const QImage &source, const QRect &area, int block);

// The mark a finished drag makes: drag points are in the view, `imageOffset` is where the
// image's top-left corner lies there and `scale` maps image pixels to view units.
[[nodiscard]] Mark markFromDrag(QPointF start, QPointF end, QPointF imageOffset, qreal scale, const QColor &color,
                                const QString &tool);

} // namespace MarkDrawing
