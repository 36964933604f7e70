#pragma once

#include <QPoint>
#include <QPointF>

#include <cstdint>
#include <optional>

// The pointer's positions at the newest pointer events, in device pixels of the whole desktop,
// as the window system reported them. Qt hands widgets positions in whole points, which at a
// fractional scale factor can lie a pixel away from the pixel under the pointer.
class PointerPositions
{
public:
    PointerPositions() = delete;

    // Called by the window system's event filter, before Qt queues the event.
    static void record(std::uint64_t time, QPoint devicePosition);
    // The position of the event at `time` (the window system's time stamp, as Qt's events carry
    // it) that lies nearest `approximate`, if it is within a pixel or two of it.
    [[nodiscard]] static std::optional<QPoint> find(std::uint64_t time, QPointF approximate);

};
