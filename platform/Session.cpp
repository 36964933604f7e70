#include "platform/Session.h"

#include <QGuiApplication>

bool isWaylandSession()
{
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || QGuiApplication::platformName() == u"wayland";
}
