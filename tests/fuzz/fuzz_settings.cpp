// Any bytes as the settings file: loading never fails or hangs, and the store still saves.
#include "platform/UserDefaults.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("defaults.json"));
    for (const QString &name : QDir(dir.path()).entryList(QDir::Files))
        QFile::remove(dir.filePath(name));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        std::abort();
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();

    UserDefaults store(path);
    (void)store.string(QStringLiteral("pd.areaShortcut"));
    (void)store.integer(QStringLiteral("pd.shortcutDefaultsVersion"));
    if (!store.setString(QStringLiteral("pd.areaShortcut"), QStringLiteral("control+a")))
        std::abort();
    if (UserDefaults(path).string(QStringLiteral("pd.areaShortcut")) != QStringLiteral("control+a"))
        std::abort();
    return 0;
}
