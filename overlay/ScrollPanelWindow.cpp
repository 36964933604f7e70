#include "overlay/ScrollPanelWindow.h"

#include "platform/WindowList.h"
#include "text/tr.h"

#include <QBoxLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRegion>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace {

// The ring's width and its gap from the area, in points: it lies wholly outside the area.
constexpr int ringWidth = 3;
constexpr int gap = 8;

// A ring around an area: only its border is part of the window (an X11 shape), so the area
// inside shows what lies below, and input passes through all of it.
class AreaRing : public QWidget
{
public:
    explicit AreaRing(const QRect &outer)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint
                               | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint)
    {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setGeometry(outer);
        setMask(QRegion(rect()).subtracted(QRegion(rect().adjusted(ringWidth, ringWidth, -ringWidth, -ringWidth))));
    }

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), QColor(0x2a, 0x7a, 0xe2)); }
};

} // namespace

ScrollPanelWindow::ScrollPanelWindow(std::function<void()> done, std::function<void()> cancel)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::NoDropShadowWindowHint)
    , m_done(std::move(done))
    , m_cancel(std::move(cancel))
{
    setObjectName(QStringLiteral("scrollPanel"));
    setWindowTitle(::tr("scroll.title"));
    setAutoFillBackground(true);
    auto *layout = new QHBoxLayout(this);
    auto *texts = new QVBoxLayout;
    m_height = new QLabel;
    m_height->setObjectName(QStringLiteral("scrollHeight"));
    QFont bold = m_height->font();
    bold.setBold(true);
    m_height->setFont(bold);
    m_note = new QLabel;
    m_note->setObjectName(QStringLiteral("scrollNote"));
    // Wide enough for the longest line it says, so that the panel never changes its size.
    int widest = 0;
    for (const char *key : {"scroll.scrolling", "scroll.yourself", "scroll.lost", "scroll.limit"})
        widest = std::max(widest, m_note->fontMetrics().horizontalAdvance(::tr(key)));
    m_note->setMinimumWidth(widest);
    texts->addWidget(m_height);
    texts->addWidget(m_note);
    layout->addLayout(texts, 1);
    auto *cancelButton = new QPushButton(::tr("action.cancel"));
    cancelButton->setObjectName(QStringLiteral("scrollCancel"));
    auto *doneButton = new QPushButton(::tr("scroll.done"));
    doneButton->setObjectName(QStringLiteral("scrollDone"));
    doneButton->setDefault(true);
    layout->addWidget(cancelButton);
    layout->addWidget(doneButton);
    connect(doneButton, &QPushButton::clicked, this, [this] {
        if (m_done)
            m_done();
    });
    connect(cancelButton, &QPushButton::clicked, this, [this] {
        if (m_cancel)
            m_cancel();
    });
    setProgress(0, {});
    // A fixed size also makes tiling compositors float it rather than fit it in beside the page.
    setFixedSize(sizeHint());
}

ScrollPanelWindow::~ScrollPanelWindow()
{
    delete m_frame.data();
}

std::unique_ptr<ScrollPanel> ScrollPanelWindow::present(const FrozenScreen &screen, const QRect &area,
                                                        std::function<void()> done, std::function<void()> cancel,
                                                        Frame frame, WindowList *windows)
{
    std::unique_ptr<ScrollPanelWindow> panel(new ScrollPanelWindow(std::move(done), std::move(cancel)));
    QScreen *qscreen = screen.screen ? screen.screen : QGuiApplication::primaryScreen();
    // The area in points: the screen keeps its origin, what lies on it is scaled.
    const QRect screenPoints = qscreen ? qscreen->geometry() : QRect();
    const qreal scale = screen.scale > 0 ? screen.scale : 1.0;
    auto toPoints = [&](const QRect &pixels) {
        return QRectF(QPointF(screenPoints.topLeft()) + QPointF(pixels.topLeft()) / scale, QSizeF(pixels.size()) / scale)
            .toAlignedRect();
    };
    auto ringAround = [](const QRect &points) {
        return points.adjusted(-ringWidth - 1, -ringWidth - 1, ringWidth + 1, ringWidth + 1);
    };
    const QPoint at = placeFor(ringAround(toPoints(area)), qscreen ? qscreen->availableGeometry() : screenPoints,
                               panel->size());
    // With no room beside the area the panel goes over its bottom, and the rows above it are
    // what is captured.
    panel->m_area = area;
    if (QRect(at, panel->size()).intersects(ringAround(toPoints(area)))) {
        const int panelTop = int((at.y() - screenPoints.top()) * scale);
        panel->m_area.setBottom(std::max(area.top(), panelTop - int((2 * ringWidth + 2) * scale) - 1));
    }
    if (frame == Frame::ring) {
        panel->m_frame = new AreaRing(ringAround(toPoints(panel->m_area)));
        panel->m_frame->show();
    }
    panel->move(at);
    if (qscreen && panel->windowHandle())
        panel->windowHandle()->setScreen(qscreen);
    panel->show();
    panel->raise();
    panel->activateWindow();
    if (windows) {
        // The compositor places new windows itself: once it shows the panel, it is moved.
        auto tries = std::make_shared<int>(50);
        auto *timer = new QTimer(panel.get());
        QObject::connect(timer, &QTimer::timeout, timer, [timer, windows, title = panel->windowTitle(), at, tries] {
            if (windows->moveOwnWindow(title, at) || --*tries == 0)
                timer->deleteLater();
        });
        timer->start(20);
    }
    return panel;
}

void ScrollPanelWindow::setProgress(int rows, const QString &note)
{
    m_height->setText(::tr("scroll.rows").arg(rows));
    m_note->setText(note);
}

QPoint ScrollPanelWindow::placeFor(const QRect &area, const QRect &screen, QSize size)
{
    const int x = std::clamp(area.left(), screen.left(), std::max(screen.left(), screen.right() + 1 - size.width()));
    const int y = std::clamp(area.top(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height()));
    if (area.bottom() + 1 + gap + size.height() <= screen.bottom() + 1)
        return {x, area.bottom() + 1 + gap};
    if (area.top() - gap - size.height() >= screen.top())
        return {x, area.top() - gap - size.height()};
    if (area.right() + 1 + gap + size.width() <= screen.right() + 1)
        return {area.right() + 1 + gap, y};
    if (area.left() - gap - size.width() >= screen.left())
        return {area.left() - gap - size.width(), y};
    // No room outside: the corner farthest from the area's middle.
    const QPoint middle = area.center();
    const bool right = middle.x() < screen.center().x();
    const bool below = middle.y() < screen.center().y();
    return {right ? screen.right() + 1 - size.width() : screen.left(), below ? screen.bottom() + 1 - size.height() : screen.top()};
}

void ScrollPanelWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && m_cancel) {
        m_cancel();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && m_done) {
        m_done();
        return;
    }
    QWidget::keyPressEvent(event);
}
