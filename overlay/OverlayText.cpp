#include "overlay/OverlayText.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>

QFont systemFont(int pixelSize, QFont::Weight weight)
{
    QFont font = QApplication::font();
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

void drawTextFromBottomLeft(QPainter &painter, const QFont &font, QPointF bottomLeft, const QString &text)
{
    const QFontMetricsF metrics(font);
    painter.setFont(font);
    painter.drawText(QPointF(bottomLeft.x(), bottomLeft.y() - metrics.descent()), text);
}

QRectF textBox(const QFont &font, QPointF bottomLeft, const QString &text)
{
    const QFontMetricsF metrics(font);
    return QRectF(bottomLeft.x(), bottomLeft.y() - metrics.height(), metrics.horizontalAdvance(text),
                  metrics.height());
}

