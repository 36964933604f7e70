#pragma once

#include "model/Binding.h"

#include <QString>

class QWidget;
class ShortcutCaptureView;

// Connects a recorder field to a shortcut and a recording flag kept elsewhere. The owner calls
// update() whenever either may have changed.
class ShortcutRecorder
{
public:
    ShortcutRecorder(Binding<QString> value, Binding<bool> recording, QWidget *parent = nullptr);

    [[nodiscard]] ShortcutCaptureView *view() const { return m_view; }
    // Shows the bound values in the field.
    void update();

private:
    Binding<QString> m_value;
    Binding<bool> m_recording;
    ShortcutCaptureView *m_view;
};
