// Writes text: a click places a box, typing fills it, Escape or a click elsewhere ends it.
// A click on a text mark edits it again.

#include "model/CaptureModel.h"
#include "model/marks/MarkKind.h"
#include "ui/ImageArea.h"
#include "ui/tools/Tool.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>

#include <optional>

namespace {

class TextTool : public Tool
{
public:
    using Tool::Tool;
    void press(QPointF point, Qt::KeyboardModifiers) override
    {
        const bool wasEditing = m_text.has_value();
        const bool inside = wasEditing && m_area.hits(*m_text, point);
        if (inside)
            return;
        finish();
        if (const std::optional<Mark> mark = m_area.markAt(point, QStringLiteral("tool.text"))) {
            begin(*mark, true);
            return;
        }
        // A click that only ends a box starts no other.
        if (!wasEditing)
            begin(m_area.newMark(point, point), false);
    }

    void move(QPointF, Qt::KeyboardModifiers) override {}
    void release(QPointF, Qt::KeyboardModifiers) override {}

    void doubleClick(QPointF point) override
    {
        if (const std::optional<Mark> mark = m_area.markAt(point, QStringLiteral("tool.text"))) {
            finish();
            begin(*mark, true);
        }
    }

    bool takesTyping() const override { return m_text.has_value(); }

    bool key(QKeyEvent *event) override
    {
        if (!m_text)
            return false;
        switch (event->key()) {
        case Qt::Key_Escape: finish(); return true;
        case Qt::Key_Return:
        case Qt::Key_Enter: type(QStringLiteral("\n")); return true;
        case Qt::Key_Backspace:
            m_text->text.chop(1);
            m_area.setPreview(m_text);
            return true;
        default: break;
        }
        if (event->matches(QKeySequence::Paste)) {
            type(QGuiApplication::clipboard()->text());
            return true;
        }
        if (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
            return false;
        const QString typed = event->text();
        if (typed.isEmpty() || !typed.at(0).isPrint())
            return true; // arrows and the like: the box keeps the keys, the window gets none
        type(typed);
        return true;
    }

    void commitText(const QString &text) override { type(text); }

    void finish() override
    {
        std::optional<Mark> text = std::exchange(m_text, std::nullopt);
        if (!text)
            return;
        m_area.setPreview(std::nullopt);
        const bool blank = text->text.trimmed().isEmpty();
        if (m_existing)
            blank ? m_area.model().deleteMark(text->id) : m_area.model().changeMark(*text);
        else if (!blank)
            m_area.commit(*text);
        m_area.typingChanged();
    }

    Qt::CursorShape cursor(QPointF) const override { return Qt::IBeamCursor; }

private:
    void begin(const Mark &mark, bool existing)
    {
        m_text = mark;
        m_existing = existing;
        m_area.setPreview(m_text);
        m_area.setFocus(Qt::MouseFocusReason);
        m_area.typingChanged();
    }

    void type(const QString &typed)
    {
        m_text->text += QString(typed).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).remove(u'\r');
        m_area.setPreview(m_text);
    }

    std::optional<Mark> m_text;
    bool m_existing = false;
};

} // namespace

std::unique_ptr<Tool> makeTextTool(ImageArea &area)
{
    return std::make_unique<TextTool>(area);
}
