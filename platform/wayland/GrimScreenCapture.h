#pragma once

#include "platform/QtScreenList.h"

#include <QByteArray>
#include <QImage>

#include <memory>

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
    // Until grim has failed and the portal has taken over.
    [[nodiscard]] bool capturesQuickly() const override { return !fellBack(); }

    // A binary PPM (P6, 8 bits a channel) as grim writes it, or a null image.
    [[nodiscard]] static QImage fromPpm(const QByteArray &data);

private:
    QString m_grim;
};
