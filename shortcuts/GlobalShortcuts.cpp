#include "shortcuts/GlobalShortcuts.h"

#include "text/tr.h"
#include "platform/DesktopKeybindings.h"
#include "platform/LogLine.h"
#include "platform/Trace.h"
#include "shortcuts/ShortcutText.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

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
}

bool GlobalShortcuts::install(const QString &area, const QString &full)
{
    if (!s_desktopKeysText.isEmpty())
        return true;
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

    const bool areaRegistered = registerShortcut(area, 1, 0);
    const bool fullRegistered = registerShortcut(full, 2, 1);
    return areaRegistered && fullRegistered && s_handlerInstallError == HotKeyStatus::noError;
}

bool GlobalShortcuts::registerShortcut(const QString &shortcut, std::uint32_t number, std::size_t slot)
{
    const std::optional<ParsedShortcut> parsed = parse(shortcut);
    if (!parsed)
        return false;
    HotKeyRef ref = 0;
    const std::int32_t status = s_service ? s_service->registerHotKey(parsed->keyCode, parsed->modifiers,
                                                                       HotKeyId{signature, number}, &ref)
                                          : HotKeyStatus::internalError;
    if (status != HotKeyStatus::noError) {
        s_lastRegistrationError = status;
        return false;
    }
    s_refs[slot] = ref;
    return true;
}

QString GlobalShortcuts::outcomeText(bool installed, const char *successKey, const char *failureKey,
                                     const QString &area, const QString &full)
{
    if (!s_desktopKeysText.isEmpty())
        return s_desktopKeysText;
    if (installed)
        return ::tr(successKey) + u' ' + prettyShortcut(area) + QStringLiteral(" \u00B7 ") + prettyShortcut(full);
    // A stored text that is no shortcut is not another application's fault.
    for (const QString &shortcut : {area, full}) {
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
            if (s_pressHandler && (number == 1 || number == 2))
                s_pressHandler(number == 2);
        },
        Qt::QueuedConnection);
    return HotKeyStatus::noError;
}

namespace {

const QStringList keybindingIds{QStringLiteral("pixdrift-area"), QStringLiteral("pixdrift-full")};

// This very program, as a command line the desktop runs: quoted for a shell's rules.
QString commandFor(const char *option)
{
    QString program = QFileInfo(QCoreApplication::applicationFilePath()).absoluteFilePath();
    program.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + program + QStringLiteral("' ") + QLatin1String(option);
}

} // namespace

QStringList GlobalShortcuts::heldByScreenshotTool(const QString &area, const QString &full)
{
    QStringList held;
    for (const QString &shortcut : {area, full}) {
        if (s_keybindings && s_keybindings->heldByScreenshotTool(gnomeAccelerator(shortcut)))
            held.append(prettyShortcut(shortcut));
    }
    return held;
}

QString GlobalShortcuts::bindInDesktop(const QString &area, const QString &full, bool takeOver)
{
    if (!s_keybindings)
        return {};
    QString taken;
    for (const QString &shortcut : {area, full}) {
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
    const QString error = s_keybindings->set(
        {{keybindingIds[0], QStringLiteral("Pixdrift: ") + ::tr("capture.area"), commandFor("--area"), gnomeAccelerator(area)},
         {keybindingIds[1], QStringLiteral("Pixdrift: ") + ::tr("capture.full"), commandFor("--full"), gnomeAccelerator(full)}});
    if (!error.isEmpty())
        return ::tr("status.shortcutSaveFailed") + QStringLiteral(" (") + error + u')';
    return ::tr("status.desktopKeysSet") + u' ' + s_keybindings->desktopName() + QStringLiteral(": ") + prettyShortcut(area)
           + QStringLiteral(" \u00B7 ") + prettyShortcut(full);
}

QString GlobalShortcuts::unbindInDesktop()
{
    if (!s_keybindings)
        return {};
    const QString error = s_keybindings->remove(keybindingIds);
    if (!error.isEmpty())
        return ::tr("status.shortcutSaveFailed") + QStringLiteral(" (") + error + u')';
    s_keybindings->giveBackToScreenshotTool();
    return ::tr("status.desktopKeysRemoved") + u' ' + s_keybindings->desktopName();
}
