#pragma once

#include <QScrollArea>

#include <optional>

class ImageArea;

// Scrolls the image area when it is zoomed larger than the window, and zooms it in steps
// around a point that stays where it is.
class ImageScroller : public QScrollArea
{
    Q_OBJECT

public:
    // Zoom never goes past these view points per image pixel.
    static constexpr qreal minimumZoom = 0.02;
    static constexpr qreal maximumZoom = 32;
    static constexpr qreal step = 1.25;

    explicit ImageScroller(ImageArea *area, QWidget *parent = nullptr);

    // `steps` notches of zoom, in (positive) or out, around `at` (the area's coordinates); the
    // middle of the view by default.
    void zoomBy(qreal steps, std::optional<QPointF> at = std::nullopt);
    void fit();
    // One image pixel on one device pixel.
    void actualSize();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void zoomTo(qreal scale, QPointF at);
    void fitArea();

    ImageArea *m_area;
};
