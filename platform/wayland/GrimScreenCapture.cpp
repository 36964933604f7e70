#include "platform/wayland/GrimScreenCapture.h"


#include <QProcess>
#include <QScreen>
#include <QTimer>

namespace {

constexpr int grimTimeoutMs = 10000;

} // namespace

GrimScreenCapture::GrimScreenCapture(QString grim, std::unique_ptr<ScreenCaptureService> fallback, QObject *parent)
    : FallingBackCaptureService(std::move(fallback), parent)
    , m_grim(std::move(grim))
{
}

GrimScreenCapture::~GrimScreenCapture() = default;

void GrimScreenCapture::requestImage(std::uint32_t displayId, int pixelWidth, int pixelHeight, ImageHandler done)
{
    if (forwarded(displayId, pixelWidth, pixelHeight, done))
        return;
    QScreen *screen = QtScreenList::screen(displayId);
    if (!screen) {
        answerLater(std::move(done), CaptureResult<QImage>::failure(QStringLiteral("display %1 is not connected").arg(displayId)));
        return;
    }
    // The grab never reaches past the display.
    const QSize pixels = QSize(pixelWidth, pixelHeight).boundedTo(QtScreenList::scaledSize(screen));
    auto *grim = new QProcess(this);
    QStringList arguments{QStringLiteral("-t"), QStringLiteral("ppm")};
    if (!screen->name().isEmpty())
        arguments << QStringLiteral("-o") << screen->name();
    arguments << QStringLiteral("-");
    auto finish = std::make_shared<ImageHandler>(std::move(done));
    auto giveUp = [this, displayId, pixelWidth, pixelHeight, finish](const QString &why) {
        // A compositor without wlr-screencopy: the desktop portal from now on.
        fallBack(QStringLiteral("grim failed (%1)").arg(why), displayId, pixelWidth, pixelHeight, std::move(*finish));
    };
    connect(grim, &QProcess::errorOccurred, this, [grim, giveUp](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart && error != QProcess::Timedout)
            return;
        grim->disconnect();
        grim->deleteLater();
        giveUp(grim->errorString());
    });
    connect(grim, &QProcess::finished, this, [grim, pixels, finish, giveUp](int code, QProcess::ExitStatus status) {
        grim->deleteLater();
        if (status != QProcess::NormalExit || code != 0) {
            giveUp(QString::fromLocal8Bit(grim->readAllStandardError()).trimmed());
            return;
        }
        QImage image = fromPpm(grim->readAllStandardOutput());
        if (image.isNull()) {
            (*finish)(CaptureResult<QImage>::failure(QStringLiteral("grim returned no image")));
            return;
        }
        // The output's own pixels are the truth. At a fractional scale Qt rounds the scale up
        // (1.5 reads as 2) and so asks for more pixels than the output has: padding the picture
        // to that size would shift every selection on it.
        const QSize kept = image.size().boundedTo(pixels);
        if (image.size() != kept)
            image = image.copy(QRect(QPoint(0, 0), kept));
        (*finish)(CaptureResult<QImage>::success(image));
    });
    QTimer::singleShot(grimTimeoutMs, grim, [grim] { grim->kill(); });
    grim->start(m_grim, arguments, QIODevice::ReadOnly);
}

QImage GrimScreenCapture::fromPpm(const QByteArray &data)
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
