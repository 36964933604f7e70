// Areas that hide what lies under them: in blocks of one colour, or blurred.

#include "model/MarkDrawing.h"
#include "model/marks/MarkKinds.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

class AreaMark : public MarkKind
{
public:
    // Blocks of `blockPoints` points of the captured screen; `smooth` blurs them into each other.
    AreaMark(qreal blockPoints, bool smooth)
        : m_blockPoints(blockPoints)
        , m_smooth(smooth)
    {
    }

    void paint(QPainter &painter, const Mark &mark, const MarkScene &scene, int) const override
    {
        if (!scene.source)
            return;
        const QRect area = MarkDrawing::pixelateArea(mark, scene.source->rect());
        if (area.isEmpty())
            return;
        const int block = std::max(2, int(std::lround(m_blockPoints * scene.imageScale)));
        const QString key = QString::number(scene.source->cacheKey()) + u'/' + QString::number(block) + u'/'
            + QString::number(m_smooth) + u'/' + QString::number(area.x()) + u',' + QString::number(area.y()) + u','
            + QString::number(area.width()) + u',' + QString::number(area.height());
        QImage shown = scene.areaCache ? scene.areaCache->value(key) : QImage();
        if (shown.isNull()) {
            shown = m_smooth ? MarkDrawing::blurred(*scene.source, area, block)
                             : MarkDrawing::pixelated(*scene.source, area, block);
            if (scene.areaCache)
                scene.areaCache->insert(key, shown);
        }
        painter.drawImage(QRectF(QPointF(area.topLeft()) * scene.scale, QSizeF(area.size()) * scene.scale), shown);
    }

    QRectF bounds(const Mark &mark, const MarkScene &) const override { return QRectF(mark.from, mark.to).normalized(); }

private:
    qreal m_blockPoints;
    bool m_smooth;
};

} // namespace

const MarkKind &pixelateKind()
{
    static const AreaMark kind(MarkDrawing::pixelBlock, false);
    return kind;
}

const MarkKind &blurKind()
{
    static const AreaMark kind(MarkDrawing::blurBlock, true);
    return kind;
}
