#pragma once

#include "shortcuts/GlobalShortcuts.h"

#include <QDialog>

#include <array>
#include <memory>
#include <optional>

class CaptureModel;
class CaptureSettingsPage;
class QCheckBox;
class QPushButton;
class ShortcutRecorder;

// The preferences: a page of shortcut fields, and a page for what becomes of a capture (with
// Include marks and whether Pixdrift starts at login), over Cancel and Save. Recorded shortcuts
// go straight into the model; Save validates, stores and registers them, and stores the capture
// page. Closing the window is the same as Cancel. Include marks and starting at login take
// effect as soon as they are ticked.
class ShortcutSettings : public QDialog
{
    Q_OBJECT

public:
    explicit ShortcutSettings(CaptureModel &model, QWidget *parent = nullptr);
    ~ShortcutSettings() override;

    [[nodiscard]] ShortcutRecorder &recorder(HotKeyAction action) const { return *m_recorders[indexOf(action)]; }
    [[nodiscard]] QPushButton *cancelButton() const { return m_cancel; }
    [[nodiscard]] QPushButton *saveButton() const { return m_save; }
    [[nodiscard]] CaptureSettingsPage *capturePage() const { return m_capturePage; }

private:
    void updateRecorders();

    CaptureModel &m_model;
    // Which field records, if any.
    std::optional<HotKeyAction> m_recording;
    std::array<std::unique_ptr<ShortcutRecorder>, hotKeyActionCount> m_recorders;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_save = nullptr;
    QCheckBox *m_startAtLogin = nullptr;
    CaptureSettingsPage *m_capturePage = nullptr;
};
