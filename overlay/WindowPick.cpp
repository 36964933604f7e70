#include "overlay/WindowPick.h"

namespace WindowPick {

QList<QRect> onScreen(const QList<DesktopWindow> &windows, const QRect &monitor)
{
    QList<QRect> result;
    for (const DesktopWindow &window : windows) {
        const QRect shown = window.frame & monitor;
        if (window.minimised || window.ours || shown.isEmpty())
            continue;
        result.append(shown.translated(-monitor.topLeft()));
    }
    return result;
}

std::optional<QRect> at(const QList<QRect> &windows, QPoint point)
{
    for (const QRect &window : windows)
        if (window.contains(point))
            return window;
    return std::nullopt;
}

} // namespace WindowPick
