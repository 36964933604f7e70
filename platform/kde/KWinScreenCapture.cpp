#include "platform/kde/KWinScreenCapture.h"


#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace {

constexpr int captureTimeoutMs = 10000;

// The read end of the pipe KWin writes into, and what has come through it so far.
struct PixelPipe
{
    int fd = -1;
    QByteArray data;
    QVariantMap format;
    bool answered = false;
    ~PixelPipe()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// The picture once the whole of it is there; null until then, or when the answer makes no sense.
QImage pictureFrom(const PixelPipe &pipe)
{
    const int width = pipe.format.value(QStringLiteral("width")).toInt();
    const int height = pipe.format.value(QStringLiteral("height")).toInt();
    const qsizetype stride = pipe.format.value(QStringLiteral("stride")).toLongLong();
    const auto format = QImage::Format(pipe.format.value(QStringLiteral("format")).toInt());
    if (width <= 0 || height <= 0 || stride < qsizetype(width) * 4 || pipe.data.size() < stride * height
        || (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32
            && format != QImage::Format_ARGB32_Premultiplied))
        return {};
    const QImage view(reinterpret_cast<const uchar *>(pipe.data.constData()), width, height, stride, format);
    QImage picture = view.convertToFormat(QImage::Format_RGB32);
    // Device pixels per point of what was captured, where KWin says (since version 4).
    if (const double scale = pipe.format.value(QStringLiteral("scale")).toDouble(); scale > 0)
        picture.setDevicePixelRatio(scale);
    return picture;
}

} // namespace

KWinScreenCapture::KWinScreenCapture(const QDBusConnection &bus, std::unique_ptr<ScreenCaptureService> fallback,
                                     QObject *parent)
    : FallingBackCaptureService(std::move(fallback), parent)
    , m_bus(bus)
{
}

KWinScreenCapture::~KWinScreenCapture() = default;

void KWinScreenCapture::requestImage(std::uint32_t displayId, int pixelWidth, int pixelHeight, ImageHandler done)
{
    if (forwarded(displayId, pixelWidth, pixelHeight, done))
        return;
    QScreen *screen = QtScreenList::screen(displayId);
    if (!screen) {
        answerLater(std::move(done), CaptureResult<QImage>::failure(QStringLiteral("display %1 is not connected").arg(displayId)));
        return;
    }
    const QSize pixels = QSize(pixelWidth, pixelHeight).boundedTo(QtScreenList::scaledSize(screen));
    call(QStringLiteral("CaptureScreen"),
         {screen->name(), QVariantMap{{QStringLiteral("include-cursor"), false}, {QStringLiteral("native-resolution"), true}}},
         [this, pixels, displayId, pixelWidth, pixelHeight, done = std::move(done)](QImage image, const QString &error) {
             if (!error.isEmpty()) {
                 fallBack(QStringLiteral("KWin's screenshot failed (%1)").arg(error), displayId, pixelWidth, pixelHeight,
                          std::move(done));
                 return;
             }
             // The output's own pixels are the truth (see the grim service for why not Qt's guess).
             const QSize kept = image.size().boundedTo(pixels);
             if (image.size() != kept)
                 image = image.copy(QRect(QPoint(0, 0), kept));
             done(CaptureResult<QImage>::success(image));
         });
}

void KWinScreenCapture::requestActiveWindow(ImageHandler done)
{
    // The frame as the user sees it, without the shadow around it.
    call(QStringLiteral("CaptureActiveWindow"),
         {QVariantMap{{QStringLiteral("include-cursor"), false},
                      {QStringLiteral("include-decoration"), true},
                      {QStringLiteral("include-shadow"), false},
                      {QStringLiteral("native-resolution"), true}}},
         [done = std::move(done)](const QImage &image, const QString &error) {
             done(error.isEmpty() ? CaptureResult<QImage>::success(image)
                                  : CaptureResult<QImage>::failure(QStringLiteral("KWin's window screenshot failed (%1)").arg(error)));
         });
}

void KWinScreenCapture::call(const QString &method, const QVariantList &arguments, std::function<void(QImage, QString)> done)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        QMetaObject::invokeMethod(
            this, [done = std::move(done), error = QString::fromLocal8Bit(strerror(errno))] { done({}, error); },
            Qt::QueuedConnection);
        return;
    }
    auto pipe = std::make_shared<PixelPipe>();
    pipe->fd = ends[0];
    QDBusMessage message = QDBusMessage::createMethodCall(QStringLiteral("org.kde.KWin"), QStringLiteral("/org/kde/KWin/ScreenShot2"),
                                                          QStringLiteral("org.kde.KWin.ScreenShot2"), method);
    message.setArguments(arguments);
    message << QVariant::fromValue(QDBusUnixFileDescriptor(ends[1]));
    ::close(ends[1]);
    const QDBusPendingCall pending = m_bus.asyncCall(message, captureTimeoutMs);

    // One answer, whichever comes first: the picture, KWin's refusal, or the clock.
    auto finish = std::make_shared<std::function<void(QImage, QString)>>(std::move(done));
    auto *context = new QObject(this);
    auto *notifier = new QSocketNotifier(pipe->fd, QSocketNotifier::Read, context);
    auto *watcher = new QDBusPendingCallWatcher(pending, context);
    auto complete = [context, finish, pipe](const QString &error) {
        if (!*finish)
            return;
        const std::function<void(QImage, QString)> handler = std::move(*finish);
        *finish = nullptr;
        context->deleteLater();
        if (!error.isEmpty()) {
            handler({}, error);
            return;
        }
        const QImage image = pictureFrom(*pipe);
        handler(image, image.isNull() ? QStringLiteral("KWin sent no picture") : QString());
    };
    auto tryComplete = [pipe, complete] {
        if (pipe->answered && !pictureFrom(*pipe).isNull())
            complete({});
    };
    connect(notifier, &QSocketNotifier::activated, context, [pipe, notifier, tryComplete, complete] {
        char buffer[65536];
        for (;;) {
            const ssize_t got = ::read(pipe->fd, buffer, sizeof buffer);
            if (got > 0) {
                pipe->data.append(buffer, got);
                continue;
            }
            if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                // The end of the pipe: whatever came is all there is.
                notifier->setEnabled(false);
                if (pipe->answered)
                    complete(pictureFrom(*pipe).isNull() ? QStringLiteral("the picture was cut short") : QString());
            }
            break;
        }
        tryComplete();
    });
    connect(watcher, &QDBusPendingCallWatcher::finished, context, [pipe, watcher, tryComplete, complete] {
        const QDBusPendingReply<QVariantMap> reply = *watcher;
        // The call keeps a copy of the pipe's write end: let it go, so that the pipe ends when
        // KWin is done with it.
        watcher->deleteLater();
        if (reply.isError()) {
            complete(reply.error().message().isEmpty() ? reply.error().name() : reply.error().message());
            return;
        }
        pipe->format = reply.value();
        pipe->answered = true;
        tryComplete();
    });
    QTimer::singleShot(captureTimeoutMs, context, [complete] { complete(QStringLiteral("KWin did not answer in time")); });
}
