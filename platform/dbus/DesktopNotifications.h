#pragma once

#include <QDBusConnection>
#include <QMap>
#include <QObject>
#include <QString>

#include <functional>

// Says on the desktop where a capture went: a notification from the desktop's notification
// server, whose action opens the folder; where no server answers, `fallback` says it (the tray
// icon's message), or nothing does.
class DesktopNotifications : public QObject
{
    Q_OBJECT

public:
    DesktopNotifications(const QDBusConnection &bus, std::function<void(const QString &text)> fallback,
                         std::function<void(const QString &folder)> openFolder, QObject *parent = nullptr);

    // `folder` empty: nothing to open.
    void notify(const QString &text, const QString &folder);

private Q_SLOTS:
    void actionInvoked(uint id, const QString &action);
    void closed(uint id, uint reason);

private:
    QDBusConnection m_bus;
    std::function<void(const QString &)> m_fallback;
    std::function<void(const QString &)> m_openFolder;
    // The folder each notification on screen offers.
    QMap<uint, QString> m_folders;
};
