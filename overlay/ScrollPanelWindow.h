#pragma once

#include "model/CaptureEnvironment.h"
#include "model/ScrollCapture.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class WindowList;

// The panel of a scrolling capture beside its area: the height so far, a line about the last
// frame, Done (Return) and Cancel (Escape); and, where the window system lets a window be a thin
// ring (X11's shapes), a frame around the area that lets every click and turn of the wheel
// through. Neither ever covers the area, or they would be captured with it.
class ScrollPanelWindow : public QWidget, public ScrollPanel
{
    Q_OBJECT

public:
    enum class Frame { none, ring };
    // Shows them for `area` (pixels of `screen`). `windows` places the panel where the program
    // cannot (Wayland).
    static std::unique_ptr<ScrollPanel> present(const FrozenScreen &screen, const QRect &area, std::function<void()> done,
                                                std::function<void()> cancel, Frame frame, WindowList *windows);
    ~ScrollPanelWindow() override;

    void setProgress(int rows, const QString &note) override;
    [[nodiscard]] QRect area() const override { return m_area; }

    // Where a panel of `size` goes, in the same coordinates as `area` and `screen`: below the
    // area, else above it, else beside it, else in the screen's corner farthest from it.
    [[nodiscard]] static QPoint placeFor(const QRect &area, const QRect &screen, QSize size);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    ScrollPanelWindow(std::function<void()> done, std::function<void()> cancel);

    std::function<void()> m_done;
    std::function<void()> m_cancel;
    QLabel *m_height = nullptr;
    QLabel *m_note = nullptr;
    QPointer<QWidget> m_frame;
    QRect m_area;
};
