#include "app/PixdriftApp.h"
#include "app/tr.h"
#include "platform/UserDefaults.h"

#include <QApplication>

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
