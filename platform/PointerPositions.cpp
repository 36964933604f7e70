#include "platform/PointerPositions.h"

#include <array>
#include <cmath>

namespace {

struct Record
{
    std::uint64_t time = 0;
    QPoint position;
};

// Events reach widgets a little after the filter has seen them, and a quick drag queues
// several: keep the last few.
std::array<Record, 32> records;
std::size_t next = 0;

} // namespace

void PointerPositions::record(std::uint64_t time, QPoint devicePosition)
{
    records[next] = {time, devicePosition};
    next = (next + 1) % records.size();
}

std::optional<QPoint> PointerPositions::find(std::uint64_t time, QPointF approximate)
{
    std::optional<QPoint> best;
    double bestDistance = 2.0;
    for (const Record &record : records) {
        if (record.time != time)
            continue;
        const QPointF d = QPointF(record.position) - approximate;
        const double distance = std::max(std::abs(d.x()), std::abs(d.y()));
        if (distance <= bestDistance) {
            best = record.position;
            bestDistance = distance;
        }
    }
    return best;
}
