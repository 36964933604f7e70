#pragma once

#include <QPoint>

// Turns the mouse wheel for the user, over the window under a point. Only where the window system
// lets a program send input (X11's XTest); a scrolling capture elsewhere asks the user to scroll.
class ScrollInput
{
public:
    virtual ~ScrollInput() = default;
    // `clicks` notches down (up when negative) with the pointer at `pixel`, in device pixels as
    // the screens are laid out. False when the window system refused.
    [[nodiscard]] virtual bool scroll(QPoint pixel, int clicks) = 0;
    // The pointer goes back where it was before the first scroll.
    virtual void restorePointer() = 0;
};
