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

// The two system-wide hot keys: number 1 starts an area capture, number 2 a full capture.
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
    // What a press of hot key 1 (area, `full` false) or 2 (full) starts, on a later turn of the
    // GUI thread's loop; set by the application.
    static void setPressHandler(std::function<void(bool full)> handler) { s_pressHandler = std::move(handler); }

    // On a Wayland desktop the keys are the desktop's: nothing is registered here, and `text` is
    // what the status line says about them instead. Empty (the start): the registrations apply.
    static void setDesktopKeysText(const QString &text) { s_desktopKeysText = text; }
    [[nodiscard]] static const QString &desktopKeysText() { return s_desktopKeysText; }

    // Where the desktop keeps keys in its own settings (GNOME), saved shortcuts are written there.
    // Null: none.
    static void setDesktopKeybindings(DesktopKeybindings *keybindings) { s_keybindings = keybindings; }
    [[nodiscard]] static DesktopKeybindings *desktopKeybindings() { return s_keybindings; }
    // Writes the two shortcuts into the desktop's settings, each running this program with
    // --area or --full, unless the desktop already uses one of the keys. With `takeOver` keys
    // the desktop's own screenshot tool holds are taken from it first. The status text.
    [[nodiscard]] static QString bindInDesktop(const QString &area, const QString &full, bool takeOver = false);
    // Those of the two shortcuts the desktop's own screenshot tool holds, in display form.
    [[nodiscard]] static QStringList heldByScreenshotTool(const QString &area, const QString &full);
    // Takes exactly our two shortcuts out of the desktop's settings, and gives the screenshot
    // tool back the keys taken from it. The status text.
    [[nodiscard]] static QString unbindInDesktop();

    // Replaces both registrations. True when both hot keys are registered and the handler is
    // installed; the two statuses below tell what went wrong otherwise.
    static bool install(const QString &area, const QString &full);

    // The status of the most recent refused registration; it stays until the next refusal.
    [[nodiscard]] static std::int32_t lastRegistrationError() { return s_lastRegistrationError; }
    // The status of the most recent attempt to install the press handler.
    [[nodiscard]] static std::int32_t handlerInstallError() { return s_handlerInstallError; }

    // The status line after an install: the success text followed by both shortcuts in display
    // form, or the failure text followed by the two statuses in parentheses; where the desktop
    // owns the keys, its text.
    [[nodiscard]] static QString outcomeText(bool installed, const char *successKey, const char *failureKey,
                                             const QString &area, const QString &full);

    // Receives every press: logs it and queues the press handler on the GUI thread.
    static std::int32_t eventCallback(const HotKeyEvent &event);

private:
    friend class ShortcutsTest;

    static bool registerShortcut(const QString &shortcut, std::uint32_t number, std::size_t slot);

    static inline HotKeyService *s_service = nullptr;
    static inline std::array<std::optional<HotKeyRef>, 2> s_refs;
    static inline bool s_handlerInstalled = false;
    static inline std::int32_t s_lastRegistrationError = 0;
    static inline std::int32_t s_handlerInstallError = 0;
    static inline QString s_desktopKeysText;
    static inline std::function<void(bool)> s_pressHandler;
    static inline DesktopKeybindings *s_keybindings = nullptr;
};
