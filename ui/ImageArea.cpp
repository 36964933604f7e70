#include "ui/ImageArea.h"

#include "model/CaptureModel.h"
#include "model/MarkDrawing.h"
#include "ui/SelectionBox.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

ImageArea::ImageArea(CaptureModel &model, std::function<QColor()> currentColor, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_currentColor(std::move(currentColor))
{
    m_box = new SelectionBox(Binding<QRectF>([this] { return m_model.crop(); },
                                             [this](const QRectF &crop) {
                                                 if (m_mapping)
                                                     m_model.setCrop(crop);
                                             }),
                             this);
    connect(&m_model, &CaptureModel::imageChanged, this, [this] {
        m_scaled = QPixmap();
        relayout();
    });
    connect(&m_model, &CaptureModel::fullChanged, this, &ImageArea::relayout);
    connect(&m_model, &CaptureModel::cropChanged, this, [this] { m_box->update(); });
    connect(&m_model, &CaptureModel::marksChanged, this, qOverload<>(&QWidget::update));
    connect(&m_model, &CaptureModel::includeMarksChanged, this,
            [this] { m_box->setInteriorDraws(m_model.includeMarks()); });
    m_box->setInteriorDraws(m_model.includeMarks());
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
        m_box->setImageGeometry(m_mapping->offset + QPointF(inset, inset), QSizeF(m_model.image().size()),
                                m_mapping->scale);
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

    QList<Mark> marks = m_model.marks();
    if (const std::optional<Mark> drawing = dragMark())
        marks.append(*drawing);
    painter.translate(target.topLeft());
    // Pixelated areas as the output has them, block for block, scaled like the image.
    const QImage &image = m_model.image();
    const int block = std::max(2, int(std::lround(MarkDrawing::pixelBlock * m_model.imageScale())));
    for (const Mark &mark : std::as_const(marks)) {
        if (!MarkDrawing::isPixelate(mark))
            continue;
        const QRect area = MarkDrawing::pixelateArea(mark, image.rect());
        if (!area.isEmpty())
            painter.drawImage(QRectF(QPointF(area.topLeft()) * m_mapping->scale, QSizeF(area.size()) * m_mapping->scale),
                              MarkDrawing::pixelated(image, area, block));
    }
    MarkDrawing::drawMarks(painter, marks, m_mapping->scale);
}

std::optional<Mark> ImageArea::dragMark() const
{
    if (!m_dragStart || !m_mapping)
        return std::nullopt;
    return MarkDrawing::markFromDrag(*m_dragStart, m_dragEnd, m_mapping->offset, m_mapping->scale, m_currentColor(),
                                     m_model.tool());
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
    if (!m_press)
        return;
    m_dragEnd = toArea(event->position());
    const QPointF moved = m_dragEnd - *m_press;
    if (!m_dragStart && std::hypot(moved.x(), moved.y()) >= markDragThreshold)
        m_dragStart = m_press;
    if (m_dragStart)
        update();
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
    Q_EMIT markDrawn();
}
