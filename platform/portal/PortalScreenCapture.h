#pragma once

#include "platform/QtScreenList.h"

#include <QDBusConnection>
#include <QImage>
#include <QRect>
#include <QTimer>

class FolderSnapshot;
class QScreen;

// Reads the screen through the desktop's Screenshot portal, which every Wayland desktop offers:
// the portal pictures the whole desktop into a file, which is read into memory, cut into its
// screens and removed when the portal made it for us (it holds the user's screen, anyone may
// read it, and a file a capture would pile up).
class PortalScreenCapture : public QtScreensCaptureService
{
    Q_OBJECT

public:
    explicit PortalScreenCapture(const QDBusConnection &bus, QObject *parent = nullptr);

    void requestShareableContent(ContentHandler done) override;
    void requestImage(std::uint32_t displayId, int pixelWidth, int pixelHeight, ImageHandler done) override;
    // Every frame is a file written and read back.
    [[nodiscard]] bool capturesQuickly() const override { return false; }

    // The part of a picture of the whole desktop (the union of the screens, `desktop` in points)
    // that shows `screen`, at `pixels`. Null when the picture does not cover it.
    [[nodiscard]] static QImage cutScreen(const QImage &picture, const QRect &desktop, const QRect &screen,
                                          QSize pixels);
    // Reads the picture at a file:// URI the portal answered with, and removes the file when it
    // was not there `before` the request.
    [[nodiscard]] static CaptureResult<QImage> takePortalFile(const QString &uri, const FolderSnapshot &before);

private:
    void deliverFromPicture(QScreen *screen, QSize pixels, const ImageHandler &done);

    QDBusConnection m_bus;
    // The portal pictures the whole desktop at once: one picture serves every screen of a capture.
    QImage m_picture;
    QRect m_desktop;
    QTimer m_dropPicture;
};
