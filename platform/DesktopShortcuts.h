#pragma once

#include <QList>
#include <QString>

#include <functional>

// System-wide keys that the desktop binds for the program, where programs may not take keys
// themselves: the program names its shortcuts and the keys it would like, and the desktop
// decides which keys they get and says when one is pressed.
class DesktopShortcuts
{
public:
    struct Shortcut
    {
        QString id;
        QString description;
        // In the desktop's form, e.g. "CTRL+ALT+LOGO+4".
        QString preferredTrigger;
    };
    // A shortcut as the desktop bound it: its keys as the desktop writes them (empty when it
    // gave the shortcut no keys).
    struct Bound
    {
        QString id;
        QString trigger;
    };
    // The shortcuts as bound, or an error text (no such service on the desktop, refused).
    using BindHandler = std::function<void(const QList<Bound> &bound, const QString &error)>;

    virtual ~DesktopShortcuts() = default;

    // Binds the shortcuts; `done` is called once, on a later turn.
    virtual void bind(const QList<Shortcut> &shortcuts, BindHandler done) = 0;

    // Called with a shortcut's id whenever the desktop reports a press of it.
    std::function<void(const QString &id)> onActivated;
};
