#include "overlay/AreaSelectionView.h"

#include "app/tr.h"
#include "overlay/AreaSelectionOverlay.h"
#include "overlay/SelectionGeometry.h"
#include "platform/Beep.h"
#include "platform/PointerPositions.h"
#include "platform/Trace.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QWindow>

#include <cmath>

namespace {

namespace G = SelectionGeometry;

const QColor systemCyan(50, 173, 230);
constexpr qreal dimming = 0.42;
// Room around a stroke or a text for antialiasing, in logical pixels.
constexpr int margin = 3;

QFont systemFont(int pixelSize, QFont::Weight weight)
{
    QFont font = QApplication::font();
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

// Draws `text` with the bottom-left corner of its line box at `bottomLeft`.
void drawTextFromBottomLeft(QPainter &painter, const QFont &font, QPointF bottomLeft, const QString &text)
{
    const QFontMetricsF metrics(font);
    painter.setFont(font);
    painter.drawText(QPointF(bottomLeft.x(), bottomLeft.y() - metrics.descent()), text);
}

QRectF textBox(const QFont &font, QPointF bottomLeft, const QString &text)
{
    const QFontMetricsF metrics(font);
    return QRectF(bottomLeft.x(), bottomLeft.y() - metrics.height(), metrics.horizontalAdvance(text),
                  metrics.height());
}

QRect grown(const QRectF &rect)
{
    return rect.toAlignedRect().adjusted(-margin, -margin, margin, margin);
}

// The whole pixels that lie at least `margin` inside `rect`.
QRect shrunk(const QRectF &rect)
{
    const int left = int(std::ceil(rect.left())) + margin;
    const int top = int(std::ceil(rect.top())) + margin;
    const int right = int(std::floor(rect.right())) - margin;
    const int bottom = int(std::floor(rect.bottom())) - margin;
    return right > left && bottom > top ? QRect(left, top, right - left, bottom - top) : QRect();
}

// The whole pixels whose centres lie inside `rect`.
QRect pixelsInside(const QRectF &rect)
{
    const int left = int(std::floor(rect.left() + 0.5));
    const int top = int(std::floor(rect.top() + 0.5));
    const int right = int(std::floor(rect.right() + 0.5));
    const int bottom = int(std::floor(rect.bottom() + 0.5));
    return QRect(left, top, right - left, bottom - top);
}

// The dimmed screen of the last overlay, kept for the next one: a fresh buffer the size of a
// 5K screen costs over 100 ms in page faults before the overlay can show.
QImage &spareBuffer()
{
    static QImage spare;
    return spare;
}

QImage takeBuffer(QSize deviceSize)
{
    QImage &spare = spareBuffer();
    if (spare.size() == deviceSize && spare.isDetached())
        return std::exchange(spare, QImage());
    spare = QImage();
    return QImage(deviceSize, QImage::Format_RGB32);
}

} // namespace

void AreaSelectionView::prepareBuffers(QSize deviceSize)
{
    QImage &spare = spareBuffer();
    if (spare.size() == deviceSize)
        return;
    spare = QImage(deviceSize, QImage::Format_RGB32);
    spare.fill(Qt::black);
}

AreaSelectionView::~AreaSelectionView()
{
    if (!m_dimmed.isNull())
        spareBuffer() = std::move(m_dimmed);
}

AreaSelectionView::AreaSelectionView(const QImage &image, AreaSelectionHandler onFinish, QWidget *parent)
    : QWidget(parent)
    , m_image(image)
    , m_pixelSize(image.width(), image.height())
    , m_onFinish(std::move(onFinish))
    , m_buttonFont(systemFont(14, QFont::DemiBold))
    , m_sizeFont(systemFont(13, QFont::DemiBold))
    , m_hintFont(systemFont(16, QFont::Medium))
    , m_hint(::tr("overlay.selectHint"))
{
    setCursor(Qt::CrossCursor);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    // Every pixel is painted from the prepared images.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

void AreaSelectionView::prepareImages()
{
    const qreal ratio = devicePixelRatioF();
    const QSize deviceSize = (QSizeF(size()) * ratio).toSize();
    if (!m_dimmed.isNull() && m_dimmed.size() == deviceSize && m_dimmed.devicePixelRatio() == ratio)
        return;
    if (deviceSize.isEmpty())
        return;

    // An image at the screen's own resolution is shown pixel for pixel, even where the window is
    // a pixel off the screen's size because Qt rounded its size in points.
    const QSize off = deviceSize - m_image.size();
    const bool native = std::abs(off.width()) <= 1 && std::abs(off.height()) <= 1;
    m_bright = native ? m_image.convertToFormat(QImage::Format_RGB32)
                      : m_image.scaled(deviceSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                            .convertToFormat(QImage::Format_RGB32);
    m_bright.setDevicePixelRatio(ratio);

    m_dimmed = takeBuffer(deviceSize);
    m_dimmed.setDevicePixelRatio(ratio);
    QPainter painter(&m_dimmed);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (m_bright.size() != deviceSize)
        painter.fillRect(QRectF(QPointF(0, 0), QSizeF(size())), Qt::black);
    painter.drawImage(QPointF(0, 0), m_bright);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const QRectF bounds(QPointF(0, 0), QSizeF(size()));
    painter.fillRect(bounds, QColor(0, 0, 0, qRound(dimming * 255)));

    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF button = G::cancelButtonRect(bounds.size());
    QColor buttonColor = palette().color(QPalette::Base);
    buttonColor.setAlphaF(0.96f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(buttonColor);
    painter.drawRoundedRect(button, 10, 10);

    const QString label = QStringLiteral("\u00D7  ") + ::tr("shortcuts.cancel") + QStringLiteral("  \u00B7  Esc");
    const QFontMetricsF metrics(m_buttonFont);
    const qreal w = metrics.horizontalAdvance(label);
    const qreal h = metrics.height();
    painter.setPen(palette().color(QPalette::Text));
    drawTextFromBottomLeft(painter, m_buttonFont,
                           QPointF(button.center().x() - w / 2, button.center().y() + h / 2), label);
}

QSizeF AreaSelectionView::bounds() const
{
    // Qt rounds a screen's size in points (1366 pixels at scale 1.5 are 910.67 points, shown as
    // 911). Where the image is the screen at its own resolution, its size over the scale is the
    // true size, and points map to pixels by the scale itself.
    const QSizeF exact = m_pixelSize / devicePixelRatioF();
    const QSizeF shown(size());
    if (std::abs(exact.width() - shown.width()) < 1 && std::abs(exact.height() - shown.height()) < 1)
        return exact;
    return shown;
}

QPointF AreaSelectionView::exactPosition(const QMouseEvent *event) const
{
    // Qt gives widgets whole points; at a fractional scale the pixel under the pointer can be
    // a pixel away from that. The window system's own position is exact. The overlay covers its
    // screen, whose origin Qt keeps in device pixels.
    const QPointF shown = event->position();
    if (!screen())
        return shown;
    const qreal ratio = devicePixelRatioF();
    const QPointF origin = deviceOrigin() + QPointF(pos()) * ratio;
    const std::optional<QPoint> device = PointerPositions::find(event->timestamp(), origin + shown * ratio);
    return device ? (QPointF(*device) - origin) / ratio : shown;
}

QPointF AreaSelectionView::deviceOrigin() const
{
    return screen() ? QPointF(screen()->geometry().topLeft()) : QPointF();
}

void AreaSelectionView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (QWindow *handle = window()->windowHandle())
        handle->installEventFilter(this);
}

bool AreaSelectionView::eventFilter(QObject *watched, QEvent *event)
{
    // The window's own mouse events still carry the position the window system gave (on
    // Wayland, half a point at scale 2); Qt rounds it to whole points for widgets.
    const QEvent::Type type = event->type();
    if (type == QEvent::Expose && watched == window()->windowHandle() && !std::exchange(m_exposed, true))
        traceStage("overlay-exposed");
    if (watched == window()->windowHandle()
        && (type == QEvent::MouseButtonPress || type == QEvent::MouseMove || type == QEvent::MouseButtonRelease)) {
        const auto *mouse = static_cast<const QMouseEvent *>(event);
        const QPointF device = deviceOrigin() + mouse->position() * devicePixelRatioF();
        PointerPositions::record(mouse->timestamp(), QPoint(int(std::lround(device.x())), int(std::lround(device.y()))));
    }
    return QWidget::eventFilter(watched, event);
}

QRectF AreaSelectionView::sizeLabelRect(const QRectF &selection) const
{
    if (!G::isVisible(selection))
        return {};
    const QString label = G::sizeLabel(selection, bounds(), m_pixelSize);
    return textBox(m_sizeFont, QPointF(selection.left(), G::sizeLabelBottom(selection, QSizeF(size()))), label);
}

QRectF AreaSelectionView::hintRect() const
{
    const qreal w = QFontMetricsF(m_hintFont).horizontalAdvance(m_hint);
    return textBox(m_hintFont, QPointF((width() - w) / 2, 58), m_hint);
}

QRegion AreaSelectionView::repaintRegion(const QRectF &before, const QRectF &after) const
{
    const bool wasVisible = G::isVisible(before);
    const bool isVisible = G::isVisible(after);
    // With a selection the screen outside it turns bright: everything changes.
    if (wasVisible != isVisible)
        return QRegion(rect());
    if (!isVisible)
        return {};
    // Only pixels near either frame, or inside one selection but not the other, change.
    QRegion region = (QRegion(grown(before)) | QRegion(grown(after))) - (QRegion(shrunk(before)) & QRegion(shrunk(after)));
    region |= grown(sizeLabelRect(before));
    region |= grown(sizeLabelRect(after));
    return region & rect();
}

void AreaSelectionView::setSelection(const QRectF &selection)
{
    const QRectF before = m_selection;
    m_selection = selection;
    update(repaintRegion(before, m_selection));
}

void AreaSelectionView::paintEvent(QPaintEvent *event)
{
    prepareImages();
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), m_dimmed);

    if (!G::isVisible(m_selection)) {
        painter.setPen(Qt::white);
        drawTextFromBottomLeft(painter, m_hintFont, hintRect().bottomLeft(), m_hint);
        if (!std::exchange(m_painted, true))
            traceStage("overlay-painted");
        return;
    }

    // Outside the selection the screen shows undimmed. A region clip (whole pixels whose
    // centres lie outside) costs only the repainted area; a path clip would be rasterised over
    // the whole screen on every drag step.
    const QRegion outside = (QRegion(rect()) - QRegion(pixelsInside(m_selection))) & event->region();
    painter.save();
    painter.setClipRegion(outside);
    painter.drawImage(QPointF(0, 0), m_bright);
    painter.restore();

    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(systemCyan, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(m_selection);

    painter.setPen(Qt::white);
    drawTextFromBottomLeft(painter, m_sizeFont, sizeLabelRect(m_selection).bottomLeft(),
                           G::sizeLabel(m_selection, bounds(), m_pixelSize));
}

void AreaSelectionView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPointF point = exactPosition(event);
    if (G::hitsCancelButton(point, QSizeF(size()))) {
        cancelSelection();
        return;
    }
    m_start = point;
    setSelection(QRectF(point, QSizeF(0, 0)));
}

void AreaSelectionView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_start)
        return;
    setSelection(G::selectionBetween(*m_start, exactPosition(event)));
}

void AreaSelectionView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_start)
        return;
    m_start.reset();
    if (!G::isLargeEnough(m_selection)) {
        beep();
        return;
    }
    finish(G::pixelRect(m_selection, bounds(), m_pixelSize));
}

bool AreaSelectionView::isCancelKey(const QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        return true;
    // Super+period, the other standard way to cancel.
    return event->key() == Qt::Key_Period && (event->modifiers() & Qt::MetaModifier);
}

bool AreaSelectionView::event(QEvent *event)
{
    // Keep the cancel keys from being taken as shortcuts anywhere else.
    if (event->type() == QEvent::ShortcutOverride && isCancelKey(static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void AreaSelectionView::keyPressEvent(QKeyEvent *event)
{
    if (isCancelKey(event)) {
        cancelSelection();
        return;
    }
    QWidget::keyPressEvent(event);
}

void AreaSelectionView::cancelSelection()
{
    finish(std::nullopt);
}

void AreaSelectionView::finish(std::optional<QRect> rect)
{
    if (m_finished)
        return;
    m_finished = true;
    m_start.reset();
    // This view's own window: a newer overlay may be the stored one by now.
    AreaSelectionOverlay::closeWindow(window());
    if (m_onFinish)
        m_onFinish(rect);
}
