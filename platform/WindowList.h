#pragma once

#include <QList>
#include <QRect>
#include <QString>

#include <optional>

// A window on the desktop as the user sees it: its frame (decorations included) in device pixels,
// in the layout the screens' places are given in.
struct DesktopWindow
{
    QRect frame;
    bool minimised = false;
    // One of this program's own windows (the overlays, the main window).
    bool ours = false;
};

// Where the desktop's windows are, where the window system tells a program.
class WindowList
{
public:
    virtual ~WindowList() = default;
    // Mapped windows, topmost first.
    [[nodiscard]] virtual QList<DesktopWindow> windows() = 0;
    // The frame of the window the user works in: the active one, or the topmost of another
    // program's when ours is active.
    [[nodiscard]] virtual std::optional<QRect> activeWindow() = 0;
    // Where a program cannot place its own windows (Wayland), asks the compositor to put this
    // program's floating window titled `title` at `point` (the desktop's layout). False when it
    // could not, or the window is not there yet.
    [[nodiscard]] virtual bool moveOwnWindow(const QString &title, QPoint point)
    {
        Q_UNUSED(title);
        Q_UNUSED(point);
        return false;
    }
};
