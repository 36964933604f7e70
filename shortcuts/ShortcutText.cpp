#include "shortcuts/ShortcutText.h"

#include <QStringList>

#include <array>

namespace {

constexpr std::array<KeyTableEntry, 39> mainKeyTable = {{
    {"a", 0x00}, {"s", 0x01}, {"d", 0x02}, {"f", 0x03}, {"h", 0x04}, {"g", 0x05},
    {"z", 0x06}, {"x", 0x07}, {"c", 0x08}, {"v", 0x09}, {"b", 0x0B}, {"q", 0x0C},
    {"w", 0x0D}, {"e", 0x0E}, {"r", 0x0F}, {"y", 0x10}, {"t", 0x11}, {"1", 0x12},
    {"2", 0x13}, {"3", 0x14}, {"4", 0x15}, {"6", 0x16}, {"5", 0x17}, {"=", 0x18},
    {"9", 0x19}, {"7", 0x1A}, {"-", 0x1B}, {"8", 0x1C}, {"0", 0x1D}, {"o", 0x1F},
    {"u", 0x20}, {"i", 0x22}, {"p", 0x23}, {"l", 0x25}, {"j", 0x26}, {"k", 0x28},
    {"n", 0x2D}, {"m", 0x2E}, {"space", 0x31},
}};

constexpr std::array<KeyTableEntry, 12> functionKeyTable = {{
    {"f1", 0x7A}, {"f2", 0x78}, {"f3", 0x63}, {"f4", 0x76}, {"f5", 0x60}, {"f6", 0x61},
    {"f7", 0x62}, {"f8", 0x64}, {"f9", 0x65}, {"f10", 0x6D}, {"f11", 0x67}, {"f12", 0x6F},
}};

// Print, the screenshot key of PC keyboards, at the place of F13 on Apple's extended keyboards
// (which have no Print key).
constexpr std::array<KeyTableEntry, 1> otherKeyTable = {{{"print", 0x69}}};

std::optional<std::uint16_t> lookUp(std::span<const KeyTableEntry> table, const QString &name)
{
    for (const KeyTableEntry &entry : table) {
        if (name == QLatin1String(entry.name))
            return entry.code;
    }
    return std::nullopt;
}

} // namespace

std::span<const KeyTableEntry> mainKeys()
{
    return mainKeyTable;
}

std::span<const KeyTableEntry> functionKeys()
{
    return functionKeyTable;
}

std::span<const KeyTableEntry> otherKeys()
{
    return otherKeyTable;
}

std::optional<std::uint32_t> modifierMaskForWord(const QString &word)
{
    if (word == u"control" || word == u"ctrl")
        return ShortcutMask::control;
    if (word == u"option" || word == u"alt")
        return ShortcutMask::option;
    if (word == u"shift")
        return ShortcutMask::shift;
    if (word == u"command" || word == u"cmd" || word == u"meta")
        return ShortcutMask::command;
    return std::nullopt;
}

std::optional<std::uint32_t> keyCodeForName(const QString &name)
{
    if (auto code = lookUp(mainKeyTable, name))
        return *code;
    if (auto code = lookUp(functionKeyTable, name))
        return *code;
    if (auto code = lookUp(otherKeyTable, name))
        return *code;
    return std::nullopt;
}

std::optional<QString> keyNameForCode(std::uint16_t code)
{
    for (auto table : {std::span<const KeyTableEntry>(mainKeyTable), std::span<const KeyTableEntry>(functionKeyTable),
                       std::span<const KeyTableEntry>(otherKeyTable)}) {
        for (const KeyTableEntry &entry : table) {
            if (entry.code == code)
                return QString::fromLatin1(entry.name);
        }
    }
    return std::nullopt;
}

QString shortcutFor(std::uint16_t keyCode, std::uint32_t modifiers)
{
    const std::optional<QString> key = keyNameForCode(keyCode);
    if (!key)
        return {};
    QStringList words;
    for (const char *word : {"control", "option", "shift", "command"}) {
        if (modifiers & *modifierMaskForWord(QLatin1String(word)))
            words << QLatin1String(word);
    }
    words << *key;
    return words.join(u'+');
}

namespace {

// The modifiers in the order Linux desktops name them, whatever order they were stored in, under
// the names given, then the key as `keyName` writes it, joined by `separator`.
QString joinedShortcut(const QString &shortcut, const std::array<const char *, 4> &modifierNames,
                       QString (*keyName)(const QString &), const QString &separator = QStringLiteral("+"))
{
    const QStringList pieces = shortcut.split(u'+', Qt::SkipEmptyParts);
    if (pieces.isEmpty())
        return shortcut;
    std::uint32_t masks = 0;
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i)
        masks |= modifierMaskForWord(pieces[i]).value_or(0);
    QStringList names;
    const std::array<std::uint32_t, 4> order{ShortcutMask::control, ShortcutMask::option, ShortcutMask::shift,
                                             ShortcutMask::command};
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (masks & order[i])
            names.append(QString::fromLatin1(modifierNames[i]));
    }
    names.append(keyName(pieces.last()));
    return names.join(separator);
}

// The key as its X keysym is named, the form desktops take keys in: "a", "4", "space", "equal",
// "F5", "Print".
QString keysymName(const QString &key)
{
    if (key == u"=")
        return QStringLiteral("equal");
    if (key == u"-")
        return QStringLiteral("minus");
    if (key == u"print")
        return QStringLiteral("Print");
    return key.size() > 1 && key.startsWith(u'f') ? key.toUpper() : key.toLower();
}

} // namespace

QString prettyShortcut(const QString &shortcut)
{
    return joinedShortcut(shortcut, {"Ctrl", "Alt", "Shift", "Super"}, [](const QString &key) {
        if (key == u"space" || key == u"print")
            return key.left(1).toUpper() + key.mid(1);
        return key.toUpper();
    });
}

QString portalTrigger(const QString &shortcut)
{
    return joinedShortcut(shortcut, {"CTRL", "ALT", "SHIFT", "LOGO"}, keysymName);
}

QString gnomeAccelerator(const QString &shortcut)
{
    return joinedShortcut(shortcut, {"<Control>", "<Alt>", "<Shift>", "<Super>"}, keysymName, QString());
}
