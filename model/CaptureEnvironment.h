#pragma once

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QRect>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class ApplicationWindows;
class SavePanel;
class ScrollInput;
class ScrollPanel;
class QScreen;
class ScreenCaptureService;

// The rectangle the user selected, in image pixels with a top-left origin, or nothing when the
// selection was cancelled.
using AreaSelectionHandler = std::function<void(std::optional<QRect>)>;

// One screen frozen for an area capture: what it showed, and the screen to show it on again
// (the primary screen when null), with its scale.
struct FrozenScreen
{
    QImage image;
    QScreen *screen = nullptr;
    // The screen's device pixels per point.
    double scale = 1.0;
    // The window system's name for the screen, and its place among the screens in device pixels.
    QString name = {};
    QRect pixelRect = {};
    // The capture service's number for it.
    std::uint32_t displayId = 0;
};

// A selection made on one of several frozen screens: the screen's place in the list, and the
// rectangle in that screen's image pixels.
struct AreaSelection
{
    qsizetype screen = 0;
    QRect rect;
};
using ScreensSelectionHandler = std::function<void(std::optional<AreaSelection>)>;

// What the capture flow needs from outside the model. The application fills it in at start-up;
// tests fill it with fakes. Every member may be empty.
struct CaptureEnvironment
{
    ScreenCaptureService *screenCapture = nullptr;
    ApplicationWindows *windows = nullptr;
    // Shows every frozen screen under an overlay of its own and calls the handler once, when the
    // user has selected on one of them or cancelled.
    std::function<void(const QList<FrozenScreen> &, ScreensSelectionHandler)> presentOverlay = {};
    // Opens the main window and brings it forward.
    std::function<void()> openMain = {};
    // Asks where to save.
    SavePanel *savePanel = nullptr;
    // Where the desktop asks the user before the first screenshot, in a dialog only the window in
    // front gets: puts the question and runs `capture` once the answer is yes. True when it took
    // the capture over; empty or false: capture at once.
    std::function<bool(std::function<void()> capture)> askFirst = {};
    // The display number of the screen under the pointer, 0 where the window system does not
    // tell; a full capture takes that screen.
    std::function<std::uint32_t()> screenUnderPointer = {};
    // The frame of the window the user works in, in device pixels as the screens are laid out;
    // empty where the desktop does not tell a program where windows are.
    std::function<std::optional<QRect>()> activeWindow = {};
    // Says where a capture went without the window (a desktop notification): the text, and the
    // folder it offers to open (empty: none).
    std::function<void(const QString &text, const QString &folder)> notify = {};
    // Turns the wheel over a window, where the window system lets a program; null elsewhere.
    ScrollInput *scrollInput = nullptr;
    // Shows the frame around `area` (pixels of `screen`) and the panel of a scrolling capture,
    // whose Done and Cancel call `done` and `cancel`; destroying it closes them.
    std::function<std::unique_ptr<ScrollPanel>(const FrozenScreen &screen, const QRect &area, std::function<void()> done,
                                               std::function<void()> cancel)>
        presentScrollPanel = {};
    // Whether the desktop lays its screens out in points (Wayland) rather than in pixels (X11):
    // how a region given on the command line is read.
    bool desktopInPoints = false;
    // The time for proposed file names; the current time when empty.
    std::function<QDateTime()> clock = {};
};
