#include "ui/SelectionBox.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace G = CropBoxGeometry;

namespace {
const QColor cyan(50, 173, 230);
}

SelectionBox::SelectionBox(Binding<QRectF> crop, QWidget *parent)
    : QWidget(parent)
    , m_crop(std::move(crop))
{
    setAttribute(Qt::WA_NoSystemBackground);
    // The cursor tells what a press would do.
    setMouseTracking(true);
}

void SelectionBox::setInteriorDraws(bool draws)
{
    m_interiorDraws = draws;
}

std::optional<G::Hit> SelectionBox::grip(QPointF point, Qt::KeyboardModifiers modifiers) const
{
    const QRectF crop = boxRect();
    const QPointF p = toBox(point);
    std::optional<G::Hit> hit = G::hitTest(crop, p);
    if (!hit || hit->handle || !m_interiorDraws || (modifiers & Qt::ShiftModifier))
        return hit;
    const QRectF inner = crop.normalized().adjusted(borderBand, borderBand, -borderBand, -borderBand);
    return inner.contains(p) ? std::nullopt : hit;
}

void SelectionBox::setImageGeometry(QPointF imageOrigin, QSizeF imageSize, qreal scale)
{
    m_imageOrigin = imageOrigin;
    m_imageSize = imageSize;
    m_scale = scale;
    update();
}

QRectF SelectionBox::boxRect() const
{
    const QRectF crop = m_crop.get();
    return {crop.x() * m_scale, crop.y() * m_scale, crop.width() * m_scale, crop.height() * m_scale};
}

void SelectionBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(m_imageOrigin);
    const QRectF crop = boxRect();

    // The dimming covers the displayed image with the crop cut out. Painting over the image
    // instead of clearing part of it keeps the image below intact.
    QPainterPath dimmed;
    dimmed.setFillRule(Qt::OddEvenFill);
    dimmed.addRect(QRectF(QPointF(0, 0), m_imageSize * m_scale));
    dimmed.addRect(crop);
    painter.fillPath(dimmed, QColor(0, 0, 0, qRound(0.28 * 255)));

    painter.setPen(QPen(cyan, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(crop);

    painter.setPen(Qt::NoPen);
    painter.setBrush(cyan);
    for (int i = 0; i < G::handleCount; ++i) {
        const QPointF centre = G::handleCentre(crop, static_cast<G::Handle>(i));
        painter.drawEllipse(centre, G::handleDiameter / 2, G::handleDiameter / 2);
    }
}

void SelectionBox::mousePressEvent(QMouseEvent *event)
{
    const std::optional<G::Hit> hit =
        event->button() == Qt::LeftButton ? grip(event->position(), event->modifiers()) : std::nullopt;
    if (!hit) {
        // The dimmed part (and, while marks go into the image, the crop's inside) takes no
        // presses: they belong to the mark drag below.
        event->ignore();
        return;
    }
    m_press = event->position();
    m_hit = *hit;
    m_origin.reset();
}

void SelectionBox::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_press) {
        const std::optional<G::Hit> hit = grip(event->position(), event->modifiers());
        // Where the box takes nothing, the cursor is the current tool's, from the widget below.
        if (!hit) {
            if (testAttribute(Qt::WA_SetCursor))
                unsetCursor();
            event->ignore();
            return;
        }
        Qt::CursorShape shape = Qt::SizeAllCursor;
        if (hit->handle) {
            constexpr Qt::CursorShape shapes[] = {Qt::SizeFDiagCursor, Qt::SizeVerCursor, Qt::SizeBDiagCursor,
                                                  Qt::SizeHorCursor,   Qt::SizeFDiagCursor, Qt::SizeVerCursor,
                                                  Qt::SizeBDiagCursor, Qt::SizeHorCursor};
            shape = shapes[int(*hit->handle)];
        }
        if (!testAttribute(Qt::WA_SetCursor) || cursor().shape() != shape)
            setCursor(shape);
        // Not our drag: the widget below follows it.
        event->ignore();
        return;
    }
    const QPointF translation = event->position() - *m_press;
    if (!m_origin) {
        if (std::hypot(translation.x(), translation.y()) < G::dragThreshold)
            return;
        m_origin = m_crop.get();
    }
    // The rules work in image pixels, so that edges no drag touches stay exactly where they are.
    const QPointF pixels = translation / m_scale;
    if (m_hit.handle) {
        m_crop.set(G::resized(*m_origin, *m_hit.handle, pixels, m_imageSize, G::minimumSize / m_scale));
    } else {
        // Two writes, x then y, each keeping the size.
        const QPointF topLeft = G::moved(*m_origin, pixels, m_imageSize);
        QRectF r = m_crop.get();
        r.moveLeft(topLeft.x());
        m_crop.set(r);
        r = m_crop.get();
        r.moveTop(topLeft.y());
        m_crop.set(r);
    }
    update();
}

void SelectionBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_press) {
        event->ignore();
        return;
    }
    m_press.reset();
    m_origin.reset();
}
