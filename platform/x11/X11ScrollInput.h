#pragma once

#include "platform/ScrollInput.h"

#include <optional>

struct xcb_connection_t;

// The wheel through the XTEST extension: the server delivers the presses of buttons 5 (down)
// and 4 (up) as if they came from the pointer, to whatever window is under it.
class X11ScrollInput : public ScrollInput
{
public:
    X11ScrollInput();
    // Whether the server has XTEST: without it there is nothing to send with.
    [[nodiscard]] bool available() const { return m_available; }

    [[nodiscard]] bool scroll(QPoint pixel, int clicks) override;
    void restorePointer() override;

private:
    xcb_connection_t *m_connection = nullptr;
    unsigned m_root = 0;
    bool m_available = false;
    std::optional<QPoint> m_pointerBefore;
};
