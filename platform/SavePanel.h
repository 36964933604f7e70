#pragma once

#include <QString>

#include <functional>
#include <optional>

// Asks the user where to save a PNG, without blocking: the answer comes later, on the GUI
// thread, as the chosen path or nothing when the user cancelled. The panel opens in `folder`,
// or in the user's pictures folder (else home) when it is empty.
class SavePanel
{
public:
    virtual ~SavePanel() = default;
    virtual void begin(const QString &proposedName, const QString &folder,
                       std::function<void(std::optional<QString>)> completion) = 0;
};
