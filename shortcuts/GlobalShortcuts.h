#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// A key code and the modifier mask that goes with it.
struct ParsedShortcut
{
    std::uint32_t keyCode = 0;
    std::uint32_t modifiers = 0;
    friend bool operator==(const ParsedShortcut &, const ParsedShortcut &) = default;
};

// The system-wide hot keys. No instances: the registrations are process-wide state.
class GlobalShortcuts
{
public:
    GlobalShortcuts() = delete;

    // "control+option+command+4" → (21, 0x1900). Absent for anything that is not a key of the
    // table with at least one known modifier word; case is ignored, spaces are not trimmed.
    [[nodiscard]] static std::optional<ParsedShortcut> parse(const QString &shortcut);
};
