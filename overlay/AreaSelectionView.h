#pragma once

#include "model/CaptureEnvironment.h"

#include <QFont>
#include <QImage>
#include <QRegion>
#include <QWidget>

#include <functional>
#include <optional>

// Shows the frozen screenshot dimmed, lets the user drag a rectangle and reports it in image
// pixels. The dimmed screen is computed from the captured one for just the pixels repainted,
// straight into the window's buffer, so a drag repaints only the strip that changed and no
// second screen-sized buffer is kept.
class AreaSelectionView : public QWidget
{
    Q_OBJECT

public:
    AreaSelectionView(const QImage &image, AreaSelectionHandler onFinish, QWidget *parent = nullptr);
    ~AreaSelectionView() override;

    // Shows another frozen screen, with no selection, reporting to `onFinish`: the window that
    // holds the view is kept between captures.
    void setImage(const QImage &image, AreaSelectionHandler onFinish);

    // Paints the view, clipped to `region`, with whatever painter it is given.
    using Draw = std::function<void(QPainter &painter, const QRegion &region)>;
    // Has the view painted through `screenPainter` onto its own native window rather than into a
    // buffer Qt keeps for the window. Set before the view is shown.
    using ScreenPainter = std::function<void(QWidget *view, const QRegion &region, const Draw &draw)>;
    void paintOnScreen(ScreenPainter screenPainter);

    // The windows a click picks, topmost first, in the image's pixels.
    void setWindows(const QList<QRect> &windows);

    // The current selection, view coordinates.
    [[nodiscard]] QRectF selection() const { return m_selection; }
    // What has to be repainted when the selection changes from `before` to `after`.
    [[nodiscard]] QRegion repaintRegion(const QRectF &before, const QRectF &after) const;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    [[nodiscard]] QPaintEngine *paintEngine() const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    [[nodiscard]] static bool isCancelKey(const QKeyEvent *event);
    void cancelSelection();
    void finish(std::optional<QRect> rect);
    void setSelection(const QRectF &selection);
    void prepareImages();
    void paint(QPainter &painter, const QRegion &region);
    // The dimmed screen with its cancel button over `region`.
    void paintDimmed(QPainter &painter, const QRegion &region);
    // The view's size in points, as the image's pixels see it.
    [[nodiscard]] QSizeF bounds() const;
    // The scale of a Wayland output at a fractional scale, which Qt reads as the next whole one;
    // nothing elsewhere.
    [[nodiscard]] std::optional<qreal> fractionalScale() const;
    [[nodiscard]] QPointF exactPosition(const QMouseEvent *event) const;
    // Where the screen's top-left corner lies, in the device pixels pointer positions are kept in.
    [[nodiscard]] QPointF deviceOrigin() const;
    [[nodiscard]] QRectF sizeLabelRect(const QRectF &selection) const;
    [[nodiscard]] QRectF hintRect() const;
    void hover(QPointF point);

    QImage m_image;
    QSizeF m_pixelSize;
    ScreenPainter m_screenPainter;
    AreaSelectionHandler m_onFinish;
    std::optional<QPointF> m_start;
    QRectF m_selection;
    QList<QRect> m_windows;
    // The window under the pointer while no drag is under way: view coordinates and pixels.
    std::optional<std::pair<QRectF, QRect>> m_hover;
    bool m_finished = false;
    // For the trace: the first expose and paint of this overlay.
    bool m_exposed = false;
    bool m_painted = false;

    QFont m_buttonFont;
    QFont m_sizeFont;
    QFont m_hintFont;
    QString m_hint;
    // The screen at the window's device resolution (the capture itself where that fits).
    QImage m_bright;
    QSize m_brightFor;
};
