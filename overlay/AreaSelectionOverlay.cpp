#include "overlay/AreaSelectionOverlay.h"

#include "overlay/AreaSelectionView.h"
#include "overlay/SelectionOverlayWindow.h"
#include "overlay/WindowPick.h"
#include "platform/Trace.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <memory>

namespace {

// The windows of one overlay and its handler, shared by its views: whichever finishes first
// closes them all.
struct OverlayGroup
{
    QList<QPointer<SelectionOverlayWindow>> windows;
    ScreensSelectionHandler onFinish;
    bool finished = false;
};

} // namespace

SelectionOverlayWindow *AreaSelectionOverlay::windowFor(QScreen *screen)
{
    QPointer<SelectionOverlayWindow> &kept = s_kept[screen];
    if (!kept) {
        kept = new SelectionOverlayWindow(screen);
        // A screen that goes away takes its window along.
        QObject::connect(screen, &QObject::destroyed, kept, [screen] { delete s_kept.take(screen); });
    }
    if (kept->geometry() != screen->geometry())
        kept->setGeometry(screen->geometry());
    return kept;
}

void AreaSelectionOverlay::prepare()
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *screen : screens) {
        SelectionOverlayWindow *window = windowFor(screen);
        if (!window->content())
            window->setContent(new AreaSelectionView(QImage(), {}));
        window->prepareBuffer();
    }
}

void AreaSelectionOverlay::present(const QList<FrozenScreen> &screens, ScreensSelectionHandler onFinish)
{
    // A second overlay on top of the first would leave the first on screen for good.
    close();

    auto group = std::make_shared<OverlayGroup>();
    group->onFinish = std::move(onFinish);
    // The windows as they stand now, over the frozen screens: a click picks one.
    const QList<DesktopWindow> windows = s_windowList ? s_windowList->windows() : QList<DesktopWindow>();
    for (qsizetype i = 0; i < screens.size(); ++i) {
        QScreen *screen = screens[i].screen ? screens[i].screen : QGuiApplication::primaryScreen();
        if (!screen)
            continue;
        AreaSelectionHandler finished = [group, i](std::optional<QRect> rect) {
            if (std::exchange(group->finished, true))
                return;
            for (const QPointer<SelectionOverlayWindow> &w : std::as_const(group->windows))
                closeWindow(w);
            if (group->onFinish)
                group->onFinish(rect ? std::optional<AreaSelection>(AreaSelection{i, *rect}) : std::nullopt);
        };
        SelectionOverlayWindow *window = windowFor(screen);
        // Two images for one screen (a test's, or screens Qt could not tell apart): the second
        // gets a window of its own, deleted when it closes.
        if (group->windows.contains(window))
            window = new SelectionOverlayWindow(screen);
        auto *view = qobject_cast<AreaSelectionView *>(window->content());
        if (view) {
            view->setImage(screens[i].image, std::move(finished));
        } else {
            view = new AreaSelectionView(screens[i].image, std::move(finished));
            window->setContent(view);
        }
        if (!screens[i].pixelRect.isEmpty())
            view->setWindows(WindowPick::onScreen(windows, screens[i].pixelRect));
        group->windows.append(window);
    }
    if (group->windows.isEmpty()) {
        if (group->onFinish)
            group->onFinish(std::nullopt);
        return;
    }

    // One window holds the keyboard for all, so Escape works wherever the user looks: the one
    // under the pointer, where the user is most likely to start.
    QScreen *pointerScreen = QGuiApplication::screenAt(QCursor::pos());
    const auto keyboard = std::find_if(group->windows.begin(), group->windows.end(),
                                       [pointerScreen](const auto &w) { return w->screen() == pointerScreen; });
    if (keyboard != group->windows.end() && keyboard != group->windows.begin())
        std::iter_swap(group->windows.begin(), keyboard);
    traceStage("overlay-windows");
    s_windows = group->windows;
    for (qsizetype i = 0; i < s_windows.size(); ++i)
        s_windows[i]->setTakesKeyboard(i == 0);
    for (qsizetype i = s_windows.size() - 1; i >= 0; --i)
        s_windows[i]->showOverScreen();
    s_windows.first()->activateWindow();
}

void AreaSelectionOverlay::close()
{
    const QList<QPointer<SelectionOverlayWindow>> windows = s_windows;
    for (const QPointer<SelectionOverlayWindow> &window : windows)
        closeWindow(window);
}

void AreaSelectionOverlay::cancel()
{
    close();
}

void AreaSelectionOverlay::closeWindow(QWidget *window)
{
    if (!window)
        return;
    s_windows.removeIf([window](const QPointer<SelectionOverlayWindow> &w) { return !w || w == window; });
    window->hide();
    // Kept windows wait for the next capture; other overlay windows go. A bare view in a test is
    // its own window and not ours to delete.
    auto *overlay = qobject_cast<SelectionOverlayWindow *>(window);
    if (overlay && !std::any_of(s_kept.cbegin(), s_kept.cend(), [overlay](const auto &w) { return w == overlay; }))
        overlay->deleteLater();
}

QList<SelectionOverlayWindow *> AreaSelectionOverlay::windows()
{
    QList<SelectionOverlayWindow *> result;
    for (const QPointer<SelectionOverlayWindow> &window : s_windows) {
        if (window)
            result.append(window);
    }
    return result;
}

SelectionOverlayWindow *AreaSelectionOverlay::window()
{
    const QList<SelectionOverlayWindow *> all = windows();
    return all.isEmpty() ? nullptr : all.first();
}
