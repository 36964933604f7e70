#include "platform/wayland/WlrScreenCapture.h"

#include "wlr-screencopy-unstable-v1-client-protocol.h"

#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>
#include <QTransform>

#include <wayland-client.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace {

constexpr int copyTimeoutMs = 10000;
constexpr std::chrono::seconds keptFor{5};

// A mapping of ours that an image's pixels live in, unmapped with the image.
struct Mapping
{
    void *address;
    std::size_t length;
};

void unmap(void *mapping)
{
    auto *memory = static_cast<Mapping *>(mapping);
    munmap(memory->address, memory->length);
    delete memory;
}

// An output as the compositor announces it.
struct Output
{
    wl_output *output = nullptr;
    std::uint32_t globalName = 0;
    QString name;
    QPoint position;
    std::int32_t transform = WL_OUTPUT_TRANSFORM_NORMAL;
};

void outputGeometry(void *data, wl_output *, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t, std::int32_t,
                    const char *, const char *, std::int32_t transform)
{
    auto *output = static_cast<Output *>(data);
    output->position = QPoint(x, y);
    output->transform = transform;
}
void outputMode(void *, wl_output *, std::uint32_t, std::int32_t, std::int32_t, std::int32_t) {}
void outputDone(void *, wl_output *) {}
void outputScale(void *, wl_output *, std::int32_t) {}
void outputName(void *data, wl_output *, const char *name)
{
    static_cast<Output *>(data)->name = QString::fromUtf8(name);
}
void outputDescription(void *, wl_output *, const char *) {}

constexpr wl_output_listener outputListener{outputGeometry, outputMode, outputDone, outputScale, outputName,
                                            outputDescription};

// The picture an output turned by `transform` shows, from its buffer as the compositor copies
// it: turned back, then flipped back.
QImage upright(const QImage &image, std::int32_t transform)
{
    if (transform == WL_OUTPUT_TRANSFORM_NORMAL)
        return image;
    const int quarterTurns = transform & 3;
    const bool flipped = (transform & WL_OUTPUT_TRANSFORM_FLIPPED) != 0;
    const QImage turned = quarterTurns ? image.transformed(QTransform().rotate(90.0 * quarterTurns)) : image;
    return flipped ? turned.mirrored(true, false) : turned;
}

} // namespace

struct WlrScreenCapture::Globals
{
    wl_registry *registry = nullptr;
    wl_shm *shm = nullptr;
    zwlr_screencopy_manager_v1 *manager = nullptr;
    std::uint32_t managerVersion = 0;
    std::vector<std::unique_ptr<Output>> outputs;

    ~Globals()
    {
        for (const auto &output : outputs)
            wl_output_destroy(output->output);
        if (manager)
            zwlr_screencopy_manager_v1_destroy(manager);
        if (shm)
            wl_shm_destroy(shm);
        if (registry)
            wl_registry_destroy(registry);
    }

    static void global(void *data, wl_registry *registry, std::uint32_t name, const char *interface, std::uint32_t version)
    {
        auto *globals = static_cast<Globals *>(data);
        if (std::strcmp(interface, wl_shm_interface.name) == 0) {
            globals->shm = static_cast<wl_shm *>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
        } else if (std::strcmp(interface, zwlr_screencopy_manager_v1_interface.name) == 0) {
            globals->managerVersion = std::min<std::uint32_t>(version, 3);
            globals->manager = static_cast<zwlr_screencopy_manager_v1 *>(
                wl_registry_bind(registry, name, &zwlr_screencopy_manager_v1_interface, globals->managerVersion));
        } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
            auto output = std::make_unique<Output>();
            output->globalName = name;
            output->output = static_cast<wl_output *>(
                wl_registry_bind(registry, name, &wl_output_interface, std::min<std::uint32_t>(version, 4)));
            wl_output_add_listener(output->output, &outputListener, output.get());
            globals->outputs.push_back(std::move(output));
        }
    }
    static void globalRemove(void *data, wl_registry *, std::uint32_t name)
    {
        auto &outputs = static_cast<Globals *>(data)->outputs;
        std::erase_if(outputs, [name](const std::unique_ptr<Output> &output) {
            if (output->globalName != name)
                return false;
            wl_output_destroy(output->output);
            return true;
        });
    }

    // The output a screen of Qt's shows: by its name, else the only one, else by its place.
    [[nodiscard]] const Output *outputOf(const QScreen *screen) const
    {
        for (const auto &output : outputs) {
            if (!output->name.isEmpty() && output->name == screen->name())
                return output.get();
        }
        if (outputs.size() == 1)
            return outputs.front().get();
        for (const auto &output : outputs) {
            if (output->position == screen->geometry().topLeft())
                return output.get();
        }
        return nullptr;
    }
};

namespace {
constexpr wl_registry_listener registryListener{WlrScreenCapture::Globals::global, WlrScreenCapture::Globals::globalRemove};
}

// One output's copy: the buffer the compositor asked for, then the picture or why there is none.
struct WlrScreenCapture::Frame
{
    WlrScreenCapture *service = nullptr;
    std::uint32_t displayId = 0;
    QSize pixels;
    std::int32_t transform = WL_OUTPUT_TRANSFORM_NORMAL;
    zwlr_screencopy_frame_v1 *frame = nullptr;
    wl_buffer *buffer = nullptr;
    std::uint32_t format = 0;
    QSize size;
    std::uint32_t stride = 0;
    bool offered = false;
    bool upsideDown = false;
    int fd = -1;
    void *mapping = MAP_FAILED;
    std::size_t length = 0;
    std::optional<CaptureResult<QImage>> result;
    QString failure;
    bool failed = false;
    std::optional<ImageHandler> waiting;
    // Kept alive while the compositor works on it.
    std::shared_ptr<Frame> self;

    ~Frame() { releaseMemory(); }

    void fail(const QString &why)
    {
        failed = true;
        failure = why;
        service->finish(self);
    }

    // Memory of ours for the pixels, in a file the compositor maps too.
    bool makeMemory(std::size_t bytes)
    {
        releaseMemory();
        fd = memfd_create("pixdrift-screen", MFD_CLOEXEC);
        if (fd < 0 || ftruncate(fd, off_t(bytes)) != 0)
            return false;
        mapping = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (mapping == MAP_FAILED)
            return false;
        length = bytes;
        return true;
    }
    void releaseMemory()
    {
        if (mapping != MAP_FAILED)
            munmap(std::exchange(mapping, MAP_FAILED), length);
        if (fd >= 0)
            close(std::exchange(fd, -1));
    }

    // The copy into our memory, in the size the compositor asked for.
    void copy()
    {
        if (!offered) {
            fail(QStringLiteral("the compositor offers no shared-memory buffer"));
            return;
        }
        const std::size_t bytes = std::size_t(stride) * std::size_t(size.height());
        if (!makeMemory(bytes)) {
            fail(QStringLiteral("no memory for the screen's pixels"));
            return;
        }
        wl_shm_pool *pool = wl_shm_create_pool(service->m_globals->shm, fd, std::int32_t(length));
        buffer = wl_shm_pool_create_buffer(pool, 0, size.width(), size.height(), std::int32_t(stride), format);
        wl_shm_pool_destroy(pool);
        close(std::exchange(fd, -1));
        zwlr_screencopy_frame_v1_copy(frame, buffer);
        wl_display_flush(service->m_display);
        // While the compositor copies, our side of the pages is made ready: faulting them in one
        // by one when the pixels are read would cost more than this.
        madvise(mapping, length, MADV_POPULATE_WRITE);
    }

    static void onBuffer(void *data, zwlr_screencopy_frame_v1 *, std::uint32_t format, std::uint32_t width,
                         std::uint32_t height, std::uint32_t stride)
    {
        auto *frame = static_cast<Frame *>(data);
        frame->offered = true;
        frame->format = format;
        frame->size = QSize(int(width), int(height));
        frame->stride = stride;
        // Before version 3 nothing more is offered.
        if (frame->service->m_globals->managerVersion < 3)
            frame->copy();
    }
    static void onFlags(void *data, zwlr_screencopy_frame_v1 *, std::uint32_t flags)
    {
        static_cast<Frame *>(data)->upsideDown = (flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT) != 0;
    }
    static void onReady(void *data, zwlr_screencopy_frame_v1 *, std::uint32_t, std::uint32_t, std::uint32_t)
    {
        auto *frame = static_cast<Frame *>(data);
        auto *memory = new Mapping{frame->mapping, frame->length};
        QImage image = imageInPlace(static_cast<uchar *>(frame->mapping), frame->format, frame->size,
                                    qsizetype(frame->stride), frame->upsideDown, unmap, memory);
        if (image.isNull()) {
            delete memory;
            frame->fail(QStringLiteral("the compositor copied the screen in pixel format %1").arg(frame->format, 0, 16));
            return;
        }
        frame->mapping = MAP_FAILED;
        image = upright(image, frame->transform);
        // The output's own pixels are the truth. At a fractional scale Qt rounds the scale up
        // (1.5 reads as 2) and so asks for more pixels than the output has: padding the picture
        // to that size would shift every selection on it.
        const QSize kept = image.size().boundedTo(frame->pixels);
        if (image.size() != kept)
            image = image.copy(QRect(QPoint(0, 0), kept));
        frame->result = CaptureResult<QImage>::success(std::move(image));
        frame->service->finish(frame->self);
    }
    static void onFailed(void *data, zwlr_screencopy_frame_v1 *)
    {
        static_cast<Frame *>(data)->fail(QStringLiteral("the compositor could not copy the screen"));
    }
    static void onDamage(void *, zwlr_screencopy_frame_v1 *, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {}
    static void onDmabuf(void *, zwlr_screencopy_frame_v1 *, std::uint32_t, std::uint32_t, std::uint32_t) {}
    static void onBufferDone(void *data, zwlr_screencopy_frame_v1 *) { static_cast<Frame *>(data)->copy(); }
};

namespace {
constexpr zwlr_screencopy_frame_v1_listener frameListener{
    WlrScreenCapture::Frame::onBuffer, WlrScreenCapture::Frame::onFlags,  WlrScreenCapture::Frame::onReady,
    WlrScreenCapture::Frame::onFailed, WlrScreenCapture::Frame::onDamage, WlrScreenCapture::Frame::onDmabuf,
    WlrScreenCapture::Frame::onBufferDone};
}

std::unique_ptr<ScreenCaptureService> WlrScreenCapture::orFallback(std::unique_ptr<ScreenCaptureService> fallback)
{
    wl_display *display = wl_display_connect(nullptr);
    if (!display)
        return fallback;
    auto globals = std::make_unique<Globals>();
    globals->registry = wl_display_get_registry(display);
    wl_registry_add_listener(globals->registry, &registryListener, globals.get());
    // The globals, then what the outputs say of themselves.
    if (wl_display_roundtrip(display) < 0 || !globals->manager || !globals->shm || wl_display_roundtrip(display) < 0) {
        globals.reset();
        wl_display_disconnect(display);
        return fallback;
    }
    return std::unique_ptr<WlrScreenCapture>(new WlrScreenCapture(std::move(fallback), display, std::move(globals)));
}

WlrScreenCapture::WlrScreenCapture(std::unique_ptr<ScreenCaptureService> fallback, wl_display *display,
                                   std::unique_ptr<Globals> globals)
    : FallingBackCaptureService(std::move(fallback))
    , m_display(display)
    , m_globals(std::move(globals))
    , m_events(new QSocketNotifier(wl_display_get_fd(display), QSocketNotifier::Read, this))
{
    QObject::connect(m_events, &QSocketNotifier::activated, this, &WlrScreenCapture::readEvents);
}

WlrScreenCapture::~WlrScreenCapture()
{
    delete m_events;
    // Copies under way end with the connection; nobody waits for them any more.
    for (const std::weak_ptr<Frame> &copying : m_copying) {
        if (const auto frame = copying.lock()) {
            if (frame->buffer)
                wl_buffer_destroy(std::exchange(frame->buffer, nullptr));
            if (frame->frame)
                zwlr_screencopy_frame_v1_destroy(std::exchange(frame->frame, nullptr));
            frame->self.reset();
        }
    }
    m_started.clear();
    m_globals.reset();
    wl_display_disconnect(m_display);
}

void WlrScreenCapture::readEvents()
{
    if (wl_display_dispatch(m_display) < 0)
        lost();
}

void WlrScreenCapture::lost()
{
    m_events->setEnabled(false);
    // Whatever the compositor was copying will not come.
    for (const std::weak_ptr<Frame> &copying : std::exchange(m_copying, {})) {
        if (const auto frame = copying.lock(); frame && frame->self)
            frame->fail(QStringLiteral("the connection to the compositor broke"));
    }
}

void WlrScreenCapture::expectImages(const QList<std::pair<std::uint32_t, QSize>> &displays)
{
    m_started.clear();
    if (fellBack())
        return;
    for (const auto &[displayId, pixels] : displays) {
        if (QtScreenList::screen(displayId))
            m_started[displayId] = start(displayId, pixels);
    }
}

void WlrScreenCapture::requestImage(std::uint32_t displayId, int pixelWidth, int pixelHeight, ImageHandler done)
{
    std::shared_ptr<Frame> frame;
    if (const auto found = m_started.find(displayId); found != m_started.end()) {
        frame = found->second;
        m_started.erase(found);
    }
    if (!frame && forwarded(displayId, pixelWidth, pixelHeight, done))
        return;
    if (!frame && !QtScreenList::screen(displayId)) {
        answerLater(std::move(done), CaptureResult<QImage>::failure(QStringLiteral("display %1 is not connected").arg(displayId)));
        return;
    }
    if (!frame)
        frame = start(displayId, QSize(pixelWidth, pixelHeight));
    frame->waiting = std::move(done);
    if (frame->result || frame->failed)
        QTimer::singleShot(0, this, [this, frame] { answer(frame); });
}

std::shared_ptr<WlrScreenCapture::Frame> WlrScreenCapture::start(std::uint32_t displayId, QSize requested)
{
    const QScreen *screen = QtScreenList::screen(displayId);
    auto frame = std::make_shared<Frame>();
    frame->service = this;
    frame->displayId = displayId;
    // The grab never reaches past the display.
    frame->pixels = requested.boundedTo(QtScreenList::scaledSize(screen));
    const Output *output = m_globals->outputOf(screen);
    if (!output || wl_display_get_error(m_display) != 0) {
        frame->failed = true;
        frame->failure = output ? QStringLiteral("the connection to the compositor broke")
                                : QStringLiteral("the compositor names no output %1").arg(screen->name());
        return frame;
    }
    frame->transform = output->transform;
    frame->self = frame;
    std::erase_if(m_copying, [](const std::weak_ptr<Frame> &copying) { return copying.expired(); });
    m_copying.push_back(frame);
    frame->frame = zwlr_screencopy_manager_v1_capture_output(m_globals->manager, 0, output->output);
    zwlr_screencopy_frame_v1_add_listener(frame->frame, &frameListener, frame.get());
    wl_display_flush(m_display);
    std::weak_ptr<Frame> watched = frame;
    QTimer::singleShot(copyTimeoutMs, this, [watched] {
        if (auto frame = watched.lock(); frame && frame->self)
            frame->fail(QStringLiteral("the compositor did not copy the screen in time"));
    });
    return frame;
}

void WlrScreenCapture::finish(const std::shared_ptr<Frame> &frame)
{
    if (frame->buffer)
        wl_buffer_destroy(std::exchange(frame->buffer, nullptr));
    if (frame->frame)
        zwlr_screencopy_frame_v1_destroy(std::exchange(frame->frame, nullptr));
    wl_display_flush(m_display);
    const std::shared_ptr<Frame> kept = std::exchange(frame->self, nullptr);
    answer(kept);
}

void WlrScreenCapture::answer(const std::shared_ptr<Frame> &frame)
{
    if (!frame->waiting) {
        // A capture given up before it asked: its picture is not kept for long.
        QTimer::singleShot(keptFor, this, [this, frame] {
            const auto found = m_started.find(frame->displayId);
            if (found != m_started.end() && found->second == frame)
                m_started.erase(found);
        });
        return;
    }
    ImageHandler done = std::move(*std::exchange(frame->waiting, std::nullopt));
    if (frame->failed) {
        fallBack(QStringLiteral("wlr-screencopy failed (%1)").arg(frame->failure), frame->displayId,
                 frame->pixels.width(), frame->pixels.height(), std::move(done));
        return;
    }
    done(std::move(*frame->result));
}

QImage WlrScreenCapture::imageInPlace(uchar *pixels, std::uint32_t format, QSize size, qsizetype stride, bool upsideDown,
                                      QImageCleanupFunction release, void *memory)
{
    const bool bgr = format == WL_SHM_FORMAT_XBGR8888 || format == WL_SHM_FORMAT_ABGR8888;
    if (!bgr && format != WL_SHM_FORMAT_XRGB8888 && format != WL_SHM_FORMAT_ARGB8888)
        return {};
    if (size.isEmpty() || stride < qsizetype(size.width()) * 4)
        return {};
    if (upsideDown) {
        std::vector<uchar> row(std::size_t(size.width()) * 4);
        for (int top = 0, bottom = size.height() - 1; top < bottom; ++top, --bottom) {
            std::memcpy(row.data(), pixels + top * stride, row.size());
            std::memcpy(pixels + top * stride, pixels + bottom * stride, row.size());
            std::memcpy(pixels + bottom * stride, row.data(), row.size());
        }
    }
    // Opaque, red in the third byte: what RGB32 means. The screen has no transparency, whatever
    // the compositor left in the fourth byte.
    for (int y = 0; y < size.height(); ++y) {
        auto *pixel = reinterpret_cast<quint32 *>(pixels + y * stride);
        if (bgr) {
            for (int x = 0; x < size.width(); ++x) {
                const quint32 p = pixel[x];
                pixel[x] = 0xff000000u | ((p & 0xffu) << 16) | (p & 0xff00u) | ((p >> 16) & 0xffu);
            }
        } else {
            for (int x = 0; x < size.width(); ++x)
                pixel[x] |= 0xff000000u;
        }
    }
    return QImage(pixels, size.width(), size.height(), stride, QImage::Format_RGB32, release, memory);
}
