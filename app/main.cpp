#include "app/tr.h"
#include "model/CaptureModel.h"

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

    loadTranslations();
    CaptureModel model;

    std::printf("Pixdrift %s: area shortcut %s, full shortcut %s.\n"
                "The main window and the tray icon are not built yet; nothing more to show.\n",
                PIXDRIFT_VERSION, qPrintable(model.areaShortcut()), qPrintable(model.fullShortcut()));
    return EXIT_SUCCESS;
}
