#include "ui/FlowLayout.h"

#include <QWidget>

FlowLayout::FlowLayout(QWidget *parent, int horizontalSpacing, int verticalSpacing)
    : QLayout(parent)
    , m_horizontalSpacing(horizontalSpacing)
    , m_verticalSpacing(verticalSpacing)
{
}

FlowLayout::~FlowLayout()
{
    qDeleteAll(m_items);
}

void FlowLayout::addItem(QLayoutItem *item)
{
    m_items.append(item);
}

QLayoutItem *FlowLayout::takeAt(int index)
{
    return index >= 0 && index < m_items.size() ? m_items.takeAt(index) : nullptr;
}

int FlowLayout::heightForWidth(int width) const
{
    return arrange(QRect(0, 0, width, 0), false);
}

QSize FlowLayout::minimumSize() const
{
    QSize size;
    for (const QLayoutItem *item : m_items)
        size = size.expandedTo(item->minimumSize());
    const QMargins margins = contentsMargins();
    return size + QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

QSize FlowLayout::sizeHint() const
{
    // Everything in one row.
    int width = 0;
    int height = 0;
    for (const QLayoutItem *item : m_items) {
        if (item->isEmpty())
            continue;
        width += (width > 0 ? m_horizontalSpacing : 0) + item->sizeHint().width();
        height = std::max(height, item->sizeHint().height());
    }
    const QMargins margins = contentsMargins();
    return QSize(width + margins.left() + margins.right(), height + margins.top() + margins.bottom());
}

void FlowLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int FlowLayout::arrange(const QRect &rect, bool apply) const
{
    const QRect area = rect.marginsRemoved(contentsMargins());
    QList<QLayoutItem *> visible;
    for (QLayoutItem *item : m_items) {
        if (!item->isEmpty())
            visible.append(item);
    }

    int y = area.y();
    qsizetype first = 0;
    while (first < visible.size()) {
        // Take as many items as fit in this row; at least one.
        qsizetype end = first;
        int width = 0;
        int height = 0;
        while (end < visible.size()) {
            const QSize hint = visible[end]->sizeHint();
            const int next = width + (end > first ? m_horizontalSpacing : 0) + hint.width();
            if (end > first && next > area.width())
                break;
            width = next;
            height = std::max(height, hint.height());
            ++end;
        }
        if (apply) {
            int x = area.x();
            for (qsizetype i = first; i < end; ++i) {
                const QSize hint = visible[i]->sizeHint();
                if (i == visible.size() - 1)
                    x = std::max(x, area.right() + 1 - hint.width());
                const int w = std::min(hint.width(), area.width());
                visible[i]->setGeometry(QRect(x, y + (height - hint.height()) / 2, w, hint.height()));
                x += hint.width() + m_horizontalSpacing;
            }
        }
        y += height + (end < visible.size() ? m_verticalSpacing : 0);
        first = end;
    }
    const QMargins margins = contentsMargins();
    return y - area.y() + margins.top() + margins.bottom();
}
