// CaptureModel's output: the cropped image to the clipboard or to a new file, and the marks.

#include "model/CaptureModel.h"

#include "text/tr.h"
#include "model/FileNaming.h"
#include "model/MarkDrawing.h"
#include "model/PngEncoder.h"
#include "model/marks/MarkEdits.h"
#include "platform/SavePanel.h"
#include "platform/Trace.h"
#include "platform/UserDefaults.h"

#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QMimeData>
#include <QPainter>
#include <QTimer>
#include <QUndoStack>

#include <cerrno>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes its file when it goes.
class FileDescriptor
{
public:
    explicit FileDescriptor(int fd)
        : m_fd(fd)
    {
    }
    ~FileDescriptor() { ::close(m_fd); }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;

private:
    int m_fd;
};

// Writes all of `bytes`; 0, or the errno of the write that failed.
int writeAll(int fd, const QByteArray &bytes)
{
    qsizetype offset = 0;
    while (offset < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + offset, std::size_t(bytes.size() - offset));
        if (written > 0)
            offset += written;
        else if (written < 0 && errno == EINTR)
            continue;
        else // a write that makes no progress would otherwise be retried for ever
            return written == 0 || errno == 0 ? EIO : errno;
    }
    return 0;
}

} // namespace

void CaptureModel::addMark(const Mark &mark)
{
    m_edits->push(new AddMarkCommand(*this, mark));
}

void CaptureModel::changeMark(const Mark &changed)
{
    const auto found = std::find_if(m_marks.cbegin(), m_marks.cend(),
                                    [&changed](const Mark &mark) { return mark.id == changed.id; });
    if (found != m_marks.cend() && *found != changed)
        m_edits->push(new ChangeMarkCommand(*this, *found, changed));
}

void CaptureModel::deleteMark(const QUuid &id)
{
    const auto found = std::find_if(m_marks.cbegin(), m_marks.cend(), [&id](const Mark &mark) { return mark.id == id; });
    if (found != m_marks.cend())
        m_edits->push(new DeleteMarkCommand(*this, *found, found - m_marks.cbegin()));
}

void CaptureModel::undoMark()
{
    m_edits->undo();
}

void CaptureModel::undo()
{
    clearFailure();
    if (hasImage() || !m_discarded) {
        undoMark();
        return;
    }
    Shown discarded = *std::exchange(m_discarded, std::nullopt);
    discarded.status = ::tr("status.restored");
    show(discarded);
}

bool CaptureModel::canUndo() const
{
    return m_edits->canUndo() || (!hasImage() && m_discarded);
}

void CaptureModel::redoMark()
{
    m_edits->redo();
}

bool CaptureModel::canRedo() const
{
    return m_edits->canRedo();
}

void CaptureModel::forgetEdits()
{
    m_edits = std::make_shared<QUndoStack>();
}

void CaptureModel::clearMarks()
{
    forgetEdits();
    setMarks({});
}

QRect CaptureModel::cropPixels() const
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
    return pixels.isEmpty() ? QRect() : pixels.toRect();
}

QImage CaptureModel::cropped() const
{
    const QRect pixels = cropPixels();
    if (pixels.isEmpty())
        return {};
    // The whole capture needs no copy: a screen's worth of bytes and their page faults.
    return pixels == m_image.rect() ? m_image : m_image.copy(pixels);
}

namespace {

// The encoder keeps its buffers for an output soon after (Copy, then Save); a program that has
// gone back to waiting gives them back, and the heap what it freed.
constexpr int keepBuffersMs = 10000;

void releaseBuffers()
{
    releasePngBuffers();
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace

QImage CaptureModel::outputImage() const
{
    QImage image = cropped();
    if (image.isNull() || !m_includeMarks || m_marks.isEmpty())
        return image;
    image = image.convertToFormat(QImage::Format_RGB32);
    QPainter painter(&image);
    painter.translate(-cropPixels().topLeft());
    // One painter unit is one image pixel; lines keep their width in points of the captured screen.
    MarkScene scene;
    scene.strokeUnit = m_imageScale;
    scene.imageScale = m_imageScale;
    scene.source = &m_image;
    MarkDrawing::drawMarks(painter, m_marks, scene);
    return image;
}

void CaptureModel::output(bool copy)
{
    traceStage(copy ? "copy-start" : "save-start");
    const QRect pixels = cropPixels();
    // Copy encodes on this turn: the crop is read where it lies in the capture, and a large
    // crop costs no fresh memory (and its page faults) for a copy of its pixels.
    if (copy && (!m_includeMarks || m_marks.isEmpty()) && m_image.depth() == 32 && !pixels.isEmpty()
        && pixels != m_image.rect()) {
        const QImage crop(m_image.constScanLine(pixels.top()) + qsizetype(pixels.left()) * 4, pixels.width(),
                          pixels.height(), m_image.bytesPerLine(), m_image.format());
        writeOut(crop, copy);
        return;
    }
    writeOut(outputImage(), copy);
}

void CaptureModel::writeOut(const QImage &image, bool copy)
{
    QTimer::singleShot(keepBuffersMs, &releaseBuffers);
    if (image.isNull())
        return;
    clearFailure();
    if (copy) {
        if (const QString error = copyImage(image); !error.isEmpty()) {
            fail(::tr("status.copyFailed") + u' ' + error);
            return;
        }
        traceStage("copy-done");
        setStatus(::tr("status.copied"));
        return;
    }
    saveImage(image, {}, [model = QPointer<CaptureModel>(this)](const Saved &saved) {
        if (!model || saved.cancelled)
            return;
        if (saved.error.isEmpty())
            model->setStatus(formatSavedStatus(::tr("status.saved"), QFileInfo(saved.path).fileName()));
        else
            model->fail(::tr("status.saveFailed") + u' ' + saved.error);
    });
}

QString CaptureModel::copyImage(const QImage &image)
{
    const QByteArray png = encodePng(image);
    if (png.isEmpty())
        return QStringLiteral("the image could not be encoded as PNG");
    // Only PNG: QClipboard::setImage would add other formats beside it.
    auto *data = new QMimeData;
    data->setData(QStringLiteral("image/png"), png);
    QGuiApplication::clipboard()->setMimeData(data);
    return {};
}

void CaptureModel::saveImage(const QImage &image, const QString &target, std::function<void(const Saved &)> done)
{
    const SaveSettings settings = m_saveSettings;
    const QDateTime now = m_environment.clock ? m_environment.clock() : QDateTime::currentDateTime();
    FileNaming::Name name = FileNaming::expand(settings.pattern, now);
    if (name.problem)
        name = FileNaming::expand(FileNaming::defaultPattern, now);
    const QString fileName = name.name + u'.' + FileNaming::extensionFor(settings.format);

    // Encodes in the format the path asks for, or the settings' one, and writes without
    // replacing anything; the outcome on a later turn.
    auto write = [image, settings, done](QString path, bool remember, QPointer<CaptureModel> model) {
        const std::optional<ImageFormat> asked = FileNaming::formatOf(path);
        const ImageFormat format = asked.value_or(settings.format);
        if (!asked && QFileInfo(path).suffix().isEmpty())
            path += u'.' + FileNaming::extensionFor(format);
        Saved saved;
        if (!FileNaming::canWrite(format)) {
            saved.error = ::tr("status.formatMissing").arg(FileNaming::wordFor(format).toUpper());
        } else if (const QByteArray bytes = FileNaming::encode(image, format, settings.quality); bytes.isEmpty()) {
            saved.error = QStringLiteral("the image could not be encoded");
        } else if (const WriteResult result = writeWithoutOverwriting(bytes, path); result.error != 0) {
            saved.error = qt_error_string(result.error);
        } else {
            saved.path = result.path;
        }
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [model, saved, remember, done] {
                if (model && remember && saved.error.isEmpty())
                    (void)model->m_defaults.setString(saveFolderKey, QFileInfo(saved.path).absolutePath());
                done(saved);
            },
            Qt::QueuedConnection);
    };

    // A folder to save into without asking: the one given, or the settings' one while it is
    // there. A folder that has gone means asking again, never losing the picture.
    const QString folder = target.isEmpty() ? settings.folder : target;
    if (!folder.isEmpty() && (QFileInfo(folder).isDir() || !target.isEmpty())) {
        write(QFileInfo(folder).isDir() ? folder + u'/' + fileName : folder, false, this);
        return;
    }
    SavePanel *panel = m_environment.savePanel;
    if (!panel) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [done] { done({{}, {}, true}); }, Qt::QueuedConnection);
        return;
    }
    // The panel opens where the last file was saved, while that folder is still there.
    QString lastFolder = m_defaults.string(saveFolderKey).value_or(QString());
    if (!lastFolder.isEmpty() && !QFileInfo(lastFolder).isDir())
        lastFolder.clear();
    panel->begin(fileName, lastFolder,
                 [model = QPointer<CaptureModel>(this), write, done](std::optional<QString> path) {
                     if (!path || path->isEmpty()) {
                         done({{}, {}, true});
                         return;
                     }
                     write(*path, true, model);
                 });
}

std::optional<CaptureModel::Delivery> CaptureModel::deliveryFor(const CaptureRequest &request) const
{
    if (request.delivery)
        return request.delivery;
    if (m_saveSettings.after == SaveSettings::After::openWindow)
        return std::nullopt;
    Delivery delivery;
    delivery.copy = m_saveSettings.copies() || m_saveSettings.readsText();
    delivery.save = m_saveSettings.saves();
    delivery.text = m_saveSettings.readsText();
    delivery.notify = true;
    return delivery;
}

void CaptureModel::deliver(const Delivery &delivery)
{
    QTimer::singleShot(keepBuffersMs, &releaseBuffers);
    const QImage image = outputImage();
    const QString size = QString::number(image.width()) + QStringLiteral(" \u00D7 ") + QString::number(image.height());
    auto finish = [model = QPointer<CaptureModel>(this), delivery](const Delivered &delivered, const QString &said,
                                                                   const QString &folder) {
        if (model && !said.isEmpty()) {
            if (delivered.outcome == Delivered::Outcome::failed)
                model->fail(said);
            else
                model->setStatus(said);
            if (delivery.notify && model->m_environment.notify)
                model->m_environment.notify(said, folder);
        }
        if (delivery.done)
            delivery.done(delivered);
    };
    if (image.isNull()) {
        finish({Delivered::Outcome::failed, QStringLiteral("the selection is empty")}, {}, {});
        return;
    }
    clearFailure();
    if (delivery.text) {
        // The words of the crop, never of the marks.
        readText(cropped(), [this, finish, delivery](const TextRecognition::Result &result) {
            if (result.cancelled)
                finish({Delivered::Outcome::cancelled, {}}, {}, {});
            else if (!result.error.isEmpty())
                finish({Delivered::Outcome::failed, result.error}, ::tr("status.copyFailed") + u' ' + result.error, {});
            else if (result.lines == 0) {
                // Nothing went wrong, but there is nothing to deliver: a script hears it as a failure.
                setStatus(::tr("status.noText"));
                if (delivery.notify && m_environment.notify)
                    m_environment.notify(::tr("status.noText"), {});
                if (delivery.done)
                    delivery.done({Delivered::Outcome::failed, ::tr("status.noText")});
            }
            else if (delivery.stream) {
                const QString error = delivery.stream((result.text + u'\n').toUtf8());
                finish({error.isEmpty() ? Delivered::Outcome::delivered : Delivered::Outcome::failed, error}, {}, {});
            } else
                finish({}, putTextOnClipboard(result), {});
        });
        return;
    }
    QString copied;
    if (delivery.copy) {
        if (const QString error = copyImage(image); !error.isEmpty()) {
            finish({Delivered::Outcome::failed, error}, ::tr("status.copyFailed") + u' ' + error, {});
            return;
        }
        copied = ::tr("notify.copied").arg(size);
    }
    if (delivery.stream) {
        const QString error = delivery.stream(encodePng(image));
        finish({error.isEmpty() ? Delivered::Outcome::delivered : Delivered::Outcome::failed, error}, {}, {});
        return;
    }
    if (!delivery.save) {
        finish({}, copied, {});
        return;
    }
    saveImage(image, delivery.path, [finish, copied](const Saved &saved) {
        if (saved.cancelled)
            finish({Delivered::Outcome::cancelled, {}}, copied, {});
        else if (!saved.error.isEmpty())
            finish({Delivered::Outcome::failed, saved.error}, ::tr("status.saveFailed") + u' ' + saved.error, {});
        else
            finish({Delivered::Outcome::delivered, saved.path},
                   (copied.isEmpty() ? QString() : copied + QStringLiteral(" \u00B7 "))
                       + formatSavedStatus(::tr("status.saved"), QFileInfo(saved.path).fileName()),
                   QFileInfo(saved.path).absolutePath());
    });
}

QString CaptureModel::setSaveSettings(const SaveSettings &settings)
{
    if (const char *problem = FileNaming::expand(settings.pattern, QDateTime::currentDateTime()).problem)
        return ::tr(problem);
    if (settings == m_saveSettings)
        return {};
    if (!settings.store(m_defaults))
        return ::tr("status.settingsSaveFailed") + QStringLiteral(" (") + m_defaults.lastError() + u')';
    publish(m_saveSettings, settings, &CaptureModel::saveSettingsChanged);
    return {};
}

QString CaptureModel::timestamp(const QDateTime &time)
{
    return QLocale::c().toString(time.toLocalTime(), QStringLiteral("yyyy-MM-dd-HH-mm-ss"));
}

CaptureModel::WriteResult CaptureModel::writeWithoutOverwriting(const QByteArray &bytes, const QString &proposedPath)
{
    const QFileInfo proposed(proposedPath);
    const QByteArray directory = QFile::encodeName(proposed.path());
    const QString extension = proposed.suffix().isEmpty() ? QStringLiteral("png") : proposed.suffix();
    // "a.b.png" keeps "a.b"; a name without extension keeps all of it.
    const QString base = proposed.suffix().isEmpty() ? proposed.fileName() : proposed.completeBaseName();

    // The bytes go into a file without a name, and only a complete file gets one: a crash, a
    // kill or a full disk part-way leaves nothing behind. File systems without unnamed files
    // get a hidden temporary name instead.
    QByteArray hidden;
    int fd = ::open(directory.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        hidden = directory + "/.Pixdrift-XXXXXX";
        fd = ::mkostemp(hidden.data(), O_CLOEXEC);
        if (fd >= 0)
            ::fchmod(fd, 0644);
    }
    if (fd < 0)
        return {{}, errno != 0 ? errno : EIO};
    const FileDescriptor file(fd);
    auto fail = [&hidden](int error) -> WriteResult {
        if (!hidden.isEmpty())
            ::unlink(hidden.constData());
        return {{}, error};
    };
    if (const int error = writeAll(fd, bytes); error != 0)
        return fail(error);
    if (::fsync(fd) != 0)
        return fail(errno);

    // The first free name. link() never replaces a file, not even one made a moment ago by
    // another process; a taken name moves on to the next number.
    const QByteArray source = hidden.isEmpty() ? "/proc/self/fd/" + QByteArray::number(fd) : hidden;
    QString candidate;
    for (qint64 n = 1;; ++n) {
        const QString name = n == 1 ? base + u'.' + extension
                                    : base + u' ' + QString::number(n) + u'.' + extension;
        candidate = proposed.path() + u'/' + name;
        if (::linkat(AT_FDCWD, source.constData(), AT_FDCWD, QFile::encodeName(candidate).constData(),
                     hidden.isEmpty() ? AT_SYMLINK_FOLLOW : 0)
            == 0)
            break;
        if (errno != EEXIST)
            return fail(errno != 0 ? errno : EIO);
    }
    if (!hidden.isEmpty())
        ::unlink(hidden.constData());
    // The new name lasts through a power cut only once the folder is written too.
    if (const int folder = ::open(directory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); folder >= 0) {
        ::fsync(folder);
        ::close(folder);
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
