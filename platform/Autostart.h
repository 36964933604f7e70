#pragma once

#include <QString>

// Starting at login the XDG way: a desktop entry in the user's autostart folder, present while
// the program should start with the session.
namespace Autostart {

// "$XDG_CONFIG_HOME/autostart/pixdrift.desktop".
[[nodiscard]] QString entryPath();
[[nodiscard]] bool isEnabled();
// Writes the entry (starting this very program) or removes it. An empty text on success,
// else what went wrong.
[[nodiscard]] QString setEnabled(bool enabled);

} // namespace Autostart
