#pragma once

#include "platform/WindowList.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>

// The windows an X11 window manager lists, from the stacking order it publishes, with the frames
// it draws around them.
class X11WindowList : public WindowList
{
public:
    X11WindowList();
    ~X11WindowList() override;
    X11WindowList(const X11WindowList &) = delete;
    X11WindowList &operator=(const X11WindowList &) = delete;

    [[nodiscard]] QList<DesktopWindow> windows() override;
    [[nodiscard]] std::optional<QRect> activeWindow() override;

private:
    [[nodiscard]] std::uint32_t atom(const char *name) const;
    // The CARDINAL or WINDOW values of a property; empty when it is not set.
    [[nodiscard]] QList<std::uint32_t> property(xcb_window_t window, std::uint32_t name, std::uint32_t type) const;
    [[nodiscard]] std::optional<DesktopWindow> describe(xcb_window_t window) const;
    // The window's frame on the root: its area grown by the frame the manager says it draws, or
    // the manager's own parent window around it.
    [[nodiscard]] std::optional<QRect> frameOf(xcb_window_t window) const;

    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_root = 0;
};
