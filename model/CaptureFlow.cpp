// The capture flow of CaptureModel: from a request to an image in the model.

#include "model/CaptureModel.h"
#include "model/HandlerAwaitable.h"
#include "model/ScrollCapture.h"

#include "text/tr.h"
#include "platform/ApplicationWindows.h"
#include "platform/LogLine.h"
#include "platform/ScreenCaptureService.h"
#include "platform/Trace.h"

#include <qcoro/qcorotimer.h>

#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <coroutine>

namespace {

// The size to capture a display at: its size in device pixels where the service knows it, or
// its points at the screen's scale.
QSize pixelSizeOf(const CaptureDisplay &display, double scale)
{
    if (!display.pixelSize.isEmpty())
        return display.pixelSize;
    // std::lround rounds halves away from zero.
    return QSize(int(std::lround(display.width * scale)), int(std::lround(display.height * scale)));
}

// Every screen in one image, each at its place among them; what no screen covers is black.
QImage composed(const QList<FrozenScreen> &screens, const QList<QRect> &places)
{
    QRect bounds;
    for (const QRect &place : places)
        bounds |= place;
    QImage image(bounds.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    for (qsizetype i = 0; i < screens.size(); ++i)
        painter.drawImage(places[i].topLeft() - bounds.topLeft(), screens[i].image);
    return image;
}

// Where a region of the desktop lies: the screen that shows most of it, and the part of it that
// screen shows, in its pixels.
std::optional<std::pair<CaptureScreen, QRect>> regionOnScreen(const QList<CaptureScreen> &screens, const QRect &region,
                                                              bool inPoints)
{
    std::optional<std::pair<CaptureScreen, QRect>> best;
    qint64 shown = 0;
    for (const CaptureScreen &screen : screens) {
        const qreal perUnit = inPoints ? screen.scale : 1.0;
        const QRect place = inPoints ? QRect((QPointF(screen.pixelRect.topLeft()) / perUnit).toPoint(),
                                             (QSizeF(screen.pixelRect.size()) / perUnit).toSize())
                                     : screen.pixelRect;
        const QRect part = region & place;
        if (qint64(part.width()) * part.height() <= shown)
            continue;
        shown = qint64(part.width()) * part.height();
        const QRectF pixels(QPointF(part.topLeft() - place.topLeft()) * perUnit, QSizeF(part.size()) * perUnit);
        best = {screen, pixels.toAlignedRect() & QRect(QPoint(), screen.pixelRect.size())};
    }
    return best;
}

} // namespace

void CaptureModel::take(bool full, const std::optional<Delivery> &delivery)
{
    start({full ? CaptureRequest::Kind::Full : CaptureRequest::Kind::Area, {}, {}, delivery});
}

void CaptureModel::start(const CaptureRequest &request)
{
    traceStage("request");
    const bool full = request.kind == CaptureRequest::Kind::Full;
    // The text of the capture on show is no longer wanted, nor a scrolling capture under way.
    cancelTextReading();
    if (m_scroll)
        m_scroll->abandon();
    // The desktop's question comes before the window hides, while it is in front.
    if (m_environment.askFirst && m_environment.askFirst([model = QPointer<CaptureModel>(this), request] {
            if (model)
                model->start(request);
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
    [[maybe_unused]] auto task = captureTask(this, request, generation);
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

QCoro::Task<> CaptureModel::captureTask(QPointer<CaptureModel> model, CaptureRequest request, qint64 generation)
{
    const CaptureEnvironment environment = model->m_environment;
    ApplicationWindows *windows = environment.windows;
    ScreenCaptureService *service = environment.screenCapture;
    const bool area = request.kind == CaptureRequest::Kind::Area;
    const std::optional<Delivery> delivery = model->deliveryFor(request);

    // Stitching needs a frame every few hundredths of a second; a capture that goes through a
    // file and a dialog cannot give that.
    if (request.scroll != CaptureRequest::Scroll::none && (!service || !service->capturesQuickly())) {
        model->restoreBeforeCapture();
        if (delivery && delivery->done)
            delivery->done({Delivered::Outcome::failed, ::tr("scroll.unavailable")});
        else
            model->fail(::tr("scroll.unavailable"));
        co_return;
    }

    const bool windowsWereVisible = windows && windows->anyVisible();
    if (windowsWereVisible) {
        if (area)
            windows->hideApplication();
        else
            windows->orderOutMainWindow();
        co_await HandlerAwaitable<bool>([windows](auto gone) { windows->whenTakenOff([gone] { gone(true); }); });
        if (!model)
            co_return;
    }

    if (!service) {
        model->captureFailed(QStringLiteral("no screen-capture service is available"), delivery);
        co_return;
    }

    if (request.kind == CaptureRequest::Kind::Window) {
        const auto captured = co_await HandlerAwaitable<CaptureResult<QImage>>(
            [service](auto done) { service->requestActiveWindow(std::move(done)); });
        if (!model)
            co_return;
        if (!captured.value || captured.value->isNull()) {
            model->captureFailed(captured.value ? QStringLiteral("the window grab returned no image") : captured.error,
                                 delivery);
            co_return;
        }
        if (generation != model->m_captureGeneration)
            co_return;
        QImage image = *captured.value;
        // The picture's own scale where the compositor tells it, else the main screen's.
        const std::optional<CaptureScreen> main = service->mainScreen();
        const qreal scale = image.devicePixelRatio() != 1.0 ? image.devicePixelRatio() : main ? main->scale : 1.0;
        image.setDevicePixelRatio(1.0);
        model->showCaptured(image, scale, {CaptureRequest::Kind::Last, {}, image.rect(), delivery}, windowsWereVisible);
        co_return;
    }

    const auto content = co_await HandlerAwaitable<CaptureResult<QList<CaptureDisplay>>>(
        [service](auto done) { service->requestShareableContent(std::move(done)); });
    if (!model)
        co_return;
    if (!content.value) {
        model->captureFailed(content.error, delivery);
        co_return;
    }
    if (generation != model->m_captureGeneration)
        co_return;

    const QList<CaptureDisplay> &displays = *content.value;
    if (displays.isEmpty()) {
        // Ending quietly here would leave our windows hidden and the status on "capturing".
        model->captureFailed(QStringLiteral("no display to capture"), delivery);
        co_return;
    }
    const QList<CaptureScreen> screens = service->screens();
    auto screenOf = [&screens](const CaptureDisplay &d) -> std::optional<CaptureScreen> {
        const auto match = std::find_if(screens.begin(), screens.end(),
                                        [&d](const CaptureScreen &s) { return s.displayNumber == d.id; });
        return match != screens.end() ? std::optional<CaptureScreen>(*match) : std::nullopt;
    };
    auto displayWithId = [&displays](std::uint32_t id) {
        const auto match = std::find_if(displays.begin(), displays.end(), [id](const CaptureDisplay &d) { return d.id == id; });
        return match != displays.end() ? std::optional<CaptureDisplay>(*match) : std::nullopt;
    };

    // An area capture freezes every display, so that the user can select on the one they are
    // looking at, the main display first. A full capture takes the screen under the pointer (or
    // the one named), or every screen at once.
    const bool everyScreen = request.screen == allScreens && !area;
    std::optional<CaptureDisplay> first;
    CaptureRequest shownAs = request;
    shownAs.delivery = delivery;
    if (request.kind == CaptureRequest::Kind::Region) {
        const auto place = regionOnScreen(screens, request.rect, environment.desktopInPoints);
        if (!place || place->second.isEmpty()) {
            model->captureFailed(QStringLiteral("no screen shows the region %1,%2 %3x%4")
                                     .arg(request.rect.x())
                                     .arg(request.rect.y())
                                     .arg(request.rect.width())
                                     .arg(request.rect.height()),
                                 delivery);
            co_return;
        }
        first = displayWithId(place->first.displayNumber);
        shownAs.rect = place->second;
    } else if (!area && !request.screen.isEmpty() && !everyScreen) {
        QStringList names;
        for (const CaptureScreen &screen : screens) {
            names.append(screen.name);
            if (screen.name == request.screen)
                first = displayWithId(screen.displayNumber);
        }
        if (!first) {
            model->captureFailed(QStringLiteral("no screen is called \"%1\"; there are %2")
                                     .arg(request.screen, names.join(QStringLiteral(", "))),
                                 delivery);
            co_return;
        }
    } else if (!area && environment.screenUnderPointer) {
        first = displayWithId(environment.screenUnderPointer());
    }
    if (!first)
        first = displayWithId(service->mainDisplayId());
    const CaptureDisplay display = first.value_or(displays.first());
    QList<std::pair<CaptureDisplay, std::optional<CaptureScreen>>> targets;
    const std::optional<CaptureScreen> displayScreen = screenOf(display);
    targets.append({display, displayScreen ? displayScreen : service->mainScreen()});
    if (area || everyScreen) {
        for (const CaptureDisplay &other : displays) {
            // A display no screen shows could only be frozen over another one.
            if (other.id != display.id && screenOf(other))
                targets.append({other, screenOf(other)});
        }
    }

    if (targets.size() > 1) {
        QList<std::pair<std::uint32_t, QSize>> expected;
        for (const auto &[target, screen] : targets)
            expected.append({target.id, pixelSizeOf(target, screen ? screen->scale : 1.0)});
        service->expectImages(expected);
    }
    QList<FrozenScreen> frozen;
    QList<QRect> places;
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
            model->captureFailed(captured.value ? QStringLiteral("the screen grab returned no image") : captured.error,
                                 delivery);
            co_return;
        }
        if (generation != model->m_captureGeneration)
            co_return;
        QImage image = *captured.value;
        image.setDevicePixelRatio(1.0);
        frozen.append({image, screen ? screen->screen : nullptr, screen ? screen->scale : 1.0,
                       screen ? screen->name : QString(), screen ? screen->pixelRect : QRect(), target.id});
        places.append(screen ? QRect(screen->pixelRect.topLeft(), image.size()) : QRect(QPoint(), image.size()));
    }

    QImage image = frozen.first().image;
    if (everyScreen)
        image = composed(frozen, places);
    if (!area && request.scroll != CaptureRequest::Scroll::none) {
        model->scrollArea(frozen.first(), shownAs.rect, request.scroll, delivery, windowsWereVisible);
        co_return;
    }
    if (!area) {
        model->showCaptured(image, frozen.first().scale, shownAs, windowsWereVisible);
        co_return;
    }
    model->setImageScale(frozen.first().scale);
    model->setImage(image);
    model->setCrop(QRectF(0, 0, image.width(), image.height()));
    model->setFull(false);
    model->setMarks({});

    model->setStatus(::tr("status.adjustCrop"));
    ScreensSelectionHandler handler = [model, windowsWereVisible, frozen, generation, delivery,
                                       scroll = request.scroll](std::optional<AreaSelection> selection) {
        // A capture started while the overlay was up has replaced this one.
        if (!model || generation != model->m_captureGeneration)
            return;
        if (selection && selection->screen >= 0 && selection->screen < frozen.size()) {
            model->setImageScale(frozen.at(selection->screen).scale);
            model->rememberArea(frozen.at(selection->screen).name, selection->rect);
            if (scroll != CaptureRequest::Scroll::none)
                model->scrollArea(frozen.at(selection->screen), selection->rect, scroll, delivery, windowsWereVisible);
            else
                model->deliverArea(selection->rect, frozen.at(selection->screen).image, windowsWereVisible, delivery);
        } else {
            model->deliverArea(std::nullopt, {}, windowsWereVisible, delivery);
        }
    };
    traceStage("overlay-image");
    if (environment.presentOverlay)
        environment.presentOverlay(frozen, std::move(handler));
    else
        handler(std::nullopt);
}

void CaptureModel::showCaptured(const QImage &image, qreal scale, const CaptureRequest &request, bool windowsWereVisible)
{
    m_beforeCapture.reset();
    setImageScale(scale);
    setImage(image);
    setMarks({});
    if (request.kind == CaptureRequest::Kind::Full) {
        setCrop(QRectF(0, 0, image.width(), image.height()));
        setFull(true);
        setStatus(::tr("status.fullCaptured"));
    } else {
        // The same pixels again, a window or a region: ready to adjust like any area.
        setCrop(QRectF(request.rect & image.rect()));
        setFull(false);
        setStatus(::tr("status.adjustCrop"));
    }
    present(request.delivery, windowsWereVisible);
}

void CaptureModel::present(const std::optional<Delivery> &delivery, bool windowsWereVisible)
{
    ApplicationWindows *windows = m_environment.windows;
    if (delivery) {
        // Straight where it goes: our windows come back only if they were there.
        if (windowsWereVisible && windows) {
            windows->unhideApplication();
            if (m_environment.openMain)
                m_environment.openMain();
        }
        deliver(*delivery);
        return;
    }
    if (m_environment.openMain)
        m_environment.openMain();
    if (windows)
        windows->activateApplication();
}

void CaptureModel::deliverArea(std::optional<QRect> rect, const QImage &image, bool windowsWereVisible,
                               const std::optional<Delivery> &delivery)
{
    ApplicationWindows *windows = m_environment.windows;
    if (rect) {
        m_beforeCapture.reset();
        // The selection was made on another display than the main one: its image is the capture.
        if (image.cacheKey() != m_image.cacheKey())
            setImage(image);
        setCrop(QRectF(*rect));
        setStatus(::tr("status.adjustCrop"));
        if (windowsWereVisible && windows && !delivery)
            windows->unhideApplication();
        present(delivery, windowsWereVisible);
        return;
    }
    // Cancelled: the window shows again what it showed before.
    restoreBeforeCapture();
    if (delivery && delivery->done)
        delivery->done({Delivered::Outcome::cancelled, {}});
    if (delivery && delivery->done && !windowsWereVisible)
        return;
    if (windowsWereVisible && windows) {
        windows->unhideApplication();
        windows->activateApplication();
        windows->bringFirstWindowToFront();
    }
}

void CaptureModel::captureFailed(const QString &description, const std::optional<Delivery> &delivery)
{
    // Whatever the window showed stays; the failure is said over it.
    restoreBeforeCapture();
    logLine("Pixdrift capture failed: %@", description);
    // A script waiting for the picture hears why there is none, and no window opens for it.
    if (delivery && delivery->done) {
        delivery->done({Delivered::Outcome::failed, description});
        return;
    }
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
