#pragma once

#include "model/Mark.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QRectF>

class QPainter;

// Where marks are drawn: image pixels map to painter units by `scale`, the image's top-left
// corner at the painter's origin.
struct MarkScene
{
    qreal scale = 1;
    // Painter units per point of a line's width. On screen lines keep their width in points at
    // every zoom; in the output they have it on the captured screen.
    qreal strokeUnit = 1;
    // Image pixels per point of the captured screen. Text and counters are sized in those
    // points, so they keep their size relative to the image at every zoom.
    qreal imageScale = 1;
    // The captured image, for marks that show it changed (pixelate, blur).
    const QImage *source = nullptr;
    // Changed areas already worked out, kept between paints; may be null.
    QHash<QString, QImage> *areaCache = nullptr;

    // A length of `points` on the captured screen, in image pixels.
    [[nodiscard]] qreal imagePoints(qreal points) const { return points * imageScale; }
    // A line's width in image pixels.
    [[nodiscard]] qreal strokeInImage(qreal points) const { return points * strokeUnit / scale; }
};

// One kind of mark: how it draws, what a press takes hold of, and its handles. Each tool that
// draws has one; kinds that differ by a detail (arrow and line) share a class.
class MarkKind
{
public:
    virtual ~MarkKind() = default;

    // `number` is the mark's place among the counters, from 1.
    virtual void paint(QPainter &painter, const Mark &mark, const MarkScene &scene, int number) const = 0;
    // The image pixels the mark covers, its line included.
    [[nodiscard]] virtual QRectF bounds(const Mark &mark, const MarkScene &scene) const;
    // Whether a press at `point` (image pixels) takes hold of the mark, `slack` pixels about.
    [[nodiscard]] virtual bool hit(const Mark &mark, QPointF point, qreal slack, const MarkScene &scene) const;
    // Points a drag reshapes the mark by: the corners of a box, the ends of a line.
    [[nodiscard]] virtual QList<QPointF> handles(const Mark &mark, const MarkScene &scene) const;
    [[nodiscard]] virtual Mark reshaped(const Mark &mark, int handle, QPointF point) const;
    // Where a drag from `from` to `to` ends with Shift held: a square box.
    [[nodiscard]] virtual QPointF constrained(QPointF from, QPointF to) const;
    // A click makes one, not a drag.
    [[nodiscard]] virtual bool placedByClick() const { return false; }
    // A freehand tool keeps the whole path of the drag.
    [[nodiscard]] virtual bool followsPath() const { return false; }
};

// The kind that draws `tool`'s marks; an unknown tool draws a straight line.
[[nodiscard]] const MarkKind &markKind(const QString &tool);
// The mark moved by `delta` image pixels, every point of it.
[[nodiscard]] Mark movedBy(const Mark &mark, QPointF delta);
// A line's width in points for each size: the middle one is the classic 4 points.
[[nodiscard]] qreal lineWidth(MarkSize size);
// Black or white, whichever reads better on `background`.
[[nodiscard]] QColor contrastingInk(const QColor &background);
// The corners of the box with `from` and `to` as opposite corners, clockwise from `from`.
[[nodiscard]] QList<QPointF> boxCorners(QPointF from, QPointF to);
// Distance from `point` to the segment from `a` to `b`.
[[nodiscard]] qreal distanceToSegment(QPointF point, QPointF a, QPointF b);
