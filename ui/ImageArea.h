#pragma once

#include "model/Mark.h"
#include "model/marks/MarkKind.h"
#include "ui/DisplayMapping.h"

#include <QColor>
#include <QHash>
#include <QPixmap>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class CaptureModel;
class SelectionBox;
class Tool;

// The main window's image area: the capture, fitted or zoomed, the marks over it, the crop box
// for area captures, and the current tool, which gets the pointer and, while it writes, the keys.
class ImageArea : public QWidget
{
    Q_OBJECT

public:
    static constexpr qreal inset = 10;
    static constexpr qreal markDragThreshold = 2;
    // View points around a handle that take a press.
    static constexpr qreal handleReach = 6;

    ImageArea(CaptureModel &model, std::function<QColor()> currentColor, QWidget *parent = nullptr);
    ~ImageArea() override;

    // Image-area coordinates: the W × H area inside the inset.
    [[nodiscard]] std::optional<DisplayMapping> mapping() const { return m_mapping; }
    [[nodiscard]] SelectionBox *selectionBox() const { return m_box; }
    [[nodiscard]] CaptureModel &model() const { return m_model; }

    // The size and text background new marks get.
    void setMarkStyle(MarkSize size, bool filled);
    // View points per image pixel, or none to fit the image into the area.
    void setZoom(std::optional<qreal> scale);
    [[nodiscard]] std::optional<qreal> zoom() const { return m_zoom; }

    // For the tools: marks as drawn here, in image pixels.
    [[nodiscard]] MarkScene scene() const;
    [[nodiscard]] Mark newMark(QPointF from, QPointF to) const;
    // Shown in place of the mark with its id, or over the others when it is new.
    void setPreview(std::optional<Mark> mark);
    [[nodiscard]] const std::optional<Mark> &preview() const { return m_preview; }
    // Adds a mark drawn here.
    void commit(const Mark &mark);
    // The topmost mark at `point` (of `tool` alone, when given).
    [[nodiscard]] std::optional<Mark> markAt(QPointF point, const QString &tool = {}) const;
    [[nodiscard]] bool hits(const Mark &mark, QPointF point) const;
    // Whether the pointer has gone far enough from `press` (both image pixels) for a drag.
    [[nodiscard]] bool isDrag(QPointF press, QPointF point) const;
    void select(const QUuid &id);
    [[nodiscard]] std::optional<Mark> selectedMark() const;
    // Keeps what the tool has under way: text being typed becomes a mark.
    void finishEditing();
    [[nodiscard]] bool takesTyping() const;
    void typingChanged();

Q_SIGNALS:
    // The user has drawn a mark.
    void markDrawn();
    void selectionChanged();
    // Ctrl and the wheel: `steps` notches at `at` (widget coordinates).
    void zoomRequested(qreal steps, QPointF at);
    // The middle button or Space held drags the view by `delta` view points.
    void panRequested(QPointF delta);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void relayout();
    void toolChanged();
    void paintImage(QPainter &painter, const QRectF &target, const QRect &exposed);
    void paintSelection(QPainter &painter, const MarkScene &scene);
    [[nodiscard]] QPointF toArea(QPointF widgetPoint) const { return widgetPoint - QPointF(inset, inset); }
    [[nodiscard]] QPointF toImage(QPointF widgetPoint) const { return m_mapping->toImage(toArea(widgetPoint)); }

    CaptureModel &m_model;
    std::function<QColor()> m_currentColor;
    MarkSize m_size = MarkSize::Medium;
    bool m_filled = false;
    std::optional<qreal> m_zoom;
    std::optional<DisplayMapping> m_mapping;
    SelectionBox *m_box = nullptr;
    std::unique_ptr<Tool> m_tool;
    // The image at its displayed size, made once per size: scaling a 5K capture on every
    // paint would make drags stutter.
    QPixmap m_scaled;
    // Pixelated and blurred areas, worked out once for each place and image.
    mutable QHash<QString, QImage> m_areas;
    std::optional<Mark> m_preview;
    QUuid m_selected;
    // A press of the tool's in progress; the pan in progress, from this point.
    bool m_toolPress = false;
    std::optional<QPointF> m_pan;
    bool m_spaceHeld = false;
};
