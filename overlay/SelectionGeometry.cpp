#include "overlay/SelectionGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

// A point on a screen at a fractional scale is a whole pixel divided by the scale; multiplied
// back it lands a hair beside the whole number (300 / 1.75 × 1.75 = 299.99999999999994, and a
// Wayland pointer position comes in 256ths of a point: 100 pixels at 1.5 arrive as 99.996). Such
// a value is the whole number.
double snapped(double value)
{
    const double whole = std::round(value);
    return std::abs(value - whole) < 0.01 ? whole : value;
}

} // namespace

namespace SelectionGeometry {

QRectF cancelButtonRect(QSizeF bounds)
{
    return QRectF(bounds.width() - 176, 20, 156, 38);
}

bool hitsCancelButton(QPointF point, QSizeF bounds)
{
    // The button owns the edges nearest the bottom-left corner of the screen, so test in
    // coordinates that grow upward from there.
    const QRectF button = cancelButtonRect(bounds);
    const qreal up = bounds.height() - point.y();
    const qreal buttonBottom = bounds.height() - button.bottom();
    const qreal buttonTop = bounds.height() - button.top();
    return button.left() <= point.x() && point.x() < button.right() && buttonBottom <= up && up < buttonTop;
}

QRectF selectionBetween(QPointF start, QPointF current)
{
    return QRectF(std::min(start.x(), current.x()), std::min(start.y(), current.y()),
                  std::abs(current.x() - start.x()), std::abs(current.y() - start.y()));
}

bool isLargeEnough(const QRectF &selection)
{
    return selection.width() > 3 && selection.height() > 3;
}

bool isVisible(const QRectF &selection)
{
    return selection.width() > 0 && selection.height() > 0;
}

std::optional<QRect> pixelRect(const QRectF &selection, QSizeF bounds, QSizeF pixelSize, Edges edges)
{
    if (!(bounds.width() > 0) || !(bounds.height() > 0))
        return std::nullopt;
    const double sx = pixelSize.width() / bounds.width();
    const double sy = pixelSize.height() / bounds.height();
    if (edges == Edges::Nearest) {
        const double left = std::round(selection.left() * sx);
        const double top = std::round(selection.top() * sy);
        const double right = std::round(selection.right() * sx);
        const double bottom = std::round(selection.bottom() * sy);
        return QRect(int(left), int(top), int(right - left), int(bottom - top));
    }
    const double left = std::floor(snapped(selection.left() * sx));
    const double top = std::floor(snapped(selection.top() * sy));
    const double right = std::ceil(snapped(selection.right() * sx));
    const double bottom = std::ceil(snapped(selection.bottom() * sy));
    return QRect(int(left), int(top), int(right - left), int(bottom - top));
}

QString sizeLabel(const QRectF &selection, QSizeF bounds, QSizeF pixelSize)
{
    if (!(bounds.width() > 0) || !(bounds.height() > 0))
        return QStringLiteral("0 \u00D7 0 px");
    const auto w = qint64(snapped(selection.width() * pixelSize.width() / bounds.width()));
    const auto h = qint64(snapped(selection.height() * pixelSize.height() / bounds.height()));
    return QString::number(w) + QStringLiteral(" \u00D7 ") + QString::number(h) + QStringLiteral(" px");
}

qreal sizeLabelBottom(const QRectF &selection, QSizeF bounds)
{
    return std::min(bounds.height() - 8, selection.bottom() + 24);
}

QRect grown(const QRectF &rect)
{
    return rect.toAlignedRect().adjusted(-paintMargin, -paintMargin, paintMargin, paintMargin);
}

QRect shrunk(const QRectF &rect)
{
    const int left = int(std::ceil(rect.left())) + paintMargin;
    const int top = int(std::ceil(rect.top())) + paintMargin;
    const int right = int(std::floor(rect.right())) - paintMargin;
    const int bottom = int(std::floor(rect.bottom())) - paintMargin;
    return right > left && bottom > top ? QRect(left, top, right - left, bottom - top) : QRect();
}

QRect pixelsInside(const QRectF &rect)
{
    const int left = int(std::floor(rect.left() + 0.5));
    const int top = int(std::floor(rect.top() + 0.5));
    const int right = int(std::floor(rect.right() + 0.5));
    const int bottom = int(std::floor(rect.bottom() + 0.5));
    return QRect(left, top, right - left, bottom - top);
}

} // namespace SelectionGeometry
