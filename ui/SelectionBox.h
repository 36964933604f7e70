#pragma once

#include "model/Binding.h"
#include "ui/CropBoxGeometry.h"

#include <QRectF>
#include <QWidget>

#include <optional>

// The crop box over the displayed image: dims what lies outside the crop, outlines it, and
// lets the user move it by its interior or resize it by eight handles. It covers the whole
// image area so that handles sticking out past the image still take presses; presses on the
// dimmed part pass through to the widget below.
class SelectionBox : public QWidget
{
    Q_OBJECT

public:
    // `crop` is in image pixels, top-left origin.
    SelectionBox(Binding<QRectF> crop, QWidget *parent = nullptr);

    // Where the displayed image lies in this widget, its size in pixels (the box's bounds), and
    // the view points one pixel takes there.
    void setImageGeometry(QPointF imageOrigin, QSizeF imageSize, qreal scale = 1.0);
    // Whether a drag inside the crop draws a mark (passed on to the widget below) instead of
    // moving the box; the box then moves by its border band or with Shift held.
    void setInteriorDraws(bool draws);
    static constexpr qreal borderBand = 8;


protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    [[nodiscard]] QPointF toBox(QPointF widgetPoint) const { return widgetPoint - m_imageOrigin; }
    // The crop in view points, origin at the displayed image's top-left corner.
    [[nodiscard]] QRectF boxRect() const;
    // What a press at `point` (widget coordinates) with `modifiers` would take hold of; nothing
    // when it belongs to the widget below.
    [[nodiscard]] std::optional<CropBoxGeometry::Hit> grip(QPointF point, Qt::KeyboardModifiers modifiers) const;

    Binding<QRectF> m_crop;
    QPointF m_imageOrigin;
    QSizeF m_imageSize;
    qreal m_scale = 1.0;
    // The press that may become a drag, and what it took hold of.
    std::optional<QPointF> m_press;
    CropBoxGeometry::Hit m_hit;
    // The crop when the current drag took hold of it; none between drags.
    std::optional<QRectF> m_origin;
    bool m_interiorDraws = false;
};
