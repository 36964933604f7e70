#pragma once

#include "model/ScrollStitcher.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QPoint>
#include <QRect>
#include <QString>

#include <qcoro/qcorotask.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class ScreenCaptureService;
class ScrollInput;

// What the user sees of a scrolling capture while it runs: a frame around the area and a panel
// with the height so far, Done and Cancel. Closing it is destroying it.
class ScrollPanel
{
public:
    virtual ~ScrollPanel() = default;
    // The rows stitched so far, and a line about the last frame (empty for none).
    virtual void setProgress(int rows, const QString &note) = 0;
    // The part of the area to capture, in the same pixels: all of it, unless the panel found no
    // room beside it and covers its bottom.
    [[nodiscard]] virtual QRect area() const = 0;
};

// One scrolling capture of an area: frames of it are captured while its content scrolls, by
// itself (where the window system lets a program turn the wheel) or by the user, and stitched
// into one tall image.
class ScrollCapture : public QObject
{
    Q_OBJECT

public:
    struct Setup
    {
        ScreenCaptureService *service = nullptr;
        // The display to capture, its size in device pixels, and where it lies among the screens.
        std::uint32_t display = 0;
        QSize displayPixels;
        QPoint displayOrigin;
        // The area, in the display's pixels.
        QRect area;
        // Turns the wheel; null: the user scrolls.
        ScrollInput *input = nullptr;
        int heightLimit = 20000;
    };
    // The stitched image (null when cancelled), or why there is none.
    using Finished = std::function<void(const QImage &image, const QString &failure)>;

    ScrollCapture(Setup setup, std::unique_ptr<ScrollPanel> panel, Finished finished, QObject *parent = nullptr);
    ~ScrollCapture() override;

    void start();
    // Done: the image as it is now.
    void finish();
    // Cancel: no image.
    void cancel();
    // Another capture takes over: the panel goes at once, and the pointer goes back.
    void abandon();

private:
    enum class Stop { none, finish, cancel };
    static QCoro::Task<> run(QPointer<ScrollCapture> self);
    // Says how the last frame went on the panel.
    void report(const ScrollStitcher::Step &step);
    // The image goes to whoever asked, once.
    void end();

    Setup m_setup;
    std::unique_ptr<ScrollPanel> m_panel;
    Finished m_finished;
    std::optional<ScrollStitcher> m_stitcher;
    Stop m_stop = Stop::none;
    QString m_failure;
    QString m_note;
};
