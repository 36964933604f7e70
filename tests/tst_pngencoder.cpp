#include "model/PngEncoder.h"

#include <QBuffer>
#include <QImageReader>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

namespace {

enum class Content { Flat, Noise, Gradient, Stripes };

QImage makeImage(QSize size, Content content, bool translucent)
{
    QImage image(size, translucent ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    QRandomGenerator random(size.width() * 7919 + size.height());
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            int r = 0, g = 0, b = 0, a = 255;
            switch (content) {
            case Content::Flat:
                r = 40, g = 120, b = 200;
                break;
            case Content::Noise: {
                const quint32 v = random.generate();
                r = v & 0xff, g = (v >> 8) & 0xff, b = (v >> 16) & 0xff;
                break;
            }
            case Content::Gradient:
                r = (x * 255) / std::max(1, size.width() - 1), g = (y * 255) / std::max(1, size.height() - 1),
                b = (x + y) & 0xff;
                break;
            case Content::Stripes:
                r = g = b = (x / 3 + y / 5) % 2 ? 250 : 10;
                break;
            }
            if (translucent)
                a = (x * 13 + y * 7) & 0xff;
            line[x] = qRgba(r, g, b, a);
        }
    }
    return image;
}

bool isOpaque(const QImage &image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(argb.pixel(x, y)) != 255)
                return false;
    return true;
}

} // namespace

class PngEncoderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<int>("pieces");

        QTest::newRow("1x1") << makeImage({1, 1}, Content::Noise, false) << 0;
        QTest::newRow("1x1 translucent") << makeImage({1, 1}, Content::Noise, true) << 0;
        QTest::newRow("1x37") << makeImage({1, 37}, Content::Gradient, false) << 5;
        QTest::newRow("41x1") << makeImage({41, 1}, Content::Gradient, true) << 3;
        QTest::newRow("odd width, flat") << makeImage({333, 77}, Content::Flat, false) << 0;
        QTest::newRow("odd width, noise, 7 pieces") << makeImage({333, 77}, Content::Noise, false) << 7;
        QTest::newRow("gradient, translucent") << makeImage({257, 129}, Content::Gradient, true) << 4;
        QTest::newRow("stripes, one piece per row") << makeImage({64, 16}, Content::Stripes, false) << 16;
        QTest::newRow("large noise") << makeImage({1200, 900}, Content::Noise, false) << 0;
        QTest::newRow("large noise, translucent") << makeImage({700, 500}, Content::Noise, true) << 3;
        QImage premultiplied = makeImage({99, 33}, Content::Gradient, true)
                                   .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QTest::newRow("premultiplied input") << premultiplied << 0;
        QTest::newRow("opaque with an alpha channel")
            << makeImage({50, 20}, Content::Noise, false).convertToFormat(QImage::Format_ARGB32) << 2;
    }

    void roundTrip()
    {
        QFETCH(QImage, image);
        QFETCH(int, pieces);
        const QByteArray png = encodePng(image, pieces);
        QVERIFY(!png.isEmpty());

        QImage decoded;
        QVERIFY(decoded.loadFromData(png, "PNG"));
        QCOMPARE(decoded.size(), image.size());
        const QImage::Format expected = image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
        QCOMPARE(decoded.convertToFormat(QImage::Format_ARGB32), image.convertToFormat(expected).convertToFormat(QImage::Format_ARGB32));

        // Opaque images are written without an alpha channel (colour type at byte 25).
        QCOMPARE(quint8(png.at(25)), isOpaque(image) ? quint8(2) : quint8(6));

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("image.png"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(png);
        file.close();
        QProcess check;
        check.start(QStringLiteral("pngcheck"), {path});
        QVERIFY(check.waitForFinished(30000));
        QVERIFY2(check.exitCode() == 0, check.readAllStandardOutput().constData());
    }

    void aNullImageGivesNothing() { QVERIFY(encodePng(QImage()).isEmpty()); }

    // Buffers are reused between calls; a smaller image after a larger one must not carry
    // anything over.
    void successiveImagesAreIndependent()
    {
        const QImage large = makeImage({400, 300}, Content::Noise, false);
        const QImage small = makeImage({20, 10}, Content::Gradient, false);
        QVERIFY(!encodePng(large).isEmpty());
        QImage decoded;
        QVERIFY(decoded.loadFromData(encodePng(small), "PNG"));
        QCOMPARE(decoded.convertToFormat(QImage::Format_RGB32), small);
    }
};

QTEST_MAIN(PngEncoderTest)
#include "tst_pngencoder.moc"
