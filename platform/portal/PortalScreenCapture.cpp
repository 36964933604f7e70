#include "platform/portal/PortalScreenCapture.h"

#include "platform/portal/FolderSnapshot.h"
#include "platform/portal/PortalRequest.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QScreen>
#include <QUrl>

#include <cmath>
#include <memory>

namespace {

QRect desktopRect()
{
    QRect desktop;
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (const QScreen *screen : screens)
        desktop |= screen->geometry();
    return desktop;
}

} // namespace

PortalScreenCapture::PortalScreenCapture(const QDBusConnection &bus, QObject *parent)
    : QtScreensCaptureService(parent)
    , m_bus(bus)
{
    m_dropPicture.setSingleShot(true);
    m_dropPicture.setInterval(2000);
    connect(&m_dropPicture, &QTimer::timeout, this, [this] { m_picture = {}; });
}

void PortalScreenCapture::requestShareableContent(ContentHandler done)
{
    // A new capture: the last one's picture of the desktop shows the past.
    m_picture = {};
    answerLater(std::move(done), CaptureResult<QList<CaptureDisplay>>::success(QtScreenList::displays(QtScreenList::scaledSize)));
}

void PortalScreenCapture::requestImage(std::uint32_t displayId, int pixelWidth, int pixelHeight, ImageHandler done)
{
    QScreen *screen = QtScreenList::screen(displayId);
    if (!screen) {
        answerLater(std::move(done), CaptureResult<QImage>::failure(QStringLiteral("display %1 is not connected").arg(displayId)));
        return;
    }
    // The picture never reaches past the display.
    const QSize pixels = QSize(pixelWidth, pixelHeight).boundedTo(QtScreenList::scaledSize(screen));
    if (!m_picture.isNull()) {
        deliverFromPicture(screen, pixels, done);
        return;
    }
    const QVariantMap options{{QStringLiteral("interactive"), false}, {QStringLiteral("modal"), false}};
    // The portal writes its picture to a file of its choosing; one that was not there before is
    // ours, wherever it lies.
    auto before = std::make_shared<FolderSnapshot>(FolderSnapshot::take(FolderSnapshot::portalFolders()));
    PortalRequest::call(
        m_bus, QStringLiteral("org.freedesktop.portal.Screenshot"), QStringLiteral("Screenshot"), {QString()}, options,
        [this, screen = QPointer<QScreen>(screen), pixels, done = std::move(done),
         before](const PortalRequest::Answer &answer) {
            if (!answer.error.isEmpty()) {
                done(CaptureResult<QImage>::failure(QStringLiteral("the desktop portal failed: %1").arg(answer.error)));
                return;
            }
            if (answer.code == PortalRequest::Cancelled) {
                done(CaptureResult<QImage>::failure(QStringLiteral("the screenshot was cancelled")));
                return;
            }
            if (answer.code != PortalRequest::Success) {
                done(CaptureResult<QImage>::failure(QStringLiteral("the desktop refused the screenshot")));
                return;
            }
            CaptureResult<QImage> picture =
                takePortalFile(answer.results.value(QStringLiteral("uri")).toString(), *before);
            if (!picture.value) {
                done(picture);
                return;
            }
            if (!screen) {
                done(CaptureResult<QImage>::failure(QStringLiteral("the display went away")));
                return;
            }
            m_picture = *picture.value;
            m_desktop = desktopRect();
            m_dropPicture.start();
            deliverFromPicture(screen, pixels, done);
        });
}

void PortalScreenCapture::deliverFromPicture(QScreen *screen, QSize pixels, const ImageHandler &done)
{
    const QImage image = cutScreen(m_picture, m_desktop, screen->geometry(), pixels);
    answerLater(done, image.isNull() ? CaptureResult<QImage>::failure(QStringLiteral("the portal's picture misses the display"))
                                     : CaptureResult<QImage>::success(image));
}

CaptureResult<QImage> PortalScreenCapture::takePortalFile(const QString &uri, const FolderSnapshot &before)
{
    const QUrl url(uri, QUrl::StrictMode);
    if (!url.isValid() || !url.isLocalFile())
        return CaptureResult<QImage>::failure(QStringLiteral("the desktop portal gave no file (%1)").arg(uri.left(200)));
    const QString file = url.toLocalFile();
    QImageReader reader(file);
    // A picture of the largest desktops fits; a file that claims more is no screenshot.
    reader.setAllocationLimit(1024);
    QImage image = reader.read();
    // The file shows the user's screen to anyone who can read its folder, and would pile up a
    // file a capture. One made for our request is ours to remove; one that was there before is
    // the user's.
    if (before.isNew(file))
        QFile::remove(file);
    if (image.isNull())
        return CaptureResult<QImage>::failure(
            QStringLiteral("the screenshot %1 could not be read (%2)").arg(file, reader.errorString()));
    image.setDevicePixelRatio(1.0);
    return CaptureResult<QImage>::success(image.convertToFormat(QImage::Format_RGB32));
}

QImage PortalScreenCapture::cutScreen(const QImage &picture, const QRect &desktop, const QRect &screen, QSize pixels)
{
    if (picture.isNull() || desktop.isEmpty() || !desktop.contains(screen))
        return {};
    // The desktop's picture has one scale throughout: the largest screen's.
    const double scale = double(picture.width()) / desktop.width();
    const QPoint origin(int(std::lround((screen.x() - desktop.x()) * scale)),
                        int(std::lround((screen.y() - desktop.y()) * scale)));
    const QSize shown(int(std::lround(screen.width() * scale)), int(std::lround(screen.height() * scale)));
    QImage part = picture.copy(QRect(origin, shown));
    // Down to the display's pixels where the picture has more (a screen of a lower scale beside a
    // higher one); never up. A picture with fewer pixels than asked for holds the output's own
    // pixels at a fractional scale, which Qt rounds up (1.5 reads as 2): enlarging it would shift
    // every selection on it.
    if (part.width() > pixels.width() && part.height() > pixels.height())
        part = part.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return part;
}

