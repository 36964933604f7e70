// Freehand strokes: the pointer's path, smoothed; the highlighter's wide and translucent.

#include "model/marks/MarkKinds.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

// The highlighter is this many times as wide as a line, and lets this much of its colour through.
constexpr qreal highlighterWidth = 3;
constexpr qreal highlighterAlpha = 0.4;

class StrokeMark : public MarkKind
{
public:
    explicit StrokeMark(bool highlighter)
        : m_highlighter(highlighter)
    {
    }

    void paint(QPainter &painter, const Mark &mark, const MarkScene &scene, int) const override
    {
        QColor color = mark.color;
        if (m_highlighter)
            color.setAlphaF(color.alphaF() * highlighterAlpha);
        // One path, so a translucent stroke crossing itself does not darken there.
        painter.setPen(QPen(color, width(mark) * scene.strokeUnit, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(smoothed(points(mark), scene.scale));
    }

    QRectF bounds(const Mark &mark, const MarkScene &scene) const override
    {
        const qreal half = scene.strokeInImage(width(mark)) / 2;
        return box(mark).adjusted(-half, -half, half, half);
    }

    bool hit(const Mark &mark, QPointF point, qreal slack, const MarkScene &scene) const override
    {
        const QList<QPointF> line = points(mark);
        const qreal reach = slack + scene.strokeInImage(width(mark)) / 2;
        for (qsizetype i = 0; i < line.size(); ++i)
            if (distanceToSegment(point, line[i], line[std::min(i + 1, line.size() - 1)]) <= reach)
                return true;
        return false;
    }

    QList<QPointF> handles(const Mark &mark, const MarkScene &) const override
    {
        const QRectF b = box(mark);
        return boxCorners(b.topLeft(), b.bottomRight());
    }

    // The path stretches with its box; the corner opposite the handle stays.
    Mark reshaped(const Mark &mark, int handle, QPointF point) const override
    {
        const QRectF before = box(mark);
        const QList<QPointF> corners = boxCorners(before.topLeft(), before.bottomRight());
        const QPointF anchor = corners[(handle + 2) % 4];
        const QRectF after = QRectF(anchor, point).normalized();
        const auto map = [&](QPointF p) {
            const qreal fx = before.width() > 0 ? (p.x() - before.left()) / before.width() : 0;
            const qreal fy = before.height() > 0 ? (p.y() - before.top()) / before.height() : 0;
            // A handle dragged past the opposite corner mirrors the path.
            const bool flipX = (point.x() < anchor.x()) != (corners[handle].x() < anchor.x());
            const bool flipY = (point.y() < anchor.y()) != (corners[handle].y() < anchor.y());
            return QPointF(after.left() + (flipX ? 1 - fx : fx) * after.width(),
                           after.top() + (flipY ? 1 - fy : fy) * after.height());
        };
        Mark result = mark;
        result.from = map(mark.from);
        result.to = map(mark.to);
        for (QPointF &p : result.path)
            p = map(p);
        return result;
    }

    QPointF constrained(QPointF, QPointF to) const override { return to; }
    bool followsPath() const override { return true; }

private:
    [[nodiscard]] qreal width(const Mark &mark) const
    {
        return lineWidth(mark.size) * (m_highlighter ? highlighterWidth : 1);
    }

    [[nodiscard]] static QList<QPointF> points(const Mark &mark)
    {
        return mark.path.isEmpty() ? QList<QPointF>{mark.from, mark.to} : mark.path;
    }

    [[nodiscard]] static QRectF box(const Mark &mark)
    {
        const QList<QPointF> line = points(mark);
        QPointF low = line.first(), high = line.first();
        for (const QPointF &p : line) {
            low = QPointF(std::min(low.x(), p.x()), std::min(low.y(), p.y()));
            high = QPointF(std::max(high.x(), p.x()), std::max(high.y(), p.y()));
        }
        return QRectF(low, high);
    }

    // Curves through the midpoints between the points the pointer reported, so that a hand's
    // jitter and the pointer's sampling do not show as corners.
    [[nodiscard]] static QPainterPath smoothed(const QList<QPointF> &line, qreal scale)
    {
        QPainterPath path(line.first() * scale);
        if (line.size() == 1) {
            path.lineTo(line.first() * scale);
            return path;
        }
        for (qsizetype i = 1; i + 1 < line.size(); ++i)
            path.quadTo(line[i] * scale, (line[i] + line[i + 1]) / 2 * scale);
        path.lineTo(line.last() * scale);
        return path;
    }

    bool m_highlighter;
};

} // namespace

const MarkKind &freehandKind()
{
    static const StrokeMark kind(false);
    return kind;
}

const MarkKind &highlighterKind()
{
    static const StrokeMark kind(true);
    return kind;
}
