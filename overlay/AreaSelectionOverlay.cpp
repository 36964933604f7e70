#include "overlay/AreaSelectionOverlay.h"

#include "overlay/AreaSelectionView.h"
#include "overlay/SelectionOverlayWindow.h"
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

void AreaSelectionOverlay::present(const QList<FrozenScreen> &screens, ScreensSelectionHandler onFinish)
{
    // A second overlay on top of the first would leave the first on screen for good.
    close();

    auto group = std::make_shared<OverlayGroup>();
    group->onFinish = std::move(onFinish);
    for (qsizetype i = 0; i < screens.size(); ++i) {
        QScreen *screen = screens[i].screen ? screens[i].screen : QGuiApplication::primaryScreen();
        if (!screen)
            continue;
        auto *window = new SelectionOverlayWindow(screen);
        window->setContent(new AreaSelectionView(screens[i].image, [group, i](std::optional<QRect> rect) {
            if (std::exchange(group->finished, true))
                return;
            for (const QPointer<SelectionOverlayWindow> &w : std::as_const(group->windows))
                closeWindow(w);
            if (group->onFinish)
                group->onFinish(rect ? std::optional<AreaSelection>(AreaSelection{i, *rect}) : std::nullopt);
        }));
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
    // Only overlay windows are ours to delete; a bare view in a test is its own window.
    if (qobject_cast<SelectionOverlayWindow *>(window))
        window->deleteLater();
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
