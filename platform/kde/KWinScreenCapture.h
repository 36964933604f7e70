#pragma once

#include "platform/QtScreenList.h"

#include <QDBusConnection>

#include <memory>

// Reads the screen on KDE Plasma's Wayland session through KWin's ScreenShot2 interface: one
// call per screen, the raw pixels through a pipe, no file and no dialog. KWin answers only
// programs whose installed desktop entry names the interface; where it refuses, or is not there,
// the fallback service reads the screen from then on.
class KWinScreenCapture : public FallingBackCaptureService
{
    Q_OBJECT

public:
    KWinScreenCapture(const QDBusConnection &bus, std::unique_ptr<ScreenCaptureService> fallback,
                      QObject *parent = nullptr);
    ~KWinScreenCapture() override;

    void requestImage(std::uint32_t displayId, int pixelWidth, int pixelHeight, ImageHandler done) override;

private:
    QDBusConnection m_bus;
};
