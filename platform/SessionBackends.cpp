#include "platform/SessionBackends.h"

#include "platform/gnome/GnomeKeybindings.h"
#include "platform/portal/PortalGlobalShortcuts.h"
#include "platform/portal/PortalScreenCapture.h"
#include "platform/wayland/GrimScreenCapture.h"
#include "platform/x11/X11HotKeyService.h"
#include "platform/x11/X11PointerFilter.h"
#include "platform/x11/X11ScreenCapture.h"

#include "platform/DesktopKeybindings.h"
#include "platform/DesktopShortcuts.h"
#include "platform/HotKeyService.h"

#include <QDBusConnection>
#include <QGuiApplication>
#include <QStandardPaths>

bool isWaylandSession()
{
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || QGuiApplication::platformName() == u"wayland";
}

SessionBackends::SessionBackends() = default;
SessionBackends::SessionBackends(SessionBackends &&) noexcept = default;
SessionBackends &SessionBackends::operator=(SessionBackends &&) noexcept = default;
SessionBackends::~SessionBackends() = default;

SessionBackends chooseSessionBackends()
{
    SessionBackends backends;
    // Qt may still run on X11 in a Wayland session (through XWayland): where X11 events come,
    // their exact pointer positions are kept.
    backends.pointerFilter = std::make_unique<X11PointerFilter>();
    if (isWaylandSession()) {
        // grim where the compositor offers wlr-screencopy, the desktop's portal elsewhere, and
        // PIXDRIFT_CAPTURE=portal asks for the portal.
        auto portal = std::make_unique<PortalScreenCapture>(QDBusConnection::sessionBus());
        const QString grim = QStandardPaths::findExecutable(QStringLiteral("grim"));
        if (grim.isEmpty() || qgetenv("PIXDRIFT_CAPTURE") == "portal")
            backends.screenCapture = std::move(portal);
        else
            backends.screenCapture = std::make_unique<GrimScreenCapture>(grim, std::move(portal));
        backends.desktopShortcuts = std::make_unique<PortalGlobalShortcuts>(QDBusConnection::sessionBus());
        // GNOME has no shortcuts portal: keys go into its own keyboard settings.
        if (qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':').contains(QStringLiteral("GNOME"), Qt::CaseInsensitive)
            && GnomeKeybindings::available())
            backends.desktopKeybindings = std::make_unique<GnomeKeybindings>();
        return backends;
    }
    backends.screenCapture = std::make_unique<X11ScreenCapture>();
    backends.hotKeys = std::make_unique<X11HotKeyService>();
    return backends;
}
