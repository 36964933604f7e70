#include "platform/kde/KGlobalAccelHotKeys.h"

#include "platform/LogLine.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusReply>

#include <array>
#include <utility>

namespace {

const QString service = QStringLiteral("org.kde.kglobalaccel");
const QString path = QStringLiteral("/kglobalaccel");
const QString interfaceName = QStringLiteral("org.kde.KGlobalAccel");
const QString componentInterface = QStringLiteral("org.kde.kglobalaccel.Component");

// setShortcut's flags: the action is live; the keys given win over the stored ones.
constexpr std::uint32_t setPresent = 2;
constexpr std::uint32_t noAutoloading = 4;
constexpr int callTimeoutMs = 5000;

// (shortcut key code, Qt key) for every key of the shortcut table, as a US keyboard types it.
constexpr std::array<std::pair<std::uint16_t, int>, 52> qtKeys = {{
    {0x00, Qt::Key_A}, {0x01, Qt::Key_S}, {0x02, Qt::Key_D}, {0x03, Qt::Key_F}, {0x04, Qt::Key_H},
    {0x05, Qt::Key_G}, {0x06, Qt::Key_Z}, {0x07, Qt::Key_X}, {0x08, Qt::Key_C}, {0x09, Qt::Key_V},
    {0x0B, Qt::Key_B}, {0x0C, Qt::Key_Q}, {0x0D, Qt::Key_W}, {0x0E, Qt::Key_E}, {0x0F, Qt::Key_R},
    {0x10, Qt::Key_Y}, {0x11, Qt::Key_T}, {0x12, Qt::Key_1}, {0x13, Qt::Key_2}, {0x14, Qt::Key_3},
    {0x15, Qt::Key_4}, {0x16, Qt::Key_6}, {0x17, Qt::Key_5}, {0x18, Qt::Key_Equal}, {0x19, Qt::Key_9},
    {0x1A, Qt::Key_7}, {0x1B, Qt::Key_Minus}, {0x1C, Qt::Key_8}, {0x1D, Qt::Key_0}, {0x1F, Qt::Key_O},
    {0x20, Qt::Key_U}, {0x22, Qt::Key_I}, {0x23, Qt::Key_P}, {0x25, Qt::Key_L}, {0x26, Qt::Key_J},
    {0x28, Qt::Key_K}, {0x2D, Qt::Key_N}, {0x2E, Qt::Key_M}, {0x31, Qt::Key_Space},
    {0x7A, Qt::Key_F1}, {0x78, Qt::Key_F2}, {0x63, Qt::Key_F3}, {0x76, Qt::Key_F4}, {0x60, Qt::Key_F5},
    {0x61, Qt::Key_F6}, {0x62, Qt::Key_F7}, {0x64, Qt::Key_F8}, {0x65, Qt::Key_F9}, {0x6D, Qt::Key_F10},
    {0x67, Qt::Key_F11}, {0x6F, Qt::Key_F12}, {0x69, Qt::Key_Print},
}};

constexpr std::array<std::pair<std::uint32_t, int>, 4> qtModifiers = {{
    {ShortcutMask::control, Qt::ControlModifier},
    {ShortcutMask::option, Qt::AltModifier},
    {ShortcutMask::shift, Qt::ShiftModifier},
    {ShortcutMask::command, Qt::MetaModifier},
}};

} // namespace

KGlobalAccelHotKeys::KGlobalAccelHotKeys(const QDBusConnection &bus, QList<Action> actions, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
    , m_actions(std::move(actions))
{
    // System Settings' changes to any component's keys: keys as key sequences since KDE
    // Frameworks 5.90, as plain key codes before.
    for (const QString &signal : {QStringLiteral("yourShortcutsChanged"), QStringLiteral("yourShortcutGotChanged")})
        m_bus.connect(service, path, interfaceName, signal, this, SLOT(changed(QDBusMessage)));
}

KGlobalAccelHotKeys::~KGlobalAccelHotKeys()
{
    // The keys stay ours in System Settings while we are away, but they no longer reach us.
    for (const auto &[ref, registration] : m_registrations) {
        QDBusMessage call = QDBusMessage::createMethodCall(service, path, interfaceName, QStringLiteral("setInactive"));
        call << actionId(registration.id.number);
        m_bus.call(call, QDBus::NoBlock);
    }
}

bool KGlobalAccelHotKeys::available(const QDBusConnection &bus)
{
    return bus.isConnected() && bus.interface()->isServiceRegistered(service).value();
}

std::optional<int> KGlobalAccelHotKeys::qtKeyFor(std::uint32_t keyCode, std::uint32_t modifiers)
{
    for (const auto &[code, key] : qtKeys) {
        if (code != keyCode)
            continue;
        int combination = key;
        for (const auto &[mask, modifier] : qtModifiers) {
            if (modifiers & mask)
                combination |= modifier;
        }
        return combination;
    }
    return std::nullopt;
}

std::optional<std::pair<std::uint32_t, std::uint32_t>> KGlobalAccelHotKeys::fromQtKey(int key)
{
    std::uint32_t modifiers = 0;
    for (const auto &[mask, modifier] : qtModifiers) {
        if (key & modifier)
            modifiers |= mask;
    }
    const int bare = key & ~int(Qt::KeyboardModifierMask);
    for (const auto &[code, qtKey] : qtKeys) {
        if (qtKey == bare)
            return std::pair{std::uint32_t(code), modifiers};
    }
    return std::nullopt;
}

QStringList KGlobalAccelHotKeys::actionId(std::uint32_t number) const
{
    const Action action = number >= 1 && number <= std::uint32_t(m_actions.size())
                              ? m_actions[qsizetype(number - 1)]
                              : Action{QStringLiteral("hotkey-%1").arg(number), QStringLiteral("Hot key %1").arg(number)};
    return {componentUnique, action.unique, QStringLiteral("Pixdrift"), action.friendly};
}

std::optional<QList<int>> KGlobalAccelHotKeys::setShortcut(const QStringList &id, const QList<int> &keys,
                                                           std::uint32_t flags)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interfaceName, QStringLiteral("setShortcut"));
    call << id << QVariant::fromValue(keys) << flags;
    const QDBusReply<QList<int>> reply = m_bus.call(call, QDBus::Block, callTimeoutMs);
    if (!reply.isValid()) {
        logLine("Pixdrift could not set a key in KGlobalAccel: %@", reply.error().message());
        return std::nullopt;
    }
    return reply.value();
}

std::int32_t KGlobalAccelHotKeys::installEventHandler(HotKeyHandler handler)
{
    if (!available(m_bus))
        return HotKeyStatus::internalError;
    m_handler = handler;
    return HotKeyStatus::noError;
}

std::int32_t KGlobalAccelHotKeys::registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers, HotKeyId id,
                                                 HotKeyRef *ref)
{
    const std::optional<int> key = qtKeyFor(keyCode, modifiers);
    if (!key)
        return HotKeyStatus::hotKeyInvalid;
    qDBusRegisterMetaType<QList<int>>();
    const QStringList action = actionId(id.number);
    QDBusMessage doRegister = QDBusMessage::createMethodCall(service, path, interfaceName, QStringLiteral("doRegister"));
    doRegister << action;
    if (m_bus.call(doRegister, QDBus::Block, callTimeoutMs).type() == QDBusMessage::ErrorMessage)
        return HotKeyStatus::internalError;

    if (!m_listening) {
        const QDBusReply<QDBusObjectPath> component =
            m_bus.call(QDBusMessage::createMethodCall(service, path, interfaceName, QStringLiteral("getComponent"))
                       << componentUnique);
        m_listening = component.isValid()
                      && m_bus.connect(service, component.value().path(), componentInterface,
                                       QStringLiteral("globalShortcutPressed"), this,
                                       SLOT(pressed(QString, QString, qlonglong)));
        if (!m_listening)
            return HotKeyStatus::internalError;
    }

    // At start the keys kept in System Settings win: the user may have changed them there while
    // we were away. After that, a registration is the user's new choice in our own settings.
    std::optional<QList<int>> keys;
    if (!m_loaded.contains(id.number)) {
        m_loaded.append(id.number);
        keys = setShortcut(action, {*key}, setPresent);
        if (!keys)
            return HotKeyStatus::internalError;
        const int stored = keys->value(0);
        if (stored != 0 && stored != *key) {
            if (const auto combination = fromQtKey(stored); combination && onChangedElsewhere) {
                logLine("Pixdrift takes the keys System Settings keep for %@", action[1]);
                onChangedElsewhere(id, combination->first, combination->second);
                m_registrations[HotKeyRef(id.number)] = {id, stored};
                *ref = HotKeyRef(id.number);
                return HotKeyStatus::noError;
            }
        }
    }
    if (!keys || !keys->contains(*key))
        keys = setShortcut(action, {*key}, setPresent | noAutoloading);
    if (!keys)
        return HotKeyStatus::internalError;
    // KGlobalAccel leaves out a key that another program's action holds.
    if (!keys->contains(*key))
        return HotKeyStatus::hotKeyExists;
    m_registrations[HotKeyRef(id.number)] = {id, *key};
    *ref = HotKeyRef(id.number);
    return HotKeyStatus::noError;
}

std::int32_t KGlobalAccelHotKeys::unregisterHotKey(HotKeyRef ref)
{
    const auto found = m_registrations.find(ref);
    if (found == m_registrations.end())
        return HotKeyStatus::parameterNotFound;
    // The keys are given up, so that the other hot key may take them next.
    const QStringList action = actionId(found->second.id.number);
    m_registrations.erase(found);
    return setShortcut(action, {}, noAutoloading) ? HotKeyStatus::noError : HotKeyStatus::internalError;
}

void KGlobalAccelHotKeys::pressed(const QString &component, const QString &action, qlonglong)
{
    if (component != componentUnique || !m_handler)
        return;
    for (const auto &[ref, registration] : m_registrations) {
        if (actionId(registration.id.number).at(1) == action) {
            m_handler(HotKeyEvent{registration.id});
            return;
        }
    }
}

void KGlobalAccelHotKeys::changed(const QDBusMessage &message)
{
    const QList<QVariant> arguments = message.arguments();
    const QStringList id = arguments.value(0).toStringList();
    if (id.size() < 2 || id[0] != componentUnique || arguments.size() < 2)
        return;
    // The first key: "ai" holds it whole, "a(ai)" as the first of a sequence's four. Anything
    // else is no key.
    int key = 0;
    const auto keys = arguments[1].value<QDBusArgument>();
    auto readKey = [&keys, &key] {
        if (keys.currentSignature() == u"i")
            keys >> key;
    };
    // Every level begun is ended: each holds a reader of its own.
    if (keys.currentType() == QDBusArgument::ArrayType) {
        keys.beginArray();
        if (!keys.atEnd() && keys.currentType() == QDBusArgument::StructureType) {
            keys.beginStructure();
            if (keys.currentType() == QDBusArgument::ArrayType) {
                keys.beginArray();
                if (!keys.atEnd())
                    readKey();
                keys.endArray();
            }
            keys.endStructure();
        } else if (!keys.atEnd()) {
            readKey();
        }
        keys.endArray();
    }
    for (auto &[ref, registration] : m_registrations) {
        if (actionId(registration.id.number).at(1) != id[1] || key == registration.key)
            continue;
        registration.key = key;
        const auto combination = fromQtKey(key);
        if (!combination) {
            logLine("Pixdrift cannot show the key System Settings gave %@", id[1]);
            return;
        }
        if (onChangedElsewhere)
            onChangedElsewhere(registration.id, combination->first, combination->second);
        return;
    }
}
