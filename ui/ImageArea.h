#pragma once

#include "model/Mark.h"
#include "ui/DisplayMapping.h"

#include <QColor>
#include <QPixmap>
#include <QWidget>

#include <functional>
#include <optional>

class CaptureModel;
class SelectionBox;

// The main window's image area: the capture scaled to fit, the marks over it, the crop box for
// area captures, and the drag that draws a new mark.
class ImageArea : public QWidget
{
    Q_OBJECT

public:
    static constexpr qreal inset = 10;
    static constexpr qreal markDragThreshold = 2;

    ImageArea(CaptureModel &model, std::function<QColor()> currentColor, QWidget *parent = nullptr);

    // Image-area coordinates: the W × H area inside the inset.
    [[nodiscard]] std::optional<DisplayMapping> mapping() const { return m_mapping; }
    [[nodiscard]] SelectionBox *selectionBox() const { return m_box; }

Q_SIGNALS:
    // The user has drawn a mark.
    void markDrawn();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void relayout();
    // The mark the drag in progress would make.
    [[nodiscard]] std::optional<Mark> dragMark() const;
    [[nodiscard]] QPointF toArea(QPointF widgetPoint) const { return widgetPoint - QPointF(inset, inset); }

    CaptureModel &m_model;
    std::function<QColor()> m_currentColor;
    std::optional<DisplayMapping> m_mapping;
    SelectionBox *m_box = nullptr;
    // The image at its displayed size, made once per size: scaling a 5K capture on every
    // paint would make drags stutter.
    QPixmap m_scaled;
    std::optional<QPointF> m_press;
    std::optional<QPointF> m_dragStart;
    // Where the mark being drawn ends now, for its preview.
    QPointF m_dragEnd;
};
