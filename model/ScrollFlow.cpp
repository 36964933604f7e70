// The scrolling capture of CaptureModel: from a selected area to one tall image.

#include "model/CaptureModel.h"

#include "model/ScrollCapture.h"
#include "platform/ApplicationWindows.h"
#include "platform/LogLine.h"
#include "text/tr.h"

void CaptureModel::takeScrolling(const std::optional<Delivery> &delivery, const std::optional<QRect> &region, bool byHand)
{
    start({region ? CaptureRequest::Kind::Region : CaptureRequest::Kind::Area, {}, region.value_or(QRect()), delivery,
           byHand ? CaptureRequest::Scroll::byHand : CaptureRequest::Scroll::asSet});
}

void CaptureModel::scrollArea(const FrozenScreen &screen, const QRect &rect, CaptureRequest::Scroll scroll,
                              const std::optional<Delivery> &delivery, bool windowsWereVisible)
{
    const qint64 generation = m_captureGeneration;
    ScrollCapture::Setup setup;
    setup.service = m_environment.screenCapture;
    setup.display = screen.displayId;
    setup.displayPixels = screen.image.size();
    setup.displayOrigin = screen.pixelRect.topLeft();
    setup.area = rect & QRect(QPoint(), screen.image.size());
    const bool bySelf = scroll == CaptureRequest::Scroll::asSet && m_saveSettings.scrollBySelf;
    setup.input = bySelf ? m_environment.scrollInput : nullptr;
    setup.heightLimit = m_saveSettings.scrollLimit;

    auto finished = [this, generation, delivery, windowsWereVisible, scale = screen.scale](const QImage &image,
                                                                                           const QString &failure) {
        // A capture started since has taken the window over; a script still hears the end.
        if (generation != m_captureGeneration) {
            if (delivery && delivery->done)
                delivery->done({Delivered::Outcome::cancelled, {}});
            return;
        }
        if (image.isNull() && failure.isEmpty()) {
            deliverArea(std::nullopt, {}, windowsWereVisible, delivery);
            return;
        }
        if (image.isNull()) {
            captureFailed(failure, delivery);
            return;
        }
        if (!failure.isEmpty())
            logLine("Pixdrift scrolling capture broke off: %@", failure);
        showCaptured(image, scale, {CaptureRequest::Kind::Last, {}, image.rect(), delivery}, windowsWereVisible);
        // What was stitched before the capture broke off is kept, and the break said.
        if (!failure.isEmpty() && !delivery)
            setStatus(::tr("scroll.brokeOff") + QStringLiteral(" (") + failure + u')');
    };
    // The panel's buttons reach the session they belong to, made once the panel stands.
    auto session = std::make_shared<QPointer<ScrollCapture>>();
    std::unique_ptr<ScrollPanel> panel;
    if (m_environment.presentScrollPanel) {
        panel = m_environment.presentScrollPanel(
            screen, setup.area,
            [session] {
                if (*session)
                    (*session)->finish();
            },
            [session] {
                if (*session)
                    (*session)->cancel();
            });
    }
    if (panel)
        setup.area = panel->area() & setup.area;
    setImageScale(screen.scale);
    setStatus(::tr(setup.input ? "scroll.scrolling" : "scroll.yourself"));
    // The session goes by itself once it has ended, or with the model.
    auto *capture = new ScrollCapture(setup, std::move(panel), std::move(finished), this);
    *session = capture;
    m_scroll = capture;
    capture->start();
}
