#include "overlay/SelectionOverlayWindow.h"

#include "platform/QtApplicationWindows.h"

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
    content->setParent(this);
    content->setGeometry(rect());
    content->setFocus();
}

void SelectionOverlayWindow::prepareBuffer()
{
    winId();
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
