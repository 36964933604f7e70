// Numbered steps: a filled circle with the mark's place among the counters.

#include "model/marks/MarkKinds.h"

#include <QFont>
#include <QGuiApplication>
#include <QPainter>

#include <cmath>

namespace {

// Diameters in points of the captured screen.
qreal diameterPoints(MarkSize size)
{
    switch (size) {
    case MarkSize::Small: return 20;
    case MarkSize::Medium: return 28;
    case MarkSize::Large: return 40;
    }
    return 28;
}

class CounterMark : public MarkKind
{
public:
    void paint(QPainter &painter, const Mark &mark, const MarkScene &scene, int number) const override
    {
        const qreal d = scene.imagePoints(diameterPoints(mark.size));
        const QRectF circle(mark.from - QPointF(d / 2, d / 2), QSizeF(d, d));
        painter.save();
        painter.scale(scene.scale, scene.scale);
        painter.setPen(Qt::NoPen);
        painter.setBrush(mark.color);
        painter.drawEllipse(circle);
        QFont font = QGuiApplication::font();
        font.setBold(true);
        font.setPixelSize(std::max(1, int(std::lround(d * (number < 10 ? 0.6 : 0.45)))));
        font.setHintingPreference(QFont::PreferNoHinting);
        painter.setFont(font);
        painter.setPen(contrastingInk(mark.color));
        painter.drawText(circle, Qt::AlignCenter, QString::number(number));
        painter.restore();
    }

    QRectF bounds(const Mark &mark, const MarkScene &scene) const override
    {
        const qreal d = scene.imagePoints(diameterPoints(mark.size));
        return QRectF(mark.from - QPointF(d / 2, d / 2), QSizeF(d, d));
    }

    QList<QPointF> handles(const Mark &, const MarkScene &) const override { return {}; }
    bool placedByClick() const override { return true; }
};

} // namespace

const MarkKind &counterKind()
{
    static const CounterMark kind;
    return kind;
}
