#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Keys written into the desktop's own settings, each running a command: they work whether the
// program runs or not, on a desktop that lets no program own a system-wide key.
class DesktopKeybindings
{
public:
    struct Binding
    {
        QString id;          // "pixdrift-" and a word: ours alone, e.g. "pixdrift-area"
        QString name;        // what the desktop's settings show
        QString command;     // what the key runs
        QString accelerator; // in the desktop's form, e.g. "<Control><Alt><Super>4"
    };

    virtual ~DesktopKeybindings() = default;

    // The desktop's name as its users know it, e.g. "GNOME".
    [[nodiscard]] virtual QString desktopName() const = 0;

    // What on the desktop already uses `accelerator`, other than our own bindings, as its
    // settings name it; empty when nothing does.
    [[nodiscard]] virtual QString holderOf(const QString &accelerator) const = 0;
    // Adds our bindings to the user's, or updates them, never touching another one. An error
    // text, or empty.
    [[nodiscard]] virtual QString set(const QList<Binding> &bindings) = 0;
    // Removes exactly our bindings with these ids.
    [[nodiscard]] virtual QString remove(const QStringList &ids) = 0;
    // Our bindings as the desktop holds them now.
    [[nodiscard]] virtual QList<Binding> current(const QStringList &ids) const = 0;

    // Whether the desktop's own screenshot tool holds `accelerator` (GNOME's holds Print).
    [[nodiscard]] virtual bool heldByScreenshotTool(const QString &accelerator) const = 0;
    // Takes `accelerator` from the desktop's screenshot tool, leaving it its other keys. An error
    // text, or empty.
    [[nodiscard]] virtual QString takeFromScreenshotTool(const QString &accelerator) = 0;
    // Gives the screenshot tool back the keys it was given by default and lost to us.
    virtual void giveBackToScreenshotTool() = 0;
};
