#pragma once

#include <QList>

#include <chrono>
#include <cstdint>
#include <functional>

struct xcb_connection_t;

// Knows when windows we unmapped have really left the screen. A window manager that reparents
// keeps its frame, with the title bar, up until it has seen the unmap; a compositing manager
// shows the change only in its next frame.
namespace X11WindowsGone {

// The window's frame: its ancestor that is a child of the root (the window itself without a
// reparenting window manager).
[[nodiscard]] std::uint32_t frameOf(xcb_connection_t *connection, std::uint32_t window);

// Calls `done` once none of `frames` is viewable any more and, where a compositing manager
// runs, one frame of `frameInterval` later; at `limit` at the latest.
void whenGone(xcb_connection_t *connection, QList<std::uint32_t> frames, std::chrono::milliseconds frameInterval,
              std::chrono::milliseconds limit, std::function<void()> done);

} // namespace X11WindowsGone
