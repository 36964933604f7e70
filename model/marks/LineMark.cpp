// Straight lines, with or without an arrow head at their end.

#include "model/MarkDrawing.h"
#include "model/marks/MarkKinds.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <numbers>

namespace {

class LineMark : public MarkKind
{
public:
    explicit LineMark(bool head)
        : m_head(head)
    {
    }

    void paint(QPainter &painter, const Mark &mark, const MarkScene &scene, int) const override
    {
        // The points are scaled, not the painter, so the pen keeps its width.
        const QPointF a = mark.from * scene.scale;
        const QPointF b = mark.to * scene.scale;
        const qreal width = lineWidth(mark.size) * scene.strokeUnit;
        QPen pen(mark.color, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setMiterLimit(10);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        QPainterPath shaft(a);
        shaft.lineTo(b);
        painter.drawPath(shaft);
        if (!m_head)
            return;
        // A separate stroke: a translucent colour shows the overlap at the tip twice.
        const auto [left, right] = MarkDrawing::arrowHead(a, b, MarkDrawing::headLength / MarkDrawing::lineWidth * width);
        QPainterPath head(b);
        head.lineTo(left);
        head.moveTo(b);
        head.lineTo(right);
        painter.drawPath(head);
    }

    QRectF bounds(const Mark &mark, const MarkScene &scene) const override
    {
        // The head reaches out about as far as it is long.
        const qreal reach = scene.strokeInImage(lineWidth(mark.size)) * (m_head ? MarkDrawing::headLength / MarkDrawing::lineWidth : 0.5);
        return QRectF(mark.from, mark.to).normalized().adjusted(-reach, -reach, reach, reach);
    }

    bool hit(const Mark &mark, QPointF point, qreal slack, const MarkScene &scene) const override
    {
        return distanceToSegment(point, mark.from, mark.to) <= slack + scene.strokeInImage(lineWidth(mark.size)) / 2;
    }

    QList<QPointF> handles(const Mark &mark, const MarkScene &) const override { return {mark.from, mark.to}; }

    Mark reshaped(const Mark &mark, int handle, QPointF point) const override
    {
        Mark result = mark;
        (handle == 0 ? result.from : result.to) = point;
        return result;
    }

    // In steps of 45 degrees, as long as the drag.
    QPointF constrained(QPointF from, QPointF to) const override
    {
        const QPointF d = to - from;
        const qreal step = std::numbers::pi / 4;
        const qreal angle = std::round(std::atan2(d.y(), d.x()) / step) * step;
        const qreal length = std::hypot(d.x(), d.y());
        return from + QPointF(length * std::cos(angle), length * std::sin(angle));
    }

private:
    bool m_head;
};

} // namespace

const MarkKind &lineKind()
{
    static const LineMark kind(false);
    return kind;
}

const MarkKind &arrowKind()
{
    static const LineMark kind(true);
    return kind;
}
