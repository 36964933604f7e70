#include "platform/x11/X11ScreenCapture.h"

#include "platform/HugePages.h"
#include "platform/x11/X11Shared.h"

#include "platform/LogLine.h"
#include "platform/QtScreenList.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <xcb/randr.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <cmath>
#include <cstdlib>
#include <algorithm>
#include <cstring>

X11ScreenCapture::X11ScreenCapture(QObject *parent)
    : X11ScreenCapture(Backend::SharedMemory, parent)
{
}

X11ScreenCapture::X11ScreenCapture(Backend preferred, QObject *parent)
    : QtScreensCaptureService(parent)
{
    if (auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
        m_connection = x11->connection();
    if (!m_connection)
        return;
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;

    if (preferred == Backend::SharedMemory && serverFitsSharedMemory())
        m_backend = Backend::SharedMemory;

    // The server answers RandR requests by the version the client announces.
    const xcb_query_extension_reply_t *randr = xcb_get_extension_data(m_connection, &xcb_randr_id);
    if (randr && randr->present) {
        XcbReply<xcb_randr_query_version_reply_t> version(xcb_randr_query_version_reply(
            m_connection, xcb_randr_query_version(m_connection, 1, 5), nullptr));
        m_hasMonitors = version && (version->major_version > 1 || version->minor_version >= 5);
    }
}

X11ScreenCapture::~X11ScreenCapture()
{
    if (m_band)
        m_band->detachFromServer();
}

X11SharedSegment *X11ScreenCapture::band(QString *error)
{
    if (!m_band) {
        m_band = X11SharedSegment::create(m_connection, bandBytes, error, &m_attachRefused);
        if (m_band)
            ++m_segmentsCreated;
    }
    return m_band.get();
}

bool X11ScreenCapture::serverFitsSharedMemory() const
{
    XcbReply<xcb_shm_query_version_reply_t> version(
        xcb_shm_query_version_reply(m_connection, xcb_shm_query_version(m_connection), nullptr));
    // The copy below reads 32-bit pixels in little-endian order.
    return version && x11ServerFitsRgb32(m_connection);
}

QRect X11ScreenCapture::rootGeometry() const
{
    XcbReply<xcb_get_geometry_reply_t> root(
        xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, m_root), nullptr));
    return root ? QRect(0, 0, root->width, root->height) : QRect();
}

std::optional<QRect> X11ScreenCapture::monitorGeometry(const QString &name) const
{
    if (!m_hasMonitors)
        return std::nullopt;
    XcbReply<xcb_randr_get_monitors_reply_t> monitors(
        xcb_randr_get_monitors_reply(m_connection, xcb_randr_get_monitors(m_connection, m_root, 1), nullptr));
    if (!monitors)
        return std::nullopt;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(monitors.get()); it.rem; xcb_randr_monitor_info_next(&it)) {
        XcbReply<xcb_get_atom_name_reply_t> atom(
            xcb_get_atom_name_reply(m_connection, xcb_get_atom_name(m_connection, it.data->name), nullptr));
        if (!atom)
            continue;
        const QString monitor = QString::fromUtf8(xcb_get_atom_name_name(atom.get()),
                                                  xcb_get_atom_name_name_length(atom.get()));
        if (monitor == name)
            return QRect(it.data->x, it.data->y, it.data->width, it.data->height);
    }
    return std::nullopt;
}

QList<CaptureScreen> X11ScreenCapture::screens() const
{
    QList<CaptureScreen> screens = QtScreenList::screens();
    for (CaptureScreen &screen : screens)
        if (const QRect device = deviceGeometry(screen.screen); !device.isEmpty())
            screen.pixelRect = device;
    return screens;
}

QRect X11ScreenCapture::deviceGeometry(const QScreen *screen) const
{
    if (!m_connection || !screen)
        return {};
    const QRect root = rootGeometry();
    // Qt names its screens after the server's monitors.
    if (const std::optional<QRect> monitor = monitorGeometry(screen->name()))
        return *monitor & root;
    if (QGuiApplication::screens().size() == 1)
        return root;
    // Qt keeps a screen's origin in device pixels and scales only its size.
    return QRect(screen->geometry().topLeft(), QtScreenList::scaledSize(screen)) & root;
}

void X11ScreenCapture::requestShareableContent(ContentHandler done)
{
    CaptureResult<QList<CaptureDisplay>> result;
    if (!m_connection) {
        result = CaptureResult<QList<CaptureDisplay>>::failure(
            QStringLiteral("no connection to an X11 display"));
    } else {
        result = CaptureResult<QList<CaptureDisplay>>::success(
            QtScreenList::displays([this](const QScreen *screen) { return deviceGeometry(screen).size(); }));
    }
    answerLater(std::move(done), std::move(result));
}

void X11ScreenCapture::requestImage(std::uint32_t displayId, int pixelWidth, int pixelHeight, ImageHandler done)
{
    answerLater(std::move(done), grab(displayId, pixelWidth, pixelHeight));
}

void X11ScreenCapture::warmUp()
{
    if (m_backend != Backend::SharedMemory)
        return;
    QString error;
    if (X11SharedSegment *segment = band(&error))
        std::memset(segment->pixels(), 0, segment->size());
}

CaptureResult<QImage> X11ScreenCapture::grab(std::uint32_t displayId, int pixelWidth, int pixelHeight)
{
    if (!m_connection)
        return CaptureResult<QImage>::failure(QStringLiteral("no connection to an X11 display"));
    QScreen *screen = QtScreenList::screen(displayId);
    if (!screen)
        return CaptureResult<QImage>::failure(QStringLiteral("display %1 is not connected").arg(displayId));
    // The server refuses a grab that reaches past the root window.
    const QRect display = deviceGeometry(screen);
    const QRect area = QRect(display.topLeft(), QSize(pixelWidth, pixelHeight)) & display;
    if (area.isEmpty())
        return CaptureResult<QImage>::failure(QStringLiteral("the display has no area to capture"));

    if (m_backend == Backend::SharedMemory) {
        CaptureResult<QImage> shared = grabShared(area);
        if (shared.value || !m_attachRefused)
            return shared;
        // A server that cannot reach our memory (a connection over TCP, as with ssh -X) is read
        // over the connection from now on.
        logLine("Pixdrift reads the screen without shared memory: %@", shared.error);
        m_backend = Backend::QtGrab;
    }
    return grabWithQt(screen, area.width(), area.height());
}

CaptureResult<QImage> X11ScreenCapture::grabShared(const QRect &area)
{
    QString failure;
    X11SharedSegment *segment = band(&failure);
    if (!segment)
        return CaptureResult<QImage>::failure(failure);
    const std::size_t rowBytes = std::size_t(area.width()) * 4;
    const int bandRows = int(std::max<std::size_t>(1, segment->size() / rowBytes));
    if (rowBytes > segment->size())
        return CaptureResult<QImage>::failure(QStringLiteral("the display is too wide to capture"));
    std::unique_ptr<HugePages> memory = HugePages::allocate(rowBytes * std::size_t(area.height()));
    if (!memory)
        return CaptureResult<QImage>::failure(QStringLiteral("no memory for the captured screen"));
    // The image owns its memory: freed, and given back to the system, when its last copy goes.
    uchar *pixels = memory->data();
    QImage image(pixels, area.width(), area.height(), qsizetype(rowBytes), QImage::Format_RGB32,
                 [](void *p) { delete static_cast<HugePages *>(p); }, memory.release());

    // The screen comes a band at a time through one small segment the server writes into:
    // no screen-sized buffer is kept between captures.
    for (int top = 0; top < area.height(); top += bandRows) {
        const int rows = std::min(bandRows, area.height() - top);
        xcb_generic_error_t *rawError = nullptr;
        XcbReply<xcb_shm_get_image_reply_t> reply(xcb_shm_get_image_reply(
            m_connection,
            xcb_shm_get_image(m_connection, m_root, std::int16_t(area.x()), std::int16_t(area.y() + top),
                              std::uint16_t(area.width()), std::uint16_t(rows), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP,
                              segment->seg(), 0),
            &rawError));
        XcbReply<xcb_generic_error_t> error(rawError);
        if (error) {
            return CaptureResult<QImage>::failure(
                QStringLiteral("the X server refused to read the screen (error %1)").arg(error->error_code));
        }
        const std::size_t bytes = rowBytes * std::size_t(rows);
        if (!reply || reply->size < bytes)
            return CaptureResult<QImage>::failure(QStringLiteral("the X server returned no image"));
        // The unused top byte of each pixel is undefined on the wire; opaque images need it at 0xff.
        const auto *from = reinterpret_cast<const std::uint32_t *>(segment->pixels());
        auto *to = reinterpret_cast<std::uint32_t *>(image.scanLine(top));
        for (std::size_t i = 0; i < bytes / 4; ++i)
            to[i] = from[i] | 0xff000000u;
    }
    return CaptureResult<QImage>::success(image);
}

CaptureResult<QImage> X11ScreenCapture::grabWithQt(QScreen *screen, int pixelWidth, int pixelHeight)
{
    QImage image = screen->grabWindow(0).toImage();
    if (image.isNull())
        return CaptureResult<QImage>::failure(QStringLiteral("the screen grab failed"));
    if (image.size() != QSize(pixelWidth, pixelHeight))
        image = image.copy(0, 0, pixelWidth, pixelHeight);
    image.setDevicePixelRatio(1.0);
    return CaptureResult<QImage>::success(image.convertToFormat(QImage::Format_RGB32));
}
