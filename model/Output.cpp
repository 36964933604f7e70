// CaptureModel's output: the cropped image to the clipboard or to a new file, and the marks.

#include "model/CaptureModel.h"

#include "app/tr.h"
#include "model/PngEncoder.h"
#include "platform/SavePanel.h"
#include "platform/UserDefaults.h"

#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QMimeData>

#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <unistd.h>

void CaptureModel::addMark(const Mark &mark)
{
    QList<Mark> marks = m_marks;
    marks.append(mark);
    setMarks(marks);
}

void CaptureModel::undoMark()
{
    if (m_marks.isEmpty())
        return;
    QList<Mark> marks = m_marks;
    marks.removeLast();
    setMarks(marks);
}

void CaptureModel::clearMarks()
{
    setMarks({});
}

QImage CaptureModel::cropped() const
{
    if (m_image.isNull())
        return {};
    // A crop of negative width or height cuts the same pixels as its normalised form.
    const QRectF source = m_full ? QRectF(0, 0, m_image.width(), m_image.height()) : m_crop.normalized();
    if (!std::isfinite(source.x()) || !std::isfinite(source.y()) || !std::isfinite(source.width())
        || !std::isfinite(source.height()))
        return {};
    const double x0 = std::floor(source.left());
    const double y0 = std::floor(source.top());
    const double x1 = std::ceil(source.right());
    const double y1 = std::ceil(source.bottom());
    // QImage::copy would pad the part outside the image with transparent pixels.
    const QRectF pixels = QRectF(x0, y0, x1 - x0, y1 - y0) & QRectF(m_image.rect());
    if (pixels.isEmpty())
        return {};
    return m_image.copy(pixels.toRect());
}

void CaptureModel::output(bool copy)
{
    const QImage image = cropped();
    if (image.isNull())
        return;
    const QByteArray png = encodePng(image);
    if (png.isEmpty())
        return;

    if (copy) {
        // Only PNG: QClipboard::setImage would add other formats beside it.
        auto *data = new QMimeData;
        data->setData(QStringLiteral("image/png"), png);
        QGuiApplication::clipboard()->setMimeData(data);
        setStatus(::tr("status.copied"));
        return;
    }

    SavePanel *panel = m_environment.savePanel;
    if (!panel)
        return;
    const QDateTime now = m_environment.clock ? m_environment.clock() : QDateTime::currentDateTime();
    const QString proposedName = QStringLiteral("Pixdrift-") + timestamp(now) + QStringLiteral(".png");
    // The panel opens where the last file was saved, while that folder is still there.
    QString folder = m_defaults.string(saveFolderKey).value_or(QString());
    if (!folder.isEmpty() && !QFileInfo(folder).isDir())
        folder.clear();
    panel->begin(proposedName, folder, [model = QPointer<CaptureModel>(this), png](std::optional<QString> path) {
        if (!path || path->isEmpty())
            return;
        const WriteResult result = writeWithoutOverwriting(png, *path);
        // The status changes on a later turn, after the panel's answer has been handled.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [model, result] {
                if (!model)
                    return;
                if (result.error == 0) {
                    model->setStatus(formatSavedStatus(::tr("status.saved"), QFileInfo(result.path).fileName()));
                    (void)model->m_defaults.setString(saveFolderKey, QFileInfo(result.path).absolutePath());
                } else
                    model->setStatus(::tr("status.saveFailed") + u' ' + qt_error_string(result.error));
            },
            Qt::QueuedConnection);
    });
}

QString CaptureModel::timestamp(const QDateTime &time)
{
    return QLocale::c().toString(time.toLocalTime(), QStringLiteral("yyyy-MM-dd-HH-mm-ss"));
}

CaptureModel::WriteResult CaptureModel::writeWithoutOverwriting(const QByteArray &bytes, const QString &proposedPath)
{
    const QFileInfo proposed(proposedPath);
    const QString directory = proposed.path();
    const QString extension = proposed.suffix().isEmpty() ? QStringLiteral("png") : proposed.suffix();
    // "a.b.png" keeps "a.b"; a name without extension keeps all of it.
    const QString base = proposed.suffix().isEmpty() ? proposed.fileName() : proposed.completeBaseName();

    QString candidate;
    int fd = -1;
    for (qint64 n = 1;; ++n) {
        const QString name = n == 1 ? base + u'.' + extension
                                    : base + u' ' + QString::number(n) + u'.' + extension;
        candidate = directory + u'/' + name;
        // O_EXCL: an existing file is never opened, even one created a moment ago by another
        // process, so nothing is ever truncated or replaced.
        fd = ::open(QFile::encodeName(candidate).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0)
            break;
        if (errno == EEXIST)
            continue;
        return {{}, errno != 0 ? errno : EIO};
    }

    int error = 0;
    qsizetype offset = 0;
    while (offset < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + offset, std::size_t(bytes.size() - offset));
        if (written > 0) {
            offset += written;
        } else if (written < 0 && errno == EINTR) {
            continue;
        } else {
            // A write that makes no progress would otherwise be retried for ever.
            error = written == 0 || errno == 0 ? EIO : errno;
            break;
        }
    }
    if (::close(fd) != 0 && error == 0)
        error = errno != 0 ? errno : EIO;
    if (error != 0) {
        ::unlink(QFile::encodeName(candidate).constData());
        return {{}, error};
    }
    return {candidate, 0};
}

QString CaptureModel::formatSavedStatus(const QString &format, const QString &fileName)
{
    QString result;
    bool substituted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c != u'%') {
            result += c;
            continue;
        }
        const QStringView rest = QStringView(format).mid(i);
        if (rest.startsWith(u"%%")) {
            result += u'%';
            ++i;
        } else if (!substituted && rest.startsWith(u"%@")) {
            result += fileName;
            substituted = true;
            ++i;
        } else if (!substituted && rest.startsWith(u"%1$@")) {
            result += fileName;
            substituted = true;
            i += 3;
        } else {
            result += c;
        }
    }
    return result;
}
