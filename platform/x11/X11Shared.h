#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

struct xcb_connection_t;

// What the X11 code shares: xcb's replies, freed with free(), and the shared-memory segments
// through which pixels cross without the socket.

struct XcbFree
{
    void operator()(void *p) const { std::free(p); }
};
template <typename T>
using XcbReply = std::unique_ptr<T, XcbFree>;

template <typename T>
XcbReply<T> xcbReply(T *value)
{
    return XcbReply<T>(value);
}

// Whether the server keeps 24-bit pixels as 32-bit little-endian words, as QImage's RGB32 does:
// the layout of every ordinary 24-bit X server.
[[nodiscard]] bool x11ServerFitsRgb32(xcb_connection_t *connection);

// One System V shared-memory segment, attached here and in the X server. The segment is
// marked for removal as soon as both sides hold it, so the kernel frees it even if we crash.
class X11SharedSegment
{
public:
    // Null with the reason in `error`; `attachRefused` says whether the server could not reach
    // our memory (a remote display).
    static std::unique_ptr<X11SharedSegment> create(xcb_connection_t *connection, std::size_t size, QString *error,
                                                    bool *attachRefused);
    // Unmaps our side; the server's side is released by detachFromServer().
    ~X11SharedSegment();
    X11SharedSegment(const X11SharedSegment &) = delete;
    X11SharedSegment &operator=(const X11SharedSegment &) = delete;

    void detachFromServer();

    [[nodiscard]] std::uint32_t seg() const { return m_seg; }
    [[nodiscard]] unsigned char *pixels() const { return m_pixels; }
    [[nodiscard]] std::size_t size() const { return m_size; }

private:
    X11SharedSegment(xcb_connection_t *connection, std::uint32_t seg, unsigned char *pixels, std::size_t size);

    xcb_connection_t *m_connection;
    std::uint32_t m_seg;
    unsigned char *m_pixels;
    std::size_t m_size;
};
