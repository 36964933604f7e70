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

#include <cmath>

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
    QFile file(m_filePath);
    if (!file.exists()) {
        m_writable = true;
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        logLine("Pixdrift could not read the settings file %@ (%@); settings will not be saved",
                m_filePath, file.errorString());
        return;
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    file.close();
    if (error.error == QJsonParseError::NoError && document.isObject()) {
        m_values = document.object();
        m_writable = true;
        return;
    }

    // Keep the damaged file for the user to inspect or repair, and start afresh beside it.
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    const QString aside = m_filePath + QStringLiteral(".corrupt-") + stamp;
    if (QFile::rename(m_filePath, aside)) {
        logLine("Pixdrift settings file %@ was not a JSON object; moved it to %@ and started with "
                "empty settings",
                m_filePath, aside);
        m_writable = true;
    } else {
        logLine("Pixdrift settings file %@ was not a JSON object and could not be moved aside; "
                "settings will not be saved",
                m_filePath);
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
