#pragma once

#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QString>

class QPainter;

// The overlay's texts: the system font at a pixel size, laid out from the bottom-left corner of
// their line box.
[[nodiscard]] QFont systemFont(int pixelSize, QFont::Weight weight);
void drawTextFromBottomLeft(QPainter &painter, const QFont &font, QPointF bottomLeft, const QString &text);
[[nodiscard]] QRectF textBox(const QFont &font, QPointF bottomLeft, const QString &text);
