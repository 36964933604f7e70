#include "ui/ShortcutRecorder.h"

#include "ui/ShortcutCaptureView.h"

ShortcutRecorder::ShortcutRecorder(Binding<QString> value, Binding<bool> recording, QWidget *parent)
    : m_value(std::move(value))
    , m_recording(std::move(recording))
    , m_view(new ShortcutCaptureView(parent))
{
    m_view->setValue(m_value.get());
    m_view->onRecording = [this](bool recording) { m_recording.set(recording); };
    // The new shortcut goes in before the flag drops, so whoever watches the flag sees it.
    m_view->onCapture = [this](const QString &shortcut) {
        m_value.set(shortcut);
        m_recording.set(false);
    };
}

ShortcutRecorder::~ShortcutRecorder()
{
    if (m_view && !m_view->parent())
        delete m_view;
}

void ShortcutRecorder::update()
{
    m_view->setValue(m_value.get());
    m_view->setRecording(m_recording.get());
    m_view->update();
}
