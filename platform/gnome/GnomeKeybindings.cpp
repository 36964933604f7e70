#include "platform/gnome/GnomeKeybindings.h"

#include <gio/gio.h>

#include <algorithm>
#include <memory>
#include <set>

namespace {

constexpr const char *mediaKeys = "org.gnome.settings-daemon.plugins.media-keys";
constexpr const char *customSchema = "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding";
constexpr const char *customList = "custom-keybindings";
const QString customFolder = QStringLiteral("/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/");
// The settings where GNOME keeps the keys it uses itself.
constexpr const char *keySchemas[] = {"org.gnome.shell.keybindings", "org.gnome.desktop.wm.keybindings",
                                      "org.gnome.mutter.keybindings", "org.gnome.mutter.wayland.keybindings",
                                      mediaKeys};

// GNOME Shell's own screenshot keys: the screenshot UI, the screen, the window, the screencast.
constexpr const char *shellKeys = "org.gnome.shell.keybindings";
constexpr const char *screenshotKeys[] = {"show-screenshot-ui", "screenshot", "screenshot-window", "show-screen-recording-ui"};

struct ObjectUnref
{
    void operator()(gpointer object) const { g_object_unref(object); }
};
using Settings = std::unique_ptr<GSettings, ObjectUnref>;
struct SchemaUnref
{
    void operator()(GSettingsSchema *schema) const { g_settings_schema_unref(schema); }
};
using Schema = std::unique_ptr<GSettingsSchema, SchemaUnref>;
struct StrvFree
{
    void operator()(gchar **strv) const { g_strfreev(strv); }
};
using Strv = std::unique_ptr<gchar *, StrvFree>;

bool hasSchema(const char *id)
{
    GSettingsSchemaSource *source = g_settings_schema_source_get_default();
    GSettingsSchema *schema = source ? g_settings_schema_source_lookup(source, id, TRUE) : nullptr;
    if (!schema)
        return false;
    g_settings_schema_unref(schema);
    return true;
}

QString pathOf(const QString &id)
{
    return customFolder + id + u'/';
}

QStringList strings(GSettings *settings, const char *key)
{
    QStringList result;
    const Strv values(g_settings_get_strv(settings, key));
    for (gchar **value = values.get(); value && *value; ++value)
        result.append(QString::fromUtf8(*value));
    return result;
}

void setStrings(GSettings *settings, const char *key, const QStringList &values)
{
    QList<QByteArray> bytes;
    for (const QString &value : values)
        bytes.append(value.toUtf8());
    std::vector<const gchar *> pointers;
    for (const QByteArray &b : bytes)
        pointers.push_back(b.constData());
    pointers.push_back(nullptr);
    g_settings_set_strv(settings, key, pointers.data());
}

QString text(GSettings *settings, const char *key)
{
    gchar *value = g_settings_get_string(settings, key);
    const QString result = QString::fromUtf8(value);
    g_free(value);
    return result;
}

Settings customEntry(const QString &path)
{
    return Settings(g_settings_new_with_path(customSchema, path.toUtf8().constData()));
}

// An accelerator as a comparable value: its modifiers as a set of names, then its key, the way
// GTK reads "<Primary><Shift>print" and "<Control><Shift>Print" alike.
QString normalised(const QString &accelerator)
{
    std::set<QString> modifiers;
    QString rest = accelerator.trimmed();
    while (rest.startsWith(u'<')) {
        const qsizetype end = rest.indexOf(u'>');
        if (end < 0)
            break;
        QString modifier = rest.mid(1, end - 1).toLower();
        if (modifier == u"primary" || modifier == u"ctrl" || modifier == u"control")
            modifier = QStringLiteral("control");
        else if (modifier == u"mod1")
            modifier = QStringLiteral("alt");
        else if (modifier == u"mod4")
            modifier = QStringLiteral("super");
        modifiers.insert(modifier);
        rest = rest.mid(end + 1);
    }
    QString result;
    for (const QString &modifier : modifiers)
        result += modifier + u'+';
    return result + rest.toLower();
}

} // namespace

bool GnomeKeybindings::available()
{
    return hasSchema(mediaKeys) && hasSchema(customSchema);
}

QString GnomeKeybindings::holderOf(const QString &accelerator) const
{
    const QString wanted = normalised(accelerator);
    if (wanted.isEmpty() || !available())
        return {};
    for (const char *id : keySchemas) {
        if (!hasSchema(id))
            continue;
        const Settings settings(g_settings_new(id));
        GSettingsSchema *raw = nullptr;
        g_object_get(settings.get(), "settings-schema", &raw, nullptr);
        const Schema schema(raw);
        const Strv keys(g_settings_schema_list_keys(schema.get()));
        for (gchar **key = keys.get(); key && *key; ++key) {
            GSettingsSchemaKey *info = g_settings_schema_get_key(schema.get(), *key);
            const QByteArray type(g_variant_type_peek_string(g_settings_schema_key_get_value_type(info)),
                                  qsizetype(g_variant_type_get_string_length(g_settings_schema_key_get_value_type(info))));
            g_settings_schema_key_unref(info);
            QStringList values;
            if (type == "as")
                values = strings(settings.get(), *key);
            else if (type == "s" && QByteArray(*key) != customList)
                values = {text(settings.get(), *key)};
            for (const QString &value : std::as_const(values))
                if (normalised(value) == wanted)
                    return QString::fromUtf8(*key);
        }
    }
    // Another program's or the user's own custom keybinding.
    const Settings media(g_settings_new(mediaKeys));
    for (const QString &path : strings(media.get(), customList)) {
        if (path.startsWith(customFolder + QStringLiteral("pixdrift-")))
            continue;
        const Settings entry = customEntry(path);
        if (normalised(text(entry.get(), "binding")) == wanted)
            return text(entry.get(), "name");
    }
    return {};
}

QString GnomeKeybindings::set(const QList<Binding> &bindings)
{
    if (!available())
        return QStringLiteral("GNOME's keyboard settings are not installed");
    const Settings media(g_settings_new(mediaKeys));
    QStringList list = strings(media.get(), customList);
    for (const Binding &binding : bindings) {
        const QString path = pathOf(binding.id);
        const Settings entry = customEntry(path);
        g_settings_set_string(entry.get(), "name", binding.name.toUtf8().constData());
        g_settings_set_string(entry.get(), "command", binding.command.toUtf8().constData());
        g_settings_set_string(entry.get(), "binding", binding.accelerator.toUtf8().constData());
        if (!list.contains(path))
            list.append(path);
    }
    setStrings(media.get(), customList, list);
    g_settings_sync();
    return {};
}

QString GnomeKeybindings::remove(const QStringList &ids)
{
    if (!available())
        return QStringLiteral("GNOME's keyboard settings are not installed");
    const Settings media(g_settings_new(mediaKeys));
    QStringList list = strings(media.get(), customList);
    for (const QString &id : ids) {
        const QString path = pathOf(id);
        list.removeAll(path);
        const Settings entry = customEntry(path);
        for (const char *key : {"name", "command", "binding"})
            g_settings_reset(entry.get(), key);
    }
    setStrings(media.get(), customList, list);
    g_settings_sync();
    return {};
}

QList<DesktopKeybindings::Binding> GnomeKeybindings::current(const QStringList &ids) const
{
    QList<Binding> result;
    if (!available())
        return result;
    const Settings media(g_settings_new(mediaKeys));
    const QStringList list = strings(media.get(), customList);
    for (const QString &id : ids) {
        if (!list.contains(pathOf(id)))
            continue;
        const Settings entry = customEntry(pathOf(id));
        result.append({id, text(entry.get(), "name"), text(entry.get(), "command"), text(entry.get(), "binding")});
    }
    return result;
}

namespace {

// The screenshot key of GNOME Shell that holds `accelerator`, or none.
const char *screenshotKeyHolding(GSettings *shell, const QString &accelerator)
{
    const QString wanted = normalised(accelerator);
    for (const char *key : screenshotKeys) {
        for (const QString &value : strings(shell, key)) {
            if (normalised(value) == wanted)
                return key;
        }
    }
    return nullptr;
}

bool hasScreenshotKeys()
{
    return hasSchema(shellKeys);
}

} // namespace

bool GnomeKeybindings::heldByScreenshotTool(const QString &accelerator) const
{
    if (!hasScreenshotKeys())
        return false;
    const Settings shell(g_settings_new(shellKeys));
    return screenshotKeyHolding(shell.get(), accelerator) != nullptr;
}

QString GnomeKeybindings::takeFromScreenshotTool(const QString &accelerator)
{
    if (!hasScreenshotKeys())
        return QStringLiteral("GNOME Shell's keyboard settings are not installed");
    const Settings shell(g_settings_new(shellKeys));
    while (const char *key = screenshotKeyHolding(shell.get(), accelerator)) {
        QStringList values = strings(shell.get(), key);
        const QString wanted = normalised(accelerator);
        values.removeIf([&wanted](const QString &value) { return normalised(value) == wanted; });
        setStrings(shell.get(), key, values);
    }
    g_settings_sync();
    return {};
}

void GnomeKeybindings::giveBackToScreenshotTool()
{
    if (!hasScreenshotKeys())
        return;
    const Settings shell(g_settings_new(shellKeys));
    // Only keys that lost some of their defaults and gained nothing: what we took, not what the
    // user chose.
    for (const char *key : screenshotKeys) {
        GVariant *defaults = g_settings_get_default_value(shell.get(), key);
        if (!defaults)
            continue;
        QStringList original;
        const Strv values(g_variant_dup_strv(defaults, nullptr));
        g_variant_unref(defaults);
        for (gchar **value = values.get(); value && *value; ++value)
            original.append(QString::fromUtf8(*value));
        const QStringList now = strings(shell.get(), key);
        const bool onlyLost = now.size() < original.size()
                              && std::all_of(now.begin(), now.end(), [&original](const QString &v) { return original.contains(v); });
        if (onlyLost)
            g_settings_reset(shell.get(), key);
    }
    g_settings_sync();
}
