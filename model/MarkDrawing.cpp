#include "model/MarkDrawing.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace MarkDrawing {

std::pair<QPointF, QPointF> arrowHead(QPointF tail, QPointF tip)
{
    const qreal theta = std::atan2(tip.y() - tail.y(), tip.x() - tail.x());
    return {QPointF(tip.x() - headLength * std::cos(theta - headAngle), tip.y() - headLength * std::sin(theta - headAngle)),
            QPointF(tip.x() - headLength * std::cos(theta + headAngle), tip.y() - headLength * std::sin(theta + headAngle))};
}

bool isPixelate(const Mark &mark)
{
    return mark.tool == u"tool.pixelate";
}

QRect pixelateArea(const Mark &mark, const QRect &bounds)
{
    const QRectF area = QRectF(mark.from, mark.to).normalized();
    const QPoint topLeft(int(std::floor(area.left())), int(std::floor(area.top())));
    const QPoint bottomRight(int(std::ceil(area.right())), int(std::ceil(area.bottom())));
    return QRect(topLeft, QSize(bottomRight.x() - topLeft.x(), bottomRight.y() - topLeft.y())) & bounds;
}

QImage pixelated(const QImage &source, const QRect &area, int block)
{
    const QRect part = area & source.rect();
    if (part.isEmpty() || block < 1)
        return {};
    const QImage pixels = source.copy(part).convertToFormat(QImage::Format_RGB32);
    QImage result(part.size(), QImage::Format_RGB32);
    for (int by = 0; by < part.height(); by += block) {
        for (int bx = 0; bx < part.width(); bx += block) {
            const QRect cell = QRect(bx, by, block, block) & pixels.rect();
            quint64 r = 0, g = 0, b = 0;
            for (int y = cell.top(); y <= cell.bottom(); ++y) {
                const auto *line = reinterpret_cast<const QRgb *>(pixels.constScanLine(y));
                for (int x = cell.left(); x <= cell.right(); ++x) {
                    r += qRed(line[x]);
                    g += qGreen(line[x]);
                    b += qBlue(line[x]);
                }
            }
            const quint64 n = quint64(cell.width()) * quint64(cell.height());
            const QRgb average = qRgb(int((r + n / 2) / n), int((g + n / 2) / n), int((b + n / 2) / n));
            for (int y = cell.top(); y <= cell.bottom(); ++y) {
                auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
                std::fill(line + cell.left(), line + cell.right() + 1, average);
            }
        }
    }
    return result;
}

void drawMark(QPainter &painter, const Mark &mark, qreal scale)
{
    if (isPixelate(mark))
        return;
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
