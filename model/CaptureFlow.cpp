// The capture flow of CaptureModel: from a request to an image in the model.

#include "model/CaptureModel.h"

#include "text/tr.h"
#include "platform/ApplicationWindows.h"
#include "platform/LogLine.h"
#include "platform/ScreenCaptureService.h"
#include "platform/Trace.h"

#include <qcoro/qcorotimer.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <coroutine>

namespace {

// Suspends a coroutine until a service answers through its completion handler.
template <typename Result>
class HandlerAwaitable
{
public:
    using Start = std::function<void(std::function<void(Result)>)>;
    explicit HandlerAwaitable(Start start)
        : m_start(std::move(start))
    {
    }

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> coroutine)
    {
        m_start([this, coroutine](Result result) {
            m_result = std::move(result);
            coroutine.resume();
        });
    }
    Result await_resume() { return std::move(*m_result); }

private:
    Start m_start;
    std::optional<Result> m_result;
};

// The pause that lets the window system take our windows off the screen before the grab.
constexpr std::chrono::milliseconds hidePause{300};

// The size to capture a display at: its size in device pixels where the service knows it, or
// its points at the screen's scale.
QSize pixelSizeOf(const CaptureDisplay &display, double scale)
{
    if (!display.pixelSize.isEmpty())
        return display.pixelSize;
    // std::lround rounds halves away from zero.
    return QSize(int(std::lround(display.width * scale)), int(std::lround(display.height * scale)));
}

} // namespace

void CaptureModel::take(bool full)
{
    traceStage("request");
    // The desktop's question comes before the window hides, while it is in front.
    if (m_environment.askFirst && m_environment.askFirst([model = QPointer<CaptureModel>(this), full] {
            if (model)
                model->take(full);
        }))
        return;
    // A capture asked for now replaces one still counting down.
    if (m_delayLeft > 0) {
        m_delayLeft = 0;
        m_delay->stop();
        Q_EMIT delayChanged();
    }
    // A capture that gives no new image puts back what the window shows now. Of several requests
    // in a row, the first one knows what that was.
    clearFailure();
    if (!m_beforeCapture)
        m_beforeCapture = BeforeCapture{shown(), std::exchange(m_discarded, std::nullopt)};
    m_discarded.reset();
    forgetEdits();
    const qint64 generation = ++m_captureGeneration;
    setImage({});
    setCrop(QRectF(0, 0, 0, 0));
    setMarks({});
    setStatus(::tr(full ? "status.captureFull" : "status.captureArea"));
    // The task runs on by itself; it only gives the GUI thread up while it waits.
    [[maybe_unused]] auto task = captureTask(this, full, generation);
}

void CaptureModel::cancelCapture()
{
    clearFailure();
    const bool dropped = hasImage();
    if (dropped)
        m_discarded = shown();
    forgetEdits();
    setImage({});
    setCrop(QRectF(0, 0, 0, 0));
    setFull(false);
    setMarks({});
    setStatus(::tr(dropped ? "status.discarded" : "status.ready"));
}

void CaptureModel::cropFullCapture()
{
    if (!hasImage() || !m_full)
        return;
    clearFailure();
    setCrop(QRectF(0, 0, m_image.width(), m_image.height()));
    setFull(false);
    setStatus(::tr("status.adjustCrop"));
}

CaptureModel::Shown CaptureModel::shown() const
{
    return {m_image, m_crop, m_full, m_marks, m_edits, m_imageScale, m_status};
}

void CaptureModel::show(const Shown &shown)
{
    m_edits = shown.edits;
    setImageScale(shown.imageScale);
    setImage(shown.image);
    setCrop(shown.crop);
    setFull(shown.full);
    setMarks(shown.marks);
    setStatus(shown.status);
}

void CaptureModel::restoreBeforeCapture()
{
    if (!m_beforeCapture)
        return;
    const BeforeCapture before = *std::exchange(m_beforeCapture, std::nullopt);
    show(before.shown);
    m_discarded = before.discarded;
}

QCoro::Task<> CaptureModel::captureTask(QPointer<CaptureModel> model, bool full, qint64 generation)
{
    const CaptureEnvironment environment = model->m_environment;
    ApplicationWindows *windows = environment.windows;
    ScreenCaptureService *service = environment.screenCapture;

    const bool windowsWereVisible = windows && windows->anyVisible();
    if (windowsWereVisible) {
        if (full)
            windows->orderOutMainWindow();
        else
            windows->hideApplication();
        co_await QCoro::sleepFor(hidePause);
        if (!model)
            co_return;
    }

    if (!service) {
        model->captureFailed(QStringLiteral("no screen-capture service is available"));
        co_return;
    }

    const auto content = co_await HandlerAwaitable<CaptureResult<QList<CaptureDisplay>>>(
        [service](auto done) { service->requestShareableContent(std::move(done)); });
    if (!model)
        co_return;
    if (!content.value) {
        model->captureFailed(content.error);
        co_return;
    }
    if (generation != model->m_captureGeneration)
        co_return;

    const QList<CaptureDisplay> &displays = *content.value;
    if (displays.isEmpty()) {
        // Ending quietly here would leave our windows hidden and the status on "capturing".
        model->captureFailed(QStringLiteral("no display to capture"));
        co_return;
    }
    const std::uint32_t mainId = service->mainDisplayId();
    const auto mainDisplay = std::find_if(displays.begin(), displays.end(),
                                          [mainId](const CaptureDisplay &d) { return d.id == mainId; });
    const CaptureDisplay display = mainDisplay != displays.end() ? *mainDisplay : displays.first();

    // A full capture takes the main display; an area capture freezes every display, so that the
    // user can select on the one they are looking at. The main display comes first.
    const QList<CaptureScreen> screens = service->screens();
    auto screenOf = [&screens](const CaptureDisplay &d) -> std::optional<CaptureScreen> {
        const auto match = std::find_if(screens.begin(), screens.end(),
                                        [&d](const CaptureScreen &s) { return s.displayNumber == d.id; });
        return match != screens.end() ? std::optional<CaptureScreen>(*match) : std::nullopt;
    };
    QList<std::pair<CaptureDisplay, std::optional<CaptureScreen>>> targets;
    const std::optional<CaptureScreen> displayScreen = screenOf(display);
    targets.append({display, displayScreen ? displayScreen : service->mainScreen()});
    if (!full) {
        for (const CaptureDisplay &other : displays) {
            // A display no screen shows could only be frozen over another one.
            if (other.id != display.id && screenOf(other))
                targets.append({other, screenOf(other)});
        }
    }

    QList<FrozenScreen> frozen;
    for (const auto &[target, screen] : targets) {
        const QSize pixels = pixelSizeOf(target, screen ? screen->scale : 1.0);
        traceStage("capture-start");
        const auto captured = co_await HandlerAwaitable<CaptureResult<QImage>>(
            [service, id = target.id, pixels](auto done) {
                service->requestImage(id, pixels.width(), pixels.height(), std::move(done));
            });
        traceStage("capture-end");
        if (!model)
            co_return;
        if (!captured.value || captured.value->isNull()) {
            model->captureFailed(captured.value ? QStringLiteral("the screen grab returned no image") : captured.error);
            co_return;
        }
        if (generation != model->m_captureGeneration)
            co_return;
        QImage image = *captured.value;
        image.setDevicePixelRatio(1.0);
        frozen.append({image, screen ? screen->screen : nullptr, screen ? screen->scale : 1.0});
    }

    const QImage &image = frozen.first().image;
    if (full)
        model->m_beforeCapture.reset();
    model->setImageScale(frozen.first().scale);
    model->setImage(image);
    model->setCrop(QRectF(0, 0, image.width(), image.height()));
    model->setFull(full);
    model->setMarks({});

    if (full) {
        model->setStatus(::tr("status.fullCaptured"));
        if (environment.openMain)
            environment.openMain();
        if (windows)
            windows->activateApplication();
        co_return;
    }

    model->setStatus(::tr("status.adjustCrop"));
    ScreensSelectionHandler handler = [model, windowsWereVisible, frozen,
                                       generation](std::optional<AreaSelection> selection) {
        // A capture started while the overlay was up has replaced this one.
        if (!model || generation != model->m_captureGeneration)
            return;
        if (selection && selection->screen >= 0 && selection->screen < frozen.size()) {
            model->setImageScale(frozen.at(selection->screen).scale);
            model->deliverArea(selection->rect, frozen.at(selection->screen).image, windowsWereVisible);
        } else {
            model->deliverArea(std::nullopt, {}, windowsWereVisible);
        }
    };
    traceStage("overlay-image");
    if (environment.presentOverlay)
        environment.presentOverlay(frozen, std::move(handler));
    else
        handler(std::nullopt);
}

void CaptureModel::deliverArea(std::optional<QRect> rect, const QImage &image, bool windowsWereVisible)
{
    ApplicationWindows *windows = m_environment.windows;
    if (rect) {
        m_beforeCapture.reset();
        // The selection was made on another display than the main one: its image is the capture.
        if (image.cacheKey() != m_image.cacheKey())
            setImage(image);
        setCrop(QRectF(*rect));
        setStatus(::tr("status.adjustCrop"));
        if (windowsWereVisible && windows)
            windows->unhideApplication();
        if (m_environment.openMain)
            m_environment.openMain();
        if (windows)
            windows->activateApplication();
        return;
    }
    // Cancelled: the window shows again what it showed before.
    restoreBeforeCapture();
    if (windowsWereVisible && windows) {
        windows->unhideApplication();
        windows->activateApplication();
        windows->bringFirstWindowToFront();
    }
}

void CaptureModel::captureFailed(const QString &description)
{
    // Whatever the window showed stays; the failure is said over it.
    restoreBeforeCapture();
    logLine("Pixdrift capture failed: %@", description);
    const QString text = ::tr("status.permission") + QStringLiteral(" (") + description + QStringLiteral(")");
    setStatus(text);
    setFailure(text);
    ApplicationWindows *windows = m_environment.windows;
    if (windows)
        windows->unhideApplication();
    if (m_environment.openMain)
        m_environment.openMain();
    if (windows) {
        windows->activateApplication();
        windows->bringMainWindowToFront();
    }
}
