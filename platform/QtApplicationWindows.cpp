#include "platform/QtApplicationWindows.h"

#include "platform/x11/X11WindowsGone.h"

#include <QApplication>
#include <QBackingStore>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

// Qt draws the tray icon in a top-level widget of its own that the tray embeds; hiding it
// would take the icon out of the tray for good.
bool isTrayIcon(const QWidget *widget)
{
    return widget->inherits("QSystemTrayIconSys") || widget->objectName() == QLatin1String("QSystemTrayIconSys");
}

// What the window system takes at most to get a window off the screen, close animations
// included.
constexpr std::chrono::milliseconds longestTakeOff{300};

xcb_connection_t *x11Connection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

std::chrono::milliseconds frameInterval()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const qreal rate = screen && screen->refreshRate() >= 20 ? screen->refreshRate() : 60;
    return std::chrono::milliseconds(int(std::ceil(1000 / rate)));
}

bool onSway()
{
    return QGuiApplication::platformName() == QLatin1String("wayland") && !qEnvironmentVariableIsEmpty("SWAYSOCK");
}

} // namespace

namespace {

class BufferRelease : public QObject
{
public:
    BufferRelease(QWidget *window, std::chrono::milliseconds after)
        : QObject(window), m_window(window)
    {
        m_timer.setSingleShot(true);
        m_timer.setInterval(after);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (!m_window->isVisible() && m_window->backingStore())
                m_window->backingStore()->resize(QSize(1, 1));
        });
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Hide)
            m_timer.start();
        else if (watched == m_window && event->type() == QEvent::Show)
            m_timer.stop();
        return false;
    }

private:
    QWidget *m_window;
    QTimer m_timer;
};

} // namespace

void QtApplicationWindows::releaseBufferWhileHidden(QWidget *window, std::chrono::milliseconds after)
{
    new BufferRelease(window, after);
}

QList<QWidget *> QtApplicationWindows::windows()
{
    QList<QWidget *> result;
    const QWidgetList all = QApplication::topLevelWidgets();
    for (QWidget *widget : all) {
        const Qt::WindowType type = widget->windowType();
        if (!widget->isWindow() || type == Qt::Popup || type == Qt::ToolTip || type == Qt::Desktop
            || widget->property(excludedProperty).toBool() || isTrayIcon(widget))
            continue;
        result.append(widget);
    }
    return result;
}

QWidget *QtApplicationWindows::mainWindow()
{
    const QList<QWidget *> all = windows();
    const auto found = std::find_if(all.begin(), all.end(),
                                    [](QWidget *w) { return w->objectName() == QLatin1String("main"); });
    return found != all.end() ? *found : nullptr;
}

bool QtApplicationWindows::anyVisible() const
{
    // A window an earlier, superseded capture took away still counts: otherwise nothing would
    // ever bring it back.
    auto away = [](const QPointer<QWidget> &w) { return w && !w->isVisible(); };
    if (std::any_of(m_hidden.begin(), m_hidden.end(), away)
        || std::any_of(m_orderedOut.begin(), m_orderedOut.end(), away))
        return true;
    const QList<QWidget *> all = windows();
    return std::any_of(all.begin(), all.end(), [](QWidget *w) { return w->isVisible(); });
}

void QtApplicationWindows::takeOffScreen(QWidget *window, QList<QPointer<QWidget>> &list)
{
    if (!list.contains(window)) {
        list.append(window);
        window->installEventFilter(this);
        connect(window, &QObject::destroyed, this, [this, window] { m_geometry.remove(window); });
    }
    // Where the window is now, as the user may have arranged it: the window manager would
    // place it anew when it is shown again.
    m_geometry.insert(window, window->geometry());
    if (xcb_connection_t *connection = x11Connection(); connection && window->testAttribute(Qt::WA_WState_Created))
        m_frames.append(X11WindowsGone::frameOf(connection, std::uint32_t(window->winId())));
    window->hide();
}

void QtApplicationWindows::orderOutMainWindow()
{
    QWidget *main = mainWindow();
    if (main && main->isVisible())
        takeOffScreen(main, m_orderedOut);
}

void QtApplicationWindows::hideApplication()
{
    const QList<QWidget *> all = windows();
    for (QWidget *window : all) {
        if (window->isVisible())
            takeOffScreen(window, m_hidden);
    }
}

void QtApplicationWindows::whenTakenOff(std::function<void()> done)
{
    if (xcb_connection_t *connection = x11Connection()) {
        X11WindowsGone::whenGone(connection, std::exchange(m_frames, {}), frameInterval(), longestTakeOff,
                                 std::move(done));
        return;
    }
    // sway animates nothing: the frame after the one our requests reach it in has the windows
    // gone. GNOME and KDE play a close animation that no client can see the end of.
    QTimer::singleShot(onSway() ? 2 * frameInterval() : longestTakeOff, this, std::move(done));
}

void QtApplicationWindows::unhideApplication()
{
    const QList<QPointer<QWidget>> hidden = std::exchange(m_hidden, {});
    for (const QPointer<QWidget> &window : hidden) {
        if (window)
            window->show();
    }
}

void QtApplicationWindows::activateApplication()
{
    const QList<QWidget *> all = windows();
    const auto visible = std::find_if(all.begin(), all.end(), [](QWidget *w) { return w->isVisible(); });
    if (visible != all.end() && !QApplication::activeWindow())
        bringToFront(*visible);
}

void QtApplicationWindows::bringFirstWindowToFront()
{
    const QList<QWidget *> all = windows();
    if (!all.isEmpty())
        bringToFront(all.first());
}

void QtApplicationWindows::bringMainWindowToFront()
{
    if (QWidget *main = mainWindow())
        bringToFront(main);
}

void QtApplicationWindows::bringToFront(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

bool QtApplicationWindows::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show) {
        auto *window = static_cast<QWidget *>(watched);
        // Moved before it is mapped, so the window manager keeps the place.
        if (const auto saved = m_geometry.find(window); saved != m_geometry.end()) {
            window->setGeometry(*saved);
            m_geometry.erase(saved);
        }
        auto same = [watched](const QPointer<QWidget> &w) { return w == watched; };
        m_hidden.removeIf(same);
        m_orderedOut.removeIf(same);
        watched->removeEventFilter(this);
    }
    return QObject::eventFilter(watched, event);
}
