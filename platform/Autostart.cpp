#include "platform/Autostart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// A desktop entry's Exec value: quoted, with the characters the format reserves escaped.
QString quotedProgram(const QString &path)
{
    QString escaped;
    for (const QChar c : path) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            escaped += u'\\';
        escaped += c;
    }
    return u'"' + escaped + u'"';
}

} // namespace

namespace Autostart {

QString entryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/autostart/app.pixdrift.Pixdrift.desktop");
}

namespace {

// Where versions before the program took its reverse-DNS name kept the entry.
QString earlierEntryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/autostart/pixdrift.desktop");
}

} // namespace

bool isEnabled()
{
    return QFileInfo::exists(entryPath()) || QFileInfo::exists(earlierEntryPath());
}

QString setEnabled(bool enabled)
{
    const QString path = entryPath();
    // An entry under the earlier name would start a second copy: it goes either way.
    if (QFile earlier(earlierEntryPath()); earlier.exists() && !earlier.remove())
        return earlier.errorString();
    if (!enabled) {
        QFile file(path);
        return !file.exists() || file.remove() ? QString() : file.errorString();
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    const QByteArray entry = "[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=Pixdrift\n"
                             "Exec="
                             + quotedProgram(QCoreApplication::applicationFilePath()).toUtf8()
                             + "\n"
                               "Icon=pixdrift\n"
                               "Terminal=false\n"
                               "X-GNOME-Autostart-enabled=true\n";
    if (file.write(entry) != entry.size() || !file.commit())
        return file.errorString();
    return {};
}

} // namespace Autostart
