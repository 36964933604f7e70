#include "platform/x11/X11WindowsGone.h"

#include "platform/x11/X11Shared.h"

#include <QElapsedTimer>
#include <QTimer>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

constexpr std::chrono::milliseconds pollInterval{2};

bool viewable(xcb_connection_t *connection, std::uint32_t window)
{
    const auto attributes = xcbReply(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window), nullptr));
    // A frame the window manager destroyed is gone as well.
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

bool compositing(xcb_connection_t *connection)
{
    // Screen 0: a display of several X screens is long out of use.
    static constexpr char name[] = "_NET_WM_CM_S0";
    const auto atom = xcbReply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, std::uint16_t(sizeof name - 1), name), nullptr));
    if (!atom || atom->atom == XCB_ATOM_NONE)
        return false;
    const auto owner = xcbReply(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr));
    return owner && owner->owner != XCB_WINDOW_NONE;
}

// Looks every few milliseconds until the frames are gone; deletes itself when done.
class Watch : public QTimer
{
public:
    Watch(xcb_connection_t *connection, QList<std::uint32_t> frames, std::chrono::milliseconds frameInterval,
          std::chrono::milliseconds limit, std::function<void()> done)
        : m_connection(connection), m_frames(std::move(frames)), m_frameInterval(frameInterval), m_limit(limit),
          m_done(std::move(done))
    {
        m_clock.start();
        setInterval(pollInterval);
        connect(this, &QTimer::timeout, this, &Watch::check);
    }

    void check()
    {
        m_frames.removeIf([this](std::uint32_t frame) { return !viewable(m_connection, frame); });
        const auto elapsed = std::chrono::milliseconds(m_clock.elapsed());
        if (elapsed < m_limit && !m_frames.isEmpty()) {
            if (!isActive())
                start();
            return;
        }
        stop();
        if (elapsed < m_limit && compositing(m_connection))
            QTimer::singleShot(std::min(m_frameInterval, m_limit - elapsed), this, &Watch::finish);
        else
            finish();
    }

private:
    void finish()
    {
        deleteLater();
        m_done();
    }

    xcb_connection_t *m_connection;
    QList<std::uint32_t> m_frames;
    std::chrono::milliseconds m_frameInterval, m_limit;
    std::function<void()> m_done;
    QElapsedTimer m_clock;
};

} // namespace

std::uint32_t X11WindowsGone::frameOf(xcb_connection_t *connection, std::uint32_t window)
{
    std::uint32_t current = window;
    for (int depth = 0; depth < 16; ++depth) {
        const auto tree = xcbReply(xcb_query_tree_reply(connection, xcb_query_tree(connection, current), nullptr));
        if (!tree || tree->parent == XCB_WINDOW_NONE || tree->parent == tree->root)
            return current;
        current = tree->parent;
    }
    return current;
}

void X11WindowsGone::whenGone(xcb_connection_t *connection, QList<std::uint32_t> frames,
                              std::chrono::milliseconds frameInterval, std::chrono::milliseconds limit,
                              std::function<void()> done)
{
    // The first look is on this turn: without a reparenting window manager it is all it takes.
    (new Watch(connection, std::move(frames), frameInterval, limit, std::move(done)))->check();
}
