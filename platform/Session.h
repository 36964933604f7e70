#pragma once

// Whether the desktop session is a Wayland one: then the screen and the keys belong to the
// compositor, even for a program that runs through XWayland, and only the desktop's own ways
// (its portals, wlr-screencopy, keys bound in its settings) reach them.
[[nodiscard]] bool isWaylandSession();
