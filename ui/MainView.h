#pragma once

#include "ui/ShortcutSettings.h"

#include <QColor>
#include <QPointer>
#include <QWidget>

#include <functional>

class CaptureModel;
class ImageArea;
class ImageScroller;
class MarkControls;
struct Mark;
class MessageBar;
class QLabel;
class QPushButton;
class QStackedWidget;
class QToolButton;

// The content of the main window: the header with the capture buttons, the tool, colour and
// undo controls and the output buttons; the image area or the empty state; the footer with
// the status line, the image size and the version.
class MainView : public QWidget
{
    Q_OBJECT

public:
    static inline const QString homePage = QStringLiteral("https://pixdrift.app");
    // Points. A 1366 × 768 screen at 150 % is 910 × 512 points, less its panel and a title bar.
    static constexpr int minimumWidth = 640;
    static constexpr int minimumHeight = 420;

    // `onAppear` runs each time this view appears, before it registers the hot keys: the
    // application hands the rest of the program its way to open the window there.
    MainView(CaptureModel &model, std::function<void()> onAppear, QWidget *parent = nullptr);
    ~MainView() override;

    [[nodiscard]] QColor color() const;
    void setColor(const QColor &color);

    // The capture flow opens the window to show its own outcome; the next appearance then
    // registers the hot keys without replacing that status.
    void setKeepStatusOnAppear(bool keep) { m_keepStatusOnAppear = keep; }

    // Shows the shortcut settings as a sheet over the window.
    void showShortcutSettings();
    [[nodiscard]] bool isShowingShortcutSettings() const { return m_settings != nullptr; }

    [[nodiscard]] ImageArea *imageArea() const { return m_imageArea; }

    // Room for a capture at a useful size; Qt keeps a new window within two thirds of the screen.
    [[nodiscard]] QSize sizeHint() const override { return {960, 640}; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildHeader();
    QWidget *buildEmptyState();
    QWidget *buildFooter();
    void appear();
    void refresh();
    void refreshSize();
    void refreshFailure();
    void markDrawn();
    // The tool keys, Delete, and the zoom.
    void addEditorKeys();
    // The style control just changed applies to the selected mark too, as one step of undo.
    void restyleSelection(const std::function<void(Mark &)> &change);
    // Floats what Copy would write in a window of its own, over the others.
    void pin();
    void exitCommand();

    CaptureModel &m_model;
    std::function<void()> m_onAppear;
    bool m_appearPending = true;
    bool m_keepStatusOnAppear = false;
    // The hint that marks stay out of the copy comes once a run, with the first mark.
    bool m_marksHintShown = false;
    QPointer<ShortcutSettings> m_settings;
    QPointer<QWidget> m_watchedWindow;

    ImageArea *m_imageArea = nullptr;
    QStackedWidget *m_pages = nullptr;
    MarkControls *m_controls = nullptr;
    ImageScroller *m_scroller = nullptr;
    QToolButton *m_undo = nullptr;
    QToolButton *m_redo = nullptr;
    QToolButton *m_includeMarks = nullptr;
    QPushButton *m_area = nullptr;
    QPushButton *m_full = nullptr;
    QPushButton *m_crop = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_pin = nullptr;
    QPushButton *m_copy = nullptr;
    QPushButton *m_copyText = nullptr;
    QPushButton *m_save = nullptr;
    MessageBar *m_message = nullptr;
    QLabel *m_hint = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_size = nullptr;
    QLabel *m_version = nullptr;
};
