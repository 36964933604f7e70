#pragma once

#include <cstdint>
#include <optional>

// Keys by their place on the keyboard, not by what they type: the shortcut table's key codes
// (Apple keyboard positions) against X11 keycodes, which on every evdev or libinput server are
// the Linux input codes plus 8. So "4" is the key that types 4 or $, on any layout.
[[nodiscard]] std::optional<std::uint8_t> x11KeycodeForKeyCode(std::uint32_t keyCode);
[[nodiscard]] std::optional<std::uint16_t> keyCodeForX11Keycode(std::uint32_t x11Keycode);
