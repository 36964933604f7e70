#include "ui/ImageArea.h"

#include "model/CaptureModel.h"
#include "ui/MarkDrawing.h"
#include "ui/SelectionBox.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

ImageArea::ImageArea(CaptureModel &model, std::function<QColor()> currentColor, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_currentColor(std::move(currentColor))
{
    m_box = new SelectionBox(Binding<QRectF>(
                                 [this]() -> QRectF { return m_mapping ? m_mapping->toBox(m_model.crop()) : QRectF(); },
                                 [this](const QRectF &r) {
                                     if (m_mapping)
                                         m_model.setCrop(m_mapping->toImage(r));
                                 }),
                             this);
    connect(&m_model, &CaptureModel::imageChanged, this, [this] {
        m_scaled = QPixmap();
        relayout();
    });
    connect(&m_model, &CaptureModel::fullChanged, this, &ImageArea::relayout);
    connect(&m_model, &CaptureModel::cropChanged, this, [this] { m_box->update(); });
    connect(&m_model, &CaptureModel::marksChanged, this, qOverload<>(&QWidget::update));
    relayout();
}

void ImageArea::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void ImageArea::relayout()
{
    const QSizeF area = QSizeF(size()) - QSizeF(2 * inset, 2 * inset);
    m_mapping = m_model.hasImage() ? DisplayMapping::fit(area, QSizeF(m_model.image().size())) : std::nullopt;
    m_box->setGeometry(rect());
    m_box->setVisible(m_mapping && !m_model.full());
    if (m_mapping)
        m_box->setImageGeometry(m_mapping->offset + QPointF(inset, inset), m_mapping->displayed);
    update();
}

void ImageArea::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (!m_mapping)
        return;

    const QRectF target(m_mapping->offset + QPointF(inset, inset), m_mapping->displayed);
    const QSize device = (target.size() * devicePixelRatioF()).toSize();
    if (m_scaled.size() != device) {
        m_scaled = QPixmap::fromImage(
            m_model.image().scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        m_scaled.setDevicePixelRatio(devicePixelRatioF());
    }
    painter.drawPixmap(target.topLeft(), m_scaled);

    painter.translate(target.topLeft());
    MarkDrawing::drawMarks(painter, m_model.marks(), m_mapping->scale);
}

void ImageArea::mousePressEvent(QMouseEvent *event)
{
    // A mark starts only on the displayed image; the margin takes nothing.
    if (event->button() != Qt::LeftButton || !m_mapping || !m_mapping->onImage(toArea(event->position()))) {
        event->ignore();
        return;
    }
    m_press = toArea(event->position());
    m_dragStart.reset();
}

void ImageArea::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_press || m_dragStart)
        return;
    const QPointF moved = toArea(event->position()) - *m_press;
    if (std::hypot(moved.x(), moved.y()) >= markDragThreshold)
        m_dragStart = m_press;
}

void ImageArea::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const std::optional<QPointF> start = std::exchange(m_dragStart, std::nullopt);
    m_press.reset();
    if (!start || !m_mapping)
        return;
    // Not clamped: a drag that ends in the margin points outside the image.
    m_model.addMark(MarkDrawing::markFromDrag(*start, toArea(event->position()), m_mapping->offset,
                                              m_mapping->scale, m_currentColor(), m_model.tool()));
}
