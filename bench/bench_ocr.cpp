// Reading text: which enlargement reads screen text best at scale 1 and 2, and how long a 5K
// screen full of text takes. Prints Markdown; asserts nothing.
//
//   bench_ocr [rounds]

#include "model/TextRecognition.h"
#include "support/TestUtilities.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QStringList paragraphs{
    QStringLiteral("The quick brown fox jumps over the lazy dog while the build server copies 42 files to the "
                   "backup folder. Error: permission denied when opening the configuration file."),
    QStringLiteral("La volpe veloce salta sopra il cane pigro mentre il server copia 42 file nella cartella di "
                   "backup. Errore: permesso negato durante l'apertura del file di configurazione."),
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const TextRecognition::Installed installed = TextRecognition::installed();
    const QStringList languages = TextRecognition::languagesFor(QStringLiteral("it"), {}, installed);

    std::printf("| screen scale | enlargement | mean character error rate | mean time per paragraph |\n|---|---|---|---|\n");
    for (const qreal scale : {1.0, 2.0}) {
        for (const int upscale : {1, 2, 3, 4}) {
            double errors = 0, milliseconds = 0;
            int count = 0;
            for (const QString &text : paragraphs)
                for (const qreal points : {9.0, 11.0})
                    for (const bool dark : {false, true}) {
                        const QImage image = TextRecognition::prepared(renderedText(text, points, scale, dark), upscale);
                        QElapsedTimer timer;
                        timer.start();
                        const TextRecognition::Result result = TextRecognition::recognise(image, installed, languages);
                        milliseconds += double(timer.nsecsElapsed()) / 1e6;
                        errors += characterErrorRate(result.text, text);
                        ++count;
                    }
            std::printf("| %g | %d× | %.2f %% | %.0f ms |\n", scale, upscale, errors / count * 100, milliseconds / count);
        }
    }

    // A 5K screen at 200 % full of 11-point text, as one crop.
    QImage screen(5120, 2880, QImage::Format_RGB32);
    screen.fill(QColor(0xfa, 0xfa, 0xfa));
    {
        QPainter painter(&screen);
        const QImage block = renderedText(paragraphs.join(u' '), 11, 2.0, false, 1200);
        for (int y = 0; y + block.height() <= screen.height(); y += block.height())
            for (int x = 0; x + block.width() <= screen.width(); x += block.width())
                painter.drawImage(x, y, block);
    }
    std::vector<double> seconds;
    int lines = 0;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        const TextRecognition::Result result =
            TextRecognition::recognise(TextRecognition::prepared(screen, TextRecognition::upscaleFor(2.0, screen.size())), installed, languages);
        seconds.push_back(double(timer.nsecsElapsed()) / 1e9);
        lines = result.lines;
    }
    std::printf("\n5120 × 2880 crop of 11-point text at 200 %% (%d lines read): %.1f s (median of %d, min %.1f, max %.1f)\n",
                lines, median(seconds), rounds, *std::min_element(seconds.begin(), seconds.end()),
                *std::max_element(seconds.begin(), seconds.end()));
    return 0;
}
