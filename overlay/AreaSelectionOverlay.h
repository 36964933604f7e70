#pragma once

#include "model/CaptureEnvironment.h"

#include <QPointer>

class QScreen;
class QWidget;
class SelectionOverlayWindow;

// Shows the area-selection overlay; at most one at a time.
class AreaSelectionOverlay
{
public:
    AreaSelectionOverlay() = delete;

    // Covers `screen` (the primary screen when null) with `image` frozen under a dimmed layer.
    // `onFinish` is called once, with the selection in image pixels or with nothing when the
    // user cancels; at once with nothing when there is no screen at all.
    static void present(const QImage &image, QScreen *screen, AreaSelectionHandler onFinish);
    // Takes the current overlay off the screen without calling its handler.
    static void close();
    static void cancel();
    // Takes `window` off the screen, and forgets it if it is the current overlay.
    static void closeWindow(QWidget *window);

    [[nodiscard]] static SelectionOverlayWindow *window();

private:
    static inline QPointer<SelectionOverlayWindow> s_window;
};
