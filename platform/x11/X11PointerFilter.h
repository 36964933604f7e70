#pragma once

#include <QAbstractNativeEventFilter>

#include <cstdint>

// Reads the device position of every pointer event the X server sends us into
// PointerPositions. Install it on the application where the display is X11.
class X11PointerFilter : public QAbstractNativeEventFilter
{
public:
    X11PointerFilter();

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    // The X Input extension's major opcode; 0 where the server has none.
    std::uint8_t m_inputOpcode = 0;
};
