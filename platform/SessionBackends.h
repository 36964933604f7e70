#pragma once

#include <QAbstractNativeEventFilter>

#include <functional>
#include <memory>

class DesktopKeybindings;
class DesktopShortcuts;
class HotKeyService;
class ScrollInput;
class ScreenCaptureService;
class WindowList;

// Whether the desktop session is a Wayland one: then the screen and the keys belong to the
// compositor, even for a program that runs through XWayland, and only the desktop's own ways
// (its portals, wlr-screencopy, keys bound in its settings) reach them.
[[nodiscard]] bool isWaylandSession();

// The services of the desktop session the program runs in. Members the session has no way for
// are empty.
struct SessionBackends
{
    SessionBackends();
    SessionBackends(SessionBackends &&) noexcept;
    SessionBackends &operator=(SessionBackends &&) noexcept;
    ~SessionBackends();

    std::unique_ptr<ScreenCaptureService> screenCapture;
    // Keys the program grabs itself.
    std::unique_ptr<HotKeyService> hotKeys;
    // Keys the desktop binds for the program.
    std::unique_ptr<DesktopShortcuts> desktopShortcuts;
    // Keys written into the desktop's own settings.
    std::unique_ptr<DesktopKeybindings> desktopKeybindings;
    // Where the desktop asks the user once before the first screenshot (GNOME), in a dialog it
    // shows only for the window in front: whether that answer is still to come, and how to
    // forget a refusal when the user asks to be asked again. Empty elsewhere.
    std::function<bool()> screenPermissionPending;
    std::function<bool()> forgetScreenRefusal;
    // Where the windows are, where the window system says.
    std::unique_ptr<WindowList> windowList;
    // Turns the wheel for a scrolling capture, where a program may send input.
    std::unique_ptr<ScrollInput> scrollInput;
    // Records the pointer's exact positions as the window system reports them.
    std::unique_ptr<QAbstractNativeEventFilter> pointerFilter;
};

// The one place that chooses the services for the session: a new desktop is a folder of its
// own under platform/ and a branch here.
[[nodiscard]] SessionBackends chooseSessionBackends();
