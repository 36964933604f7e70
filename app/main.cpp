#include "app/CommandLine.h"
#include "app/PixdriftApp.h"
#include "app/ScriptRun.h"
#include "model/CaptureModel.h"
#include "text/tr.h"
#include "platform/dbus/DBusInstance.h"
#include "platform/LogLine.h"
#include "platform/QuitSignals.h"
#include "platform/Trace.h"
#include "platform/UserDefaults.h"

#include <QApplication>
#include <QScreen>
#include <QThread>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>

namespace {

QStringList argumentList(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// The call that makes a running Pixdrift do what the command line asks, when it is a call.
std::pair<QString, QVariantList> callFor(const CommandLine &command)
{
    using Action = CommandLine::Action;
    if (command.delay > 0)
        return {QStringLiteral("CaptureAfter"), {command.action == Action::CaptureFull, uint(command.delay)}};
    if (!command.screen.isEmpty())
        return {QStringLiteral("CaptureScreen"), {command.screen}};
    return {command.action == Action::CaptureArea     ? QStringLiteral("CaptureArea")
            : command.action == Action::CaptureLast   ? QStringLiteral("CaptureLast")
            : command.action == Action::CaptureWindow ? QStringLiteral("CaptureWindow")
            : command.action == Action::CaptureFull   ? QStringLiteral("CaptureFull")
                                                      : QStringLiteral("Activate"),
            {}};
}

} // namespace

int main(int argc, char *argv[])
{
    traceStage("main");
    QCoreApplication::setApplicationName(QStringLiteral("Pixdrift"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PIXDRIFT_VERSION));
    // Help, the version and mistakes need no display.
    const CommandLine command = CommandLine::parse(argumentList(argc, argv));
    if (command.exitCode) {
        std::fputs(command.output.toLocal8Bit().constData(), stdout);
        std::fputs(command.errorText.toLocal8Bit().constData(), stderr);
        return *command.exitCode;
    }

    const bool platformChosen = qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (!platformChosen && !wayland && qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fputs("Pixdrift needs a desktop session (Wayland or X11), and neither WAYLAND_DISPLAY nor DISPLAY is set.\n"
                   "Start it from a desktop session (or under Xvfb).\n",
                   stderr);
        return EXIT_FAILURE;
    }
    // In a Wayland session the program is a Wayland client: under XWayland its overlay would
    // sit beside the desktop's windows, not above them.
    if (!platformChosen && wayland)
        qputenv("QT_QPA_PLATFORM", "wayland;xcb");
    // Qt aborts when it cannot open the display; say plainly what is wrong instead.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if ((!platformChosen && !wayland) || platform == "xcb") {
        xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
        const bool opened = xcb_connection_has_error(connection) == 0;
        xcb_disconnect(connection);
        if (!opened) {
            std::fprintf(stderr, "cannot open display %s\n", qgetenv("DISPLAY").constData());
            return EXIT_FAILURE;
        }
    }

    // A key bound in the desktop runs `pixdrift --area` each time: with Pixdrift running, the call
    // alone goes, before any window-system connection or widget is made. A screen by name is
    // checked against the screens first, below.
    const bool plainCall = !command.forScript() && !command.region && !command.scroll && command.screen.isEmpty()
                           && command.action != CommandLine::Action::Service;
    if (plainCall) {
        traceStage("call-running");
        const auto [method, arguments] = callFor(command);
        if (DBusInstance::callRunningAtOnce(method, arguments) == DBusInstance::CallResult::Done)
            return EXIT_SUCCESS;
    }

    QApplication app(argc, argv);
    // The program lives in the tray: closing its window does not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    quitOnTerminationSignals();

    loadTranslations();
    // A screen that is not there is a mistake of the command line's, said here.
    if (!command.screen.isEmpty() && command.screen != CaptureModel::allScreens) {
        QStringList names;
        for (const QScreen *screen : QGuiApplication::screens())
            names.append(screen->name());
        if (!names.contains(command.screen)) {
            std::fprintf(stderr, "No screen is called \"%s\". The screens are: %s, all\n",
                         command.screen.toLocal8Bit().constData(), names.join(QStringLiteral(", ")).toLocal8Bit().constData());
            return 2;
        }
    }
    PixdriftApp pixdrift(UserDefaults::standard());
    // A script's capture, a region or a scrolling capture: the running Pixdrift does it and answers, or this
    // process does it for a script.
    if (command.forScript() || command.region || command.scroll) {
        if (const std::optional<int> code = ScriptRun::onRunning(command))
            return *code;
        if (command.forScript())
            return ScriptRun::here(pixdrift, command, argv);
    }
    const auto [method, arguments] = callFor(command);
    // The running Pixdrift does what was asked, and this start ends. An instance that is just
    // ending may still hold the name a moment after it stopped answering: then try again.
    for (int attempt = 0; pixdrift.claimInstance() == DBusInstance::Role::Secondary; ++attempt) {
        // The bus delivers the launcher's call to the one that runs.
        if (command.action == CommandLine::Action::Service)
            return EXIT_SUCCESS;
        traceStage("call-running");
        const DBusInstance::CallResult call = DBusInstance::callRunning(method, arguments);
        if (call == DBusInstance::CallResult::Done)
            return EXIT_SUCCESS;
        if (call == DBusInstance::CallResult::Failed || attempt == 20) {
            logLine("Pixdrift could not reach the running Pixdrift");
            return EXIT_FAILURE;
        }
        QThread::msleep(50);
    }
    pixdrift.launch(command);
    return QApplication::exec();
}
