#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the command line asks for. A start that only prints (help, version, a mistake) carries
// the text and the exit status; everything else runs or reaches the program.
struct CommandLine
{
    // Service: started by the session bus for a launcher's call, which says what to do.
    enum class Action { Open, CaptureArea, CaptureFull, CaptureLast, CaptureWindow, Service };

    Action action = Action::Open;
    // A full capture's screen by name, or "all" (--screen); empty for the one under the pointer.
    QString screen;
    // Seconds to wait before the capture (--delay), 0 for none.
    int delay = 0;
    std::optional<int> exitCode;
    QString output;    // for standard output
    QString errorText; // for standard error

    [[nodiscard]] static CommandLine parse(const QStringList &arguments);
};
