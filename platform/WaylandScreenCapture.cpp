#include "platform/WaylandScreenCapture.h"

#include "platform/LogLine.h"
#include "platform/PortalRequest.h"
#include "platform/QtScreenList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QUrl>

#include <cmath>
#include <memory>

namespace {

// A Wayland screen's size in points times its scale: the compositor's outputs have whole scales
// here, so the product is the output's own size in pixels.
QSize pixelSizeOf(const QScreen *screen)
{
    const QSizeF points = screen->geometry().size();
    const qreal scale = screen->devicePixelRatio();
    return QSize(int(std::lround(points.width() * scale)), int(std::lround(points.height() * scale)));
}

QRect desktopRect()
{
    QRect desktop;
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (const QScreen *screen : screens)
        desktop |= screen->geometry();
    return desktop;
}

template <typename Handler, typename Result>
void answerLater(QObject *context, Handler done, Result result)
{
    QMetaObject::invokeMethod(
        context, [done = std::move(done), result = std::move(result)] { done(result); }, Qt::QueuedConnection);
}

constexpr int grimTimeoutMs = 10000;

} // namespace

WaylandScreenCapture::WaylandScreenCapture(QObject *parent)
    : WaylandScreenCapture(qgetenv("PIXDRIFT_CAPTURE") == "portal" ? Backend::Portal : Backend::Grim,
                           QStandardPaths::findExecutable(QStringLiteral("grim")), QDBusConnection::sessionBus(),
                           parent)
{
}

WaylandScreenCapture::WaylandScreenCapture(Backend preferred, QString grim, const QDBusConnection &bus,
                                           QObject *parent)
    : QtScreensCaptureService(parent)
    , m_backend(grim.isEmpty() ? Backend::Portal : preferred)
    , m_grim(std::move(grim))
    , m_bus(bus)
{
    m_dropPicture.setSingleShot(true);
    m_dropPicture.setInterval(2000);
    connect(&m_dropPicture, &QTimer::timeout, this, [this] { m_portalPicture = {}; });
}

void WaylandScreenCapture::requestShareableContent(ContentHandler done)
{
    // A new capture: the last one's picture of the desktop shows the past.
    m_portalPicture = {};
    answerLater(this, std::move(done), CaptureResult<QList<CaptureDisplay>>::success(QtScreenList::displays(pixelSizeOf)));
}

void WaylandScreenCapture::requestImage(std::uint32_t displayId, int pixelWidth, int pixelHeight, ImageHandler done)
{
    QScreen *screen = QtScreenList::screen(displayId);
    if (!screen) {
        answerLater(this, std::move(done),
                    CaptureResult<QImage>::failure(QStringLiteral("display %1 is not connected").arg(displayId)));
        return;
    }
    // The grab never reaches past the display.
    const QSize pixels = QSize(pixelWidth, pixelHeight).boundedTo(pixelSizeOf(screen));
    if (m_backend == Backend::Grim)
        grabWithGrim(screen, pixels, std::move(done));
    else
        grabWithPortal(screen, pixels, std::move(done));
}

void WaylandScreenCapture::grabWithGrim(QScreen *screen, QSize pixels, ImageHandler done)
{
    auto *grim = new QProcess(this);
    QStringList arguments{QStringLiteral("-t"), QStringLiteral("ppm")};
    if (!screen->name().isEmpty())
        arguments << QStringLiteral("-o") << screen->name();
    arguments << QStringLiteral("-");
    auto finish = std::make_shared<ImageHandler>(std::move(done));
    auto fallBack = [this, screen = QPointer<QScreen>(screen), pixels, finish](const QString &why) {
        // A compositor without wlr-screencopy (GNOME, KDE): the portal from now on.
        logLine("Pixdrift captures through the desktop portal: grim failed (%@)", why);
        m_backend = Backend::Portal;
        if (screen)
            grabWithPortal(screen, pixels, std::move(*finish));
        else
            (*finish)(CaptureResult<QImage>::failure(QStringLiteral("the display went away")));
    };
    connect(grim, &QProcess::errorOccurred, this, [grim, fallBack](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart && error != QProcess::Timedout)
            return;
        grim->disconnect();
        grim->deleteLater();
        fallBack(grim->errorString());
    });
    connect(grim, &QProcess::finished, this, [grim, pixels, finish, fallBack](int code, QProcess::ExitStatus status) {
        grim->deleteLater();
        if (status != QProcess::NormalExit || code != 0) {
            fallBack(QString::fromLocal8Bit(grim->readAllStandardError()).trimmed());
            return;
        }
        QImage image = fromPpm(grim->readAllStandardOutput());
        if (image.isNull()) {
            (*finish)(CaptureResult<QImage>::failure(QStringLiteral("grim returned no image")));
            return;
        }
        if (image.size() != pixels)
            image = image.copy(QRect(QPoint(0, 0), pixels));
        (*finish)(CaptureResult<QImage>::success(image));
    });
    QTimer::singleShot(grimTimeoutMs, grim, [grim] { grim->kill(); });
    grim->start(m_grim, arguments, QIODevice::ReadOnly);
}

void WaylandScreenCapture::grabWithPortal(QScreen *screen, QSize pixels, ImageHandler done)
{
    if (!m_portalPicture.isNull()) {
        deliverFromPortalPicture(screen, pixels, done);
        return;
    }
    const QVariantMap options{{QStringLiteral("interactive"), false}, {QStringLiteral("modal"), false}};
    PortalRequest::call(
        m_bus, QStringLiteral("org.freedesktop.portal.Screenshot"), QStringLiteral("Screenshot"), {QString()}, options,
        [this, screen = QPointer<QScreen>(screen), pixels, done = std::move(done)](const PortalRequest::Answer &answer) {
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
            CaptureResult<QImage> picture = takePortalFile(answer.results.value(QStringLiteral("uri")).toString());
            if (!picture.value) {
                done(picture);
                return;
            }
            if (!screen) {
                done(CaptureResult<QImage>::failure(QStringLiteral("the display went away")));
                return;
            }
            m_portalPicture = *picture.value;
            m_portalDesktop = desktopRect();
            m_dropPicture.start();
            deliverFromPortalPicture(screen, pixels, done);
        });
}

void WaylandScreenCapture::deliverFromPortalPicture(QScreen *screen, QSize pixels, const ImageHandler &done)
{
    const QImage image = cutScreen(m_portalPicture, m_portalDesktop, screen->geometry(), pixels);
    answerLater(this, done,
                image.isNull() ? CaptureResult<QImage>::failure(QStringLiteral("the portal's picture misses the display"))
                               : CaptureResult<QImage>::success(image));
}

CaptureResult<QImage> WaylandScreenCapture::takePortalFile(const QString &uri)
{
    const QUrl url(uri, QUrl::StrictMode);
    if (!url.isValid() || !url.isLocalFile())
        return CaptureResult<QImage>::failure(QStringLiteral("the desktop portal gave no file (%1)").arg(uri.left(200)));
    const QString file = url.toLocalFile();
    QImageReader reader(file);
    // A picture of the largest desktops fits; a file that claims more is no screenshot.
    reader.setAllocationLimit(1024);
    QImage image = reader.read();
    // The file shows the user's screen to anyone who can read the folder. One the desktop left
    // in a temporary folder is ours to remove; one it saved elsewhere (a screenshots folder) is
    // the user's.
    const QString folder = QFileInfo(file).absolutePath();
    const QStringList temporary{QDir::tempPath(), QStringLiteral("/tmp"), qEnvironmentVariable("XDG_RUNTIME_DIR")};
    if (temporary.contains(folder) && QFileInfo(file).isFile())
        QFile::remove(file);
    if (image.isNull())
        return CaptureResult<QImage>::failure(
            QStringLiteral("the screenshot %1 could not be read (%2)").arg(file, reader.errorString()));
    image.setDevicePixelRatio(1.0);
    return CaptureResult<QImage>::success(image.convertToFormat(QImage::Format_RGB32));
}

QImage WaylandScreenCapture::fromPpm(const QByteArray &data)
{
    // "P6", whitespace, width, whitespace, height, whitespace, 255, one whitespace, the pixels.
    qsizetype at = 0;
    auto skipSpace = [&] {
        while (at < data.size() && (data[at] == ' ' || data[at] == '\n' || data[at] == '\r' || data[at] == '\t'))
            ++at;
    };
    auto number = [&]() -> qint64 {
        skipSpace();
        qint64 value = 0;
        const qsizetype start = at;
        while (at < data.size() && data[at] >= '0' && data[at] <= '9' && at - start < 6)
            value = value * 10 + (data[at++] - '0');
        return at == start ? -1 : value;
    };
    if (!data.startsWith("P6"))
        return {};
    at = 2;
    const qint64 width = number();
    const qint64 height = number();
    const qint64 maximum = number();
    if (width <= 0 || height <= 0 || maximum != 255 || at >= data.size())
        return {};
    ++at;
    if (data.size() - at < width * height * 3)
        return {};
    const QImage rgb(reinterpret_cast<const uchar *>(data.constData() + at), int(width), int(height),
                     qsizetype(width) * 3, QImage::Format_RGB888);
    return rgb.convertToFormat(QImage::Format_RGB32);
}

QImage WaylandScreenCapture::cutScreen(const QImage &picture, const QRect &desktop, const QRect &screen, QSize pixels)
{
    if (picture.isNull() || desktop.isEmpty() || !desktop.contains(screen))
        return {};
    // The desktop's picture has one scale throughout: the largest screen's.
    const double scale = double(picture.width()) / desktop.width();
    const QPoint origin(int(std::lround((screen.x() - desktop.x()) * scale)),
                        int(std::lround((screen.y() - desktop.y()) * scale)));
    const QSize shown(int(std::lround(screen.width() * scale)), int(std::lround(screen.height() * scale)));
    QImage part = picture.copy(QRect(origin, shown));
    if (part.size() != pixels)
        part = part.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return part;
}

