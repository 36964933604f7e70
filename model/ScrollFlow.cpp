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
        // The session goes once it has returned to its caller.
        if (m_scroll)
            m_scroll.release()->deleteLater();
        if (generation != m_captureGeneration)
            return;
        if (image.isNull() && failure.isEmpty()) {
            deliverArea(std::nullopt, {}, windowsWereVisible, delivery);
            return;
        }
        if (image.isNull()) {
            captureFailed(failure, delivery);
            return;
        }
        showCaptured(image, scale, {CaptureRequest::Kind::Last, {}, image.rect(), delivery}, windowsWereVisible);
        // What was stitched before the capture broke off is kept, and the break said.
        if (!failure.isEmpty() && !delivery)
            setStatus(::tr("scroll.brokeOff") + QStringLiteral(" (") + failure + u')');
    };
    std::unique_ptr<ScrollPanel> panel;
    if (m_environment.presentScrollPanel) {
        panel = m_environment.presentScrollPanel(
            screen, setup.area,
            [this] {
                if (m_scroll)
                    m_scroll->finish();
            },
            [this] {
                if (m_scroll)
                    m_scroll->cancel();
            });
    }
    if (panel)
        setup.area = panel->area() & setup.area;
    setImageScale(screen.scale);
    setStatus(::tr(setup.input ? "scroll.scrolling" : "scroll.yourself"));
    m_scroll = std::make_unique<ScrollCapture>(setup, std::move(panel), std::move(finished));
    m_scroll->start();
}
