#pragma once

#include <QImage>
#include <QPointF>
#include <QWidget>

#include <optional>

class CaptureModel;

// A copy of the crop floating over every window at its true pixel size, to keep in sight while
// working: a drag moves it, the wheel zooms it, Ctrl and the wheel make it more or less
// transparent, Escape or a double-click closes it, and its menu copies or saves it.
class PinWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr qreal minimumZoom = 0.1;
    static constexpr qreal maximumZoom = 4.0;
    static constexpr qreal minimumOpacity = 0.2;

    // `image` in device pixels; `model` writes the copies and files.
    PinWindow(const QImage &image, CaptureModel &model);

    [[nodiscard]] qreal zoom() const { return m_zoom; }

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void resizeToZoom();

    QImage m_image;
    CaptureModel &m_model;
    qreal m_zoom = 1.0;
    // Where the pointer took hold of the window, relative to its corner.
    std::optional<QPointF> m_grab;
};
