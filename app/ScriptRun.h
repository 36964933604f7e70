#pragma once

#include "app/CommandLine.h"

#include <optional>

class PixdriftApp;

// A capture from the command line for a script (--clipboard, --output, --region): the running
// Pixdrift does it when there is one, this process otherwise. Both end with the exit status: 0
// delivered, 1 cancelled or failed (one line on standard error).
namespace ScriptRun {

// Asks the running Pixdrift and waits for its answer; none when no Pixdrift runs.
[[nodiscard]] std::optional<int> onRunning(const CommandLine &command);

// Does the capture in this process. With --clipboard the picture stays on offer after the
// command has ended, as clipboard tools keep it: a process of its own holds it until another
// program takes the clipboard over.
[[nodiscard]] int here(PixdriftApp &app, const CommandLine &command, char *argv[]);

} // namespace ScriptRun
