// Outlines of a rectangle or of the ellipse inside it.

#include "model/marks/MarkKinds.h"

#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>

namespace {

class BoxMark : public MarkKind
{
public:
    explicit BoxMark(bool ellipse)
        : m_ellipse(ellipse)
    {
    }

    void paint(QPainter &painter, const Mark &mark, const MarkScene &scene, int) const override
    {
        QPen pen(mark.color, lineWidth(mark.size) * scene.strokeUnit, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setMiterLimit(10);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        const QRectF box = QRectF(mark.from * scene.scale, mark.to * scene.scale).normalized();
        if (m_ellipse)
            painter.drawEllipse(box);
        else
            painter.drawRect(box);
    }

    // The outline takes a press, not the inside: a mark drawn around another leaves it reachable.
    bool hit(const Mark &mark, QPointF point, qreal slack, const MarkScene &scene) const override
    {
        QPainterPath outline;
        const QRectF box = QRectF(mark.from, mark.to).normalized();
        m_ellipse ? outline.addEllipse(box) : outline.addRect(box);
        QPainterPathStroker stroker;
        stroker.setWidth(scene.strokeInImage(lineWidth(mark.size)) + 2 * slack);
        return stroker.createStroke(outline).contains(point);
    }

private:
    bool m_ellipse;
};

} // namespace

const MarkKind &rectangleKind()
{
    static const BoxMark kind(false);
    return kind;
}

const MarkKind &ellipseKind()
{
    static const BoxMark kind(true);
    return kind;
}
