#include "app/PixdriftApp.h"
#include "app/tr.h"
#include "platform/UserDefaults.h"

#include <QApplication>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    const bool platformChosen = qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
    if (!platformChosen && qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fputs("Pixdrift needs an X11 session, and DISPLAY is not set.\n"
                   "Start it from a desktop session running on X11 (or under Xvfb).\n",
                   stderr);
        return EXIT_FAILURE;
    }

    // Qt aborts when it cannot open the display; say plainly what is wrong instead.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platformChosen || platform == "xcb") {
        xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
        const bool opened = xcb_connection_has_error(connection) == 0;
        xcb_disconnect(connection);
        if (!opened) {
            std::fprintf(stderr, "cannot open display %s\n", qgetenv("DISPLAY").constData());
            return EXIT_FAILURE;
        }
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pixdrift"));
    QApplication::setApplicationVersion(QStringLiteral(PIXDRIFT_VERSION));
    // The program lives in the tray: closing its window does not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    loadTranslations();
    PixdriftApp pixdrift(UserDefaults::standard());
    pixdrift.launch();
    return QApplication::exec();
}
