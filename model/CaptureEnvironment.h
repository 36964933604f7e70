#pragma once

#include <QDateTime>
#include <QImage>
#include <QRect>

#include <functional>
#include <optional>

class ApplicationWindows;
class SavePanel;
class QScreen;
class ScreenCaptureService;

// The rectangle the user selected, in image pixels with a top-left origin, or nothing when the
// selection was cancelled.
using AreaSelectionHandler = std::function<void(std::optional<QRect>)>;

// What the capture flow needs from outside the model. The application fills it in at start-up;
// tests fill it with fakes. Every member may be empty.
struct CaptureEnvironment
{
    ScreenCaptureService *screenCapture = nullptr;
    ApplicationWindows *windows = nullptr;
    // Shows the frozen image over `screen` (or the primary screen when null) and calls the
    // handler once the user has selected or cancelled.
    std::function<void(const QImage &, QScreen *, AreaSelectionHandler)> presentOverlay = {};
    // Opens the main window and brings it forward.
    std::function<void()> openMain = {};
    // Asks where to save.
    SavePanel *savePanel = nullptr;
    // The time for proposed file names; the current time when empty.
    std::function<QDateTime()> clock = {};
};
