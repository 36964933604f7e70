#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>

#include <optional>

// The formats a capture is saved in.
enum class ImageFormat { png, jpeg, webp };

// How saved captures are named and encoded.
namespace FileNaming {

// Today's name to the second: Pixdrift-2026-12-07-14-03-09.
inline const QString defaultPattern = QStringLiteral("Pixdrift-%Y-%m-%d-%H-%M-%S");

// A pattern's name at a time, or the text key of why it gives none.
struct Name
{
    QString name;
    const char *problem = nullptr;
};
// The name `pattern` gives at `time`: %Y the year, %m the month, %d the day, %H the hour, %M the
// minute, %S the second, %% a percent sign; everything else as it stands. A name with a '/', or
// an empty one, is refused.
[[nodiscard]] Name expand(const QString &pattern, const QDateTime &time);

// "png", "jpeg" or "webp": the word the settings keep and the option's value.
[[nodiscard]] QString wordFor(ImageFormat format);
[[nodiscard]] std::optional<ImageFormat> formatForWord(const QString &word);
// The extension a new file of that format gets, without the dot.
[[nodiscard]] QString extensionFor(ImageFormat format);
// The format a file name's extension asks for (any case; .jpg and .jpeg alike); none for a name
// without one of ours.
[[nodiscard]] std::optional<ImageFormat> formatOf(const QString &fileName);
// Whether this Qt can write the format (WebP needs Qt's image format plugins).
[[nodiscard]] bool canWrite(ImageFormat format);

// The image in that format; `quality` (1–100) counts for JPEG and WebP. Empty when it could not
// be encoded.
[[nodiscard]] QByteArray encode(const QImage &image, ImageFormat format, int quality);

} // namespace FileNaming
