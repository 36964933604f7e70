#pragma once

#include "platform/HotKeyService.h"

class DesktopKeybindings;

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

// A key code and the modifier mask that goes with it.
struct ParsedShortcut
{
    std::uint32_t keyCode = 0;
    std::uint32_t modifiers = 0;
    friend bool operator==(const ParsedShortcut &, const ParsedShortcut &) = default;
};

// What a system-wide hot key starts. Hot key number n starts action n - 1.
enum class HotKeyAction : std::uint8_t { area, full, window };
inline constexpr std::size_t hotKeyActionCount = 3;
// One shortcut per action, in the order of the actions.
using ShortcutSet = std::array<QString, hotKeyActionCount>;
inline constexpr std::array<HotKeyAction, hotKeyActionCount> hotKeyActions{HotKeyAction::area, HotKeyAction::full,
                                                                          HotKeyAction::window};
[[nodiscard]] constexpr std::size_t indexOf(HotKeyAction action) { return std::size_t(action); }
// The action's word, as the command line's option and the desktops' shortcut ids spell it:
// "area", "full" or "window".
[[nodiscard]] QString wordFor(HotKeyAction action);
// The action's name in the text tables, e.g. "capture.area".
[[nodiscard]] const char *textKeyFor(HotKeyAction action);

// The system-wide hot keys: an area capture, a full capture and a window capture.
// No instances: the registrations are process-wide state, touched on the GUI thread only.
class GlobalShortcuts
{
public:
    GlobalShortcuts() = delete;

    static constexpr std::uint32_t signature = 0x50584452; // 'PXDR'

    // "control+option+command+4" → (21, 0x1900). Absent for anything that is not a key of the
    // table with at least one known modifier word; case is ignored, spaces are not trimmed.
    [[nodiscard]] static std::optional<ParsedShortcut> parse(const QString &shortcut);

    // The service presses come from; set once at start-up (tests set a fake).
    static void setService(HotKeyService *service);
    // What a press starts, on a later turn of the GUI thread's loop; set by the application.
    static void setPressHandler(std::function<void(HotKeyAction action)> handler) { s_pressHandler = std::move(handler); }

    // On a Wayland desktop the keys are the desktop's: nothing is registered here, and `text` is
    // what the status line says about them instead. Empty (the start): the registrations apply.
    static void setDesktopKeysText(const QString &text) { s_desktopKeysText = text; }
    [[nodiscard]] static const QString &desktopKeysText() { return s_desktopKeysText; }

    // Where the desktop keeps keys in its own settings (GNOME), saved shortcuts are written there.
    // Null: none.
    static void setDesktopKeybindings(DesktopKeybindings *keybindings) { s_keybindings = keybindings; }
    [[nodiscard]] static DesktopKeybindings *desktopKeybindings() { return s_keybindings; }
    // Writes the shortcuts into the desktop's settings, each running this program with --area,
    // --full or --window, unless the desktop already uses one of the keys. With `takeOver` keys
    // the desktop's own screenshot tool holds are taken from it first. The status text.
    [[nodiscard]] static QString bindInDesktop(const ShortcutSet &shortcuts, bool takeOver = false);
    // Those of the shortcuts the desktop's own screenshot tool holds, in display form.
    [[nodiscard]] static QStringList heldByScreenshotTool(const ShortcutSet &shortcuts);
    // Takes exactly our shortcuts out of the desktop's settings, and gives the screenshot
    // tool back the keys taken from it. The status text.
    [[nodiscard]] static QString unbindInDesktop();

    // Replaces every registration. True when every hot key is registered and the handler is
    // installed; the two statuses below tell what went wrong otherwise.
    static bool install(const ShortcutSet &shortcuts);

    // The status of the most recent refused registration; it stays until the next refusal.
    [[nodiscard]] static std::int32_t lastRegistrationError() { return s_lastRegistrationError; }
    // The status of the most recent attempt to install the press handler.
    [[nodiscard]] static std::int32_t handlerInstallError() { return s_handlerInstallError; }

    // The status line after an install: the success text followed by the shortcuts in display
    // form, or the failure text followed by the two statuses in parentheses; where the desktop
    // owns the keys, its text.
    [[nodiscard]] static QString outcomeText(bool installed, const char *successKey, const char *failureKey,
                                             const ShortcutSet &shortcuts);
    // The shortcuts in display form, in one line.
    [[nodiscard]] static QString prettyShortcuts(const ShortcutSet &shortcuts);

    // Receives every press: logs it and queues the press handler on the GUI thread.
    static std::int32_t eventCallback(const HotKeyEvent &event);

private:
    friend class ShortcutsTest;

    static bool registerShortcut(const QString &shortcut, std::size_t slot);

    static inline HotKeyService *s_service = nullptr;
    static inline std::array<std::optional<HotKeyRef>, hotKeyActionCount> s_refs;
    static inline bool s_handlerInstalled = false;
    // The set held whole, and by which service.
    static inline std::optional<ShortcutSet> s_installed;
    static inline HotKeyService *s_installedFor = nullptr;
    static inline std::int32_t s_lastRegistrationError = 0;
    static inline std::int32_t s_handlerInstallError = 0;
    static inline QString s_desktopKeysText;
    static inline std::function<void(HotKeyAction)> s_pressHandler;
    static inline DesktopKeybindings *s_keybindings = nullptr;
};
