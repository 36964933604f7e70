#include "ui/PinWindow.h"

#include "model/CaptureModel.h"
#include "text/tr.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QWindow>

#include <algorithm>
#include <cmath>

PinWindow::PinWindow(const QImage &image, CaptureModel &model)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_image(image)
    , m_model(model)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(::tr("Pixdrift") + QStringLiteral(" \u2013 ") + ::tr("action.pin"));
    setCursor(Qt::OpenHandCursor);
    setToolTip(::tr("pin.help"));
    // Pins stand on their own, and go with the program.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &QWidget::close);
    resizeToZoom();
}

void PinWindow::resizeToZoom()
{
    // One image pixel on one device pixel at 100 %, on the screen the pin is on.
    const qreal ratio = windowHandle() ? windowHandle()->devicePixelRatio() : devicePixelRatioF();
    setFixedSize((QSizeF(m_image.size()) * m_zoom / ratio).toSize().expandedTo(QSize(8, 8)));
    update();
}

void PinWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_zoom == 1.0) {
        // Pixel for pixel, even where the window's size in points rounds at a fractional scale.
        painter.scale(1 / devicePixelRatioF(), 1 / devicePixelRatioF());
        painter.drawImage(QPoint(0, 0), m_image);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, m_zoom < 1);
    painter.drawImage(rect(), m_image);
}

void PinWindow::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // The window system moves it where it can (Wayland lets no program place its windows).
    if (windowHandle() && windowHandle()->startSystemMove())
        return;
    m_grab = event->globalPosition() - QPointF(pos());
    setCursor(Qt::ClosedHandCursor);
}

void PinWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (m_grab)
        move((event->globalPosition() - *m_grab).toPoint());
}

void PinWindow::mouseReleaseEvent(QMouseEvent *)
{
    m_grab.reset();
    setCursor(Qt::OpenHandCursor);
}

void PinWindow::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        close();
}

bool PinWindow::event(QEvent *event)
{
    // Its keys are its own, not the main window's shortcuts.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape || key->matches(QKeySequence::Copy)) {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

void PinWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        m_model.writeOut(m_image, true);
        return;
    }
    QWidget::keyPressEvent(event);
}

void PinWindow::wheelEvent(QWheelEvent *event)
{
    const int notches = event->angleDelta().y() / 120;
    if (notches == 0)
        return;
    if (event->modifiers() & Qt::ControlModifier) {
        setWindowOpacity(std::clamp(windowOpacity() + notches * 0.1, minimumOpacity, 1.0));
        return;
    }
    // In steps of 10 %, about the top-left corner.
    m_zoom = std::clamp(std::round(m_zoom * 10 + notches) / 10, minimumZoom, maximumZoom);
    resizeToZoom();
}

void PinWindow::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    menu.addAction(::tr("action.copy"), this, [this] { m_model.writeOut(m_image, true); });
    menu.addAction(::tr("action.save"), this, [this] { m_model.writeOut(m_image, false); });
    menu.addSeparator();
    menu.addAction(::tr("pin.close"), this, &QWidget::close);
    menu.exec(event->globalPos());
}
