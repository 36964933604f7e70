#pragma once

#include "platform/QtScreenList.h"

#include <QDBusConnection>
#include <QImage>
#include <QObject>
#include <QRect>
#include <QTimer>

class QScreen;

// Reads the screen in a Wayland session, where no program may read another's windows by
// itself: through `grim` where the compositor offers wlr-screencopy (its pixels come over a
// pipe, with no file), else through the desktop's Screenshot portal, whose file is read into
// memory and, where it was left in a temporary folder, removed (it holds the user's screen and
// anyone may read it).
class WaylandScreenCapture : public QtScreensCaptureService
{
    Q_OBJECT

public:
    enum class Backend { Grim, Portal };

    // Grim when it is installed, unless PIXDRIFT_CAPTURE=portal asks for the portal.
    explicit WaylandScreenCapture(QObject *parent = nullptr);
    // `grim` is the program to run; empty means the portal only.
    WaylandScreenCapture(Backend preferred, QString grim, const QDBusConnection &bus, QObject *parent = nullptr);

    void requestShareableContent(ContentHandler done) override;
    void requestImage(std::uint32_t displayId, int pixelWidth, int pixelHeight, ImageHandler done) override;

    [[nodiscard]] Backend backend() const { return m_backend; }

    // A binary PPM (P6, 8 bits a channel) as grim writes it, or a null image.
    [[nodiscard]] static QImage fromPpm(const QByteArray &data);
    // The part of a picture of the whole desktop (the union of the screens, `desktop` in points)
    // that shows `screen`, at `pixels`. Null when the picture does not cover it.
    [[nodiscard]] static QImage cutScreen(const QImage &picture, const QRect &desktop, const QRect &screen,
                                          QSize pixels);
    // Reads the picture at a file:// URI the portal answered with, and removes the file when it
    // lies in a temporary folder.
    [[nodiscard]] static CaptureResult<QImage> takePortalFile(const QString &uri);

private:
    void grabWithGrim(QScreen *screen, QSize pixels, ImageHandler done);
    void grabWithPortal(QScreen *screen, QSize pixels, ImageHandler done);
    void deliverFromPortalPicture(QScreen *screen, QSize pixels, const ImageHandler &done);

    Backend m_backend = Backend::Portal;
    QString m_grim;
    QDBusConnection m_bus;
    // The portal pictures the whole desktop at once: one picture serves every screen of a capture.
    QImage m_portalPicture;
    QRect m_portalDesktop;
    QTimer m_dropPicture;
};
