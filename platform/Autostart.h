#pragma once

#include <QString>

// Starting at login the XDG way: a desktop entry in the user's autostart folder, present while
// the program should start with the session.
namespace Autostart {

// "$XDG_CONFIG_HOME/autostart/app.pixdrift.Pixdrift.desktop".
[[nodiscard]] QString entryPath();
// Also an entry under the name earlier versions used, "pixdrift.desktop".
[[nodiscard]] bool isEnabled();
// Writes the entry (starting this very program) or removes it, and removes one under the
// earlier name. An empty text on success, else what went wrong.
[[nodiscard]] QString setEnabled(bool enabled);

} // namespace Autostart
