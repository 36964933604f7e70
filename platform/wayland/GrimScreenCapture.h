#pragma once

#include "platform/QtScreenList.h"

#include <QByteArray>
#include <QImage>

#include <map>
#include <memory>
#include <optional>

class QScreen;

// Reads the screen where the compositor offers wlr-screencopy (sway, Hyprland, river, Wayfire):
// `grim` writes each output's pixels into a pipe, with no file on the way. A compositor without
// it makes grim fail, and from then on the fallback service reads the screen.
class GrimScreenCapture : public FallingBackCaptureService
{
    Q_OBJECT

public:
    // `grim` is the program to run.
    GrimScreenCapture(QString grim, std::unique_ptr<ScreenCaptureService> fallback, QObject *parent = nullptr);
    ~GrimScreenCapture() override;

    void requestImage(std::uint32_t displayId, int pixelWidth, int pixelHeight, ImageHandler done) override;
    // One grim for each display, all at the same time.
    void expectImages(const QList<std::pair<std::uint32_t, QSize>> &displays) override;
    // Until grim has failed and the portal has taken over.
    [[nodiscard]] bool capturesQuickly() const override { return !fellBack(); }

    // A binary PPM (P6, 8 bits a channel) as grim writes it, or a null image.
    [[nodiscard]] static QImage fromPpm(const QByteArray &data);

private:
    struct Run;
    // Starts grim for a display; its answer goes to whoever asks for the display's image.
    std::shared_ptr<Run> start(std::uint32_t displayId, QSize pixels);
    void answer(const std::shared_ptr<Run> &run);

    QString m_grim;
    // Captures started ahead, by display, until their image is asked for.
    std::map<std::uint32_t, std::shared_ptr<Run>> m_started;
};
