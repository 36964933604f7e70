#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <memory>
#include <optional>

// The per-user settings store: one JSON object in one file, read once when the store is opened
// and written whole, atomically, on every change. Values keep their JSON type, so a number never
// reads back as a text or the other way round.
class UserDefaults
{
public:
    // A store backed by the file at `filePath`. A file that is not a JSON object is moved aside
    // (never destroyed) and the store starts empty.
    explicit UserDefaults(QString filePath);

    // A store that lives in memory only and is never written anywhere.
    [[nodiscard]] static std::unique_ptr<UserDefaults> inMemory(QJsonObject values = {});

    // "$XDG_CONFIG_HOME/Pixdrift/defaults.json".
    [[nodiscard]] static QString standardPath();
    // The store the program uses, opened at standardPath() on first use.
    [[nodiscard]] static UserDefaults &standard();

    // A value of another type than the one asked for reads as absent.
    [[nodiscard]] std::optional<QString> string(const QString &key) const;
    [[nodiscard]] std::optional<qint64> integer(const QString &key) const;
    [[nodiscard]] QJsonValue value(const QString &key) const;

    // Each setter changes the value in memory and then saves the file. It returns false when the
    // file could not be written; the file on disk and the value in memory then still hold what
    // they held before, and lastError() says why.
    bool setString(const QString &key, const QString &value);
    bool setInteger(const QString &key, qint64 value);
    bool setValue(const QString &key, const QJsonValue &value);
    // Several values in one write: all of them or none.
    bool setValues(const QJsonObject &values);
    [[nodiscard]] QString lastError() const { return m_lastError; }

    [[nodiscard]] QString filePath() const { return m_filePath; }
    // What was wrong with the file when the store was opened (and where it went), for the user;
    // empty when it was sound or absent.
    [[nodiscard]] QString loadProblem() const { return m_loadProblem; }

private:
    UserDefaults() = default;
    void load();
    [[nodiscard]] bool save();

    // Settings are a few hundred bytes; anything much larger is not ours.
    static constexpr qint64 maxFileSize = 1 << 20;

    QString m_filePath;
    QJsonObject m_values;
    // False for a file that could be neither read nor moved aside: writing would destroy what
    // the user had.
    bool m_writable = false;
    QString m_lastError;
    QString m_loadProblem;
};
