#include "model/ScrollCapture.h"

#include "model/HandlerAwaitable.h"
#include "platform/ScreenCaptureService.h"
#include "platform/ScrollInput.h"
#include "text/tr.h"

#include <qcoro/qcorotimer.h>

#include <QElapsedTimer>
#include <QHashFunctions>

#include <algorithm>
#include <chrono>
#include <malloc.h>

namespace {

using namespace std::chrono_literals;

// How often the area is looked at while it settles after a scroll, and while the user scrolls.
constexpr auto settlePoll = 15ms;
constexpr auto manualPoll = 40ms;
// A page that shows no change this long after a turn of the wheel has reached its end; the first
// turn is given longer, for a program slow to answer at all.
constexpr qint64 stillMs = 800;
constexpr qint64 firstStillMs = 2500;
// A page that never holds still (an animation in it) is taken as it is after this long.
constexpr qint64 settleMs = 3000;
// The content moves up to this share of the moving rows per step: the rest overlaps the page so
// far, so that the step can be placed.
constexpr double stepShare = 0.6;
constexpr int maxClicks = 20;

// Two looks at the area are compared by a digest of their pixels: only the frame last stitched
// and the newest look are kept, whatever the page's length.
std::size_t digest(const QImage &frame)
{
    return qHashBits(frame.constBits(), std::size_t(frame.sizeInBytes()));
}

QCoro::Task<QImage> grab(ScreenCaptureService *service, ScrollCapture::Setup setup, QString *failure)
{
    const auto captured = co_await HandlerAwaitable<CaptureResult<QImage>>([&](auto done) {
        service->requestImage(setup.display, setup.displayPixels.width(), setup.displayPixels.height(), std::move(done));
    });
    if (!captured.value || captured.value->isNull()) {
        *failure = captured.value ? QStringLiteral("the screen grab returned no image") : captured.error;
        co_return QImage();
    }
    // A copy of its own: the service may reuse the memory of its image for the next one.
    co_return captured.value->copy(setup.area);
}

} // namespace

ScrollCapture::ScrollCapture(Setup setup, std::unique_ptr<ScrollPanel> panel, Finished finished, QObject *parent)
    : QObject(parent)
    , m_setup(setup)
    , m_panel(std::move(panel))
    , m_finished(std::move(finished))
{
}

ScrollCapture::~ScrollCapture()
{
    // Stopped by a new capture in the middle of a scroll: the pointer goes back all the same.
    if (m_setup.input)
        m_setup.input->restorePointer();
}

void ScrollCapture::start()
{
    [[maybe_unused]] auto task = run(this);
}

void ScrollCapture::finish()
{
    if (m_stop == Stop::none)
        m_stop = Stop::finish;
}

void ScrollCapture::cancel()
{
    m_stop = Stop::cancel;
}

void ScrollCapture::abandon()
{
    m_stop = Stop::cancel;
    m_panel.reset();
    if (m_setup.input)
        m_setup.input->restorePointer();
}

void ScrollCapture::report(const ScrollStitcher::Step &step)
{
    using Outcome = ScrollStitcher::Outcome;
    if (step.outcome == Outcome::lost)
        m_note = ::tr("scroll.lost");
    else if (step.outcome == Outcome::full)
        m_note = ::tr("scroll.limit");
    else if (step.outcome == Outcome::placed)
        m_note = m_setup.input ? ::tr("scroll.scrolling") : ::tr("scroll.yourself");
    if (m_panel)
        m_panel->setProgress(m_stitcher ? m_stitcher->height() : 0, m_note);
}

QCoro::Task<> ScrollCapture::run(QPointer<ScrollCapture> self)
{
    ScreenCaptureService *service = self->m_setup.service;
    const Setup setup = self->m_setup;
    QString failure;
    if (!service) {
        self->m_failure = QStringLiteral("no screen-capture service is available");
        self->end();
        co_return;
    }
    // The frame and the panel are in their places, outside the area, before the first look (a
    // compositor that places windows itself moves the panel once it has shown it).
    co_await QCoro::sleepFor(300ms);
    if (!self)
        co_return;
    const QImage first = co_await grab(service, setup, &failure);
    if (!self)
        co_return;
    if (first.isNull()) {
        self->m_failure = failure;
        self->end();
        co_return;
    }
    self->m_stitcher.emplace(first, setup.heightLimit);
    self->m_note = setup.input ? ::tr("scroll.scrolling") : ::tr("scroll.yourself");
    self->report({ScrollStitcher::Outcome::placed, 0, 0});
    // The wheel turns with the pointer in the middle of the area, and once the fixed rows are
    // known, a quarter down the moving ones: the rows a hover effect may light up are then rows
    // already stitched, not new ones.
    QPoint centre = setup.displayOrigin + setup.area.center();
    using Outcome = ScrollStitcher::Outcome;

    std::size_t shown = digest(first), lastLook = shown;
    int clicks = 1;
    while (self && self->m_stop == Stop::none) {
        if (setup.input) {
            if (!setup.input->scroll(centre, clicks)) {
                self->m_failure = QStringLiteral("the window system refused to turn the wheel");
                break;
            }
            // After a turn of the wheel: wait for the area to change, then to hold still.
            QElapsedTimer since;
            since.start();
            std::optional<std::size_t> last;
            QImage frame;
            while (self && self->m_stop == Stop::none) {
                co_await QCoro::sleepFor(settlePoll);
                if (!self)
                    co_return;
                QImage now = co_await grab(service, setup, &failure);
                if (!self)
                    co_return;
                if (now.isNull()) {
                    self->m_failure = failure;
                    break;
                }
                const std::size_t look = digest(now);
                const bool changed = look != shown;
                if (!changed && since.elapsed() > (self->m_stitcher->height() == first.height() ? firstStillMs : stillMs))
                    break;
                if ((changed && look == last) || since.elapsed() > settleMs) {
                    frame = std::move(now);
                    break;
                }
                last = look;
            }
            if (!self || self->m_stop != Stop::none || !self->m_failure.isEmpty() || frame.isNull())
                break;
            const ScrollStitcher::Step step = self->m_stitcher->add(frame);
            self->report(step);
            if (step.outcome == Outcome::lost && clicks > 1) {
                // Too far for one step: back the same way, and smaller steps from now on.
                (void)setup.input->scroll(centre, -clicks);
                clicks = std::max(1, clicks / 2);
                co_await QCoro::sleepFor(200ms);
                if (!self)
                    co_return;
                const QImage back = co_await grab(service, setup, &failure);
                if (!self)
                    co_return;
                shown = digest(back);
                continue;
            }
            if (step.outcome != Outcome::placed)
                break;
            shown = digest(frame);
            centre.setY(setup.displayOrigin.y() + setup.area.top() + self->m_stitcher->movingTop()
                        + self->m_stitcher->movingRows() / 4);
            // As many notches as move the content by a good part of what it shows at once.
            if (step.moved > 0) {
                const double perClick = double(step.moved) / clicks;
                clicks = std::clamp(int(stepShare * self->m_stitcher->movingRows() / perClick), 1, maxClicks);
            }
        } else {
            // The user scrolls: a frame goes in once it holds still and differs from the last one.
            co_await QCoro::sleepFor(manualPoll);
            if (!self)
                co_return;
            const QImage now = co_await grab(service, setup, &failure);
            if (!self)
                co_return;
            if (now.isNull()) {
                self->m_failure = failure;
                break;
            }
            const std::size_t look = digest(now);
            if (look == shown || look != std::exchange(lastLook, look))
                continue;
            const ScrollStitcher::Step step = self->m_stitcher->add(now);
            self->report(step);
            if (step.outcome == Outcome::full)
                break;
            // A frame that could not be placed is not tried again until the area changes.
            shown = look;
        }
    }
    if (!self)
        co_return;
    if (setup.input)
        setup.input->restorePointer();
    self->end();
}

void ScrollCapture::end()
{
    m_panel.reset();
    // The frames looked at are gone; their memory goes back to the system, not to the heap.
    malloc_trim(0);
    deleteLater();
    if (!m_finished)
        return;
    const Finished finished = std::exchange(m_finished, {});
    if (m_stop == Stop::cancel)
        finished({}, {});
    else if (!m_stitcher)
        finished({}, m_failure);
    else
        finished(m_stitcher->take(), m_failure);
}
