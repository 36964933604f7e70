#pragma once

#include <QString>

#include <functional>
#include <optional>

// Asks the user where to save a PNG, without blocking: the answer comes later, on the GUI
// thread, as the chosen path or nothing when the user cancelled.
class SavePanel
{
public:
    virtual ~SavePanel() = default;
    virtual void begin(const QString &proposedName, std::function<void(std::optional<QString>)> completion) = 0;
};
