// Images of any size and pixels: the PNG decodes to exactly the pixels encoded.
#include "model/PngEncoder.h"

#include <QImage>

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const int width = 1 + data[0] % 96;
    const int height = 1 + data[1] % 64;
    QImage image(width, height, QImage::Format_RGB32);
    std::size_t next = 2;
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            std::uint8_t rgb[3] = {};
            for (std::uint8_t &channel : rgb)
                channel = next < size ? data[next++] : std::uint8_t(x * 7 + y);
            line[x] = qRgb(rgb[0], rgb[1], rgb[2]);
        }
    }
    const QByteArray png = encodePng(image);
    QImage decoded;
    if (png.isEmpty() || !decoded.loadFromData(png, "PNG"))
        std::abort();
    if (decoded.convertToFormat(QImage::Format_RGB32) != image)
        std::abort();
    return 0;
}
