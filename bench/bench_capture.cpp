// Screen capture and overlay drawing, timed on a real X server. Run through scripts/bench,
// which starts a 5120 × 2880 Xvfb. Prints medians; asserts nothing.

#include "overlay/AreaSelectionView.h"
#include "platform/x11/X11ScreenCapture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename F>
double timeMs(F &&f)
{
    QElapsedTimer timer;
    timer.start();
    f();
    return double(timer.nsecsElapsed()) / 1e6;
}

QImage screenshotLike(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(236, 236, 236));
    QPainter painter(&image);
    for (int i = 0; i < 40; ++i)
        painter.fillRect((i * 397) % size.width(), (i * 211) % size.height(), 600, 300,
                         QColor::fromHsv((i * 37) % 360, 120, 220));
    painter.setPen(Qt::black);
    for (int y = 20; y < size.height(); y += 24)
        painter.drawText(40, y, QStringLiteral("The quick brown fox jumps over the lazy dog 0123456789"));
    return image;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 21;
    QScreen *screen = QGuiApplication::primaryScreen();
    const QSize pixels = (QSizeF(screen->geometry().size()) * screen->devicePixelRatio()).toSize();
    std::printf("screen %d x %d pixels, %d rounds, medians\n", pixels.width(), pixels.height(), rounds);

    X11ScreenCapture shm;
    if (shm.backend() != X11ScreenCapture::Backend::SharedMemory) {
        std::printf("the X server has no usable MIT-SHM\n");
        return 1;
    }
    std::vector<double> shmTimes, grabTimes;
    for (int i = 0; i < rounds; ++i) {
        shmTimes.push_back(timeMs([&] { (void)shm.grab(shm.mainDisplayId(), pixels.width(), pixels.height()); }));
        grabTimes.push_back(timeMs([&] { (void)screen->grabWindow(0).toImage(); }));
    }
    const double shmMs = median(shmTimes), grabMs = median(grabTimes);
    std::printf("capture: X11ScreenCapture (MIT-SHM) %.1f ms, QScreen::grabWindow %.1f ms, %.1fx\n", shmMs, grabMs,
                grabMs / shmMs);

    // Showing an overlay: the whole screen dimmed into the window's buffer, which is kept
    // between captures (here a canvas touched beforehand).
    const QImage screenshot = screenshotLike(pixels);
    QImage ready(pixels, QImage::Format_RGB32);
    ready.fill(Qt::black);
    std::vector<double> firstPaint;
    AreaSelectionView reused(screenshot, {});
    reused.resize(screen->geometry().size());
    for (int i = 0; i < 5; ++i) {
        reused.setImage(screenshot, {});
        firstPaint.push_back(timeMs([&] { reused.render(&ready); }));
    }
    std::printf("overlay first paint (the whole screen dimmed): first %.1f ms, median of 5 %.1f ms\n", firstPaint[0],
                median(firstPaint));

    AreaSelectionView view(screenshot, {});
    view.setGeometry(screen->geometry());
    view.show();
    QElapsedTimer shown;
    shown.start();
    while (!(view.windowHandle() && view.windowHandle()->isExposed()) && shown.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();
    std::printf("overlay view exposed: %s\n", view.windowHandle()->isExposed() ? "yes" : "no");

    // One drag step: the selection grows by a few pixels, as between two pointer events.
    // "repaint" draws into the window and sends it to the X server; "draw" renders only.
    QImage canvas(view.size(), QImage::Format_RGB32);
    view.render(&canvas);
    std::vector<double> partialRepaint, fullRepaint, partialDraw, fullDraw;
    const QRectF base(800, 600, 1600, 900);
    for (int i = 0; i < rounds; ++i) {
        const QRectF before = base.adjusted(0, 0, i * 6, i * 4);
        const QRectF after = base.adjusted(0, 0, i * 6 + 6, i * 4 + 4);
        const QRegion region = view.repaintRegion(before, after);
        partialRepaint.push_back(timeMs([&] { view.repaint(region); }));
        fullRepaint.push_back(timeMs([&] { view.repaint(); }));
        partialDraw.push_back(timeMs([&] { view.render(&canvas, QPoint(), region); }));
        fullDraw.push_back(timeMs([&] { view.render(&canvas); }));
    }
    std::printf("overlay drag frame, repaint: changed area %.2f ms, whole view %.2f ms, %.1fx\n",
                median(partialRepaint), median(fullRepaint), median(fullRepaint) / median(partialRepaint));
    std::printf("overlay drag frame, draw only: changed area %.2f ms, whole view %.2f ms, %.1fx\n",
                median(partialDraw), median(fullDraw), median(fullDraw) / median(partialDraw));
    return 0;
}
