#include "overlay/AreaSelectionView.h"

#include "text/tr.h"
#include "overlay/AreaSelectionOverlay.h"
#include "overlay/DimmedScreen.h"
#include "overlay/OverlayText.h"
#include "overlay/WindowPick.h"
#include "overlay/SelectionGeometry.h"
#include "platform/Beep.h"
#include "platform/PointerPositions.h"
#include "platform/Trace.h"

#include <QApplication>
#include <QGuiApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace {

namespace G = SelectionGeometry;

const QColor systemCyan(50, 173, 230);

} // namespace

AreaSelectionView::~AreaSelectionView() = default;

AreaSelectionView::AreaSelectionView(const QImage &image, AreaSelectionHandler onFinish, QWidget *parent)
    : QWidget(parent)
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
    setImage(image, std::move(onFinish));
}

void AreaSelectionView::setImage(const QImage &image, AreaSelectionHandler onFinish)
{
    m_image = image;
    m_pixelSize = QSizeF(image.width(), image.height());
    m_onFinish = std::move(onFinish);
    m_start.reset();
    m_selection = QRectF();
    m_finished = false;
    m_exposed = false;
    m_painted = false;
    m_bright = QImage();
    setWindows({});
    update();
}

void AreaSelectionView::prepareImages()
{
    const qreal ratio = devicePixelRatioF();
    const QSize deviceSize = (QSizeF(size()) * ratio).toSize();
    if (!m_bright.isNull() && m_brightFor == deviceSize && m_bright.devicePixelRatio() == ratio)
        return;
    if (deviceSize.isEmpty())
        return;
    // An image at the screen's own resolution is shown pixel for pixel (no copy), even where the
    // window is a pixel off the screen's size because Qt rounded its size in points.
    const QSize off = deviceSize - m_image.size();
    const bool native = std::abs(off.width()) <= 1 && std::abs(off.height()) <= 1;
    m_bright = native ? m_image.convertToFormat(QImage::Format_RGB32)
                      : m_image.scaled(deviceSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                            .convertToFormat(QImage::Format_RGB32);
    m_bright.setDevicePixelRatio(ratio);
    m_brightFor = deviceSize;
}

void AreaSelectionView::paintDimmed(QPainter &painter, const QRegion &region)
{
    // Straight into the window's buffer where the painter draws into an image of ours to write
    // (a screen's worth of pixels, no copy in between); through a strip image elsewhere.
    const QTransform toDevice = painter.deviceTransform();
    const QPoint origin = toDevice.map(QPointF(0, 0)).toPoint();
    QPaintEngine *engine = painter.paintEngine();
    QPaintDevice *device = engine ? engine->paintDevice() : nullptr;
    auto *target = device && device->devType() == QInternal::Image ? static_cast<QImage *>(device) : nullptr;
    const bool direct = target && toDevice.type() <= QTransform::TxScale
                        && (target->format() == QImage::Format_RGB32 || target->format() == QImage::Format_ARGB32
                            || target->format() == QImage::Format_ARGB32_Premultiplied);
    for (const QRect &rect : region) {
        const QRect area = toDevice.mapRect(QRectF(rect)).toAlignedRect();
        if (direct) {
            DimmedScreen::write(*target, m_bright, area, origin);
            continue;
        }
        QImage strip(area.size(), QImage::Format_RGB32);
        DimmedScreen::write(strip, m_bright, strip.rect(), origin - area.topLeft());
        strip.setDevicePixelRatio(m_bright.devicePixelRatio());
        painter.drawImage(QRectF(rect), strip);
    }

    // The cancel button sits on the dimmed screen.
    const QRectF button = G::cancelButtonRect(QSizeF(size()));
    if (!region.intersects(button.toAlignedRect()))
        return;
    painter.save();
    painter.setClipRegion(region, Qt::IntersectClip);
    painter.setRenderHint(QPainter::Antialiasing);
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
    drawTextFromBottomLeft(painter, m_buttonFont, QPointF(button.center().x() - w / 2, button.center().y() + h / 2),
                           label);
    painter.restore();
}

QSizeF AreaSelectionView::bounds() const
{
    // Qt rounds a screen's size in points (1366 pixels at scale 1.5 are 910.67 points, shown as
    // 911). Where the image is the screen at its own resolution, its size over the scale is the
    // true size, and points map to pixels by the scale itself.
    const QSizeF shown(size());
    const QSizeF exact = m_pixelSize / devicePixelRatioF();
    if (std::abs(exact.width() - shown.width()) < 1 && std::abs(exact.height() - shown.height()) < 1)
        return exact;
    if (const std::optional<qreal> scale = fractionalScale())
        return m_pixelSize / *scale;
    return shown;
}

std::optional<qreal> AreaSelectionView::fractionalScale() const
{
    // Such a compositor tells Qt the scale rounded up (1.5 as 2) and shrinks what Qt draws; the
    // image is the output at its own resolution. The scale is then the ratio of the two sizes,
    // in the 120ths compositors keep it in, between 1 and Qt's.
    const QSizeF shown(size());
    if (!(shown.width() > 0) || !(shown.height() > 0))
        return std::nullopt;
    const qreal scale = std::round(m_pixelSize.width() / shown.width() * 120) / 120;
    if (scale <= 1 || scale >= devicePixelRatioF())
        return std::nullopt;
    const QSizeF exact = m_pixelSize / scale;
    if (std::abs(exact.width() - shown.width()) < 1 && std::abs(exact.height() - shown.height()) < 1)
        return scale;
    return std::nullopt;
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

void AreaSelectionView::focusInEvent(QFocusEvent *)
{
    // Nothing shows focus here; QWidget's own handler would repaint the whole screen.
}

void AreaSelectionView::focusOutEvent(QFocusEvent *) {}

void AreaSelectionView::hideEvent(QHideEvent *event)
{
    // The window waits for the next capture; the last one's screens need not stay in memory.
    m_image = QImage();
    m_bright = QImage();
    m_onFinish = {};
    QWidget::hideEvent(event);
}

void AreaSelectionView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // A view painted on screen has a native window of its own, which gets the pointer.
    for (QWindow *handle : {window()->windowHandle(), windowHandle()}) {
        if (handle)
            handle->installEventFilter(this);
    }
}

bool AreaSelectionView::eventFilter(QObject *watched, QEvent *event)
{
    // The window's own mouse events still carry the position the window system gave (on
    // Wayland, half a point at scale 2); Qt rounds it to whole points for widgets.
    const QEvent::Type type = event->type();
    if (type == QEvent::Expose && watched == window()->windowHandle() && !std::exchange(m_exposed, true))
        traceStage("overlay-exposed");
    // A Wayland compositor shows a window that changed state (full screen) only once the window
    // has drawn after agreeing to it; sway otherwise waits out its 200 ms timeout. One pixel is
    // enough to send a new frame.
    if (type == QEvent::Expose && m_painted && QGuiApplication::platformName() == u"wayland")
        update(QRect(0, 0, 1, 1));
    if ((watched == window()->windowHandle() || (windowHandle() && watched == windowHandle()))
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
    QRegion region = (QRegion(G::grown(before)) | QRegion(G::grown(after))) - (QRegion(G::shrunk(before)) & QRegion(G::shrunk(after)));
    region |= G::grown(sizeLabelRect(before));
    region |= G::grown(sizeLabelRect(after));
    return region & rect();
}

void AreaSelectionView::setSelection(const QRectF &selection)
{
    const QRectF before = m_selection;
    m_selection = selection;
    update(repaintRegion(before, m_selection));
}

void AreaSelectionView::paintOnScreen(ScreenPainter screenPainter)
{
    m_screenPainter = std::move(screenPainter);
    setAttribute(Qt::WA_PaintOnScreen, bool(m_screenPainter));
}

QPaintEngine *AreaSelectionView::paintEngine() const
{
    // Painting on screen goes through the screen painter, never a paint engine of the widget's.
    return m_screenPainter ? nullptr : QWidget::paintEngine();
}

void AreaSelectionView::paintEvent(QPaintEvent *event)
{
    prepareImages();
    if (m_screenPainter) {
        m_screenPainter(this, event->region(), [this](QPainter &painter, const QRegion &region) { paint(painter, region); });
        return;
    }
    QPainter painter(this);
    paint(painter, event->region());
}

void AreaSelectionView::paint(QPainter &painter, const QRegion &region)
{
    const QRectF selection = G::isVisible(m_selection) || !m_hover ? m_selection : m_hover->first;
    if (!G::isVisible(selection)) {
        paintDimmed(painter, region);
        painter.setPen(Qt::white);
        drawTextFromBottomLeft(painter, m_hintFont, hintRect().bottomLeft(), m_hint);
        if (!std::exchange(m_painted, true))
            traceStage("overlay-painted");
        return;
    }

    // Outside the selection the screen shows undimmed. Region clips (whole pixels whose centres
    // lie inside or outside) cost only the repainted area; a path clip would be rasterised over
    // the whole screen on every drag step.
    const QRegion inside = QRegion(G::pixelsInside(selection)) & region;
    paintDimmed(painter, inside);
    painter.save();
    painter.setClipRegion(region - inside);
    painter.drawImage(QPointF(0, 0), m_bright);
    painter.restore();

    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(systemCyan, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(selection);

    painter.setPen(Qt::white);
    drawTextFromBottomLeft(painter, m_sizeFont, sizeLabelRect(selection).bottomLeft(),
                           G::sizeLabel(selection, bounds(), m_pixelSize));
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

void AreaSelectionView::setWindows(const QList<QRect> &windows)
{
    m_windows = windows;
    m_hover.reset();
    // The outline follows the pointer only where there are windows to outline.
    setMouseTracking(!windows.isEmpty());
}

void AreaSelectionView::hover(QPointF point)
{
    const QSizeF scale(m_pixelSize.width() / bounds().width(), m_pixelSize.height() / bounds().height());
    const std::optional<QRect> window =
        WindowPick::at(m_windows, QPoint(int(point.x() * scale.width()), int(point.y() * scale.height())));
    if (window == (m_hover ? std::optional<QRect>(m_hover->second) : std::nullopt))
        return;
    const QRectF before = m_hover ? m_hover->first : QRectF();
    m_hover.reset();
    if (window)
        m_hover = {{QRectF(window->x() / scale.width(), window->y() / scale.height(), window->width() / scale.width(),
                           window->height() / scale.height()),
                    *window}};
    update(repaintRegion(before, m_hover ? m_hover->first : QRectF()));
}

void AreaSelectionView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_start) {
        hover(exactPosition(event));
        return;
    }
    if (m_hover) {
        const QRectF before = m_hover->first;
        m_hover.reset();
        update(repaintRegion(before, QRectF()));
    }
    setSelection(G::selectionBetween(*m_start, exactPosition(event)));
}

void AreaSelectionView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_start)
        return;
    m_start.reset();
    if (!G::isLargeEnough(m_selection)) {
        // A click, not a drag: the window under it.
        hover(exactPosition(event));
        if (m_hover) {
            finish(m_hover->second);
            return;
        }
        beep();
        return;
    }
    finish(G::pixelRect(m_selection, bounds(), m_pixelSize, fractionalScale() ? G::Edges::Nearest : G::Edges::Outward));
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
    // Nothing here looks different when active; QWidget would repaint the whole screen.
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate)
        return true;
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
    // The handler holds every frozen screen of the overlay: it goes once called.
    const AreaSelectionHandler done = std::exchange(m_onFinish, {});
    // This view's own window: a newer overlay may be the stored one by now.
    AreaSelectionOverlay::closeWindow(window());
    if (done)
        done(rect);
}
