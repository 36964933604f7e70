#include "platform/SessionBackends.h"

#include "shortcuts/GlobalShortcuts.h"

#include "platform/gnome/GnomeKeybindings.h"
#include "platform/gnome/ScreenshotPermission.h"
#include "platform/kde/KGlobalAccelHotKeys.h"
#include "platform/kde/KWinScreenCapture.h"
#include "platform/portal/PortalGlobalShortcuts.h"
#include "platform/portal/PortalScreenCapture.h"
#include "platform/wayland/WlrScreenCapture.h"
#include "platform/x11/X11HotKeyService.h"
#include "platform/x11/X11PointerFilter.h"
#include "platform/x11/X11ScreenCapture.h"
#include "platform/x11/X11ScrollInput.h"
#include "platform/x11/X11WindowList.h"
#include "platform/sway/SwayWindowList.h"

#include "platform/DesktopKeybindings.h"
#include "platform/DesktopShortcuts.h"
#include "platform/HotKeyService.h"
#include "text/tr.h"

#include <QDBusConnection>
#include <QGuiApplication>

bool isWaylandSession()
{
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || QGuiApplication::platformName() == u"wayland";
}

SessionBackends::SessionBackends() = default;
SessionBackends::SessionBackends(SessionBackends &&) noexcept = default;
SessionBackends &SessionBackends::operator=(SessionBackends &&) noexcept = default;
SessionBackends::~SessionBackends() = default;

namespace {

bool currentDesktopIs(const char *name)
{
    return qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':').contains(QLatin1String(name), Qt::CaseInsensitive);
}

// KDE Plasma keeps global keys in KGlobalAccel, on X11 as on Wayland: grabbing them past it
// would fight its own grabs and hide them from System Settings.
std::unique_ptr<HotKeyService> kdeHotKeys()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!currentDesktopIs("KDE") || !KGlobalAccelHotKeys::available(bus))
        return nullptr;
    QList<KGlobalAccelHotKeys::Action> actions;
    for (const HotKeyAction action : hotKeyActions)
        actions.append({QStringLiteral("capture-") + wordFor(action), ::tr(textKeyFor(action))});
    return std::make_unique<KGlobalAccelHotKeys>(bus, actions);
}

} // namespace

SessionBackends chooseSessionBackends()
{
    SessionBackends backends;
    // Qt may still run on X11 in a Wayland session (through XWayland): where X11 events come,
    // their exact pointer positions are kept.
    backends.pointerFilter = std::make_unique<X11PointerFilter>();
    backends.hotKeys = kdeHotKeys();
    if (isWaylandSession()) {
        // KWin's own screenshot interface on KDE, wlr-screencopy where the compositor offers it,
        // the desktop's portal elsewhere and after either fails; PIXDRIFT_CAPTURE=portal asks for
        // the portal.
        auto portal = std::make_unique<PortalScreenCapture>(QDBusConnection::sessionBus());
        if (qgetenv("PIXDRIFT_CAPTURE") == "portal")
            backends.screenCapture = std::move(portal);
        else if (currentDesktopIs("KDE"))
            backends.screenCapture = std::make_unique<KWinScreenCapture>(QDBusConnection::sessionBus(), std::move(portal));
        else if (currentDesktopIs("GNOME"))
            backends.screenCapture = std::move(portal);
        else
            backends.screenCapture = WlrScreenCapture::orFallback(std::move(portal));
        if (!backends.hotKeys)
            backends.desktopShortcuts = std::make_unique<PortalGlobalShortcuts>(QDBusConnection::sessionBus());
        // sway and the compositors that speak its IPC say where their windows are.
        if (const QString sway = qEnvironmentVariable("SWAYSOCK"); !sway.isEmpty())
            backends.windowList = std::make_unique<SwayWindowList>(sway);
        // GNOME has no shortcuts portal: keys go into its own keyboard settings.
        if (currentDesktopIs("GNOME") && GnomeKeybindings::available())
            backends.desktopKeybindings = std::make_unique<GnomeKeybindings>();
        if (currentDesktopIs("GNOME")) {
            backends.screenPermissionPending = [] {
                const auto state = ScreenshotPermission::stored(QDBusConnection::sessionBus());
                return state == ScreenshotPermission::State::NotAsked || state == ScreenshotPermission::State::Refused;
            };
            backends.forgetScreenRefusal = [] { return ScreenshotPermission::forgetRefusal(QDBusConnection::sessionBus()); };
        }
        return backends;
    }
    backends.screenCapture = std::make_unique<X11ScreenCapture>();
    backends.windowList = std::make_unique<X11WindowList>();
    if (auto wheel = std::make_unique<X11ScrollInput>(); wheel->available())
        backends.scrollInput = std::move(wheel);
    if (!backends.hotKeys)
        backends.hotKeys = std::make_unique<X11HotKeyService>();
    return backends;
}
