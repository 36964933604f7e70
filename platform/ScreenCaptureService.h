#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QScreen;

// A display that can be captured; its size is in points (logical pixels). Where the window
// system tells the display's size in device pixels, `pixelSize` holds it: points × scale is
// only an estimate once the points have been rounded (1366 pixels at scale 1.5 are 911 points,
// and 911 × 1.5 is 1367).
struct CaptureDisplay
{
    std::uint32_t id = 0;
    int width = 0;
    int height = 0;
    QSize pixelSize = {};
};

// A screen of the window system, with the display number that identifies it to the capture
// service and its pixels-per-point factor. `screen` is null in tests.
struct CaptureScreen
{
    std::uint32_t displayNumber = 0;
    double scale = 1.0;
    QScreen *screen = nullptr;
    // The name the window system gives it ("HDMI-1"), and its place among the screens in device
    // pixels, as the desktop lays them out.
    QString name = {};
    QRect pixelRect = {};
};

// Either a value or a description of what went wrong that a user can read.
template <typename T>
struct CaptureResult
{
    std::optional<T> value;
    QString error;

    static CaptureResult success(T v) { return {std::move(v), {}}; }
    static CaptureResult failure(QString description) { return {std::nullopt, std::move(description)}; }
};

// Reads the screen's pixels. Both requests answer on the GUI thread, always after the call has
// returned, exactly once.
class ScreenCaptureService
{
public:
    using ContentHandler = std::function<void(CaptureResult<QList<CaptureDisplay>>)>;
    using ImageHandler = std::function<void(CaptureResult<QImage>)>;

    virtual ~ScreenCaptureService() = default;

    // The displays that can be captured.
    virtual void requestShareableContent(ContentHandler done) = 0;
    // One image of a display, pixelWidth × pixelHeight pixels, without the cursor. The grab never
    // reaches past the display: a larger request gives the display's own size.
    virtual void requestImage(std::uint32_t displayId, int pixelWidth, int pixelHeight, ImageHandler done) = 0;
    // Images of these displays will be asked for one after the other: a service that can take
    // them all at once starts now.
    virtual void expectImages(const QList<std::pair<std::uint32_t, QSize>> &displays) { (void)displays; }

    [[nodiscard]] virtual std::uint32_t mainDisplayId() const = 0;
    [[nodiscard]] virtual QList<CaptureScreen> screens() const = 0;
    [[nodiscard]] virtual std::optional<CaptureScreen> mainScreen() const = 0;

    // Where the compositor captures the window the user works in by itself (KWin on Wayland,
    // which tells no program where windows are): whether it does, and the window's pixels, its
    // frame included, at the screen's own scale.
    [[nodiscard]] virtual bool capturesActiveWindow() const { return false; }
    // Only asked of a service that captures windows; any other says so at once.
    virtual void requestActiveWindow(ImageHandler done)
    {
        done(CaptureResult<QImage>::failure(QStringLiteral("this desktop does not capture windows")));
    }

    // Whether a frame comes quickly enough to follow content as it scrolls (a few hundredths of a
    // second, with no file or dialog on the way).
    [[nodiscard]] virtual bool capturesQuickly() const { return true; }

    // Makes ready, while nobody waits, what the first capture would otherwise pay for.
    virtual void warmUp() {}
};
