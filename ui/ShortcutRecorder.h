#pragma once

#include "ui/ShortcutCaptureView.h"

#include "model/Binding.h"

#include <QPointer>
#include <QString>

class QWidget;

// Connects a recorder field to a shortcut and a recording flag kept elsewhere. The owner calls
// update() whenever either may have changed.
class ShortcutRecorder
{
public:
    // The field belongs to `parent`; without one, to the recorder until a layout adopts it.
    ShortcutRecorder(Binding<QString> value, Binding<bool> recording, QWidget *parent = nullptr);
    ~ShortcutRecorder();
    ShortcutRecorder(const ShortcutRecorder &) = delete;
    ShortcutRecorder &operator=(const ShortcutRecorder &) = delete;

    [[nodiscard]] ShortcutCaptureView *view() const { return m_view; }
    // Shows the bound values in the field.
    void update();

private:
    Binding<QString> m_value;
    Binding<bool> m_recording;
    QPointer<ShortcutCaptureView> m_view;
};
