#pragma once

#include "platform/HotKeyService.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <span>

// A shortcut is kept everywhere as text: lower-case modifier words joined by "+", then one key
// name, e.g. "control+option+command+4". Key codes are the hardware key codes of the Apple
// keyboard layout and masks are the classic event-manager modifier bits; the X11 adapters
// translate both.

struct KeyTableEntry
{
    const char *name;
    std::uint16_t code;
};

// The 39 main keys, the 12 function keys and Print, in the table's own order.
[[nodiscard]] std::span<const KeyTableEntry> mainKeys();
[[nodiscard]] std::span<const KeyTableEntry> functionKeys();
[[nodiscard]] std::span<const KeyTableEntry> otherKeys();
// Print is the screenshot key on Linux: the one key that makes a shortcut alone.
inline constexpr std::uint16_t printKeyCode = 0x69;

// "control"/"ctrl", "option"/"alt", "shift", "command"/"cmd"/"meta" → its mask; matched exactly.
[[nodiscard]] std::optional<std::uint32_t> modifierMaskForWord(const QString &word);

// Name → code, main keys first. Names are matched exactly (callers lower-case first).
[[nodiscard]] std::optional<std::uint32_t> keyCodeForName(const QString &name);
// Code → name, for the recorder; nothing for a key that cannot be part of a shortcut.
[[nodiscard]] std::optional<QString> keyNameForCode(std::uint16_t code);

// The stored form of a key code and modifier mask: (0x15, control|option|command) →
// "control+option+command+4". Empty for a key that cannot be part of a shortcut.
[[nodiscard]] QString shortcutFor(std::uint16_t keyCode, std::uint32_t modifiers);

// The display form, as Linux desktops show keys: "control+option+command+4" →
// "Ctrl+Alt+Super+4", "shift+control+f5" → "Ctrl+Shift+F5". Unknown words are left out.
[[nodiscard]] QString prettyShortcut(const QString &shortcut);
// The form the desktop's GlobalShortcuts portal takes a trigger in: "control+option+command+4" →
// "CTRL+ALT+LOGO+4", "shift+control+f5" → "CTRL+SHIFT+F5".
[[nodiscard]] QString portalTrigger(const QString &shortcut);
// The form GNOME's keyboard settings take: "control+option+command+4" → "<Control><Alt><Super>4",
// "shift+print" → "<Shift>Print".
[[nodiscard]] QString gnomeAccelerator(const QString &shortcut);
