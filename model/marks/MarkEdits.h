#pragma once

#include "model/Mark.h"

#include <QUndoCommand>

class CaptureModel;

// The edits of the marks, each undoable. They find their mark by its id, so a list replaced
// meanwhile (a capture restored) leaves them harmless.

class AddMarkCommand : public QUndoCommand
{
public:
    AddMarkCommand(CaptureModel &model, Mark mark);
    void redo() override;
    void undo() override;

private:
    CaptureModel &m_model;
    Mark m_mark;
};

// A move, a reshape, a new colour, size or text: the mark before and after.
class ChangeMarkCommand : public QUndoCommand
{
public:
    ChangeMarkCommand(CaptureModel &model, Mark before, Mark after);
    void redo() override;
    void undo() override;

private:
    CaptureModel &m_model;
    Mark m_before;
    Mark m_after;
};

class DeleteMarkCommand : public QUndoCommand
{
public:
    DeleteMarkCommand(CaptureModel &model, Mark mark, qsizetype index);
    void redo() override;
    void undo() override;

private:
    CaptureModel &m_model;
    Mark m_mark;
    qsizetype m_index;
};
