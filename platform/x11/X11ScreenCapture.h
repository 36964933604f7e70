#pragma once

#include "platform/QtScreenList.h"

#include <QObject>

#include <memory>

struct xcb_connection_t;
class X11SharedSegment;
class QScreen;

// Reads the screen straight from the X server through a small shared-memory segment (MIT-SHM),
// a band of rows at a time: no pixel data over the socket, and nothing screen-sized kept
// between captures.
// Servers without MIT-SHM, or that cannot attach our segments (a remote connection), are read
// through QScreen::grabWindow instead.
class X11ScreenCapture : public QtScreensCaptureService
{
    Q_OBJECT

public:
    enum class Backend { SharedMemory, QtGrab };

    explicit X11ScreenCapture(QObject *parent = nullptr);
    // Uses `preferred` where the server allows it; QtGrab always works on X11.
    explicit X11ScreenCapture(Backend preferred, QObject *parent = nullptr);
    ~X11ScreenCapture() override;

    void requestShareableContent(ContentHandler done) override;
    void requestImage(std::uint32_t displayId, int pixelWidth, int pixelHeight, ImageHandler done) override;
    // Makes the shared segment and touches its pages.
    void warmUp() override;
    // Qt's screens, placed where the server has them.
    [[nodiscard]] QList<CaptureScreen> screens() const override;

    // The screen's area of the root window in device pixels, as the X server reports it.
    [[nodiscard]] QRect deviceGeometry(const QScreen *screen) const;

    [[nodiscard]] Backend backend() const { return m_backend; }
    // How many shared segments were made so far: one, for every capture.
    [[nodiscard]] int segmentsCreated() const { return m_segmentsCreated; }

    // The capture itself, answered at once; requestImage() delivers it on a later turn.
    [[nodiscard]] CaptureResult<QImage> grab(std::uint32_t displayId, int pixelWidth, int pixelHeight);

private:
    [[nodiscard]] CaptureResult<QImage> grabShared(const QRect &area);
    [[nodiscard]] static CaptureResult<QImage> grabWithQt(QScreen *screen, int pixelWidth, int pixelHeight);
    [[nodiscard]] bool serverFitsSharedMemory() const;
    [[nodiscard]] QRect rootGeometry() const;
    [[nodiscard]] std::optional<QRect> monitorGeometry(const QString &name) const;
    [[nodiscard]] X11SharedSegment *band(QString *error);

    static constexpr std::size_t bandBytes = std::size_t(4) << 20;

    xcb_connection_t *m_connection = nullptr;
    std::uint32_t m_root = 0;
    Backend m_backend = Backend::QtGrab;
    // Whether the server lists monitors (RandR 1.5), the areas Qt makes its screens from.
    bool m_hasMonitors = false;
    bool m_attachRefused = false;
    std::unique_ptr<X11SharedSegment> m_band;
    int m_segmentsCreated = 0;
};
