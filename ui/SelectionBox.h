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
    // `rect` is in box coordinates: origin at the displayed image's top-left corner.
    SelectionBox(Binding<QRectF> rect, QWidget *parent = nullptr);

    // Where the displayed image lies in this widget, and its size (the box's bounds).
    void setImageGeometry(QPointF imageOrigin, QSizeF bounds);
    [[nodiscard]] QSizeF bounds() const { return m_bounds; }
    // Whether a drag inside the crop draws a mark (passed on to the widget below) instead of
    // moving the box; the box then moves by its border band or with Shift held.
    void setInteriorDraws(bool draws);
    static constexpr qreal borderBand = 8;

    // The crop when the current drag took hold of it; none between drags.
    [[nodiscard]] std::optional<QRectF> origin() const { return m_origin; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    [[nodiscard]] QPointF toBox(QPointF widgetPoint) const { return widgetPoint - m_imageOrigin; }
    // What a press at `point` (widget coordinates) with `modifiers` would take hold of; nothing
    // when it belongs to the widget below.
    [[nodiscard]] std::optional<CropBoxGeometry::Hit> grip(QPointF point, Qt::KeyboardModifiers modifiers) const;

    Binding<QRectF> m_rect;
    QPointF m_imageOrigin;
    QSizeF m_bounds;
    // The press that may become a drag, and what it took hold of.
    std::optional<QPointF> m_press;
    CropBoxGeometry::Hit m_hit;
    std::optional<QRectF> m_origin;
    bool m_interiorDraws = false;
};
