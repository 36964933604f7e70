#pragma once

#include <QRect>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <optional>

// What the command line asks for. A start that only prints (help, version, a mistake) carries
// the text and the exit status; everything else runs or reaches the program.
struct CommandLine
{
    // Service: started by the session bus for a launcher's call, which says what to do.
    enum class Action { Open, CaptureArea, CaptureFull, CaptureLast, CaptureWindow, Service, CaptureRegion };

    Action action = Action::Open;
    // A full capture's screen by name, or "all" (--screen); empty for the one under the pointer.
    QString screen;
    // Seconds to wait before the capture (--delay), 0 for none.
    int delay = 0;
    // A rectangle of the desktop to capture without the overlay (--region).
    std::optional<QRect> region;
    // For scripts: the result on the clipboard (--clipboard), or written to a file, a folder or
    // "-" for standard output (--output), instead of the window.
    bool clipboard = false;
    QString outputPath;
    // The text in the capture instead of the picture (--ocr): on standard output, or on the
    // clipboard with --clipboard.
    bool ocr = false;
    // The area's content scrolled and captured whole (--scroll), the user scrolling (--manual).
    bool scroll = false;
    bool byHand = false;
    std::optional<int> exitCode;
    QString output;    // for standard output
    QString errorText; // for standard error

    [[nodiscard]] static CommandLine parse(const QStringList &arguments);
    // slurp's "X,Y WxH" or X11's "WxH+X+Y"; none for anything else or an empty rectangle.
    [[nodiscard]] static std::optional<QRect> parseRegion(const QString &text);

    [[nodiscard]] bool forScript() const { return clipboard || !outputPath.isEmpty() || ocr; }
    // A script's request as it goes over the bus to the running Pixdrift (the output path
    // absolute), and back; none for a map that is not one.
    [[nodiscard]] QVariantMap toBus() const;
    [[nodiscard]] static std::optional<CommandLine> fromBus(const QVariantMap &map);
};
