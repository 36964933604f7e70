// Draws a mark by dragging: from the press to the release, or along the path between them.

#include "model/CaptureModel.h"
#include "model/marks/MarkKind.h"
#include "ui/ImageArea.h"
#include "ui/tools/Tool.h"

#include <cmath>
#include <optional>

namespace {

class ShapeTool : public Tool
{
public:
    using Tool::Tool;

    void press(QPointF point, Qt::KeyboardModifiers) override
    {
        m_press = point;
        m_mark.reset();
    }

    void move(QPointF point, Qt::KeyboardModifiers modifiers) override
    {
        if (!m_press)
            return;
        // A drag starts once the pointer has gone 2 points: a click draws nothing.
        if (!m_mark) {
            if (!m_area.isDrag(*m_press, point))
                return;
            m_mark = m_area.newMark(*m_press, point);
            if (markKind(m_mark->tool).followsPath())
                m_mark->path = {*m_press};
        }
        const MarkKind &kind = markKind(m_mark->tool);
        if (kind.followsPath()) {
            // Points closer than a point on screen add nothing but weight.
            const QPointF last = (point - m_mark->path.last()) * m_area.scene().scale;
            if (std::hypot(last.x(), last.y()) >= 1)
                m_mark->path.append(point);
        }
        m_mark->to = (modifiers & Qt::ShiftModifier) ? kind.constrained(m_mark->from, point) : point;
        m_area.setPreview(m_mark);
    }

    void release(QPointF point, Qt::KeyboardModifiers modifiers) override
    {
        move(point, modifiers);
        m_press.reset();
        if (std::optional<Mark> mark = std::exchange(m_mark, std::nullopt)) {
            if (markKind(mark->tool).followsPath())
                mark->path.append(mark->to);
            m_area.setPreview(std::nullopt);
            m_area.commit(*mark);
        }
    }

    Qt::CursorShape cursor(QPointF) const override { return Qt::CrossCursor; }

private:
    std::optional<QPointF> m_press;
    std::optional<Mark> m_mark;
};

// Places a mark where the pointer is clicked: a numbered step.
class StampTool : public Tool
{
public:
    using Tool::Tool;

    void press(QPointF point, Qt::KeyboardModifiers) override { m_press = point; }
    void move(QPointF, Qt::KeyboardModifiers) override {}
    void release(QPointF, Qt::KeyboardModifiers) override
    {
        if (const std::optional<QPointF> at = std::exchange(m_press, std::nullopt))
            m_area.commit(m_area.newMark(*at, *at));
    }
    Qt::CursorShape cursor(QPointF) const override { return Qt::PointingHandCursor; }

private:
    std::optional<QPointF> m_press;
};

} // namespace

std::unique_ptr<Tool> makeShapeTool(ImageArea &area)
{
    return std::make_unique<ShapeTool>(area);
}

std::unique_ptr<Tool> makeStampTool(ImageArea &area)
{
    return std::make_unique<StampTool>(area);
}
