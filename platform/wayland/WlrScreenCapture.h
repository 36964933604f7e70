#pragma once

#include "platform/QtScreenList.h"

#include <QImage>

#include <map>
#include <memory>
#include <vector>

class QSocketNotifier;
struct wl_display;

// Reads the screen where the compositor offers wlr-screencopy (sway, Hyprland, river, Wayfire),
// on a Wayland connection of its own: the compositor copies each output into memory of ours,
// which becomes the image as it lies. Where the compositor refuses, or the connection breaks,
// the fallback service reads the screen from then on.
class WlrScreenCapture : public FallingBackCaptureService
{
    Q_OBJECT

public:
    // This service where the compositor offers wlr-screencopy, else the fallback itself.
    [[nodiscard]] static std::unique_ptr<ScreenCaptureService> orFallback(std::unique_ptr<ScreenCaptureService> fallback);
    ~WlrScreenCapture() override;

    void requestImage(std::uint32_t displayId, int pixelWidth, int pixelHeight, ImageHandler done) override;
    // Every display at once: the compositor copies them all in the same frame.
    void expectImages(const QList<std::pair<std::uint32_t, QSize>> &displays) override;
    [[nodiscard]] bool capturesQuickly() const override { return !fellBack(); }

    // Turns a copied buffer (`format` a wl_shm format) into an RGB32 image over the same memory,
    // upright, its rows in place; `release` frees the memory with the image. A null image for a
    // format it does not know, and then the memory is not released.
    [[nodiscard]] static QImage imageInPlace(uchar *pixels, std::uint32_t format, QSize size, qsizetype stride,
                                             bool upsideDown, QImageCleanupFunction release, void *memory);

    struct Globals;
    struct Frame;

private:
    WlrScreenCapture(std::unique_ptr<ScreenCaptureService> fallback, wl_display *display, std::unique_ptr<Globals> globals);

    // Asks the compositor for a display's pixels; the answer goes to whoever asks for the image.
    std::shared_ptr<Frame> start(std::uint32_t displayId, QSize pixels);
    void answer(const std::shared_ptr<Frame> &frame);
    void finish(const std::shared_ptr<Frame> &frame);
    void readEvents();
    // The connection broke: every capture under way fails over to the fallback.
    void lost();

    wl_display *m_display;
    std::unique_ptr<Globals> m_globals;
    QSocketNotifier *m_events = nullptr;
    // Captures started ahead, by display, until their image is asked for.
    std::map<std::uint32_t, std::shared_ptr<Frame>> m_started;
    // Every copy under way, asked for or not.
    std::vector<std::weak_ptr<Frame>> m_copying;
};
