// The editor with a full load: a 5120 × 2880 capture with 50 marks of every kind. Times one
// repaint of the image area (fitted, and zoomed to 100 %) and one Copy's image and PNG. Prints
// medians; asserts nothing.

#include "model/CaptureModel.h"
#include "model/PngEncoder.h"
#include "platform/UserDefaults.h"
#include "ui/ImageArea.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename F>
double timeIt(int rounds, F &&work)
{
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return median(times);
}

QList<Mark> fiftyMarks(QSize image)
{
    const QStringList tools{"tool.arrow", "tool.pen",  "tool.rectangle", "tool.pixelate", "tool.ellipse",
                            "tool.freehand", "tool.highlighter", "tool.text", "tool.counter", "tool.blur"};
    QList<Mark> marks;
    for (int i = 0; i < 50; ++i) {
        const QPointF from((i * 613) % (image.width() - 600), (i * 389) % (image.height() - 400));
        Mark mark(from, from + QPointF(320 + i * 3, 180 + i * 2), QColor::fromHsv((i * 47) % 360, 220, 230),
                  tools[i % tools.size()]);
        for (int p = 0; p < 60; ++p)
            mark.path.append(from + QPointF(p * 6, 80 * std::sin(p / 6.0)));
        mark.text = QStringLiteral("Step %1: click here\nthen wait").arg(i);
        marks.append(mark);
    }
    return marks;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 9;
    QTemporaryDir dir;
    UserDefaults defaults(dir.filePath(QStringLiteral("defaults.json")));
    CaptureModel model(defaults);
    QImage image(5120, 2880, QImage::Format_RGB32);
    image.fill(QColor(236, 236, 236));
    {
        QPainter painter(&image);
        for (int y = 20; y < image.height(); y += 18)
            painter.drawText(10 + (y % 200), y, QStringLiteral("Lorem ipsum dolor sit amet, consectetur 0123456789 ").repeated(6));
    }
    model.setImage(image);
    model.setImageScale(2);
    model.setCrop(QRectF(0, 0, image.width(), image.height()));
    model.setFull(true);
    model.setIncludeMarks(true);
    for (const Mark &mark : fiftyMarks(image.size()))
        model.addMark(mark);

    ImageArea area(model, [] { return QColor(Qt::red); });
    area.resize(1600, 1000);
    QImage target(area.size(), QImage::Format_ARGB32_Premultiplied);
    const auto repaint = [&] {
        target.fill(Qt::transparent);
        area.render(&target, QPoint(), QRegion(target.rect()));
    };
    repaint(); // the first paint works out the scaled image and the blurred areas once
    if (qEnvironmentVariableIsSet("BENCH_MARKS_SHOT"))
        target.save(qEnvironmentVariable("BENCH_MARKS_SHOT"));
    const double fitted = timeIt(rounds, repaint);
    area.setZoom(0.5); // 100 % of a scale-2 capture, seen through a 1600 × 1000 window
    repaint();
    const double actual = timeIt(rounds, repaint);
    QImage output;
    const double compose = timeIt(rounds, [&] { output = model.outputImage(); });
    const double copy = timeIt(rounds, [&] { (void)encodePng(model.outputImage()); });
    std::printf("5120x2880, 50 marks: repaint fitted %.1f ms, repaint at 100%% %.1f ms, output image %.1f ms, "
                "Copy (image + PNG) %.1f ms\n",
                fitted, actual, compose, copy);
    return 0;
}
