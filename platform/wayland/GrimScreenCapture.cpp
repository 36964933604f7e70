#include "platform/wayland/GrimScreenCapture.h"

#include "platform/HugePages.h"

#include <QProcess>
#include <QScreen>
#include <QTimer>

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int grimTimeoutMs = 10000;
constexpr std::chrono::seconds keptFor{5};

// A file in memory that grim's standard output goes to, read back mapped.
struct OutputMemory
{
    int fd = memfd_create("pixdrift-grim", MFD_CLOEXEC);
    void *mapping = MAP_FAILED;
    std::size_t length = 0;

    // What grim wrote, valid while this lives.
    QByteArray bytes()
    {
        struct stat status {};
        if (fstat(fd, &status) != 0 || status.st_size <= 0)
            return {};
        length = std::size_t(status.st_size);
        mapping = mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd, 0);
        return mapping == MAP_FAILED ? QByteArray()
                                     : QByteArray::fromRawData(static_cast<const char *>(mapping), qsizetype(length));
    }
    ~OutputMemory()
    {
        if (mapping != MAP_FAILED)
            munmap(mapping, length);
        if (fd >= 0)
            close(fd);
    }
};

} // namespace

GrimScreenCapture::GrimScreenCapture(QString grim, std::unique_ptr<ScreenCaptureService> fallback, QObject *parent)
    : FallingBackCaptureService(std::move(fallback), parent)
    , m_grim(std::move(grim))
{
}

GrimScreenCapture::~GrimScreenCapture() = default;

// One grim process and what came of it: an image, or why grim could not give one.
struct GrimScreenCapture::Run
{
    std::uint32_t displayId;
    QSize pixels;
    std::optional<CaptureResult<QImage>> result;
    QString failure;
    bool failed = false;
    std::optional<ImageHandler> waiting;
};

void GrimScreenCapture::expectImages(const QList<std::pair<std::uint32_t, QSize>> &displays)
{
    m_started.clear();
    if (fellBack())
        return;
    for (const auto &[displayId, pixels] : displays) {
        if (QtScreenList::screen(displayId))
            m_started[displayId] = start(displayId, pixels);
    }
}

void GrimScreenCapture::requestImage(std::uint32_t displayId, int pixelWidth, int pixelHeight, ImageHandler done)
{
    std::shared_ptr<Run> run;
    if (const auto found = m_started.find(displayId); found != m_started.end()) {
        run = found->second;
        m_started.erase(found);
    }
    if (!run && forwarded(displayId, pixelWidth, pixelHeight, done))
        return;
    if (!run && !QtScreenList::screen(displayId)) {
        answerLater(std::move(done), CaptureResult<QImage>::failure(QStringLiteral("display %1 is not connected").arg(displayId)));
        return;
    }
    if (!run)
        run = start(displayId, QSize(pixelWidth, pixelHeight));
    run->waiting = std::move(done);
    if (run->result || run->failed)
        QTimer::singleShot(0, this, [this, run] { answer(run); });
}

void GrimScreenCapture::answer(const std::shared_ptr<Run> &run)
{
    if (!run->waiting) {
        // A capture given up before it asked: its picture is not kept for long.
        QTimer::singleShot(keptFor, this, [this, run] {
            const auto found = m_started.find(run->displayId);
            if (found != m_started.end() && found->second == run)
                m_started.erase(found);
        });
        return;
    }
    ImageHandler done = std::move(*std::exchange(run->waiting, std::nullopt));
    if (run->failed) {
        // A compositor without wlr-screencopy: the desktop portal from now on.
        fallBack(QStringLiteral("grim failed (%1)").arg(run->failure), run->displayId, run->pixels.width(),
                 run->pixels.height(), std::move(done));
        return;
    }
    done(std::move(*run->result));
}

std::shared_ptr<GrimScreenCapture::Run> GrimScreenCapture::start(std::uint32_t displayId, QSize requested)
{
    QScreen *screen = QtScreenList::screen(displayId);
    auto run = std::make_shared<Run>(Run{displayId, requested, {}, {}, false, {}});
    // The grab never reaches past the display.
    const QSize pixels = requested.boundedTo(QtScreenList::scaledSize(screen));
    auto *grim = new QProcess(this);
    // grim writes into memory of ours rather than a pipe read 64 KB at a time.
    auto output = std::make_shared<OutputMemory>();
    if (output->fd >= 0)
        grim->setStandardOutputFile(QStringLiteral("/proc/self/fd/%1").arg(output->fd));
    QStringList arguments{QStringLiteral("-t"), QStringLiteral("ppm")};
    if (!screen->name().isEmpty())
        arguments << QStringLiteral("-o") << screen->name();
    arguments << QStringLiteral("-");
    auto giveUp = [this, run](const QString &why) {
        run->failed = true;
        run->failure = why;
        answer(run);
    };
    connect(grim, &QProcess::errorOccurred, this, [grim, giveUp](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart && error != QProcess::Timedout)
            return;
        grim->disconnect();
        grim->deleteLater();
        giveUp(grim->errorString());
    });
    connect(grim, &QProcess::finished, this, [this, grim, pixels, run, giveUp, output](int code, QProcess::ExitStatus status) {
        grim->deleteLater();
        if (status != QProcess::NormalExit || code != 0) {
            giveUp(QString::fromLocal8Bit(grim->readAllStandardError()).trimmed());
            return;
        }
        QImage image = fromPpm(output->fd >= 0 ? output->bytes() : grim->readAllStandardOutput());
        if (image.isNull()) {
            run->result = CaptureResult<QImage>::failure(QStringLiteral("grim returned no image"));
        } else {
            // The output's own pixels are the truth. At a fractional scale Qt rounds the scale
            // up (1.5 reads as 2) and so asks for more pixels than the output has: padding the
            // picture to that size would shift every selection on it.
            const QSize kept = image.size().boundedTo(pixels);
            if (image.size() != kept)
                image = image.copy(QRect(QPoint(0, 0), kept));
            run->result = CaptureResult<QImage>::success(image);
        }
        answer(run);
    });
    QTimer::singleShot(grimTimeoutMs, grim, [grim] { grim->kill(); });
    grim->start(m_grim, arguments, QIODevice::ReadOnly);
    return run;
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
    // Straight into fresh memory of huge pages: a screen's worth of small pages would cost more
    // page faults than the conversion itself.
    std::unique_ptr<HugePages> memory = HugePages::allocate(std::size_t(width) * std::size_t(height) * 4);
    if (!memory)
        return {};
    auto *to = reinterpret_cast<QRgb *>(memory->data());
    const auto *from = reinterpret_cast<const uchar *>(data.constData() + at);
    const std::size_t count = std::size_t(width) * std::size_t(height);
    for (std::size_t i = 0; i < count; ++i, from += 3)
        to[i] = 0xff000000u | (QRgb(from[0]) << 16) | (QRgb(from[1]) << 8) | QRgb(from[2]);
    uchar *pixels = memory->data();
    return QImage(pixels, int(width), int(height), qsizetype(width) * 4, QImage::Format_RGB32,
                  [](void *p) { delete static_cast<HugePages *>(p); }, memory.release());
}
