#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

// Reads the text in a picture of the screen with Tesseract, on this machine, with no network.
namespace TextRecognition {

// Where Tesseract's language data lies and the languages there ("eng", "ita", …); no languages
// when none is installed.
struct Installed
{
    QString dataPath;
    QStringList languages;
};
[[nodiscard]] Installed installed();

// The languages to read with, of those installed: the user interface's language (an ISO 639
// code such as "it"), then English, then the ones chosen in the settings.
[[nodiscard]] QStringList languagesFor(const QString &interfaceLanguage, const QStringList &chosen,
                                       const Installed &installed);

// A crop as Tesseract reads screen text best: grey, dark text on light (light text on a dark
// background is turned over), `upscale` times as large.
[[nodiscard]] QImage prepared(const QImage &crop, int upscale);
// How much to enlarge a crop of `size` pixels taken at `screenScale` device pixels per point.
[[nodiscard]] int upscaleFor(qreal screenScale, QSize size);

struct Result
{
    // In reading order, one line per line of text, a blank line between paragraphs.
    QString text;
    int lines = 0;
    // Why nothing could be read (no language data, Tesseract failed); empty otherwise.
    QString error;
    bool cancelled = false;
};
// Reads `image` (already prepared). Blocks: call it off the GUI thread. `progress` hears 0–100
// from Tesseract's thread; a set `cancel` stops it soon after.
[[nodiscard]] Result recognise(const QImage &image, const Installed &installed, const QStringList &languages,
                               const std::function<void(int percent)> &progress = {},
                               const std::atomic_bool *cancel = nullptr);

} // namespace TextRecognition
