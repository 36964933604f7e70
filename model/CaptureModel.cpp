#include "model/CaptureModel.h"
#include "model/ScrollCapture.h"

#include "text/tr.h"
#include "platform/UserDefaults.h"
#include "platform/LogLine.h"
#include "platform/ScreenCaptureService.h"
#include "shortcuts/GlobalShortcuts.h"

#include <QJsonObject>

#include <algorithm>

namespace {

// Where each action's shortcut is stored.
const std::array<QString, hotKeyActionCount> shortcutKeys{
    QStringLiteral("pd.areaShortcut"), QStringLiteral("pd.fullShortcut"), QStringLiteral("pd.windowShortcut")};
const QString defaultsVersionKey = QStringLiteral("pd.shortcutDefaultsVersion");
const QString includeMarksKey = QStringLiteral("pd.includeMarks");

// Raised whenever the built-in shortcuts change, so that every user gets the new ones once.
constexpr qint64 shortcutDefaultsVersion = 3;


} // namespace

ShortcutSet CaptureModel::storedShortcuts(const UserDefaults &defaults)
{
    ShortcutSet shortcuts;
    for (std::size_t slot = 0; slot < shortcuts.size(); ++slot)
        shortcuts[slot] = defaults.string(shortcutKeys[slot]).value_or(defaultShortcuts[slot]);
    return shortcuts;
}

CaptureModel::CaptureModel(QObject *parent)
    : CaptureModel(UserDefaults::standard(), parent)
{
}

CaptureModel::CaptureModel(UserDefaults &defaults, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_status(::tr("status.ready"))
    , m_crop(0, 0, 0, 0)
    , m_tool(QStringLiteral("tool.arrow"))
    , m_shortcuts(storedShortcuts(defaults))
{
    forgetEdits();
    m_includeMarks = defaults.integer(includeMarksKey).value_or(0) == 1;
    m_saveSettings = SaveSettings::load(defaults);
    s_shared = this;
    migrateShortcutDefaults();
    if (const QString problem = defaults.loadProblem(); !problem.isEmpty())
        setFailure(::tr("status.settingsDamaged") + QStringLiteral(" (") + problem + u')');
}

void CaptureModel::migrateShortcutDefaults()
{
    if (m_defaults.integer(defaultsVersionKey).value_or(0) >= shortcutDefaultsVersion)
        return;
    for (std::size_t slot = 0; slot < shortcutKeys.size(); ++slot)
        m_defaults.setString(shortcutKeys[slot], defaultShortcuts[slot]);
    m_defaults.setInteger(defaultsVersionKey, shortcutDefaultsVersion);
    publish(m_shortcuts, defaultShortcuts, &CaptureModel::shortcutsChanged);
}

void CaptureModel::setImage(const QImage &image) { publish(m_image, image, &CaptureModel::imageChanged); }
void CaptureModel::setStatus(const QString &status) { publish(m_status, status, &CaptureModel::statusChanged); }
void CaptureModel::setFailure(const QString &failure, Remedy remedy)
{
    m_remedy = std::move(remedy);
    // The same text with another remedy is news too.
    if (failure == m_failure && !failure.isEmpty())
        Q_EMIT failureChanged();
    publish(m_failure, failure, &CaptureModel::failureChanged);
}
void CaptureModel::setCrop(const QRectF &crop) { publish(m_crop, crop, &CaptureModel::cropChanged); }
void CaptureModel::setFull(bool full) { publish(m_full, full, &CaptureModel::fullChanged); }
void CaptureModel::setTool(const QString &tool) { publish(m_tool, tool, &CaptureModel::toolChanged); }
void CaptureModel::setMarks(const QList<Mark> &marks) { publish(m_marks, marks, &CaptureModel::marksChanged); }

void CaptureModel::setShortcut(HotKeyAction action, const QString &shortcut)
{
    ShortcutSet shortcuts = m_shortcuts;
    shortcuts[indexOf(action)] = shortcut;
    publish(m_shortcuts, shortcuts, &CaptureModel::shortcutsChanged);
}

void CaptureModel::fail(const QString &text)
{
    logLine("Pixdrift: %@", text);
    setStatus(text);
    setFailure(text);
}

void CaptureModel::clearFailure()
{
    if (!m_failure.isEmpty())
        setFailure({});
}

void CaptureModel::saveShortcuts(bool takeOver)
{
    clearFailure();
    // Every shortcut a key, and no key for two actions.
    QList<ParsedShortcut> keys;
    for (const QString &shortcut : m_shortcuts) {
        const std::optional<ParsedShortcut> parsed = GlobalShortcuts::parse(shortcut);
        if (!parsed || keys.contains(*parsed)) {
            setStatus(::tr("status.shortcutInvalid"));
            return;
        }
        keys.append(*parsed);
    }

    QJsonObject values;
    for (std::size_t slot = 0; slot < shortcutKeys.size(); ++slot)
        values.insert(shortcutKeys[slot], m_shortcuts[slot]);
    if (!m_defaults.setValues(values)) {
        // The keys in force stay in force, and the fields show them again.
        const QString reason = m_defaults.lastError();
        publish(m_shortcuts, storedShortcuts(m_defaults), &CaptureModel::shortcutsChanged);
        fail(::tr("status.shortcutSaveFailed") + QStringLiteral(" (") + reason + u')');
        return;
    }

    // Where the desktop keeps the keys in its settings, Save writes them there.
    if (GlobalShortcuts::desktopKeybindings()) {
        setStatus(GlobalShortcuts::bindInDesktop(m_shortcuts, takeOver));
        return;
    }
    const bool installed = GlobalShortcuts::install(m_shortcuts);
    setStatus(GlobalShortcuts::outcomeText(installed, "status.shortcutSaved", "status.shortcutConflict", m_shortcuts));
}

void CaptureModel::adoptDesktopShortcut(HotKeyAction action, const QString &shortcut)
{
    if (!GlobalShortcuts::parse(shortcut))
        return;
    setShortcut(action, shortcut);
    if (!m_defaults.setString(shortcutKeys[indexOf(action)], shortcut)) {
        fail(::tr("status.shortcutSaveFailed") + QStringLiteral(" (") + m_defaults.lastError() + u')');
        return;
    }
    setStatus(GlobalShortcuts::outcomeText(true, "status.shortcutSaved", "status.shortcutConflict", m_shortcuts));
}

void CaptureModel::setIncludeMarks(bool include)
{
    if (include == m_includeMarks)
        return;
    publish(m_includeMarks, include, &CaptureModel::includeMarksChanged);
    m_defaults.setInteger(includeMarksKey, include ? 1 : 0);
}

void CaptureModel::takeAfter(bool full, int seconds)
{
    cancelDelay();
    if (seconds <= 0) {
        take(full);
        return;
    }
    if (!m_delay) {
        m_delay = new QTimer(this);
        m_delay->setInterval(1000);
        connect(m_delay, &QTimer::timeout, this, [this] {
            if (--m_delayLeft > 0) {
                setStatus(::tr("status.countdown").replace(QStringLiteral("%@"), QString::number(m_delayLeft)));
                Q_EMIT delayChanged();
                return;
            }
            m_delay->stop();
            Q_EMIT delayChanged();
            take(m_delayFull);
        });
    }
    m_delayFull = full;
    m_delayLeft = seconds;
    setStatus(::tr("status.countdown").replace(QStringLiteral("%@"), QString::number(m_delayLeft)));
    m_delay->start();
    Q_EMIT delayChanged();
}

void CaptureModel::cancelDelay()
{
    if (m_delayLeft == 0)
        return;
    m_delayLeft = 0;
    m_delay->stop();
    setStatus(::tr("status.ready"));
    Q_EMIT delayChanged();
}

void CaptureModel::takeScreen(const QString &name, const std::optional<Delivery> &delivery)
{
    start({CaptureRequest::Kind::Full, name, {}, delivery});
}

void CaptureModel::takeLast(const std::optional<Delivery> &delivery)
{
    // "x,y,width,height,screen name"
    const QStringList parts = m_defaults.string(lastAreaKey).value_or(QString()).split(u',');
    QList<int> numbers;
    for (qsizetype i = 0; i < 4 && parts.size() >= 5; ++i) {
        bool ok = false;
        numbers.append(parts[i].toInt(&ok));
        if (!ok)
            numbers.clear();
    }
    const QString screen = parts.mid(4).join(u',');
    const QList<CaptureScreen> screens = m_environment.screenCapture ? m_environment.screenCapture->screens()
                                                                     : QList<CaptureScreen>();
    const bool there = std::any_of(screens.begin(), screens.end(), [&screen](const CaptureScreen &s) { return s.name == screen; });
    if (numbers.size() != 4 || numbers[2] <= 0 || numbers[3] <= 0 || !there) {
        take(false, delivery);
        return;
    }
    start({CaptureRequest::Kind::Last, screen, QRect(numbers[0], numbers[1], numbers[2], numbers[3]), delivery});
}

void CaptureModel::rememberArea(const QString &screen, const QRect &rect)
{
    if (screen.isEmpty() || rect.isEmpty())
        return;
    (void)m_defaults.setString(lastAreaKey, QStringLiteral("%1,%2,%3,%4,%5")
                                                .arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height()).arg(screen));
}

void CaptureModel::takeWindow(const std::optional<Delivery> &delivery)
{
    // A script hears why there is nothing; the window says it on its status line.
    auto refuse = [this, &delivery](const QString &text) {
        if (delivery && delivery->done)
            delivery->done({Delivered::Outcome::failed, text});
        else
            fail(text);
    };
    if (!m_environment.activeWindow) {
        // The compositor may still capture the window itself, where it tells nobody where it is.
        if (m_environment.screenCapture && m_environment.screenCapture->capturesActiveWindow())
            start({CaptureRequest::Kind::Window, {}, {}, delivery});
        else
            refuse(::tr("status.noWindowList"));
        return;
    }
    const std::optional<QRect> frame = m_environment.activeWindow();
    const QList<CaptureScreen> screens = m_environment.screenCapture ? m_environment.screenCapture->screens()
                                                                     : QList<CaptureScreen>();
    // The screen that shows most of it.
    const CaptureScreen *best = nullptr;
    qint64 shown = 0;
    for (const CaptureScreen &screen : screens) {
        const QRect part = frame ? (*frame & screen.pixelRect) : QRect();
        if (qint64(part.width()) * part.height() > shown) {
            shown = qint64(part.width()) * part.height();
            best = &screen;
        }
    }
    if (!best) {
        refuse(::tr("status.noWindow"));
        return;
    }
    const QRect rect = (*frame & best->pixelRect).translated(-best->pixelRect.topLeft());
    rememberArea(best->name, rect);
    start({CaptureRequest::Kind::Last, best->name, rect, delivery});
}
