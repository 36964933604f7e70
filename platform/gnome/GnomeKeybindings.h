#pragma once

#include "platform/DesktopKeybindings.h"

// GNOME's custom keybindings (its media-keys settings), the one way GNOME 43–47 give a program a
// system-wide key on Wayland. Our entries live under paths of our own in the user's list of
// custom keybindings; the user's own entries are never changed.
class GnomeKeybindings : public DesktopKeybindings
{
public:
    // Whether GNOME's settings schemas are installed here.
    [[nodiscard]] static bool available();

    [[nodiscard]] QString desktopName() const override { return QStringLiteral("GNOME"); }
    [[nodiscard]] QString holderOf(const QString &accelerator) const override;
    [[nodiscard]] QString set(const QList<Binding> &bindings) override;
    [[nodiscard]] QString remove(const QStringList &ids) override;
    [[nodiscard]] QList<Binding> current(const QStringList &ids) const override;
    [[nodiscard]] bool heldByScreenshotTool(const QString &accelerator) const override;
    [[nodiscard]] QString takeFromScreenshotTool(const QString &accelerator) override;
    void giveBackToScreenshotTool() override;
};
