#include "ui/MarkDrawing.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace MarkDrawing {

std::pair<QPointF, QPointF> arrowHead(QPointF tail, QPointF tip)
{
    const qreal theta = std::atan2(tip.y() - tail.y(), tip.x() - tail.x());
    return {QPointF(tip.x() - headLength * std::cos(theta - headAngle), tip.y() - headLength * std::sin(theta - headAngle)),
            QPointF(tip.x() - headLength * std::cos(theta + headAngle), tip.y() - headLength * std::sin(theta + headAngle))};
}

void drawMark(QPainter &painter, const Mark &mark, qreal scale)
{
    // The points are scaled, not the painter, so the pen keeps its width.
    const QPointF a = mark.from * scale;
    const QPointF b = mark.to * scale;
    QPen pen(mark.color, lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);

    if (mark.tool == u"tool.rectangle") {
        painter.drawRect(QRectF(QPointF(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                                QSizeF(std::abs(b.x() - a.x()), std::abs(b.y() - a.y()))));
        painter.restore();
        return;
    }

    QPainterPath shaft(a);
    shaft.lineTo(b);
    painter.drawPath(shaft);
    if (mark.tool == u"tool.arrow") {
        // A separate stroke: a translucent colour shows the overlap at the tip twice.
        const auto [left, right] = arrowHead(a, b);
        QPainterPath head(b);
        head.lineTo(left);
        head.moveTo(b);
        head.lineTo(right);
        painter.drawPath(head);
    }
    painter.restore();
}

void drawMarks(QPainter &painter, const QList<Mark> &marks, qreal scale)
{
    for (const Mark &mark : marks)
        drawMark(painter, mark, scale);
}

Mark markFromDrag(QPointF start, QPointF end, QPointF imageOffset, qreal scale, const QColor &color,
                  const QString &tool)
{
    return Mark((start - imageOffset) / scale, (end - imageOffset) / scale, color, tool);
}

} // namespace MarkDrawing
