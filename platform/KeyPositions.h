#pragma once

#include <cstdint>
#include <optional>

// Keys by their place on the keyboard, not by what they type: the shortcut table's key codes
// (Apple keyboard positions) against XKB keycodes, the Linux input codes plus 8. X11 key grabs
// take them, and Qt's native scan codes are them on X11 and on Wayland alike. So "4" is the key
// that types 4 or $, on any layout.
[[nodiscard]] std::optional<std::uint8_t> xkbKeycodeForKeyCode(std::uint32_t keyCode);
[[nodiscard]] std::optional<std::uint16_t> keyCodeForXkbKeycode(std::uint32_t xkbKeycode);
