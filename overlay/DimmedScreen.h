#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

// The overlay's dimmed screen, computed from the captured one for just the pixels repainted.
namespace DimmedScreen {

// Writes the dimmed `source` into `target` over `area` (target pixels); `origin` is where the
// source's top-left pixel lies in the target. Pixels the source does not cover turn black.
// A screen's worth is split between two threads.
void write(QImage &target, const QImage &source, QRect area, QPoint origin);

} // namespace DimmedScreen
