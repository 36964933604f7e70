#include "model/FileNaming.h"

#include "model/PngEncoder.h"

#include <QBuffer>
#include <QImageWriter>
#include <QLocale>
#include <QPainter>

#include <algorithm>
#include <array>

namespace FileNaming {

Name expand(const QString &pattern, const QDateTime &time)
{
    const QDateTime local = time.toLocalTime();
    const QLocale c = QLocale::c();
    QString name;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar ch = pattern[i];
        if (ch != u'%' || i + 1 == pattern.size()) {
            name += ch;
            continue;
        }
        const QChar field = pattern[++i];
        switch (field.unicode()) {
        case u'Y': name += c.toString(local, QStringLiteral("yyyy")); break;
        case u'm': name += c.toString(local, QStringLiteral("MM")); break;
        case u'd': name += c.toString(local, QStringLiteral("dd")); break;
        case u'H': name += c.toString(local, QStringLiteral("HH")); break;
        case u'M': name += c.toString(local, QStringLiteral("mm")); break;
        case u'S': name += c.toString(local, QStringLiteral("ss")); break;
        case u'%': name += u'%'; break;
        default: name += ch + QString(field);
        }
    }
    if (name.contains(u'/'))
        return {{}, "settings.patternSlash"};
    if (name.trimmed().isEmpty())
        return {{}, "settings.patternEmpty"};
    return {name, nullptr};
}

namespace {

struct FormatInfo
{
    ImageFormat format;
    const char *word;
    const char *extension;
    const char *writer; // Qt's name for its writer
};
constexpr std::array<FormatInfo, 3> formats{{
    {ImageFormat::png, "png", "png", "png"},
    {ImageFormat::jpeg, "jpeg", "jpg", "jpeg"},
    {ImageFormat::webp, "webp", "webp", "webp"},
}};

const FormatInfo &infoFor(ImageFormat format)
{
    return formats[std::size_t(format)];
}

} // namespace

QString wordFor(ImageFormat format)
{
    return QLatin1String(infoFor(format).word);
}

std::optional<ImageFormat> formatForWord(const QString &word)
{
    for (const FormatInfo &info : formats) {
        if (word == QLatin1String(info.word))
            return info.format;
    }
    return std::nullopt;
}

QString extensionFor(ImageFormat format)
{
    return QLatin1String(infoFor(format).extension);
}

std::optional<ImageFormat> formatOf(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0 || fileName.indexOf(u'/', dot) >= 0)
        return std::nullopt;
    const QString extension = fileName.mid(dot + 1).toLower();
    if (extension == u"jpeg")
        return ImageFormat::jpeg;
    for (const FormatInfo &info : formats) {
        if (extension == QLatin1String(info.extension))
            return info.format;
    }
    return std::nullopt;
}

bool canWrite(ImageFormat format)
{
    return QImageWriter::supportedImageFormats().contains(infoFor(format).writer);
}

QByteArray encode(const QImage &image, ImageFormat format, int quality)
{
    if (format == ImageFormat::png)
        return encodePng(image);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, infoFor(format).writer);
    writer.setQuality(std::clamp(quality, 1, 100));
    // JPEG has no transparency: what is see-through is laid on white, as viewers show it.
    QImage opaque = image;
    if (format == ImageFormat::jpeg && image.hasAlphaChannel()) {
        opaque = QImage(image.size(), QImage::Format_RGB32);
        opaque.fill(Qt::white);
        QPainter(&opaque).drawImage(0, 0, image);
    }
    if (!writer.write(opaque))
        return {};
    return bytes;
}

} // namespace FileNaming
