#pragma once

#include "model/Mark.h"

#include <QColor>
#include <QObject>
#include <QString>

class CaptureModel;
class QAbstractButton;
class QButtonGroup;
class QToolButton;
class QWidget;

// The editor's controls in the window's header: a button for each tool, the three sizes, the
// preset colours beside the colour well, and the text background. The size and the background
// are remembered from run to run.
class MarkControls : public QObject
{
    Q_OBJECT

public:
    MarkControls(CaptureModel &model, QWidget *parent);

    // The key that picks each tool while the window is active.
    [[nodiscard]] static QChar toolLetter(const QString &tool);

    [[nodiscard]] QWidget *toolRow() const { return m_toolRow; }
    [[nodiscard]] QWidget *styleRow() const { return m_styleRow; }

    [[nodiscard]] QColor color() const { return m_color; }
    [[nodiscard]] MarkSize size() const { return m_size; }
    [[nodiscard]] bool filled() const { return m_filled; }
    // Shows a style without announcing it: the new colour, a selected mark's own.
    void show(const QColor &color, MarkSize size, bool filled);
    void setEnabled(bool enabled);

Q_SIGNALS:
    void colorPicked(const QColor &color);
    void sizePicked(MarkSize size);
    void fillPicked(bool filled);

private:
    void buildTools();
    void buildStyle();
    void refreshTool();

    CaptureModel &m_model;
    QWidget *m_toolRow = nullptr;
    QWidget *m_styleRow = nullptr;
    QButtonGroup *m_tools = nullptr;
    QButtonGroup *m_sizes = nullptr;
    QToolButton *m_colorWell = nullptr;
    QToolButton *m_fill = nullptr;
    QColor m_color = Qt::red;
    MarkSize m_size = MarkSize::Medium;
    bool m_filled = false;
};
