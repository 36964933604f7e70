#include "platform/QtScreenList.h"

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

QList<CaptureScreen> screens()
{
    QList<CaptureScreen> result;
    const QList<QScreen *> all = QGuiApplication::screens();
    for (QScreen *screen : all)
        result.append({displayNumber(screen), screen->devicePixelRatio(), screen});
    return result;
}

std::optional<CaptureScreen> mainScreen()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return std::nullopt;
    return CaptureScreen{displayNumber(screen), screen->devicePixelRatio(), screen};
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
