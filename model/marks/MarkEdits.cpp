#include "model/marks/MarkEdits.h"

#include "model/CaptureModel.h"

#include <algorithm>

namespace {

qsizetype indexOf(const QList<Mark> &marks, const QUuid &id)
{
    const auto found = std::find_if(marks.begin(), marks.end(), [&id](const Mark &mark) { return mark.id == id; });
    return found == marks.end() ? -1 : found - marks.begin();
}

void removeMark(CaptureModel &model, const QUuid &id)
{
    QList<Mark> marks = model.marks();
    if (const qsizetype index = indexOf(marks, id); index >= 0) {
        marks.removeAt(index);
        model.setMarks(marks);
    }
}

void insertMark(CaptureModel &model, const Mark &mark, qsizetype index)
{
    QList<Mark> marks = model.marks();
    if (indexOf(marks, mark.id) >= 0)
        return;
    marks.insert(std::clamp<qsizetype>(index, 0, marks.size()), mark);
    model.setMarks(marks);
}

void replaceMark(CaptureModel &model, const Mark &mark)
{
    QList<Mark> marks = model.marks();
    if (const qsizetype index = indexOf(marks, mark.id); index >= 0) {
        marks[index] = mark;
        model.setMarks(marks);
    }
}

} // namespace

AddMarkCommand::AddMarkCommand(CaptureModel &model, Mark mark)
    : m_model(model)
    , m_mark(std::move(mark))
{
}

void AddMarkCommand::redo() { insertMark(m_model, m_mark, m_model.marks().size()); }
void AddMarkCommand::undo() { removeMark(m_model, m_mark.id); }

ChangeMarkCommand::ChangeMarkCommand(CaptureModel &model, Mark before, Mark after)
    : m_model(model)
    , m_before(std::move(before))
    , m_after(std::move(after))
{
}

void ChangeMarkCommand::redo() { replaceMark(m_model, m_after); }
void ChangeMarkCommand::undo() { replaceMark(m_model, m_before); }

DeleteMarkCommand::DeleteMarkCommand(CaptureModel &model, Mark mark, qsizetype index)
    : m_model(model)
    , m_mark(std::move(mark))
    , m_index(index)
{
}

void DeleteMarkCommand::redo() { removeMark(m_model, m_mark.id); }
void DeleteMarkCommand::undo() { insertMark(m_model, m_mark, m_index); }
