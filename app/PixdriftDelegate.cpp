#include "app/PixdriftDelegate.h"

#include "text/tr.h"
#include "model/CaptureModel.h"
#include "platform/ApplicationWindows.h"
#include "platform/LogLine.h"
#include "platform/UserDefaults.h"
#include "shortcuts/GlobalShortcuts.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>

QIcon appIcon()
{
    return QIcon::fromTheme(QStringLiteral("pixdrift"), QIcon(QStringLiteral(":/icons/viewfinder.svg")));
}

PixdriftDelegate::PixdriftDelegate(UserDefaults &defaults, ApplicationWindows *windows, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_windows(windows)
{
}

PixdriftDelegate::~PixdriftDelegate() = default;

void PixdriftDelegate::applicationDidFinishLaunching()
{
    const ShortcutSet shortcuts = CaptureModel::storedShortcuts(m_defaults);
    if (!GlobalShortcuts::desktopKeysText().isEmpty()) {
        logLine("Pixdrift leaves the keys to the desktop (Wayland)");
    } else {
        const bool registered = GlobalShortcuts::install(shortcuts);
        logLine("Pixdrift startup shortcuts registered=%@ area=%@ full=%@ window=%@ status=%d handler=%d",
                registered ? QStringLiteral("YES") : QStringLiteral("NO"), shortcuts[0], shortcuts[1], shortcuts[2],
                GlobalShortcuts::lastRegistrationError(), GlobalShortcuts::handlerInstallError());
    }

    m_menu = std::make_unique<QMenu>();
    m_menu->addAction(::tr("menu.open"), this, &PixdriftDelegate::openWindow);
    m_menu->addAction(::tr("capture.area"), this, &PixdriftDelegate::captureArea);
    m_menu->addAction(::tr("capture.full"), this, &PixdriftDelegate::captureFull);
    m_menu->addAction(::tr("capture.window"), this, [] {
        if (CaptureModel *model = CaptureModel::shared())
            model->takeWindow();
    });
    m_menu->addAction(::tr("capture.last"), this, [] {
        if (CaptureModel *model = CaptureModel::shared())
            model->takeLast();
    });
    m_menu->addAction(::tr("capture.scroll"), this, [] {
        if (CaptureModel *model = CaptureModel::shared())
            model->takeScrolling();
    });
    for (const std::pair<const char *, int> &delayed : {std::pair{"capture.in3", 3}, std::pair{"capture.in10", 10}}) {
        m_menu->addAction(::tr(delayed.first), this, [seconds = delayed.second] {
            if (CaptureModel *model = CaptureModel::shared())
                model->takeAfter(false, seconds);
        });
    }
    m_menu->addSeparator();
    m_menu->addAction(::tr("Settings\u2026"), this, [] {
        if (openSettings)
            openSettings();
    });
    m_menu->addAction(::tr("menu.quit"), this, &PixdriftDelegate::quit);

    m_statusItem = std::make_unique<QSystemTrayIcon>(appIcon());
    m_statusItem->setToolTip(QStringLiteral("Pixdrift"));
    // A delayed capture counts down in the tooltip too.
    if (CaptureModel *model = CaptureModel::shared()) {
        connect(model, &CaptureModel::delayChanged, m_statusItem.get(), [this, model] {
            m_statusItem->setToolTip(model->delayLeft() > 0 ? QStringLiteral("Pixdrift \u2014 ") + model->status()
                                                            : QStringLiteral("Pixdrift"));
        });
    }
    m_statusItem->setContextMenu(m_menu.get());
    // X11 trays report a left click as a plain activation; it opens the menu too.
    connect(m_statusItem.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            m_menu->popup(QCursor::pos());
    });
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        logLine("Pixdrift found no system tray; the icon will appear when a tray starts");
    m_statusItem->show();
}

void PixdriftDelegate::openWindow()
{
    if (openMain)
        openMain();
    if (m_windows)
        m_windows->activateApplication();
}

void PixdriftDelegate::captureArea()
{
    if (CaptureModel *model = CaptureModel::shared())
        model->take(false);
}

void PixdriftDelegate::captureFull()
{
    if (CaptureModel *model = CaptureModel::shared())
        model->take(true);
}

void PixdriftDelegate::quit()
{
    QApplication::quit();
}
