#include "model/marks/MarkKind.h"

#include "model/marks/MarkKinds.h"

#include <QHash>

#include <algorithm>
#include <cmath>

QRectF MarkKind::bounds(const Mark &mark, const MarkScene &scene) const
{
    const qreal half = scene.strokeInImage(lineWidth(mark.size)) / 2;
    return QRectF(mark.from, mark.to).normalized().adjusted(-half, -half, half, half);
}

bool MarkKind::hit(const Mark &mark, QPointF point, qreal slack, const MarkScene &scene) const
{
    return bounds(mark, scene).adjusted(-slack, -slack, slack, slack).contains(point);
}

QList<QPointF> MarkKind::handles(const Mark &mark, const MarkScene &) const
{
    return boxCorners(mark.from, mark.to);
}

Mark MarkKind::reshaped(const Mark &mark, int handle, QPointF point) const
{
    // Corners clockwise from `from`: each one moves the two edges it joins.
    Mark result = mark;
    switch (handle) {
    case 0: result.from = point; break;
    case 1: result.to.setX(point.x()), result.from.setY(point.y()); break;
    case 2: result.to = point; break;
    case 3: result.from.setX(point.x()), result.to.setY(point.y()); break;
    default: break;
    }
    return result;
}

QPointF MarkKind::constrained(QPointF from, QPointF to) const
{
    const QPointF d = to - from;
    const qreal side = std::max(std::abs(d.x()), std::abs(d.y()));
    return from + QPointF(std::copysign(side, d.x()), std::copysign(side, d.y()));
}

const MarkKind &markKind(const QString &tool)
{
    static const QHash<QString, const MarkKind *> kinds{
        {QStringLiteral("tool.arrow"), &arrowKind()},         {QStringLiteral("tool.pen"), &lineKind()},
        {QStringLiteral("tool.rectangle"), &rectangleKind()}, {QStringLiteral("tool.ellipse"), &ellipseKind()},
        {QStringLiteral("tool.pixelate"), &pixelateKind()},   {QStringLiteral("tool.blur"), &blurKind()},
        {QStringLiteral("tool.freehand"), &freehandKind()},   {QStringLiteral("tool.highlighter"), &highlighterKind()},
        {QStringLiteral("tool.text"), &textKind()},           {QStringLiteral("tool.counter"), &counterKind()},
    };
    return *kinds.value(tool, &lineKind());
}

Mark movedBy(const Mark &mark, QPointF delta)
{
    Mark result = mark;
    result.from += delta;
    result.to += delta;
    for (QPointF &point : result.path)
        point += delta;
    return result;
}

qreal lineWidth(MarkSize size)
{
    switch (size) {
    case MarkSize::Small: return 2;
    case MarkSize::Medium: return 4;
    case MarkSize::Large: return 8;
    }
    return 4;
}

QColor contrastingInk(const QColor &background)
{
    const qreal luminance = 0.299 * background.redF() + 0.587 * background.greenF() + 0.114 * background.blueF();
    return luminance > 0.6 ? QColor(Qt::black) : QColor(Qt::white);
}

QList<QPointF> boxCorners(QPointF from, QPointF to)
{
    return {from, QPointF(to.x(), from.y()), to, QPointF(from.x(), to.y())};
}

qreal distanceToSegment(QPointF point, QPointF a, QPointF b)
{
    const QPointF ab = b - a;
    const qreal length2 = QPointF::dotProduct(ab, ab);
    const qreal t = length2 > 0 ? std::clamp(QPointF::dotProduct(point - a, ab) / length2, 0.0, 1.0) : 0.0;
    const QPointF nearest = a + t * ab;
    return std::hypot(point.x() - nearest.x(), point.y() - nearest.y());
}
