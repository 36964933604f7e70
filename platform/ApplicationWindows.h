#pragma once

#include <functional>

// The program's own top-level windows as the capture flow sees them: it gets them out of the
// way before a capture and brings them back afterwards. Menus, pop-ups, the tray icon and the
// selection overlay are not among them.
class ApplicationWindows
{
public:
    virtual ~ApplicationWindows() = default;

    // Whether any window is on screen, or was taken off it by hideApplication() or
    // orderOutMainWindow() and has not been shown since.
    [[nodiscard]] virtual bool anyVisible() const = 0;
    // Takes the visible main window off the screen without closing it.
    virtual void orderOutMainWindow() = 0;
    // Takes every visible window off the screen and remembers which.
    virtual void hideApplication() = 0;
    // Calls `done` once the windows just taken off the screen are gone from what a capture of
    // the screen sees: 0.3 s at most.
    virtual void whenTakenOff(std::function<void()> done) = 0;
    // Shows again the windows that hideApplication() took away.
    virtual void unhideApplication() = 0;
    // Brings the program to the front with keyboard focus.
    virtual void activateApplication() = 0;
    // Brings the first window of the program to the front with keyboard focus, if there is one.
    virtual void bringFirstWindowToFront() = 0;
    // Brings the main window to the front with keyboard focus, if it exists.
    virtual void bringMainWindowToFront() = 0;
};
