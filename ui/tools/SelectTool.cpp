// Picks a mark up: a click selects the topmost mark under the pointer and shows its handles; a
// drag moves the mark, or reshapes it by a handle.

#include "model/CaptureModel.h"
#include "model/marks/MarkKind.h"
#include "ui/ImageArea.h"
#include "ui/tools/Tool.h"

#include <cmath>
#include <optional>

namespace {

class SelectTool : public Tool
{
public:
    using Tool::Tool;

    void press(QPointF point, Qt::KeyboardModifiers) override
    {
        m_press = point;
        m_handle = handleAt(point);
        if (m_handle >= 0)
            return;
        const std::optional<Mark> mark = m_area.markAt(point);
        m_area.select(mark ? mark->id : QUuid());
        if (!mark)
            m_press.reset();
    }

    void move(QPointF point, Qt::KeyboardModifiers modifiers) override
    {
        const std::optional<Mark> mark = m_area.selectedMark();
        if (!m_press || !mark)
            return;
        if (!m_dragging) {
            if (!m_area.isDrag(*m_press, point))
                return;
            m_dragging = true;
        }
        const MarkKind &kind = markKind(mark->tool);
        if (m_handle < 0) {
            QPointF delta = point - *m_press;
            // Shift keeps the move level or upright.
            if (modifiers & Qt::ShiftModifier)
                (std::abs(delta.x()) >= std::abs(delta.y()) ? delta.ry() : delta.rx()) = 0;
            m_area.setPreview(movedBy(*mark, delta));
            return;
        }
        const QList<QPointF> handles = kind.handles(*mark, m_area.scene());
        const QPointF opposite = handles.size() == 2 ? handles[1 - m_handle] : handles[(m_handle + 2) % 4];
        const QPointF to = (modifiers & Qt::ShiftModifier) ? kind.constrained(opposite, point) : point;
        m_area.setPreview(kind.reshaped(*mark, m_handle, to));
    }

    void release(QPointF point, Qt::KeyboardModifiers modifiers) override
    {
        move(point, modifiers);
        const std::optional<Mark> changed = m_area.preview();
        m_press.reset();
        m_handle = -1;
        if (!std::exchange(m_dragging, false) || !changed)
            return;
        m_area.setPreview(std::nullopt);
        m_area.model().changeMark(*changed);
    }

    Qt::CursorShape cursor(QPointF point) const override
    {
        if (handleAt(point) >= 0)
            return Qt::CrossCursor;
        return m_area.markAt(point) ? Qt::SizeAllCursor : Qt::ArrowCursor;
    }

private:
    // The selected mark's handle at `point`, or -1.
    [[nodiscard]] int handleAt(QPointF point) const
    {
        const std::optional<Mark> mark = m_area.selectedMark();
        if (!mark)
            return -1;
        const QList<QPointF> handles = markKind(mark->tool).handles(*mark, m_area.scene());
        for (qsizetype i = handles.size() - 1; i >= 0; --i) {
            const QPointF d = (point - handles[i]) * m_area.scene().scale;
            if (std::abs(d.x()) <= ImageArea::handleReach && std::abs(d.y()) <= ImageArea::handleReach)
                return int(i);
        }
        return -1;
    }

    std::optional<QPointF> m_press;
    int m_handle = -1;
    bool m_dragging = false;
};

} // namespace

std::unique_ptr<Tool> makeSelectTool(ImageArea &area)
{
    return std::make_unique<SelectTool>(area);
}
