#include "TestUtilities.h"

#include <QCoreApplication>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QWidget>

#include <algorithm>
#include <vector>

#include <xcb/xcb.h>

#include <csignal>

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool xdotool(const QStringList &arguments)
{
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

void sendMouse(QWidget *widget, QEvent::Type type, QPointF position, Qt::MouseButton button)
{
    const Qt::MouseButton changed = type == QEvent::MouseMove ? Qt::NoButton : button;
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, position, widget->mapToGlobal(position), changed, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

void drag(QWidget *widget, QPointF from, QPointF to)
{
    sendMouse(widget, QEvent::MouseButtonPress, from);
    sendMouse(widget, QEvent::MouseMove, to);
    sendMouse(widget, QEvent::MouseButtonRelease, to);
}

QImage patternImage(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = qRgb((x * 7) & 0xff, (y * 5 + x) & 0xff, (x ^ y) & 0xff);
    }
    return image;
}

bool showOnRoot(const QImage &image)
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11)
        return false;
    xcb_connection_t *connection = x11->connection();
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_pixmap_t pixmap = xcb_generate_id(connection);
    xcb_create_pixmap(connection, 24, pixmap, screen->root, std::uint16_t(image.width()), std::uint16_t(image.height()));
    const xcb_gcontext_t gc = xcb_generate_id(connection);
    xcb_create_gc(connection, gc, pixmap, 0, nullptr);
    const std::size_t maxBytes = std::size_t(xcb_get_maximum_request_length(connection)) * 4 - 64;
    const int rows = int(std::max<std::size_t>(1, maxBytes / std::size_t(image.bytesPerLine())));
    for (int y = 0; y < image.height(); y += rows) {
        const int band = std::min(rows, image.height() - y);
        xcb_put_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, std::uint16_t(image.width()),
                      std::uint16_t(band), 0, std::int16_t(y), 0, 24, std::uint32_t(band * image.bytesPerLine()),
                      image.constScanLine(y));
    }
    xcb_change_window_attributes(connection, screen->root, XCB_CW_BACK_PIXMAP, &pixmap);
    xcb_clear_area(connection, 0, screen->root, 0, 0, 0, 0);
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    return true;
}

namespace {
QStringList capturedLines;
QtMessageHandler previousHandler = nullptr;
void captureLine(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtInfoMsg)
        capturedLines.append(message);
    else if (previousHandler)
        previousHandler(type, context, message);
}
} // namespace

LogCapture::LogCapture()
{
    capturedLines.clear();
    previousHandler = qInstallMessageHandler(captureLine);
}

LogCapture::~LogCapture() { qInstallMessageHandler(previousHandler); }
QStringList LogCapture::lines() const { return capturedLines; }

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    getrlimit(RLIMIT_FSIZE, &m_previous);
    m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = m_previous;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &m_previous);
    std::signal(SIGXFSZ, m_previousHandler);
}

QImage renderedText(const QString &text, qreal points, qreal scale, bool dark, int width)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(qRound(points * 96 / 72));
    const QRect bounds = QFontMetrics(font).boundingRect(QRect(0, 0, width, 100000), Qt::TextWordWrap, text);
    const QSize size(width + 40, bounds.height() + 32);
    QImage image(size * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(dark ? QColor(0x1e, 0x1e, 0x1e) : QColor(0xfa, 0xfa, 0xfa));
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(dark ? QColor(0xe0, 0xe0, 0xe0) : QColor(0x20, 0x20, 0x20));
    painter.drawText(QRect(QPoint(20, 16), QSize(width, bounds.height())), Qt::TextWordWrap, text);
    painter.end();
    image.setDevicePixelRatio(1.0);
    return image;
}

double characterErrorRate(const QString &read, const QString &expected)
{
    const QString a = read.simplified(), b = expected.simplified();
    std::vector<int> row(std::size_t(b.size()) + 1);
    for (std::size_t j = 0; j < row.size(); ++j)
        row[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[std::size_t(j)];
            row[std::size_t(j)] = std::min({above + 1, row[std::size_t(j - 1)] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return b.isEmpty() ? (a.isEmpty() ? 0.0 : 1.0) : double(row.back()) / double(b.size());
}
