#pragma once

#include <QDialog>

#include <memory>

class CaptureModel;
class QCheckBox;
class QPushButton;
class ShortcutRecorder;

// The two shortcut fields with Cancel and Save, and whether Pixdrift starts at login. Recorded
// shortcuts go straight into the model; Save validates, stores and registers them. Closing the
// window is the same as Cancel. Starting at login takes effect as soon as it is ticked.
class ShortcutSettings : public QDialog
{
    Q_OBJECT

public:
    explicit ShortcutSettings(CaptureModel &model, QWidget *parent = nullptr);
    ~ShortcutSettings() override;

    [[nodiscard]] ShortcutRecorder &areaRecorder() const { return *m_area; }
    [[nodiscard]] ShortcutRecorder &fullRecorder() const { return *m_full; }
    [[nodiscard]] QPushButton *cancelButton() const { return m_cancel; }
    [[nodiscard]] QPushButton *saveButton() const { return m_save; }

private:
    void updateRecorders();

    CaptureModel &m_model;
    bool m_recordingArea = false;
    bool m_recordingFull = false;
    std::unique_ptr<ShortcutRecorder> m_area;
    std::unique_ptr<ShortcutRecorder> m_full;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_save = nullptr;
    QCheckBox *m_startAtLogin = nullptr;
};
