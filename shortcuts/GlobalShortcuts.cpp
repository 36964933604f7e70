#include "shortcuts/GlobalShortcuts.h"

#include "text/tr.h"
#include "platform/DesktopKeybindings.h"
#include "platform/LogLine.h"
#include "platform/Trace.h"
#include "shortcuts/ShortcutText.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

QString wordFor(HotKeyAction action)
{
    static const std::array<QString, hotKeyActionCount> words{QStringLiteral("area"), QStringLiteral("full"),
                                                              QStringLiteral("window")};
    return words[indexOf(action)];
}

const char *textKeyFor(HotKeyAction action)
{
    static constexpr std::array<const char *, hotKeyActionCount> keys{"capture.area", "capture.full", "capture.window"};
    return keys[indexOf(action)];
}

std::optional<ParsedShortcut> GlobalShortcuts::parse(const QString &shortcut)
{
    // toLower() folds the whole of Unicode without any locale's special rules.
    const QStringList pieces = shortcut.toLower().split(u'+', Qt::SkipEmptyParts);
    if (pieces.isEmpty())
        return std::nullopt;

    std::uint32_t mask = 0;
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
        const std::optional<std::uint32_t> bit = modifierMaskForWord(pieces[i]);
        if (!bit)
            return std::nullopt;
        mask |= *bit;
    }

    // A key alone would take it from every application: only the screenshot key may stand alone.
    const std::optional<std::uint32_t> keyCode = keyCodeForName(pieces.last());
    if (!keyCode || (mask == 0 && *keyCode != printKeyCode))
        return std::nullopt;
    return ParsedShortcut{*keyCode, mask};
}

void GlobalShortcuts::setService(HotKeyService *service)
{
    s_service = service;
    s_installed.reset();
}

bool GlobalShortcuts::install(const ShortcutSet &shortcuts)
{
    if (!s_desktopKeysText.isEmpty())
        return true;
    // Keys already held as asked stay held: letting them go and grabbing them again (each time
    // the window appears) would lose a press that comes in between.
    if (s_installed && *s_installed == shortcuts && s_installedFor == s_service)
        return true;
    s_installed.reset();
    for (std::optional<HotKeyRef> &ref : s_refs) {
        if (ref && s_service)
            s_service->unregisterHotKey(*ref);
        ref.reset();
    }

    if (!s_handlerInstalled) {
        s_handlerInstallError =
            s_service ? s_service->installEventHandler(&GlobalShortcuts::eventCallback) : HotKeyStatus::internalError;
        s_handlerInstalled = s_handlerInstallError == HotKeyStatus::noError;
    }

    bool registered = true;
    for (std::size_t slot = 0; slot < shortcuts.size(); ++slot)
        registered = registerShortcut(shortcuts[slot], slot) && registered;
    registered = registered && s_handlerInstallError == HotKeyStatus::noError;
    // A set that did not go in whole is tried again next time.
    if (registered) {
        s_installed = shortcuts;
        s_installedFor = s_service;
    }
    return registered;
}

bool GlobalShortcuts::registerShortcut(const QString &shortcut, std::size_t slot)
{
    const std::optional<ParsedShortcut> parsed = parse(shortcut);
    if (!parsed)
        return false;
    HotKeyRef ref = 0;
    const std::int32_t status = s_service ? s_service->registerHotKey(parsed->keyCode, parsed->modifiers,
                                                                       HotKeyId{signature, std::uint32_t(slot + 1)}, &ref)
                                          : HotKeyStatus::internalError;
    if (status != HotKeyStatus::noError) {
        s_lastRegistrationError = status;
        return false;
    }
    s_refs[slot] = ref;
    return true;
}

QString GlobalShortcuts::prettyShortcuts(const ShortcutSet &shortcuts)
{
    QStringList pretty;
    for (const QString &shortcut : shortcuts)
        pretty.append(prettyShortcut(shortcut));
    return pretty.join(QStringLiteral(" \u00B7 "));
}

QString GlobalShortcuts::outcomeText(bool installed, const char *successKey, const char *failureKey,
                                     const ShortcutSet &shortcuts)
{
    if (!s_desktopKeysText.isEmpty())
        return s_desktopKeysText;
    if (installed)
        return ::tr(successKey) + u' ' + prettyShortcuts(shortcuts);
    // A stored text that is no shortcut is not another application's fault.
    for (const QString &shortcut : shortcuts) {
        if (!parse(shortcut))
            return ::tr("status.shortcutInvalid") + QStringLiteral(" (") + shortcut + u')';
    }
    return ::tr(failureKey) + QStringLiteral(" (") + QString::number(s_lastRegistrationError) + QStringLiteral(", ")
           + QString::number(s_handlerInstallError) + u')';
}

std::int32_t GlobalShortcuts::eventCallback(const HotKeyEvent &event)
{
    if (!event.id)
        return HotKeyStatus::parameterNotFound;
    if (event.id->signature != signature)
        return HotKeyStatus::notHandled;
    const std::uint32_t number = event.id->number;
    traceStage("key");
    logLine("Pixdrift received global hotkey id=%u", number);

    // The capture runs on a later turn of the GUI thread's loop, after the press is handled.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [number] {
            if (s_pressHandler && number >= 1 && number <= hotKeyActionCount)
                s_pressHandler(HotKeyAction(number - 1));
        },
        Qt::QueuedConnection);
    return HotKeyStatus::noError;
}

namespace {

QString keybindingId(HotKeyAction action)
{
    return QStringLiteral("pixdrift-") + wordFor(action);
}

// This very program starting `action`, as a command line the desktop runs: quoted for a
// shell's rules.
QString commandFor(HotKeyAction action)
{
    QString program = QFileInfo(QCoreApplication::applicationFilePath()).absoluteFilePath();
    program.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + program + QStringLiteral("' --") + wordFor(action);
}

} // namespace

QStringList GlobalShortcuts::heldByScreenshotTool(const ShortcutSet &shortcuts)
{
    QStringList held;
    for (const QString &shortcut : shortcuts) {
        if (s_keybindings && s_keybindings->heldByScreenshotTool(gnomeAccelerator(shortcut)))
            held.append(prettyShortcut(shortcut));
    }
    return held;
}

QString GlobalShortcuts::bindInDesktop(const ShortcutSet &shortcuts, bool takeOver)
{
    if (!s_keybindings)
        return {};
    QString taken;
    for (const QString &shortcut : shortcuts) {
        const QString accelerator = gnomeAccelerator(shortcut);
        if (takeOver && s_keybindings->heldByScreenshotTool(accelerator)) {
            if (const QString error = s_keybindings->takeFromScreenshotTool(accelerator); !error.isEmpty())
                return ::tr("status.shortcutSaveFailed") + QStringLiteral(" (") + error + u')';
        }
        const QString holder = s_keybindings->holderOf(accelerator);
        if (!holder.isEmpty())
            taken += (taken.isEmpty() ? QString() : QStringLiteral(", ")) + prettyShortcut(shortcut) + QStringLiteral(" (")
                     + holder + u')';
    }
    if (!taken.isEmpty())
        return ::tr("status.desktopKeyTaken") + u' ' + s_keybindings->desktopName() + QStringLiteral(": ") + taken;
    QList<DesktopKeybindings::Binding> bindings;
    for (const HotKeyAction action : hotKeyActions) {
        bindings.append({keybindingId(action), QStringLiteral("Pixdrift: ") + ::tr(textKeyFor(action)), commandFor(action),
                         gnomeAccelerator(shortcuts[indexOf(action)])});
    }
    const QString error = s_keybindings->set(bindings);
    if (!error.isEmpty())
        return ::tr("status.shortcutSaveFailed") + QStringLiteral(" (") + error + u')';
    return ::tr("status.desktopKeysSet") + u' ' + s_keybindings->desktopName() + QStringLiteral(": ")
           + prettyShortcuts(shortcuts);
}

QString GlobalShortcuts::unbindInDesktop()
{
    if (!s_keybindings)
        return {};
    QStringList ids;
    for (const HotKeyAction action : hotKeyActions)
        ids.append(keybindingId(action));
    const QString error = s_keybindings->remove(ids);
    if (!error.isEmpty())
        return ::tr("status.shortcutSaveFailed") + QStringLiteral(" (") + error + u')';
    s_keybindings->giveBackToScreenshotTool();
    return ::tr("status.desktopKeysRemoved") + u' ' + s_keybindings->desktopName();
}
