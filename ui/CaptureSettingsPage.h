#pragma once

#include "model/SaveSettings.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QSpinBox;

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSlider;

// The preferences' page for what becomes of a capture: open the window or go straight to the
// clipboard or a file, where and under what name files are saved, their format and quality.
// It edits a copy; settings() is what Save stores.
class CaptureSettingsPage : public QWidget
{
    Q_OBJECT

public:
    explicit CaptureSettingsPage(const SaveSettings &settings, QWidget *parent = nullptr);

    [[nodiscard]] SaveSettings settings() const;
    // What is wrong with the page's settings (a name pattern that gives no name), or empty.
    [[nodiscard]] QString problem() const;
    // How a file would be named now, or the problem.
    [[nodiscard]] QString preview() const;

    // How the folder is chosen; tests answer in its place.
    std::function<QString(const QString &current)> chooseFolder;

private:
    void refresh();

    QString m_folder;
    QComboBox *m_after = nullptr;
    QComboBox *m_saveInto = nullptr;
    QPushButton *m_choose = nullptr;
    QLabel *m_folderLabel = nullptr;
    QLineEdit *m_pattern = nullptr;
    QLabel *m_preview = nullptr;
    QComboBox *m_format = nullptr;
    QSlider *m_quality = nullptr;
    QLabel *m_qualityLabel = nullptr;
    QListWidget *m_languages = nullptr;
    QSpinBox *m_scrollLimit = nullptr;
    QCheckBox *m_scrollBySelf = nullptr;
};
