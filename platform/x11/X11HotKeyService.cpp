#include "platform/x11/X11HotKeyService.h"

#include "platform/KeyPositions.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <array>
#include <cstdlib>
#include <memory>

namespace {

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};

// Caps Lock and Num Lock must not change whether a shortcut fires: each combination is
// grabbed with every state of the two.
constexpr std::uint16_t ignoredLocks = XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2;
constexpr std::array<std::uint16_t, 4> lockVariants = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2, ignoredLocks};

std::uint16_t x11Modifiers(std::uint32_t mask)
{
    std::uint16_t result = 0;
    if (mask & ShortcutMask::control)
        result |= XCB_MOD_MASK_CONTROL;
    if (mask & ShortcutMask::option)
        result |= XCB_MOD_MASK_1;
    if (mask & ShortcutMask::shift)
        result |= XCB_MOD_MASK_SHIFT;
    if (mask & ShortcutMask::command)
        result |= XCB_MOD_MASK_4;
    return result;
}

} // namespace

X11HotKeyService::X11HotKeyService(QObject *parent)
    : QObject(parent)
{
    if (auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
        m_connection = x11->connection();
    if (m_connection)
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
}

X11HotKeyService::~X11HotKeyService()
{
    if (m_filterInstalled && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    for (const auto &[ref, grab] : m_grabs)
        ungrab(grab);
    if (m_connection)
        xcb_flush(m_connection);
}

std::int32_t X11HotKeyService::installEventHandler(HotKeyHandler handler)
{
    if (!m_connection || !QCoreApplication::instance())
        return HotKeyStatus::internalError;
    m_handler = handler;
    if (!m_filterInstalled) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        m_filterInstalled = true;
    }
    return HotKeyStatus::noError;
}

bool X11HotKeyService::keycodeHasSymbols(std::uint8_t keycode) const
{
    const xcb_setup_t *setup = xcb_get_setup(m_connection);
    if (keycode < setup->min_keycode || keycode > setup->max_keycode)
        return false;
    std::unique_ptr<xcb_get_keyboard_mapping_reply_t, FreeDeleter> mapping(xcb_get_keyboard_mapping_reply(
        m_connection, xcb_get_keyboard_mapping(m_connection, keycode, 1), nullptr));
    if (!mapping)
        return false;
    const xcb_keysym_t *symbols = xcb_get_keyboard_mapping_keysyms(mapping.get());
    const int count = xcb_get_keyboard_mapping_keysyms_length(mapping.get());
    for (int i = 0; i < count; ++i) {
        if (symbols[i] != 0)
            return true;
    }
    return false;
}

std::int32_t X11HotKeyService::registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers, HotKeyId id,
                                              HotKeyRef *ref)
{
    if (!m_connection)
        return HotKeyStatus::internalError;
    const std::optional<std::uint8_t> keycode = xkbKeycodeForKeyCode(keyCode);
    if (!keycode || !keycodeHasSymbols(*keycode))
        return HotKeyStatus::hotKeyInvalid;
    const std::uint16_t mods = x11Modifiers(modifiers);

    // X11 lets a client grab the same combination twice, and one ungrab then removes both.
    for (const auto &[existingRef, grab] : m_grabs) {
        if (grab.keycode == *keycode && grab.modifiers == mods)
            return HotKeyStatus::hotKeyExists;
    }

    // Another client's grab is reported only as an error on the round trip, so each grab is
    // checked before the answer is given.
    std::array<xcb_void_cookie_t, lockVariants.size()> cookies{};
    for (std::size_t i = 0; i < lockVariants.size(); ++i) {
        cookies[i] = xcb_grab_key_checked(m_connection, 1, m_root, mods | lockVariants[i], *keycode,
                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    }
    std::int32_t status = HotKeyStatus::noError;
    std::array<bool, lockVariants.size()> grabbed{};
    for (std::size_t i = 0; i < lockVariants.size(); ++i) {
        std::unique_ptr<xcb_generic_error_t, FreeDeleter> error(xcb_request_check(m_connection, cookies[i]));
        grabbed[i] = !error;
        if (error && status == HotKeyStatus::noError)
            status = error->error_code == XCB_ACCESS ? HotKeyStatus::hotKeyExists : HotKeyStatus::internalError;
    }
    if (status != HotKeyStatus::noError) {
        for (std::size_t i = 0; i < lockVariants.size(); ++i) {
            if (grabbed[i])
                xcb_ungrab_key(m_connection, *keycode, m_root, mods | lockVariants[i]);
        }
        xcb_flush(m_connection);
        return status;
    }

    const HotKeyRef newRef = m_nextRef++;
    m_grabs.emplace(newRef, Grab{*keycode, mods, id});
    if (ref)
        *ref = newRef;
    return HotKeyStatus::noError;
}

std::int32_t X11HotKeyService::unregisterHotKey(HotKeyRef ref)
{
    const auto found = m_grabs.find(ref);
    if (found == m_grabs.end())
        return HotKeyStatus::hotKeyInvalid;
    ungrab(found->second);
    xcb_flush(m_connection);
    m_grabs.erase(found);
    return HotKeyStatus::noError;
}

void X11HotKeyService::ungrab(const Grab &grab)
{
    for (std::uint16_t locks : lockVariants)
        xcb_ungrab_key(m_connection, grab.keycode, m_root, grab.modifiers | locks);
}

bool X11HotKeyService::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t" || m_grabs.empty())
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    const std::uint8_t type = event->response_type & ~0x80;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    const auto *key = reinterpret_cast<const xcb_key_press_event_t *>(event);

    if (type == XCB_KEY_RELEASE) {
        for (auto &[ref, grab] : m_grabs) {
            if (grab.keycode == key->detail)
                grab.down = false;
        }
        return false;
    }

    // Pointer-button bits sit above the eight modifier bits.
    const std::uint16_t state = key->state & 0xff & ~ignoredLocks;
    for (auto &[ref, grab] : m_grabs) {
        if (grab.keycode != key->detail || grab.modifiers != state)
            continue;
        // Holding the keys repeats the press; only the first one counts.
        if (grab.down)
            return true;
        grab.down = true;
        if (!m_handler)
            return false;
        return m_handler(HotKeyEvent{grab.id}) != HotKeyStatus::notHandled;
    }
    return false;
}
