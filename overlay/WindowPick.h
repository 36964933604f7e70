#pragma once

#include "platform/WindowList.h"

#include <QList>
#include <QPoint>
#include <QRect>

#include <optional>

// Which window a click in the overlay picks.
namespace WindowPick {

// The windows a screen placed at `monitor` shows, topmost first, in that screen's own pixels and
// cut to it: neither minimised nor ours, and not wholly elsewhere.
[[nodiscard]] QList<QRect> onScreen(const QList<DesktopWindow> &windows, const QRect &monitor);
// The topmost of them under `point` (the screen's pixels).
[[nodiscard]] std::optional<QRect> at(const QList<QRect> &windows, QPoint point);

} // namespace WindowPick
