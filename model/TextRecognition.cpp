#include "model/TextRecognition.h"

#include <QDir>
#include <QFile>
#include <QLocale>

#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>

#include <algorithm>
#include <memory>

// Tesseract's OpenMP threads spin while they wait: on a laptop's few cores they cost more than
// they give (half the time again, here). One thread reads; the program's other threads stay free.
extern "C" void omp_set_max_active_levels(int levels);

namespace TextRecognition {

Installed installed()
{
    // Tesseract's own variable first, then where Debian and others keep the data.
    QStringList candidates;
    if (const QString prefix = qEnvironmentVariable("TESSDATA_PREFIX"); !prefix.isEmpty())
        candidates << prefix << prefix + QStringLiteral("/tessdata");
    candidates << QStringLiteral("/usr/share/tesseract-ocr/5/tessdata") << QStringLiteral("/usr/share/tesseract-ocr/4.00/tessdata")
               << QStringLiteral("/usr/share/tessdata") << QStringLiteral("/usr/local/share/tessdata");
    for (const QString &path : candidates) {
        QStringList languages;
        for (const QString &file : QDir(path).entryList({QStringLiteral("*.traineddata")}, QDir::Files, QDir::Name)) {
            const QString language = file.chopped(int(sizeof ".traineddata") - 1);
            // Orientation and equations are no languages to read text in.
            if (language != u"osd" && language != u"equ")
                languages << language;
        }
        if (!languages.isEmpty())
            return {path, languages};
    }
    return {};
}

QStringList languagesFor(const QString &interfaceLanguage, const QStringList &chosen, const Installed &installed)
{
    QStringList wanted;
    const QLocale::Language language = QLocale::codeToLanguage(interfaceLanguage);
    if (language != QLocale::AnyLanguage)
        wanted << QLocale::languageToCode(language, QLocale::ISO639Part2T);
    wanted << QStringLiteral("eng") << chosen;
    QStringList languages;
    for (const QString &code : wanted) {
        if (installed.languages.contains(code) && !languages.contains(code))
            languages << code;
    }
    // Whatever is there rather than nothing.
    if (languages.isEmpty() && !installed.languages.isEmpty())
        languages << installed.languages.first();
    return languages;
}

int upscaleFor(qreal screenScale, QSize size)
{
    // Measured (bench/bench_ocr): at 100 % doubling reads every character of 9- and 11-point
    // text, as is reads 0.15 % wrong; at 200 % doubling costs a little time and nothing else, and
    // programs that ignore the screen's scale (many X11 ones) draw their text as small as at
    // 100 %, so only a crop as large as a screen at 200 % is read as it is, for time.
    constexpr qint64 screenSized = 2560 * 1600;
    return screenScale >= 1.75 && qint64(size.width()) * size.height() >= screenSized ? 1 : 2;
}

QImage prepared(const QImage &crop, int upscale)
{
    QImage grey = crop.convertToFormat(QImage::Format_Grayscale8);
    // Light text on a dark background (a terminal, a dark theme) is turned over: the background
    // is what most of the border is.
    qint64 border = 0, count = 0;
    for (int x = 0; x < grey.width(); ++x) {
        border += grey.constScanLine(0)[x] + grey.constScanLine(grey.height() - 1)[x];
        count += 2;
    }
    for (int y = 0; y < grey.height(); ++y) {
        border += grey.constScanLine(y)[0] + grey.constScanLine(y)[grey.width() - 1];
        count += 2;
    }
    if (count > 0 && border / count < 128)
        grey.invertPixels();
    if (upscale > 1)
        grey = grey.scaled(grey.size() * upscale, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return grey;
}

namespace {

struct Monitor
{
    const std::function<void(int)> *progress = nullptr;
    const std::atomic_bool *cancel = nullptr;
    int reported = -1;
};

bool cancelled(void *data, int)
{
    auto *monitor = static_cast<Monitor *>(data);
    return monitor->cancel && monitor->cancel->load();
}

bool progressed(tesseract::ETEXT_DESC *description, int, int, int, int)
{
    auto *monitor = static_cast<Monitor *>(description->cancel_this);
    if (monitor->progress && *monitor->progress && description->progress != monitor->reported) {
        monitor->reported = description->progress;
        (*monitor->progress)(description->progress);
    }
    return true;
}

} // namespace

Result recognise(const QImage &image, const Installed &installed, const QStringList &languages,
                 const std::function<void(int)> &progress, const std::atomic_bool *cancel)
{
    Result result;
    if (languages.isEmpty()) {
        result.error = QStringLiteral("no language data");
        return result;
    }
    omp_set_max_active_levels(0);
    tesseract::TessBaseAPI api;
    if (api.Init(QFile::encodeName(installed.dataPath).constData(), languages.join(u'+').toLatin1().constData(),
                 tesseract::OEM_LSTM_ONLY)
        != 0) {
        result.error = QStringLiteral("Tesseract could not load %1 from %2").arg(languages.join(u'+'), installed.dataPath);
        return result;
    }
    api.SetPageSegMode(tesseract::PSM_AUTO);
    // Words that are not in the dictionary (names, code) stay as they are written.
    api.SetVariable("preserve_interword_spaces", "1");
    const QImage grey = image.format() == QImage::Format_Grayscale8 ? image : image.convertToFormat(QImage::Format_Grayscale8);
    api.SetImage(grey.constBits(), grey.width(), grey.height(), 1, int(grey.bytesPerLine()));
    api.SetSourceResolution(300);
    Monitor monitor{&progress, cancel};
    tesseract::ETEXT_DESC description;
    description.cancel = &cancelled;
    description.cancel_this = &monitor;
    description.progress_callback2 = &progressed;
    if (api.Recognize(&description) != 0 || (cancel && cancel->load())) {
        result.cancelled = cancel && cancel->load();
        if (!result.cancelled)
            result.error = QStringLiteral("Tesseract could not read the picture");
        return result;
    }
    const std::unique_ptr<char[]> text(api.GetUTF8Text());
    QStringList lines = QString::fromUtf8(text ? text.get() : "").split(u'\n');
    for (QString &line : lines)
        line = line.trimmed();
    // No blank lines at either end, at most one between paragraphs.
    while (!lines.isEmpty() && lines.first().isEmpty())
        lines.removeFirst();
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    lines.erase(std::unique(lines.begin(), lines.end(), [](const QString &a, const QString &b) { return a.isEmpty() && b.isEmpty(); }),
                lines.end());
    result.text = lines.join(u'\n');
    result.lines = int(std::count_if(lines.begin(), lines.end(), [](const QString &line) { return !line.isEmpty(); }));
    api.End();
    return result;
}

} // namespace TextRecognition
