#include "platform/QtScreenList.h"

#include "platform/LogLine.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace QtScreenList {

std::uint32_t displayNumber(const QScreen *screen)
{
    const qsizetype index = QGuiApplication::screens().indexOf(const_cast<QScreen *>(screen));
    return index < 0 ? 0 : std::uint32_t(index + 1);
}

QScreen *screen(std::uint32_t displayNumber)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (displayNumber == 0 || displayNumber > std::uint32_t(screens.size()))
        return nullptr;
    return screens.at(qsizetype(displayNumber) - 1);
}

CaptureScreen captureScreen(QScreen *screen)
{
    const qreal scale = screen->devicePixelRatio();
    // Qt keeps an X11 screen's origin in device pixels; a Wayland compositor places its outputs
    // in points.
    const bool points = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    const QPointF origin = QPointF(screen->geometry().topLeft()) * (points ? scale : 1.0);
    return {displayNumber(screen), scale, screen, screen->name(),
            QRect(QPoint(int(std::lround(origin.x())), int(std::lround(origin.y()))), scaledSize(screen))};
}

QList<CaptureScreen> screens()
{
    QList<CaptureScreen> result;
    const QList<QScreen *> all = QGuiApplication::screens();
    for (QScreen *screen : all)
        result.append(captureScreen(screen));
    return result;
}

std::optional<CaptureScreen> mainScreen()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return std::nullopt;
    return captureScreen(screen);
}

QList<CaptureDisplay> displays(const std::function<QSize(const QScreen *)> &pixelSize)
{
    QList<CaptureDisplay> result;
    const QList<QScreen *> all = QGuiApplication::screens();
    for (QScreen *screen : all)
        result.append({displayNumber(screen), screen->geometry().width(), screen->geometry().height(), pixelSize(screen)});
    return result;
}

QSize scaledSize(const QScreen *screen)
{
    const QSizeF points = screen->geometry().size();
    const qreal scale = screen->devicePixelRatio();
    return QSize(int(std::lround(points.width() * scale)), int(std::lround(points.height() * scale)));
}

} // namespace QtScreenList

std::uint32_t QtScreensCaptureService::mainDisplayId() const
{
    return QtScreenList::displayNumber(QGuiApplication::primaryScreen());
}

FallingBackCaptureService::FallingBackCaptureService(std::unique_ptr<ScreenCaptureService> fallback, QObject *parent)
    : QtScreensCaptureService(parent)
    , m_fallback(std::move(fallback))
{
}

FallingBackCaptureService::~FallingBackCaptureService() = default;

void FallingBackCaptureService::requestShareableContent(ContentHandler done)
{
    if (m_fellBack) {
        m_fallback->requestShareableContent(std::move(done));
        return;
    }
    answerLater(std::move(done), CaptureResult<QList<CaptureDisplay>>::success(QtScreenList::displays(QtScreenList::scaledSize)));
}

bool FallingBackCaptureService::forwarded(std::uint32_t displayId, int pixelWidth, int pixelHeight, ImageHandler &done)
{
    if (m_fellBack)
        m_fallback->requestImage(displayId, pixelWidth, pixelHeight, std::move(done));
    return m_fellBack;
}

void FallingBackCaptureService::fallBack(const QString &why, std::uint32_t displayId, int pixelWidth, int pixelHeight,
                                         ImageHandler done)
{
    logLine("Pixdrift captures through the desktop portal: %@", why);
    m_fellBack = true;
    m_fallback->requestImage(displayId, pixelWidth, pixelHeight, std::move(done));
}
