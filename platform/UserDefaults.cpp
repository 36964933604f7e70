#include "platform/UserDefaults.h"

#include "platform/LogLine.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

UserDefaults::UserDefaults(QString filePath)
    : m_filePath(std::move(filePath))
{
    load();
}

std::unique_ptr<UserDefaults> UserDefaults::inMemory(QJsonObject values)
{
    std::unique_ptr<UserDefaults> store(new UserDefaults);
    store->m_values = std::move(values);
    return store;
}

QString UserDefaults::standardPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/Pixdrift/defaults.json");
}

UserDefaults &UserDefaults::standard()
{
    static UserDefaults store(standardPath());
    return store;
}

std::optional<QString> UserDefaults::string(const QString &key) const
{
    const QJsonValue v = m_values.value(key);
    if (!v.isString())
        return std::nullopt;
    return v.toString();
}

std::optional<qint64> UserDefaults::integer(const QString &key) const
{
    const QJsonValue v = m_values.value(key);
    if (!v.isDouble())
        return std::nullopt;
    const double number = v.toDouble();
    // JSON keeps every number as a double; only a whole number in qint64's range is an integer.
    if (!std::isfinite(number) || number != std::trunc(number) || std::fabs(number) > 9.0e18)
        return std::nullopt;
    return static_cast<qint64>(number);
}

QJsonValue UserDefaults::value(const QString &key) const
{
    return m_values.value(key);
}

bool UserDefaults::setString(const QString &key, const QString &value)
{
    return setValue(key, QJsonValue(value));
}

bool UserDefaults::setInteger(const QString &key, qint64 value)
{
    return setValue(key, QJsonValue(value));
}

bool UserDefaults::setValue(const QString &key, const QJsonValue &value)
{
    return setValues(QJsonObject{{key, value}});
}

bool UserDefaults::setValues(const QJsonObject &values)
{
    const QJsonObject before = m_values;
    for (auto it = values.begin(); it != values.end(); ++it)
        m_values.insert(it.key(), it.value());
    if (save())
        return true;
    m_values = before;
    return false;
}

void UserDefaults::load()
{
    // Only a regular file of a sensible size is read: a FIFO would block start-up for ever, and
    // a link to a device could feed bytes without end.
    const int fd = ::open(QFile::encodeName(m_filePath).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) {
            m_writable = true;
            return;
        }
        const QString reason = qt_error_string(errno);
        logLine("Pixdrift could not read the settings file %@ (%@); settings will not be saved", m_filePath, reason);
        m_loadProblem = m_filePath + QStringLiteral(" could not be read (") + reason
                        + QStringLiteral("), so settings will not be saved");
        return;
    }
    QString problem;
    QByteArray content;
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        problem = QStringLiteral("is not a regular file");
    } else if (info.st_size > maxFileSize) {
        problem = QStringLiteral("is larger than 1 MiB");
    } else {
        content.resize(qsizetype(info.st_size));
        qsizetype done = 0;
        while (done < content.size()) {
            const ssize_t n = ::read(fd, content.data() + done, std::size_t(content.size() - done));
            if (n > 0)
                done += n;
            else if (n < 0 && errno == EINTR)
                continue;
            else
                break;
        }
        content.truncate(done);
    }
    ::close(fd);

    if (problem.isEmpty()) {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(content, &error);
        if (error.error == QJsonParseError::NoError && document.isObject()) {
            m_values = document.object();
            m_writable = true;
            return;
        }
        problem = QStringLiteral("was not a JSON object");
    }

    // Keep what was there for the user to inspect or repair, and start afresh beside it.
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    const QString aside = m_filePath + QStringLiteral(".corrupt-") + stamp;
    if (QFile::rename(m_filePath, aside)) {
        logLine("Pixdrift settings file %@ %@; moved it to %@ and started with empty settings", m_filePath, problem,
                aside);
        m_loadProblem = m_filePath + u' ' + problem + QStringLiteral("; it was kept as ") + aside;
        m_writable = true;
    } else {
        logLine("Pixdrift settings file %@ %@ and could not be moved aside; settings will not be saved", m_filePath,
                problem);
        m_loadProblem = m_filePath + u' ' + problem + QStringLiteral("; it could not be moved aside, so settings "
                                                                      "will not be saved");
    }
}

bool UserDefaults::save()
{
    m_lastError.clear();
    if (m_filePath.isEmpty())
        return true;
    if (!m_writable) {
        m_lastError = QStringLiteral("the settings file could not be read, so it is left as it is");
        return false;
    }
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    QSaveFile file(m_filePath);
    const QByteArray bytes = QJsonDocument(m_values).toJson(QJsonDocument::Indented);
    // Unbuffered, because a buffered QFile flush can lose a short write without reporting it,
    // and commit() would then replace the old file with a truncated one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        m_lastError = file.errorString();
    } else if (const qint64 written = file.write(bytes); written != bytes.size()) {
        m_lastError = written < 0 ? file.errorString()
                                  : QStringLiteral("only %1 of %2 bytes were written").arg(written).arg(bytes.size());
    } else if (!file.commit()) {
        m_lastError = file.errorString();
    }
    if (m_lastError.isEmpty())
        return true;
    logLine("Pixdrift could not save the settings file %@: %@", m_filePath, m_lastError);
    return false;
}
