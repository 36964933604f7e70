#include "platform/QtSavePanel.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

void QtSavePanel::begin(const QString &proposedName, const QString &lastFolder,
                        std::function<void(std::optional<QString>)> completion)
{
    auto *dialog = new QFileDialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilter(QStringLiteral("PNG (*.png)"));
    QString folder = lastFolder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::PicturesLocation) : lastFolder;
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    dialog->setDirectory(folder);
    dialog->selectFile(proposedName);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, completion = std::move(completion)](int result) {
        const QStringList files = dialog->selectedFiles();
        if (result == QDialog::Accepted && !files.isEmpty())
            completion(files.first());
        else
            completion(std::nullopt);
    });
    dialog->open();
}
