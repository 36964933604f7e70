#include "model/MarkDrawing.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace MarkDrawing {

std::pair<QPointF, QPointF> arrowHead(QPointF tail, QPointF tip, qreal length)
{
    const qreal theta = std::atan2(tip.y() - tail.y(), tip.x() - tail.x());
    return {QPointF(tip.x() - length * std::cos(theta - headAngle), tip.y() - length * std::sin(theta - headAngle)),
            QPointF(tip.x() - length * std::cos(theta + headAngle), tip.y() - length * std::sin(theta + headAngle))};
}

int counterNumber(const QList<Mark> &marks, qsizetype index)
{
    if (marks[index].tool != u"tool.counter")
        return 0;
    return int(std::count_if(marks.begin(), marks.begin() + index + 1,
                             [](const Mark &mark) { return mark.tool == u"tool.counter"; }));
}

void drawMarks(QPainter &painter, const QList<Mark> &marks, const MarkScene &scene)
{
    int counters = 0;
    for (const Mark &mark : marks) {
        const bool counter = mark.tool == u"tool.counter";
        counters += counter ? 1 : 0;
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        markKind(mark.tool).paint(painter, mark, scene, counter ? counters : 0);
        painter.restore();
    }
}

void drawMarks(QPainter &painter, const QList<Mark> &marks, qreal scale)
{
    MarkScene scene;
    scene.scale = scale;
    drawMarks(painter, marks, scene);
}

bool isPixelate(const Mark &mark)
{
    return mark.tool == u"tool.pixelate";
}

QRect pixelateArea(const Mark &mark, const QRect &bounds)
{
    const QRectF area = QRectF(mark.from, mark.to).normalized();
    const QPoint topLeft(int(std::floor(area.left())), int(std::floor(area.top())));
    const QPoint bottomRight(int(std::ceil(area.right())), int(std::ceil(area.bottom())));
    return QRect(topLeft, QSize(bottomRight.x() - topLeft.x(), bottomRight.y() - topLeft.y())) & bounds;
}

namespace {

// One pixel per block of `area`: the rounded mean of the source's pixels under it.
QImage blockAverages(const QImage &source, const QRect &area, int block)
{
    const QImage pixels = source.copy(area).convertToFormat(QImage::Format_RGB32);
    const QSize blocks((area.width() + block - 1) / block, (area.height() + block - 1) / block);
    QImage result(blocks, QImage::Format_RGB32);
    for (int by = 0; by < blocks.height(); ++by) {
        auto *out = reinterpret_cast<QRgb *>(result.scanLine(by));
        for (int bx = 0; bx < blocks.width(); ++bx) {
            const QRect cell = QRect(bx * block, by * block, block, block) & pixels.rect();
            quint64 r = 0, g = 0, b = 0;
            for (int y = cell.top(); y <= cell.bottom(); ++y) {
                const auto *line = reinterpret_cast<const QRgb *>(pixels.constScanLine(y));
                for (int x = cell.left(); x <= cell.right(); ++x) {
                    r += qRed(line[x]);
                    g += qGreen(line[x]);
                    b += qBlue(line[x]);
                }
            }
            const quint64 n = quint64(cell.width()) * quint64(cell.height());
            out[bx] = qRgb(int((r + n / 2) / n), int((g + n / 2) / n), int((b + n / 2) / n));
        }
    }
    return result;
}

} // namespace

QImage pixelated(const QImage &source, const QRect &area, int block)
{
    const QRect part = area & source.rect();
    if (part.isEmpty() || block < 1)
        return {};
    const QImage averages = blockAverages(source, part, block);
    QImage result(part.size(), QImage::Format_RGB32);
    for (int y = 0; y < part.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(averages.constScanLine(y / block));
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < part.width(); ++x)
            line[x] = in[x / block];
    }
    return result;
}

QImage blurred(const QImage &source, const QRect &area, int block)
{
    const QRect part = area & source.rect();
    if (part.isEmpty() || block < 1)
        return {};
    // Each block's value sits at its centre and blends linearly into its neighbours'.
    const QImage averages = blockAverages(source, part, block);
    QImage result(part.size(), QImage::Format_RGB32);
    const int bw = averages.width(), bh = averages.height();
    for (int y = 0; y < part.height(); ++y) {
        const qreal fy = std::clamp((y + 0.5) / block - 0.5, 0.0, qreal(bh - 1));
        const int y0 = int(fy), y1 = std::min(y0 + 1, bh - 1);
        const qreal wy = fy - y0;
        const auto *top = reinterpret_cast<const QRgb *>(averages.constScanLine(y0));
        const auto *bottom = reinterpret_cast<const QRgb *>(averages.constScanLine(y1));
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < part.width(); ++x) {
            const qreal fx = std::clamp((x + 0.5) / block - 0.5, 0.0, qreal(bw - 1));
            const int x0 = int(fx), x1 = std::min(x0 + 1, bw - 1);
            const qreal wx = fx - x0;
            const auto mix = [&](int shift) {
                const auto channel = [shift](QRgb pixel) { return qreal((pixel >> shift) & 0xff); };
                const qreal upper = channel(top[x0]) * (1 - wx) + channel(top[x1]) * wx;
                const qreal lower = channel(bottom[x0]) * (1 - wx) + channel(bottom[x1]) * wx;
                return int(std::lround(upper * (1 - wy) + lower * wy));
            };
            line[x] = qRgb(mix(16), mix(8), mix(0));
            // Not one pixel of the source stays as it was, not even where it matched its block.
            const QRgb under = source.pixel(part.left() + x, part.top() + y);
            if ((line[x] & 0xffffff) == (under & 0xffffff))
                line[x] = qRgb(qRed(under), qGreen(under), qBlue(under) < 128 ? qBlue(under) + 1 : qBlue(under) - 1);
        }
    }
    return result;
}

Mark markFromDrag(QPointF start, QPointF end, QPointF imageOffset, qreal scale, const QColor &color,
                  const QString &tool)
{
    return Mark((start - imageOffset) / scale, (end - imageOffset) / scale, color, tool);
}

} // namespace MarkDrawing
