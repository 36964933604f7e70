#include "overlay/AreaSelectionOverlay.h"

#include "overlay/AreaSelectionView.h"
#include "overlay/SelectionOverlayWindow.h"

#include <QGuiApplication>
#include <QScreen>

void AreaSelectionOverlay::present(const QImage &image, QScreen *screen, AreaSelectionHandler onFinish)
{
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen) {
        if (onFinish)
            onFinish(std::nullopt);
        return;
    }

    // A second overlay on top of the first would leave the first on screen for good.
    close();

    auto *window = new SelectionOverlayWindow(screen->geometry());
    window->setContent(new AreaSelectionView(image, std::move(onFinish)));
    s_window = window;
    window->show();
    window->raise();
    window->activateWindow();
}

void AreaSelectionOverlay::close()
{
    if (s_window)
        closeWindow(s_window);
}

void AreaSelectionOverlay::cancel()
{
    close();
}

void AreaSelectionOverlay::closeWindow(QWidget *window)
{
    if (!window)
        return;
    if (window == s_window)
        s_window.clear();
    window->hide();
    // Only overlay windows are ours to delete; a bare view in a test is its own window.
    if (qobject_cast<SelectionOverlayWindow *>(window))
        window->deleteLater();
}

SelectionOverlayWindow *AreaSelectionOverlay::window()
{
    return s_window.data();
}
