#include "platform/x11/X11WindowList.h"

#include "platform/x11/X11Shared.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <unistd.h>

X11WindowList::X11WindowList()
{
    m_connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(m_connection) != 0) {
        xcb_disconnect(m_connection);
        m_connection = nullptr;
        return;
    }
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
}

X11WindowList::~X11WindowList()
{
    if (m_connection)
        xcb_disconnect(m_connection);
}

std::uint32_t X11WindowList::atom(const char *name) const
{
    const auto answer = xcbReply(xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 1, std::uint16_t(std::strlen(name)), name), nullptr));
    return answer ? answer->atom : std::uint32_t(XCB_ATOM_NONE);
}

QList<std::uint32_t> X11WindowList::property(xcb_window_t window, std::uint32_t name, std::uint32_t type) const
{
    QList<std::uint32_t> values;
    if (name == XCB_ATOM_NONE)
        return values;
    const auto answer = xcbReply(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, name, type, 0, 4096), nullptr));
    if (!answer || answer->format != 32)
        return values;
    const auto *data = static_cast<const std::uint32_t *>(xcb_get_property_value(answer.get()));
    const int count = xcb_get_property_value_length(answer.get()) / 4;
    for (int i = 0; i < count; ++i)
        values.append(data[i]);
    return values;
}

std::optional<QRect> X11WindowList::frameOf(xcb_window_t window) const
{
    const auto geometry = xcbReply(xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr));
    const auto onRoot = xcbReply(xcb_translate_coordinates_reply(
        m_connection, xcb_translate_coordinates(m_connection, window, m_root, 0, 0), nullptr));
    if (!geometry || !onRoot)
        return std::nullopt;
    const QRect inside(onRoot->dst_x, onRoot->dst_y, geometry->width, geometry->height);
    // left, right, top, bottom
    const QList<std::uint32_t> extents = property(window, atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL);
    if (extents.size() == 4)
        return inside.adjusted(-int(extents[0]), -int(extents[2]), int(extents[1]), int(extents[3]));
    // Without the property, the manager's own window that holds it is the frame.
    xcb_window_t top = window;
    for (;;) {
        const auto tree = xcbReply(xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, top), nullptr));
        if (!tree || tree->parent == m_root || tree->parent == XCB_WINDOW_NONE)
            break;
        top = tree->parent;
    }
    if (top == window)
        return inside;
    const auto frame = xcbReply(xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, top), nullptr));
    return frame ? QRect(frame->x, frame->y, frame->width + 2 * frame->border_width,
                         frame->height + 2 * frame->border_width)
                 : inside;
}

std::optional<DesktopWindow> X11WindowList::describe(xcb_window_t window) const
{
    const auto attributes = xcbReply(xcb_get_window_attributes_reply(
        m_connection, xcb_get_window_attributes(m_connection, window), nullptr));
    // Panels and the desktop are no windows a user means.
    const QList<std::uint32_t> types = property(window, atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM);
    if (types.contains(atom("_NET_WM_WINDOW_TYPE_DOCK")) || types.contains(atom("_NET_WM_WINDOW_TYPE_DESKTOP")))
        return std::nullopt;
    const QList<std::uint32_t> state = property(window, atom("_NET_WM_STATE"), XCB_ATOM_ATOM);
    const bool hidden = state.contains(atom("_NET_WM_STATE_HIDDEN"));
    if (!attributes || (attributes->map_state != XCB_MAP_STATE_VIEWABLE && !hidden))
        return std::nullopt;
    const std::optional<QRect> frame = frameOf(window);
    if (!frame)
        return std::nullopt;
    const QList<std::uint32_t> pid = property(window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL);
    return DesktopWindow{*frame, hidden || attributes->map_state != XCB_MAP_STATE_VIEWABLE,
                         !pid.isEmpty() && pid.first() == std::uint32_t(::getpid())};
}

QList<DesktopWindow> X11WindowList::windows()
{
    QList<DesktopWindow> result;
    if (!m_connection)
        return result;
    // The manager lists them bottom to top.
    const QList<std::uint32_t> stacking = property(m_root, atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW);
    for (auto it = stacking.rbegin(); it != stacking.rend(); ++it)
        if (const std::optional<DesktopWindow> window = describe(*it))
            result.append(*window);
    return result;
}

std::optional<QRect> X11WindowList::activeWindow()
{
    if (!m_connection)
        return std::nullopt;
    const QList<std::uint32_t> active = property(m_root, atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    if (!active.isEmpty() && active.first() != XCB_WINDOW_NONE)
        if (const std::optional<DesktopWindow> window = describe(active.first()); window && !window->ours && !window->minimised)
            return window->frame;
    for (const DesktopWindow &window : windows())
        if (!window.ours && !window.minimised)
            return window.frame;
    return std::nullopt;
}
