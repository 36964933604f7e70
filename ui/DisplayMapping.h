#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <optional>

// How the main window fits an image into its image area (W × H, after the area's inset):
// scaled to leave at least 18 points on the tighter axis, and centred.
struct DisplayMapping
{
    qreal scale = 0;
    QPointF offset; // the displayed image's top-left corner in the area
    QSizeF displayed;

    // Nothing when the area is too small (or the image empty) for a positive, finite scale:
    // then there is no canvas to show or draw on.
    [[nodiscard]] static std::optional<DisplayMapping> fit(QSizeF area, QSizeF image);

    [[nodiscard]] QPointF toImage(QPointF areaPoint) const { return (areaPoint - offset) / scale; }
    [[nodiscard]] bool onImage(QPointF areaPoint) const { return QRectF(offset, displayed).contains(areaPoint); }
};
