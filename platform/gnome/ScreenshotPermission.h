#pragma once

class QDBusConnection;

// GNOME's answer to "Allow Applications to Take Screenshots?", which it asks once, in a dialog
// it shows only for the focused window's request. The portal keeps the answer in its permission
// store; programs outside a sandbox share the empty application id there.
namespace ScreenshotPermission {

enum class State { NotAsked, Granted, Refused, NoStore };

[[nodiscard]] State stored(const QDBusConnection &bus);
// Forgets a refusal, so that GNOME asks again at the next screenshot: only when the user asks
// for it. True when there is no refusal left.
bool forgetRefusal(const QDBusConnection &bus);

} // namespace ScreenshotPermission
