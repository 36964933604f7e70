#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

CommandLine CommandLine::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A small, fast screenshot tool. With no option it opens the running Pixdrift, or starts it."));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption area(QStringLiteral("area"),
                                  QStringLiteral("Capture an area: freeze the screen and select a rectangle."));
    const QCommandLineOption full(QStringLiteral("full"), QStringLiteral("Capture the whole screen under the pointer."));
    const QCommandLineOption screen(QStringLiteral("screen"),
                                    QStringLiteral("With --full: capture the screen of that name, or every screen with \"all\"."),
                                    QStringLiteral("name"));
    const QCommandLineOption window(QStringLiteral("window"),
                                    QStringLiteral("Capture the window you work in, at once."));
    const QCommandLineOption last(QStringLiteral("last"),
                                  QStringLiteral("Capture the last area selected again, without selecting it."));
    const QCommandLineOption delay(QStringLiteral("delay"),
                                   QStringLiteral("With --area or --full: capture after <seconds> (1 to 60)."),
                                   QStringLiteral("seconds"));
    // The bus starts the program with it, for a call that follows at once (the name and its
    // meaning are the desktops' convention).
    QCommandLineOption service(QStringLiteral("gapplication-service"));
    service.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({help, version, area, full, screen, window, last, delay, service});

    CommandLine result;
    // Qt names the program only once an application object exists.
    const QString usage = parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("pixdrift"));
    if (!parser.parse(arguments)) {
        result.exitCode = 2;
        result.errorText = parser.errorText() + u'\n' + usage;
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.exitCode = 2;
        result.errorText = QStringLiteral("Unexpected argument: ") + parser.positionalArguments().first() + u'\n'
                           + usage;
        return result;
    }
    if (int(parser.isSet(area)) + int(parser.isSet(full) || parser.isSet(screen)) + int(parser.isSet(last))
            + int(parser.isSet(window))
        > 1) {
        result.exitCode = 2;
        result.errorText = QStringLiteral("Choose one of --area, --full, --window and --last.\n") + usage;
        return result;
    }
    if (parser.isSet(screen)) {
        result.screen = parser.value(screen);
        if (result.screen.isEmpty() || parser.isSet(delay)) {
            result.exitCode = 2;
            result.errorText = QStringLiteral("--screen takes a screen's name, or \"all\", and no --delay.\n") + usage;
            return result;
        }
    }
    if (parser.isSet(delay)) {
        bool number = false;
        const int seconds = parser.value(delay).toInt(&number);
        if (!number || seconds < 1 || seconds > 60 || !(parser.isSet(area) || parser.isSet(full))) {
            result.exitCode = 2;
            result.errorText = QStringLiteral("--delay takes 1 to 60 seconds, with --area or --full.\n") + usage;
            return result;
        }
        result.delay = seconds;
    }
    if (parser.isSet(help)) {
        result.exitCode = 0;
        result.output = usage;
        return result;
    }
    if (parser.isSet(version)) {
        result.exitCode = 0;
        result.output = QCoreApplication::applicationName() + u' ' + QCoreApplication::applicationVersion() + u'\n';
        return result;
    }
    if (parser.isSet(service) && (parser.isSet(area) || parser.isSet(full) || parser.isSet(screen) || parser.isSet(last)
                                   || parser.isSet(window))) {
        result.exitCode = 2;
        result.errorText = QStringLiteral("--gapplication-service takes no other option.\n") + usage;
        return result;
    }
    if (parser.isSet(service))
        result.action = Action::Service;
    else if (parser.isSet(area))
        result.action = Action::CaptureArea;
    else if (parser.isSet(full) || parser.isSet(screen))
        result.action = Action::CaptureFull;
    else if (parser.isSet(last))
        result.action = Action::CaptureLast;
    else if (parser.isSet(window))
        result.action = Action::CaptureWindow;
    return result;
}
