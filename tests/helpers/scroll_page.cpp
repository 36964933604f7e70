// A page taller than its window, for the scrolling capture's end-to-end runs: a fixed header over
// a scroll area whose rows all differ from each other, scrolled by the wheel. The page is drawn
// in device pixels, so a capture of it can be compared with it exactly.
//
//   scroll_page [--write FILE] [--height ROWS] [--width PIXELS] [--view ROWS]
//   scroll_page --same A.png B.png
//
// --write FILE writes, once the window shows, what a stitched capture of the whole window must
// be: the header once, then every row of the page. --same compares two pictures pixel for pixel
// (exit 0 when equal), also those too tall for ImageMagick's limits.

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

namespace {

int option(const QStringList &arguments, const QString &name, int fallback)
{
    const qsizetype at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments[at + 1].toInt() : fallback;
}

QImage header(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(200, (x * 5 + y) & 255, (y * 40 + x / 16) & 255));
    return image;
}

// Row y differs from every other row in its first channels alone.
QImage page(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = qRgb((x * 3 + y) & 255, (y * 7 + (y >> 8) * 31) & 255, ((y >> 5) * 13 + x) & 255);
    }
    return image;
}

class Picture : public QWidget
{
public:
    explicit Picture(QImage image)
        : m_image(std::move(image))
    {
    }
    void setRatio(qreal ratio)
    {
        m_image.setDevicePixelRatio(ratio);
        setFixedSize((QSizeF(m_image.size()) / ratio).toSize());
    }

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).drawImage(QPointF(0, 0), m_image); }

private:
    QImage m_image;
};

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && QByteArray(argv[1]) == "--same") {
        QImageReader::setAllocationLimit(0);
        const QImage a(QString::fromLocal8Bit(argv[2])), b(QString::fromLocal8Bit(argv[3]));
        return !a.isNull() && a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32) ? 0 : 1;
    }
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const int width = option(arguments, QStringLiteral("--width"), 600);
    const int rows = option(arguments, QStringLiteral("--height"), 3000);
    const int view = option(arguments, QStringLiteral("--view"), 400);
    const int headerRows = 60;

    QWidget window;
    window.setWindowTitle(QStringLiteral("Pixdrift scroll page"));
    auto *layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *top = new Picture(header(width, headerRows));
    auto *scroller = new QScrollArea;
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroller->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *content = new Picture(page(width, rows));
    scroller->setWidget(content);
    layout->addWidget(top);
    layout->addWidget(scroller);
    // Sizes in device pixels: the window's scale is known once it exists.
    window.winId();
    const qreal ratio = window.devicePixelRatioF();
    top->setRatio(ratio);
    content->setRatio(ratio);
    scroller->setFixedSize(int(width / ratio), int(view / ratio));
    window.setFixedSize(int(width / ratio), int((headerRows + view) / ratio));
    window.show();

    if (const qsizetype at = arguments.indexOf(QStringLiteral("--write")); at >= 0 && at + 1 < arguments.size()) {
        QImage whole(width, headerRows + rows, QImage::Format_RGB32);
        QPainter painter(&whole);
        painter.drawImage(0, 0, header(width, headerRows));
        painter.drawImage(0, headerRows, page(width, rows));
        painter.end();
        // Under its name only once complete: a test waiting for the file reads it whole.
        const QString part = arguments[at + 1] + QStringLiteral(".part.png");
        if (!whole.save(part) || !QFile::rename(part, arguments[at + 1]))
            return 1;
    }
    return QApplication::exec();
}
