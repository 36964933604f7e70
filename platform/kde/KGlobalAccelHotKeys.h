#pragma once

#include "platform/HotKeyService.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>

// Hot keys on KDE Plasma, X11 and Wayland alike: KGlobalAccel (served by kglobalaccel5 or by
// KWin itself) holds the keys for the program's actions, shows them in System Settings and says
// when one is pressed. A key another program's action holds is refused like any taken key, and
// a change the user makes in System Settings comes back through onChangedElsewhere.
class KGlobalAccelHotKeys : public QObject, public HotKeyService
{
    Q_OBJECT

public:
    // An action as System Settings lists it: hot key number n is actions[n - 1].
    struct Action
    {
        QString unique;
        QString friendly;
    };

    KGlobalAccelHotKeys(const QDBusConnection &bus, QList<Action> actions, QObject *parent = nullptr);
    ~KGlobalAccelHotKeys() override;

    // Whether KGlobalAccel answers on the bus.
    [[nodiscard]] static bool available(const QDBusConnection &bus);

    static inline const QString componentUnique = QStringLiteral("app.pixdrift.Pixdrift");

    std::int32_t installEventHandler(HotKeyHandler handler) override;
    std::int32_t registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers, HotKeyId id, HotKeyRef *ref) override;
    std::int32_t unregisterHotKey(HotKeyRef ref) override;

    // A combination as KGlobalAccel keeps it (Qt's key code with its modifier bits), and back.
    [[nodiscard]] static std::optional<int> qtKeyFor(std::uint32_t keyCode, std::uint32_t modifiers);
    [[nodiscard]] static std::optional<std::pair<std::uint32_t, std::uint32_t>> fromQtKey(int key);

private Q_SLOTS:
    void pressed(const QString &component, const QString &action, qlonglong timestamp);
    void changed(const QDBusMessage &message);

private:
    struct Registration
    {
        HotKeyId id;
        int key = 0;
    };

    [[nodiscard]] QStringList actionId(std::uint32_t number) const;
    [[nodiscard]] std::optional<QList<int>> setShortcut(const QStringList &actionId, const QList<int> &keys,
                                                        std::uint32_t flags);

    QDBusConnection m_bus;
    QList<Action> m_actions;
    HotKeyHandler m_handler = nullptr;
    bool m_listening = false;
    // Numbers whose stored keys were read once: later registrations are the user's new choice.
    QList<std::uint32_t> m_loaded;
    std::map<HotKeyRef, Registration> m_registrations;
};
