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
    const QCommandLineOption full(QStringLiteral("full"), QStringLiteral("Capture the whole main screen."));
    const QCommandLineOption delay(QStringLiteral("delay"),
                                   QStringLiteral("With --area or --full: capture after <seconds> (1 to 60)."),
                                   QStringLiteral("seconds"));
    // The bus starts the program with it, for a call that follows at once (the name and its
    // meaning are the desktops' convention).
    QCommandLineOption service(QStringLiteral("gapplication-service"));
    service.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({help, version, area, full, delay, service});

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
    if (parser.isSet(area) && parser.isSet(full)) {
        result.exitCode = 2;
        result.errorText = QStringLiteral("Choose one of --area and --full.\n") + usage;
        return result;
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
    if (parser.isSet(service) && (parser.isSet(area) || parser.isSet(full))) {
        result.exitCode = 2;
        result.errorText = QStringLiteral("--gapplication-service takes no other option.\n") + usage;
        return result;
    }
    if (parser.isSet(service))
        result.action = Action::Service;
    else if (parser.isSet(area))
        result.action = Action::CaptureArea;
    else if (parser.isSet(full))
        result.action = Action::CaptureFull;
    return result;
}
