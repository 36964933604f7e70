#pragma once

#include "model/CaptureEnvironment.h"

#include <QHash>
#include <QList>
#include <QPointer>

class QScreen;
class QWidget;
class SelectionOverlayWindow;
class WindowList;

// Shows the area-selection overlay: one window on each frozen screen, all of them one overlay.
// At most one overlay at a time. The window of each screen is kept, hidden, between captures:
// a new one would need a new screen-sized buffer, and filling it costs more than everything
// else the overlay does.
class AreaSelectionOverlay
{
public:
    AreaSelectionOverlay() = delete;

    // Covers each screen with its image frozen under a dimmed layer. `onFinish` is called once,
    // with the selection (the screen it was made on and the rectangle in that image's pixels)
    // or with nothing when the user cancels on any screen; every window of the overlay closes
    // first. It is called at once with nothing when there is no screen at all.
    static void present(const QList<FrozenScreen> &screens, ScreensSelectionHandler onFinish);
    // Where the desktop's windows are, for a click to pick one; none where the desktop does not say.
    static void setWindowList(WindowList *windows) { s_windowList = windows; }
    // Makes the window of every screen, with its buffer, ahead of the first capture.
    static void prepare();
    // Takes the current overlay off the screen without calling its handler.
    static void close();
    static void cancel();
    // Takes `window` off the screen, and forgets it if it belongs to the current overlay.
    static void closeWindow(QWidget *window);

    // The windows of the current overlay, the one that holds the keyboard first.
    [[nodiscard]] static QList<SelectionOverlayWindow *> windows();
    [[nodiscard]] static SelectionOverlayWindow *window();

private:
    // The kept window of `screen`, made when missing and fitted to the screen.
    static SelectionOverlayWindow *windowFor(QScreen *screen);

    static inline QList<QPointer<SelectionOverlayWindow>> s_windows;
    static inline QHash<QScreen *, QPointer<SelectionOverlayWindow>> s_kept;
    static inline WindowList *s_windowList = nullptr;
};
