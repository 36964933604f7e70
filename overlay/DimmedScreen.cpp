#include "overlay/DimmedScreen.h"

#include <algorithm>
#include <thread>

namespace {

// The dimmed screen is the bright one darkened as a black layer of this opacity would darken
// it, channel by channel, with the rounding of Qt's own blending: (c·k + (c·k >> 8) + 128) >> 8
// with k = 255 − alpha.
constexpr uint dimAlpha = 107; // 0.42 × 255, rounded
constexpr uint keep = 255 - dimAlpha;

// The three colour channels at once, in the 16-bit lanes of one 64-bit number.
inline QRgb dimmed(QRgb pixel)
{
    constexpr quint64 lanes = 0x00ff00ff00ff00ffULL;
    quint64 t = ((quint64(pixel) | (quint64(pixel) << 24)) & lanes) * keep;
    t = ((t + ((t >> 8) & lanes) + 0x0080008000800080ULL) >> 8) & lanes;
    return QRgb(t) | QRgb(t >> 24) | 0xff000000u;
}

void dimRow(QRgb *out, const QRgb *in, int count)
{
    for (int i = 0; i < count; ++i)
        out[i] = dimmed(in[i]);
}

} // namespace

namespace DimmedScreen {

void write(QImage &target, const QImage &source, QRect area, QPoint origin)
{
    area &= target.rect();
    const QRect covered = area & QRect(origin, source.size());
    auto rows = [&](int first, int last) {
        for (int y = first; y <= last; ++y) {
            auto *out = reinterpret_cast<QRgb *>(target.scanLine(y));
            if (!covered.isEmpty() && y >= covered.top() && y <= covered.bottom()) {
                std::fill(out + area.left(), out + covered.left(), 0xff000000u);
                dimRow(out + covered.left(),
                       reinterpret_cast<const QRgb *>(source.constScanLine(y - origin.y())) + covered.left() - origin.x(),
                       covered.width());
                std::fill(out + covered.right() + 1, out + area.right() + 1, 0xff000000u);
            } else {
                std::fill(out + area.left(), out + area.right() + 1, 0xff000000u);
            }
        }
    };
    if (qint64(area.width()) * area.height() < 1'000'000) {
        rows(area.top(), area.bottom());
        return;
    }
    const int middle = area.top() + area.height() / 2;
    std::thread lower(rows, middle, area.bottom());
    rows(area.top(), middle - 1);
    lower.join();
}

} // namespace DimmedScreen
