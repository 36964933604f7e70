#include "platform/portal/FolderSnapshot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

namespace {

qint64 nanoseconds(const statx_timestamp &t)
{
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

} // namespace

QStringList FolderSnapshot::portalFolders()
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    QStringList folders{QDir::homePath(), pictures, pictures + QStringLiteral("/Screenshots"), QDir::tempPath(),
                        QStringLiteral("/tmp")};
    if (const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR"); !runtime.isEmpty())
        folders.append(runtime);
    return folders;
}

FolderSnapshot FolderSnapshot::take(const QStringList &folders)
{
    FolderSnapshot snapshot;
    // File times come from the coarse clock: the fine one may already be past the time a file
    // made a moment later gets.
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    snapshot.m_takenNs = qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
    for (const QString &folder : folders) {
        const QString canonical = QFileInfo(folder).canonicalFilePath();
        if (canonical.isEmpty() || snapshot.m_names.contains(canonical))
            continue;
        const QStringList names = QDir(canonical).entryList(QDir::Files | QDir::Hidden | QDir::System);
        snapshot.m_names.insert(canonical, QSet<QString>(names.begin(), names.end()));
    }
    return snapshot;
}

bool FolderSnapshot::isNew(const QString &file) const
{
    const QFileInfo info(file);
    const auto listed = m_names.constFind(info.absoluteDir().canonicalPath());
    if (listed != m_names.cend())
        return info.exists() && !listed->contains(info.fileName());
    struct statx status{};
    if (::statx(AT_FDCWD, QFile::encodeName(file).constData(), AT_SYMLINK_NOFOLLOW, STATX_BTIME | STATX_CTIME,
                &status)
        != 0)
        return false;
    const qint64 made = nanoseconds((status.stx_mask & STATX_BTIME) ? status.stx_btime : status.stx_ctime);
    return made > m_takenNs;
}
