#pragma once

#include "platform/SavePanel.h"

#include <QTimer>

// Answers on a later turn with the path it is given, or cancels when there is none.
class FakeSavePanel : public SavePanel
{
public:
    std::optional<QString> answer;
    QStringList proposedNames;
    QStringList folders;

    void begin(const QString &proposedName, const QString &folder,
               std::function<void(std::optional<QString>)> completion) override
    {
        proposedNames << proposedName;
        folders << folder;
        QTimer::singleShot(0, [completion = std::move(completion), answer = answer] { completion(answer); });
    }
};
