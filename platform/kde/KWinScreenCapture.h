#pragma once

#include "platform/QtScreenList.h"

#include <QDBusConnection>

#include <memory>

// Reads the screen on KDE Plasma's Wayland session through KWin's ScreenShot2 interface: one
// call per screen, or one for the active window, the raw pixels through a pipe, no file and no
// dialog. KWin answers only
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
    [[nodiscard]] bool capturesActiveWindow() const override { return !fellBack(); }
    void requestActiveWindow(ImageHandler done) override;
    // The panel of a scrolling capture cannot be kept out of the area: KWin places windows itself.
    [[nodiscard]] bool capturesQuickly() const override { return false; }

private:
    // Calls ScreenShot2's `method` with `arguments` and a pipe for the pixels; `done` gets the
    // picture, or why none came.
    void call(const QString &method, const QVariantList &arguments, std::function<void(QImage, QString)> done);

    QDBusConnection m_bus;
};
