// A full-screen window where every pixel differs from its neighbours, for the end-to-end runs on
// desktops whose own background is one colour: a crop a pixel off shows against it.

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>

namespace {

class PatternWindow : public QWidget
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        const qreal ratio = devicePixelRatioF();
        QImage pattern(size() * ratio, QImage::Format_RGB32);
        for (int y = 0; y < pattern.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(pattern.scanLine(y));
            for (int x = 0; x < pattern.width(); ++x)
                line[x] = qRgb((x * 7) & 255, (y * 5 + x) & 255, (x ^ y) & 255);
        }
        pattern.setDevicePixelRatio(ratio);
        QPainter(this).drawImage(0, 0, pattern);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    PatternWindow window;
    window.setWindowTitle(QStringLiteral("Pixdrift test pattern"));
    // --window: an ordinary window, for a test to place.
    if (argc > 1 && QByteArray(argv[1]) == "--window") {
        window.setFixedSize(500, 300);
        window.show();
    } else {
        window.showFullScreen();
    }
    return QApplication::exec();
}
