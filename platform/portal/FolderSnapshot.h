#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

// What lay in the folders where desktop portals leave their screenshots at the moment a request
// was made, so that the picture the portal answers with can be told from a file of the user's:
// only a file that was not there before is ours to remove.
class FolderSnapshot
{
public:
    // The folders portals are known to write to: the home and picture folders (and their
    // Screenshots folder), the temporary and runtime folders.
    [[nodiscard]] static QStringList portalFolders();
    // Lists `folders` now.
    [[nodiscard]] static FolderSnapshot take(const QStringList &folders);

    // Whether `file` came into being after the snapshot: missing from its folder's listing then,
    // or, in a folder that was not listed, born (where the file system keeps the birth time;
    // changed, where it does not) after the snapshot was taken.
    [[nodiscard]] bool isNew(const QString &file) const;

private:
    QHash<QString, QSet<QString>> m_names; // canonical folder → the names in it
    qint64 m_takenNs = 0;                  // the real-time clock when the listing began
};
