#pragma once

#include "shortcuts/GlobalShortcuts.h"

#include <QDialog>

#include <array>
#include <memory>
#include <optional>

class CaptureModel;
class QCheckBox;
class QPushButton;
class ShortcutRecorder;

// The shortcut fields with Cancel and Save, and whether Pixdrift starts at login. Recorded
// shortcuts go straight into the model; Save validates, stores and registers them. Closing the
// window is the same as Cancel. Starting at login takes effect as soon as it is ticked.
class ShortcutSettings : public QDialog
{
    Q_OBJECT

public:
    explicit ShortcutSettings(CaptureModel &model, QWidget *parent = nullptr);
    ~ShortcutSettings() override;

    [[nodiscard]] ShortcutRecorder &recorder(HotKeyAction action) const { return *m_recorders[indexOf(action)]; }
    [[nodiscard]] QPushButton *cancelButton() const { return m_cancel; }
    [[nodiscard]] QPushButton *saveButton() const { return m_save; }

private:
    void updateRecorders();

    CaptureModel &m_model;
    // Which field records, if any.
    std::optional<HotKeyAction> m_recording;
    std::array<std::unique_ptr<ShortcutRecorder>, hotKeyActionCount> m_recorders;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_save = nullptr;
    QCheckBox *m_startAtLogin = nullptr;
};
