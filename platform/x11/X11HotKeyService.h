#pragma once

#include "platform/HotKeyService.h"

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <map>

struct xcb_connection_t;

// Hot keys as passive key grabs on the X root window, on Qt's own connection. Presses arrive
// through a native event filter on the GUI thread.
class X11HotKeyService : public QObject, public HotKeyService, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    explicit X11HotKeyService(QObject *parent = nullptr);
    ~X11HotKeyService() override;

    std::int32_t installEventHandler(HotKeyHandler handler) override;
    std::int32_t registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers, HotKeyId id,
                                HotKeyRef *ref) override;
    std::int32_t unregisterHotKey(HotKeyRef ref) override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    struct Grab
    {
        std::uint8_t keycode;
        std::uint16_t modifiers;
        HotKeyId id;
        bool down = false;
    };

    [[nodiscard]] bool keycodeHasSymbols(std::uint8_t keycode) const;
    void ungrab(const Grab &grab);

    xcb_connection_t *m_connection = nullptr;
    std::uint32_t m_root = 0;
    HotKeyHandler m_handler = nullptr;
    bool m_filterInstalled = false;
    std::map<HotKeyRef, Grab> m_grabs;
    HotKeyRef m_nextRef = 1;
};
