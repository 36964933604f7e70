#pragma once

#include "platform/ApplicationWindows.h"

#include <QStringList>

// Records what the capture flow does with the windows. A window taken away by a capture
// still counts as visible until it is shown again.
class FakeApplicationWindows : public ApplicationWindows
{
public:
    bool visible = false;
    bool hidden = false;
    bool orderedOut = false;
    QStringList calls;

    [[nodiscard]] bool anyVisible() const override { return visible || hidden || orderedOut; }
    void orderOutMainWindow() override
    {
        calls << QStringLiteral("orderOut");
        orderedOut = visible;
        visible = false;
    }
    void hideApplication() override
    {
        calls << QStringLiteral("hide");
        hidden = hidden || visible;
        visible = false;
    }
    void unhideApplication() override
    {
        calls << QStringLiteral("unhide");
        visible = visible || hidden;
        hidden = false;
    }
    void activateApplication() override { calls << QStringLiteral("activate"); }
    void bringFirstWindowToFront() override { calls << QStringLiteral("front:first"); }
    void bringMainWindowToFront() override { calls << QStringLiteral("front:main"); }
};
