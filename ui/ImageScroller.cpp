#include "ui/ImageScroller.h"

#include "model/CaptureModel.h"
#include "ui/ImageArea.h"

#include <QScrollBar>

#include <algorithm>
#include <cmath>

ImageScroller::ImageScroller(ImageArea *area, QWidget *parent)
    : QScrollArea(parent)
    , m_area(area)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWidget(area);
    connect(area, &ImageArea::zoomRequested, this, [this](qreal steps, QPointF at) { zoomBy(steps, at); });
    connect(area, &ImageArea::panRequested, this, [this](QPointF delta) {
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + int(std::lround(delta.x())));
        verticalScrollBar()->setValue(verticalScrollBar()->value() + int(std::lround(delta.y())));
    });
    // A new capture opens fitted.
    connect(&area->model(), &CaptureModel::imageChanged, this, &ImageScroller::fitArea);
}

void ImageScroller::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    fitArea();
}

void ImageScroller::fitArea()
{
    m_area->resize(m_area->minimumSize().expandedTo(viewport()->size()));
}

void ImageScroller::zoomBy(qreal steps, std::optional<QPointF> at)
{
    if (!m_area->mapping())
        return;
    const QPointF anchor = at.value_or(QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value())
                                       + QPointF(viewport()->width(), viewport()->height()) / 2);
    zoomTo(m_area->mapping()->scale * std::pow(step, steps), anchor);
}

void ImageScroller::fit()
{
    m_area->setZoom(std::nullopt);
    fitArea();
}

void ImageScroller::actualSize()
{
    if (m_area->mapping())
        zoomTo(1 / m_area->devicePixelRatioF(),
               QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value())
                   + QPointF(viewport()->width(), viewport()->height()) / 2);
}

void ImageScroller::zoomTo(qreal scale, QPointF at)
{
    const std::optional<DisplayMapping> before = m_area->mapping();
    if (!before)
        return;
    // The image point under `at` stays under the pointer, where the view lets it.
    const QPointF inset(ImageArea::inset, ImageArea::inset);
    const QPointF imagePoint = before->toImage(at - inset);
    const QPointF inView = at - QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value());
    m_area->setZoom(std::clamp(scale, minimumZoom, maximumZoom));
    fitArea();
    const DisplayMapping after = *m_area->mapping();
    const QPointF target = imagePoint * after.scale + after.offset + inset - inView;
    horizontalScrollBar()->setValue(int(std::lround(target.x())));
    verticalScrollBar()->setValue(int(std::lround(target.y())));
}
