#pragma once

#include <QCursor>
#include <QPointF>
#include <QString>

#include <memory>

class ImageArea;
class QKeyEvent;

// What the current tool does with the pointer and the keys over the image area. Points are
// image pixels. The image area routes its input here and knows nothing of what a tool makes.
class Tool
{
public:
    explicit Tool(ImageArea &area)
        : m_area(area)
    {
    }
    virtual ~Tool() = default;
    Tool(const Tool &) = delete;
    Tool &operator=(const Tool &) = delete;

    virtual void press(QPointF point, Qt::KeyboardModifiers modifiers) = 0;
    virtual void move(QPointF point, Qt::KeyboardModifiers modifiers) = 0;
    virtual void release(QPointF point, Qt::KeyboardModifiers modifiers) = 0;
    virtual void doubleClick(QPointF) {}
    // Whether keys type into what the tool edits now, rather than reach the window's shortcuts.
    [[nodiscard]] virtual bool takesTyping() const { return false; }
    // A key while the tool takes typing; false leaves it to the window.
    virtual bool key(QKeyEvent *) { return false; }
    virtual void commitText(const QString &) {}
    // Ends what is under way, keeping it: before Copy, another tool, another capture.
    virtual void finish() {}
    // What a press at `point` would do, as a cursor.
    [[nodiscard]] virtual Qt::CursorShape cursor(QPointF point) const = 0;

protected:
    ImageArea &m_area;
};

// The tool for the tool key `tool`; a tool that draws by dragging for any key it does not know.
[[nodiscard]] std::unique_ptr<Tool> makeTool(const QString &tool, ImageArea &area);
[[nodiscard]] std::unique_ptr<Tool> makeShapeTool(ImageArea &area);
[[nodiscard]] std::unique_ptr<Tool> makeStampTool(ImageArea &area);
[[nodiscard]] std::unique_ptr<Tool> makeTextTool(ImageArea &area);
[[nodiscard]] std::unique_ptr<Tool> makeSelectTool(ImageArea &area);
