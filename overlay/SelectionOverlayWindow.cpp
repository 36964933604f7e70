#include "overlay/SelectionOverlayWindow.h"

#include "overlay/AreaSelectionView.h"
#include "platform/QtApplicationWindows.h"
#include "platform/x11/X11BandPainter.h"

#include <QBackingStore>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>

SelectionOverlayWindow::SelectionOverlayWindow(QScreen *screen)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                           | Qt::X11BypassWindowManagerHint | Qt::NoDropShadowWindowHint)
{
    setObjectName(QStringLiteral("selectionOverlay"));
    // A name for window lists and for tools that look windows up by name.
    setWindowTitle(QStringLiteral("Pixdrift selection"));
    setProperty(QtApplicationWindows::excludedProperty, true);
    setAttribute(Qt::WA_DeleteOnClose, false);
    // Bypassing the window manager keeps panels and placement rules from moving or shrinking
    // the overlay: it covers exactly the captured screen.
    setScreen(screen);
    setGeometry(screen->geometry());
    m_screen = screen;
    // On X11 the view paints straight onto the screen: a screen-sized buffer for a window shown
    // a few seconds a day would otherwise stay in memory for good.
    if (X11BandPainter::instance()) {
        m_paintsOnScreen = true;
        setAttribute(Qt::WA_PaintOnScreen);
        setAttribute(Qt::WA_NoSystemBackground);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
}

QPaintEngine *SelectionOverlayWindow::paintEngine() const
{
    return m_paintsOnScreen ? nullptr : QWidget::paintEngine();
}

void SelectionOverlayWindow::paintEvent(QPaintEvent *event)
{
    // The view covers the window; there is nothing of its own to paint.
    if (!m_paintsOnScreen)
        QWidget::paintEvent(event);
}

namespace {

bool onWayland()
{
    return QGuiApplication::platformName() == u"wayland";
}

} // namespace

void SelectionOverlayWindow::showOverScreen()
{
    if (!onWayland()) {
        show();
        raise();
        return;
    }
    // A Wayland window cannot place itself: it asks to fill an output. The compositor takes the
    // output from the native window, which must exist before it is told its screen.
    winId();
    if (windowHandle() && m_screen)
        windowHandle()->setScreen(m_screen);
    showFullScreen();
}

void SelectionOverlayWindow::setContent(QWidget *content)
{
    m_content = content;
    auto *view = qobject_cast<AreaSelectionView *>(content);
    if (m_paintsOnScreen && view) {
        view->paintOnScreen([](QWidget *widget, const QRegion &region, const AreaSelectionView::Draw &draw) {
            if (X11BandPainter *painter = X11BandPainter::instance())
                painter->paint(std::uint32_t(widget->winId()), region, widget->devicePixelRatioF(), draw);
        });
    }
    content->setParent(this);
    content->setGeometry(rect());
    content->setFocus();
}

void SelectionOverlayWindow::prepareBuffer()
{
    winId();
    if (m_paintsOnScreen) {
        // Only the native windows; what they show is painted in bands when they are.
        if (m_content)
            m_content->winId();
        return;
    }
    QBackingStore *store = backingStore();
    if (!store || isVisible())
        return;
    const QRect area = rect();
    store->resize(area.size());
    store->beginPaint(area);
    if (QPaintDevice *device = store->paintDevice()) {
        QPainter painter(device);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(area, Qt::black);
    }
    store->endPaint();
}

void SelectionOverlayWindow::resizeEvent(QResizeEvent *event)
{
    if (m_content)
        m_content->setGeometry(rect());
    QWidget::resizeEvent(event);
}

void SelectionOverlayWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_takesKeyboard)
        return;
    // A Wayland compositor gives the keyboard to the window it activates; no client may grab it.
    if (onWayland())
        activateWindow();
    else
        grabKeyboardWhenMapped(50);
}

void SelectionOverlayWindow::hideEvent(QHideEvent *event)
{
    if (m_keyboardGrabbed && windowHandle())
        windowHandle()->setKeyboardGrabEnabled(false);
    m_keyboardGrabbed = false;
    QWidget::hideEvent(event);
}

// X11 refuses a keyboard grab for a window that is not mapped yet, and the map happens a
// little after show(): try again for up to a second.
void SelectionOverlayWindow::grabKeyboardWhenMapped(int attemptsLeft)
{
    if (!isVisible() || m_keyboardGrabbed)
        return;
    activateWindow();
    if (windowHandle() && windowHandle()->setKeyboardGrabEnabled(true)) {
        m_keyboardGrabbed = true;
        if (m_content)
            m_content->setFocus();
        return;
    }
    if (attemptsLeft > 0)
        QTimer::singleShot(20, this, [this, attemptsLeft] { grabKeyboardWhenMapped(attemptsLeft - 1); });
}
