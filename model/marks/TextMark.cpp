// Text in a box, on a background of the colour or in it.

#include "model/marks/MarkKinds.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// Points of the captured screen.
qreal textPoints(MarkSize size)
{
    switch (size) {
    case MarkSize::Small: return 14;
    case MarkSize::Medium: return 20;
    case MarkSize::Large: return 32;
    }
    return 20;
}

// The font in image pixels. Laid out once at that size and scaled as a whole, the text breaks
// and spaces the same at every zoom and in the output.
QFont markFont(const Mark &mark, qreal imageScale)
{
    QFont font = QGuiApplication::font();
    font.setPixelSize(std::max(1, int(std::lround(textPoints(mark.size) * imageScale))));
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

class TextMark : public MarkKind
{
public:
    void paint(QPainter &painter, const Mark &mark, const MarkScene &scene, int) const override
    {
        const TextLayout layout = layOutText(mark, scene.imageScale);
        const QFont font = markFont(mark, scene.imageScale);
        const QFontMetricsF metrics(font);
        painter.save();
        painter.scale(scene.scale, scene.scale);
        if (mark.filled)
            painter.fillRect(layout.box, mark.color);
        painter.setPen(mark.filled ? contrastingInk(mark.color) : mark.color);
        painter.setFont(font);
        const qreal pad = padding(font);
        qreal baseline = layout.box.top() + pad + metrics.ascent();
        for (const QString &line : mark.text.split(u'\n')) {
            painter.drawText(QPointF(layout.box.left() + pad, baseline), line);
            baseline += metrics.lineSpacing();
        }
        painter.restore();
    }

    QRectF bounds(const Mark &mark, const MarkScene &scene) const override
    {
        return layOutText(mark, scene.imageScale).box;
    }

    QList<QPointF> handles(const Mark &, const MarkScene &) const override { return {}; }
    bool placedByClick() const override { return true; }

    [[nodiscard]] static qreal padding(const QFont &font) { return font.pixelSize() * 0.25; }
};

} // namespace

TextLayout layOutText(const Mark &mark, qreal imageScale)
{
    const QFont font = markFont(mark, imageScale);
    const QFontMetricsF metrics(font);
    const QStringList lines = mark.text.split(u'\n');
    qreal width = 0;
    for (const QString &line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    const qreal pad = TextMark::padding(font);
    const QSizeF size(width + 2 * pad + metrics.averageCharWidth() / 2, lines.size() * metrics.lineSpacing() + 2 * pad);
    const QPointF caret(mark.from.x() + pad + metrics.horizontalAdvance(lines.last()),
                        mark.from.y() + pad + (lines.size() - 1) * metrics.lineSpacing());
    return {QRectF(mark.from, size), caret, metrics.height()};
}

const MarkKind &textKind()
{
    static const TextMark kind;
    return kind;
}
