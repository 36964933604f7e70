#pragma once

#include "platform/ScreenCaptureService.h"

#include <QObject>

#include <functional>
#include <memory>

class QScreen;

// The window system's screens as Qt lists them, the displays a capture service offers: each is
// numbered by its place in Qt's list, from 1.
namespace QtScreenList {

[[nodiscard]] std::uint32_t displayNumber(const QScreen *screen);
// The screen with that number, or null.
[[nodiscard]] QScreen *screen(std::uint32_t displayNumber);
[[nodiscard]] CaptureScreen captureScreen(QScreen *screen);
[[nodiscard]] QList<CaptureScreen> screens();
[[nodiscard]] std::optional<CaptureScreen> mainScreen();
// Every screen as a display, with its size in device pixels as `pixelSize` tells it.
[[nodiscard]] QList<CaptureDisplay> displays(const std::function<QSize(const QScreen *)> &pixelSize);
// A screen's size in points times its scale. Where scales are whole, as for a Wayland
// compositor's outputs, that is the screen's own size in pixels.
[[nodiscard]] QSize scaledSize(const QScreen *screen);

} // namespace QtScreenList

// A capture service over Qt's screens: the displays, their numbers and the main one come from
// Qt's list; the services differ only in how they read the pixels.
class QtScreensCaptureService : public QObject, public ScreenCaptureService
{
public:
    using QObject::QObject;

    [[nodiscard]] std::uint32_t mainDisplayId() const override;
    [[nodiscard]] QList<CaptureScreen> screens() const override { return QtScreenList::screens(); }
    [[nodiscard]] std::optional<CaptureScreen> mainScreen() const override { return QtScreenList::mainScreen(); }

protected:
    // Answers on a later turn, as callers of a capture service expect.
    template <typename Handler, typename Result>
    void answerLater(Handler done, Result result)
    {
        QMetaObject::invokeMethod(
            this, [done = std::move(done), result = std::move(result)] { done(result); }, Qt::QueuedConnection);
    }
};

// A capture service with a way of its own and another to fall back on (the desktop's portal):
// once its own way has failed, every request goes to the fallback.
class FallingBackCaptureService : public QtScreensCaptureService
{
public:
    explicit FallingBackCaptureService(std::unique_ptr<ScreenCaptureService> fallback, QObject *parent = nullptr);
    ~FallingBackCaptureService() override;

    void requestShareableContent(ContentHandler done) override;

protected:
    [[nodiscard]] bool fellBack() const { return m_fellBack; }
    // Hands the request to the fallback when the service has fallen back; true then.
    bool forwarded(std::uint32_t displayId, int pixelWidth, int pixelHeight, ImageHandler &done);
    // Gives up the service's own way for good, saying `why` in the log, and hands this request on.
    void fallBack(const QString &why, std::uint32_t displayId, int pixelWidth, int pixelHeight, ImageHandler done);

private:
    std::unique_ptr<ScreenCaptureService> m_fallback;
    bool m_fellBack = false;
};
