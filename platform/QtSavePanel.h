#pragma once

#include "platform/SavePanel.h"

// Qt's own file dialog (the same on every desktop), opened as a window of its own. It starts
// in the Pictures folder, offers PNG only and asks nothing about replacing: a taken name gets a
// numbered variant instead.
class QtSavePanel : public SavePanel
{
public:
    void begin(const QString &proposedName, const QString &folder,
               std::function<void(std::optional<QString>)> completion) override;
};
