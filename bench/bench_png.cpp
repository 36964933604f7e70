// The PNG encoder against QImage::save on screenshot-like images. Prints medians and sizes;
// asserts nothing.

#include "model/PngEncoder.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>

#include <algorithm>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Window-like panels, text, a gradient and a photo-like noisy area: what a desktop shows.
QImage screenshotLike(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(236, 236, 236));
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, size.width(), size.height());
    gradient.setColorAt(0, QColor(30, 60, 110));
    gradient.setColorAt(1, QColor(150, 80, 140));
    painter.fillRect(QRect(0, 0, size.width(), size.height() / 3), gradient);
    for (int i = 0; i < 24; ++i) {
        const QRect panel((i * 397) % size.width(), (i * 211) % size.height(), size.width() / 4, size.height() / 5);
        painter.fillRect(panel, QColor::fromHsv((i * 37) % 360, 40, 245));
        painter.setPen(QColor(60, 60, 60));
        for (int y = panel.top() + 18; y < panel.bottom(); y += 18)
            painter.drawText(panel.left() + 10, y, QStringLiteral("Lorem ipsum dolor sit amet, consectetur 0123456789"));
    }
    QRandomGenerator random(42);
    const QRect photo(size.width() / 2, size.height() / 2, size.width() / 5, size.height() / 5);
    for (int y = photo.top(); y < photo.bottom(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = photo.left(); x < photo.right(); ++x) {
            const int n = int(random.bounded(24));
            line[x] = qRgb(90 + n + (x & 63), 120 + n, 70 + n + (y & 31));
        }
    }
    return image;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 9;
    std::printf("%-12s %12s %12s %12s %8s %14s %14s %8s\n", "size", "encoder ms", "cold ms", "save ms", "ratio",
                "encoder bytes", "save bytes", "size +%");
    for (const QSize size : {QSize(2880, 1800), QSize(5120, 2880)}) {
        const QImage image = screenshotLike(size);
        std::vector<double> ours, cold, theirs;
        qsizetype ourBytes = 0, theirBytes = 0;
        for (int i = 0; i < rounds; ++i) {
            QElapsedTimer timer;
            timer.start();
            const QByteArray png = encodePng(image);
            ours.push_back(double(timer.nsecsElapsed()) / 1e6);
            ourBytes = png.size();

            QByteArray saved;
            QBuffer buffer(&saved);
            buffer.open(QIODevice::WriteOnly);
            timer.restart();
            image.save(&buffer, "PNG");
            theirs.push_back(double(timer.nsecsElapsed()) / 1e6);
            theirBytes = saved.size();
            // The first Copy after a while: the encoder has given its buffers back.
            releasePngBuffers();
#ifdef __GLIBC__
            malloc_trim(0);
#endif
            timer.restart();
            (void)encodePng(image);
            cold.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        const double a = median(ours), b = median(theirs);
        std::printf("%5dx%-6d %12.1f %12.1f %12.1f %7.1fx %14lld %14lld %7.1f%%\n", size.width(), size.height(), a,
                    median(cold), b, b / a,
                    qlonglong(ourBytes), qlonglong(theirBytes), 100.0 * double(ourBytes - theirBytes) / double(theirBytes));
    }
    return 0;
}
