#pragma once

#include <cstdint>
#include <functional>
#include <optional>

// System-wide hot keys in the shape of the classic event-manager calls: one handler for all
// presses, and registrations of a key code with a modifier mask (the key codes and masks of
// the shortcut table), each tagged with a four-character signature and a number.
namespace HotKeyStatus {
inline constexpr std::int32_t noError = 0;
inline constexpr std::int32_t internalError = -9868;    // no X11 connection to grab keys on
inline constexpr std::int32_t parameterNotFound = -9870; // a press without a hot-key identifier
inline constexpr std::int32_t notHandled = -9874;        // a press that is not ours
inline constexpr std::int32_t hotKeyExists = -9878;      // the combination is taken
inline constexpr std::int32_t hotKeyInvalid = -9879;     // the key does not exist on this keyboard
} // namespace HotKeyStatus

// The modifier bits of a registration.
namespace ShortcutMask {
inline constexpr std::uint32_t control = 0x1000;
inline constexpr std::uint32_t option = 0x0800;
inline constexpr std::uint32_t shift = 0x0200;
inline constexpr std::uint32_t command = 0x0100;
} // namespace ShortcutMask

struct HotKeyId
{
    std::uint32_t signature = 0;
    std::uint32_t number = 0;
};

// One press of a registered hot key. The identifier is missing when it could not be read.
struct HotKeyEvent
{
    std::optional<HotKeyId> id;
};

using HotKeyHandler = std::int32_t (*)(const HotKeyEvent &event);
using HotKeyRef = std::uint64_t;

class HotKeyService
{
public:
    virtual ~HotKeyService() = default;

    // Installs the one handler that receives every press.
    virtual std::int32_t installEventHandler(HotKeyHandler handler) = 0;
    // Registers a combination; on success `ref` identifies it for unregisterHotKey().
    virtual std::int32_t registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers, HotKeyId id,
                                        HotKeyRef *ref) = 0;
    virtual std::int32_t unregisterHotKey(HotKeyRef ref) = 0;

    // Where the desktop shows the keys in its own settings and the user changes them there (KDE's
    // System Settings): a registered hot key's id with its new key code and modifiers.
    std::function<void(HotKeyId id, std::uint32_t keyCode, std::uint32_t modifiers)> onChangedElsewhere;
};
