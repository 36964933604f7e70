#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>

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
    const QCommandLineOption region(QStringLiteral("region"),
                                    QStringLiteral("Capture that rectangle of the desktop, without selecting it: "
                                                   "\"X,Y WxH\" (as slurp gives it) or \"WxH+X+Y\"."),
                                    QStringLiteral("geometry"));
    const QCommandLineOption delay(QStringLiteral("delay"),
                                   QStringLiteral("Capture after <seconds> (1 to 60)."),
                                   QStringLiteral("seconds"));
    const QCommandLineOption clipboard(QStringList{QStringLiteral("c"), QStringLiteral("clipboard")},
                                       QStringLiteral("Put the capture on the clipboard instead of opening the window."));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Write the capture to <path> instead of opening the window: a file "
                                                   "(its extension picks PNG, JPEG or WebP), a folder, or - for PNG on "
                                                   "standard output. The path written is printed."),
                                    QStringLiteral("path"));
    // The bus starts the program with it, for a call that follows at once (the name and its
    // meaning are the desktops' convention).
    QCommandLineOption service(QStringLiteral("gapplication-service"));
    service.setFlags(QCommandLineOption::HiddenFromHelp);
    const QCommandLineOption ocr(QStringLiteral("ocr"),
                                 QStringLiteral("The text in the capture instead of the picture: on standard output, or on "
                                                "the clipboard with --clipboard. Ends with 1 when there is none."));
    const QCommandLineOption scroll(QStringLiteral("scroll"),
                                    QStringLiteral("Capture a page taller than the screen: select an area (or give --region); "
                                                   "its content is scrolled down and stitched into one image."));
    const QCommandLineOption manual(QStringLiteral("manual"),
                                    QStringLiteral("With --scroll: you scroll, and press Done at the end (always so on Wayland)."));
    parser.addOptions({help, version, area, full, screen, window, last, region, delay, clipboard, output, ocr, scroll, manual, service});

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
            + int(parser.isSet(window)) + int(parser.isSet(region))
        > 1) {
        result.exitCode = 2;
        result.errorText = QStringLiteral("Choose one of --area, --full, --window, --last and --region.\n") + usage;
        return result;
    }
    if (parser.isSet(region)) {
        result.region = parseRegion(parser.value(region));
        if (!result.region) {
            result.exitCode = 2;
            result.errorText = QStringLiteral("--region takes \"X,Y WxH\" or \"WxH+X+Y\", not \"") + parser.value(region)
                               + QStringLiteral("\".\n") + usage;
            return result;
        }
    }
    result.scroll = parser.isSet(scroll);
    result.byHand = parser.isSet(manual);
    if ((result.scroll && (parser.isSet(full) || parser.isSet(screen) || parser.isSet(last) || parser.isSet(window)))
        || (result.byHand && !result.scroll)) {
        result.exitCode = 2;
        result.errorText = QStringLiteral("--scroll takes an area or --region (and --manual only goes with --scroll).\n") + usage;
        return result;
    }
    result.clipboard = parser.isSet(clipboard);
    result.outputPath = parser.value(output);
    if (parser.isSet(output) && result.outputPath.isEmpty()) {
        result.exitCode = 2;
        result.errorText = QStringLiteral("--output takes a file, a folder or -.\n") + usage;
        return result;
    }
    result.ocr = parser.isSet(ocr);
    if (result.ocr) {
        if (!result.outputPath.isEmpty() && result.outputPath != u"-") {
            result.exitCode = 2;
            result.errorText = QStringLiteral("--ocr writes the text to standard output, or with --clipboard to the clipboard.\n")
                               + usage;
            return result;
        }
        if (!result.clipboard)
            result.outputPath = QStringLiteral("-");
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
        // A delay without a script's output is the window's countdown, which knows areas and screens.
        const bool counted = parser.isSet(area) || parser.isSet(full) || parser.isSet(clipboard) || parser.isSet(output);
        if (!number || seconds < 1 || seconds > 60 || !counted) {
            result.exitCode = 2;
            result.errorText = QStringLiteral("--delay takes 1 to 60 seconds, with --area or --full (or any capture with "
                                              "--clipboard or --output).\n")
                               + usage;
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
                                   || parser.isSet(window) || parser.isSet(region) || result.forScript() || parser.isSet(ocr)
                                   || result.scroll)) {
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
    else if (parser.isSet(region))
        result.action = Action::CaptureRegion;
    else if (result.scroll)
        result.action = Action::CaptureArea;
    // A script's output with no capture named is an area capture.
    else if (result.forScript())
        result.action = Action::CaptureArea;
    return result;
}

std::optional<QRect> CommandLine::parseRegion(const QString &text)
{
    static const QRegularExpression slurp(QStringLiteral("^\\s*(-?\\d+),(-?\\d+) (\\d+)x(\\d+)\\s*$"));
    static const QRegularExpression x11(QStringLiteral("^\\s*(\\d+)x(\\d+)([+-]\\d+)([+-]\\d+)\\s*$"));
    QRect rect;
    if (const QRegularExpressionMatch m = slurp.match(text); m.hasMatch())
        rect = QRect(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
    else if (const QRegularExpressionMatch m = x11.match(text); m.hasMatch())
        rect = QRect(m.captured(3).toInt(), m.captured(4).toInt(), m.captured(1).toInt(), m.captured(2).toInt());
    if (rect.isEmpty())
        return std::nullopt;
    return rect;
}

namespace {

const QString actionKey = QStringLiteral("action");
const QString screenKey = QStringLiteral("screen");
const QString regionKey = QStringLiteral("region");
const QString delayKey = QStringLiteral("delay");
const QString clipboardKey = QStringLiteral("clipboard");
const QString outputKey = QStringLiteral("output");
const QString ocrKey = QStringLiteral("ocr");
const QString scrollKey = QStringLiteral("scroll");
const QString manualKey = QStringLiteral("manual");

} // namespace

QVariantMap CommandLine::toBus() const
{
    QVariantMap map{{actionKey, int(action)}, {screenKey, screen},     {delayKey, delay},
                    {clipboardKey, clipboard}, {outputKey, outputPath}, {ocrKey, ocr},
                    {scrollKey, scroll},       {manualKey, byHand}};
    if (region)
        map.insert(regionKey, QStringLiteral("%1,%2 %3x%4").arg(region->x()).arg(region->y()).arg(region->width()).arg(region->height()));
    return map;
}

std::optional<CommandLine> CommandLine::fromBus(const QVariantMap &map)
{
    CommandLine command;
    bool valid = true;
    const int action = map.value(actionKey).toInt(&valid);
    if (!valid || action < int(Action::CaptureArea) || action > int(Action::CaptureRegion) || action == int(Action::Service))
        return std::nullopt;
    command.action = Action(action);
    command.screen = map.value(screenKey).toString();
    command.delay = map.value(delayKey).toInt();
    command.clipboard = map.value(clipboardKey).toBool();
    command.outputPath = map.value(outputKey).toString();
    command.ocr = map.value(ocrKey).toBool();
    command.scroll = map.value(scrollKey).toBool();
    command.byHand = command.scroll && map.value(manualKey).toBool();
    if (command.delay < 0 || command.delay > 60)
        return std::nullopt;
    if (command.action == Action::CaptureRegion) {
        command.region = parseRegion(map.value(regionKey).toString());
        if (!command.region)
            return std::nullopt;
    }
    return command;
}
