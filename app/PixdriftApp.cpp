#include "app/PixdriftApp.h"

#include "model/CaptureModel.h"
#include "overlay/AreaSelectionOverlay.h"
#include "overlay/ScrollPanelWindow.h"
#include "platform/DesktopKeybindings.h"
#include "platform/DesktopShortcuts.h"
#include "platform/HotKeyService.h"
#include "platform/LogLine.h"
#include "platform/QtScreenList.h"
#include "platform/WindowList.h"
#include "platform/ScreenCaptureService.h"
#include "shortcuts/GlobalShortcuts.h"
#include "shortcuts/ShortcutText.h"
#include "text/tr.h"
#include "ui/MainView.h"
#include "ui/ShortcutSettings.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

PixdriftApp::PixdriftApp(UserDefaults &defaults, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_delegate(defaults, &m_windows)
    , m_instance({.activate = [this] { openMainWindow(); },
                  .captureArea = [this] { model().take(false); },
                  .captureFull = [this] { model().take(true); },
                  .captureScreen = [this](const QString &name) { model().takeScreen(name); },
                  .captureLast = [this] { model().takeLast(); },
                  .captureWindow = [this] { model().takeWindow(); },
                  .captureAfter = [this](bool full, int seconds) { model().takeAfter(full, seconds); },
                  // After the caller has had its answer.
                  .quit = [] { QTimer::singleShot(0, qApp, &QApplication::quit); },
                  .run = [this](const QVariantMap &request, int output,
                                std::function<void(const QString &, const QString &)> answer) {
                      runFromBus(request, output, std::move(answer));
                  }})
{
    // One name everywhere: the desktop entry, the Wayland application id and the bus name.
    QGuiApplication::setDesktopFileName(DBusInstance::serviceName);
    QApplication::setWindowIcon(appIcon());
    m_backends = chooseSessionBackends();
    if (m_backends.hotKeys) {
        GlobalShortcuts::setService(m_backends.hotKeys.get());
        GlobalShortcuts::setPressHandler([this](HotKeyAction action) { start(action); });
        // Keys changed in the desktop's settings become ours, once the registration is over.
        m_backends.hotKeys->onChangedElsewhere = [this](HotKeyId id, std::uint32_t keyCode, std::uint32_t modifiers) {
            const QString shortcut = shortcutFor(std::uint16_t(keyCode), modifiers);
            QMetaObject::invokeMethod(
                this,
                [this, number = id.number, shortcut] {
                    if (number >= 1 && number <= hotKeyActionCount)
                        model().adoptDesktopShortcut(HotKeyAction(number - 1), shortcut);
                },
                Qt::QueuedConnection);
        };
    } else {
        // Until the desktop binds the keys, and where it cannot, they are bound in the desktop's
        // settings to the command line.
        DesktopKeybindings *keybindings = m_backends.desktopKeybindings.get();
        GlobalShortcuts::setDesktopKeysText(keybindings ? ::tr("status.desktopKeysSettable").arg(keybindings->desktopName())
                                                        : ::tr("status.desktopKeys"));
        GlobalShortcuts::setDesktopKeybindings(keybindings);
    }
    if (m_backends.pointerFilter)
        qApp->installNativeEventFilter(m_backends.pointerFilter.get());
}

PixdriftApp::~PixdriftApp()
{
    if (m_backends.pointerFilter)
        qApp->removeNativeEventFilter(m_backends.pointerFilter.get());
    GlobalShortcuts::setService(nullptr);
    GlobalShortcuts::setPressHandler({});
    GlobalShortcuts::setDesktopKeysText({});
    GlobalShortcuts::setDesktopKeybindings(nullptr);
    PixdriftDelegate::openMain = nullptr;
    PixdriftDelegate::openSettings = nullptr;
    delete m_settings;
    delete m_mainWindow;
}

CaptureModel &PixdriftApp::model()
{
    if (!m_model) {
        m_model = std::make_unique<CaptureModel>(m_defaults);
        m_model->setCaptureEnvironment({.screenCapture = m_backends.screenCapture.get(),
                                        .windows = &m_windows,
                                        .presentOverlay = AreaSelectionOverlay::present,
                                        .openMain = [this] { openMainForCapture(); },
                                        .savePanel = &m_savePanel,
                                        .askFirst = [this](const std::function<void()> &capture) { return askFirst(capture); },
                                        .screenUnderPointer = [] { return QtScreenList::displayNumber(QGuiApplication::screenAt(QCursor::pos())); },
                                        .activeWindow = m_backends.windowList
                                                            ? std::function<std::optional<QRect>()>([this] { return m_backends.windowList->activeWindow(); })
                                                            : std::function<std::optional<QRect>()>(),
                                        .notify = [this](const QString &text, const QString &folder) {
                                            notifications().notify(text, folder);
                                        },
                                        .scrollInput = m_backends.scrollInput.get(),
                                        .presentScrollPanel = [this](const FrozenScreen &screen, const QRect &area,
                                                                     std::function<void()> done, std::function<void()> cancel) {
                                            // Only X11 cuts a window down to a ring that the page shows through.
                                            const bool wayland = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
                                            return ScrollPanelWindow::present(screen, area, std::move(done), std::move(cancel),
                                                                              wayland ? ScrollPanelWindow::Frame::none : ScrollPanelWindow::Frame::ring,
                                                                              wayland ? m_backends.windowList.get() : nullptr);
                                        },
                                        .desktopInPoints = QGuiApplication::platformName().startsWith(QLatin1String("wayland"))});
        AreaSelectionOverlay::setWindowList(m_backends.windowList.get());
    }
    return *m_model;
}

DesktopNotifications &PixdriftApp::notifications()
{
    if (!m_notifications) {
        m_notifications = std::make_unique<DesktopNotifications>(
            QDBusConnection::sessionBus(),
            // Without a notification server the tray icon says it, where there is one.
            [this](const QString &text) {
                if (QSystemTrayIcon *tray = m_delegate.statusItem(); tray && tray->isVisible())
                    tray->showMessage(QStringLiteral("Pixdrift"), text);
            },
            [](const QString &folder) { QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); });
    }
    return *m_notifications;
}

DBusInstance::Role PixdriftApp::claimInstance()
{
    return m_instance.claim();
}

void PixdriftApp::launch(const CommandLine &command)
{
    PixdriftDelegate::openSettings = [this] { openSettings(); };
    const CommandLine::Action action = command.action;
    buildMainWindow();
    m_delegate.applicationDidFinishLaunching();
    if (m_backends.desktopShortcuts)
        bindDesktopKeys();
    if (action == CommandLine::Action::Service) {
        // The launcher's call that follows says whether to show the window or to capture; a
        // capture shows the window once it has something to show.
        PixdriftDelegate::openMain = [this] { openMainWindow(); };
    } else if (action == CommandLine::Action::Open) {
        openMainWindow();
        // Without a tray the window is the only way back; say so once, beside the hot keys' outcome.
        if (!QSystemTrayIcon::isSystemTrayAvailable())
            model().setStatus(model().status() + QStringLiteral(" \u00B7 ") + ::tr("status.noTray"));
    } else {
        // A start for a capture shows the window once the capture has something to show.
        PixdriftDelegate::openMain = [this] { openMainWindow(); };
        runCommand(command, {}, {});
    }
    // The first start is the moment to ask, with the window in front.
    if (action == CommandLine::Action::Open && m_backends.screenPermissionPending && m_backends.screenPermissionPending())
        askScreenPermission({});
    // A second after start, when nobody waits for us, touch the memory the first capture and
    // the first overlay need, so that they do not pay for it.
    QTimer::singleShot(1000, this, &PixdriftApp::warmUp);
}

void PixdriftApp::runCommand(const CommandLine &command, std::function<QString(const QByteArray &)> stream,
                             std::function<void(const CaptureModel::Delivered &)> done)
{
    std::optional<CaptureModel::Delivery> delivery;
    if (command.forScript()) {
        CaptureModel::Delivery script;
        script.copy = command.clipboard;
        script.text = command.ocr;
        if (command.outputPath == u"-")
            script.stream = std::move(stream);
        else if (!command.outputPath.isEmpty())
            script.save = true, script.path = command.outputPath;
        script.done = std::move(done);
        delivery = std::move(script);
    } else if (done) {
        done({});
    }
    auto capture = [this, command, delivery] {
        using Action = CommandLine::Action;
        if (command.action == Action::CaptureLast)
            model().takeLast(delivery);
        else if (command.action == Action::CaptureWindow)
            model().takeWindow(delivery);
        else if (command.scroll)
            model().takeScrolling(delivery, command.region, command.byHand);
        else if (command.region)
            model().start({CaptureModel::CaptureRequest::Kind::Region, {}, *command.region, delivery});
        else if (!command.screen.isEmpty())
            model().takeScreen(command.screen, delivery);
        else
            model().take(command.action == Action::CaptureFull, delivery);
    };
    // The window counts a delay down on its status line; a script just waits.
    if (command.delay > 0 && !delivery && !command.region && command.screen.isEmpty())
        model().takeAfter(command.action == CommandLine::Action::CaptureFull, command.delay);
    else if (command.delay > 0)
        QTimer::singleShot(command.delay * 1000, this, capture);
    else
        capture();
}

void PixdriftApp::runFromBus(const QVariantMap &request, int output,
                             std::function<void(const QString &, const QString &)> answer)
{
    const std::optional<CommandLine> command = CommandLine::fromBus(request);
    if (!command) {
        answer(QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"), QStringLiteral("not a capture request"));
        return;
    }
    runCommand(
        *command,
        [output](const QByteArray &png) {
            for (qsizetype written = 0; written < png.size();) {
                const ssize_t n = ::write(output, png.constData() + written, size_t(png.size() - written));
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    return QString::fromLocal8Bit(strerror(errno));
                written += n;
            }
            return QString();
        },
        [answer](const CaptureModel::Delivered &delivered) {
            using Outcome = CaptureModel::Delivered::Outcome;
            if (delivered.outcome == Outcome::delivered)
                answer({}, delivered.text);
            else if (delivered.outcome == Outcome::cancelled)
                answer(DBusInstance::cancelledError, QStringLiteral("cancelled"));
            else
                answer(DBusInstance::failedError, delivered.text);
        });
}

bool PixdriftApp::askFirst(const std::function<void()> &capture)
{
    if (m_screenAllowed || !m_backends.screenPermissionPending || !m_backends.screenPermissionPending()) {
        m_screenAllowed = true;
        return false;
    }
    askScreenPermission(capture);
    return true;
}

void PixdriftApp::askScreenPermission(std::function<void()> then)
{
    openMainWindow();
    model().setFailure({});
    model().setStatus(::tr("permission.asking"));
    ScreenCaptureService &screen = *m_backends.screenCapture;
    // One pixel is enough to be asked; the portal's picture is removed like any other.
    screen.requestImage(screen.mainDisplayId(), 1, 1, [this, then = std::move(then)](CaptureResult<QImage> result) {
        if (result.value) {
            m_screenAllowed = true;
            model().setStatus(::tr("permission.granted"));
            if (then)
                then();
            return;
        }
        const QString text = ::tr("permission.refused") + QStringLiteral(" (") + result.error + u')';
        model().setStatus(text);
        model().setFailure(text, {::tr("permission.askAgain"), [this, then] {
                                      if (m_backends.forgetScreenRefusal && !m_backends.forgetScreenRefusal())
                                          logLine("Pixdrift could not forget GNOME's refusal");
                                      askScreenPermission(then);
                                  }});
    });
}

void PixdriftApp::buildMainWindow()
{
    auto *window = new QMainWindow;
    window->setObjectName(QStringLiteral("main"));
    window->setWindowTitle(::tr("Pixdrift"));
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    // Closed for good, not just out of the way for a capture: no buffer of its size kept idle.
    QtApplicationWindows::releaseBufferWhileHidden(window, std::chrono::seconds(10));

    // The content keeps the minimum size; the menu bar comes on top of it.
    // Each time the window appears, the tray's "Open" and the capture flow reach it again.
    m_mainView = new MainView(model(), [this] { PixdriftDelegate::openMain = [this] { openMainWindow(); }; });
    window->setCentralWidget(m_mainView);

    QMenu *appMenu = window->menuBar()->addMenu(::tr("Pixdrift"));
    QAction *settings = appMenu->addAction(::tr("Settings\u2026"));
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    settings->setMenuRole(QAction::PreferencesRole);
    connect(settings, &QAction::triggered, this, &PixdriftApp::openSettings);
    appMenu->addSeparator();
    QAction *quit = appMenu->addAction(::tr("menu.quit"), &m_delegate, &PixdriftDelegate::quit);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setMenuRole(QAction::QuitRole);

    QMenu *capture = window->menuBar()->addMenu(::tr("Cattura"));
    capture->addAction(::tr("Seleziona area\u2026"), this, [this] { model().take(false); });
    capture->addAction(::tr("Schermo intero"), this, [this] { model().take(true); });
    capture->addAction(::tr("capture.window"), this, [this] { model().takeWindow(); });
    capture->addAction(::tr("capture.last"), this, [this] { model().takeLast(); });
    capture->addAction(::tr("capture.scroll"), this, [this] { model().takeScrolling(); });
    capture->addAction(::tr("capture.in3"), this, [this] { model().takeAfter(false, 3); });
    capture->addAction(::tr("capture.in10"), this, [this] { model().takeAfter(false, 10); });
    capture->addSeparator();
    QAction *includeMarks = capture->addAction(::tr("marks.include"));
    includeMarks->setCheckable(true);
    includeMarks->setChecked(model().includeMarks());
    connect(includeMarks, &QAction::toggled, this, [this](bool on) { model().setIncludeMarks(on); });
    connect(&model(), &CaptureModel::includeMarksChanged, includeMarks,
            [this, includeMarks] { includeMarks->setChecked(model().includeMarks()); });

    // As much room for the capture as the screen gives, with its frame and panels still in sight.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        const QSize size = (QSizeF(available.size()) * 0.92).toSize().expandedTo(window->minimumSizeHint());
        window->setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, available));
    }
    m_mainWindow = window;
}

void PixdriftApp::openMainWindow()
{
    if (!m_mainWindow)
        buildMainWindow();
    // A minimised window comes back too.
    m_mainWindow->setWindowState(m_mainWindow->windowState() & ~Qt::WindowMinimized);
    m_mainWindow->show();
    m_mainWindow->raise();
    m_mainWindow->activateWindow();
}

void PixdriftApp::openMainForCapture()
{
    // The flow has just set the status that says what happened; the window's appearance must
    // not replace it.
    if (m_mainView)
        m_mainView->setKeepStatusOnAppear(true);
    if (PixdriftDelegate::openMain)
        PixdriftDelegate::openMain();
    if (m_mainView)
        m_mainView->setKeepStatusOnAppear(false);
}

void PixdriftApp::openSettings()
{
    if (!m_settings)
        m_settings = new ShortcutSettings(model());
    m_settings->show();
    m_settings->raise();
    m_settings->activateWindow();
}

void PixdriftApp::warmUp()
{
    // What the capture needs (the X11 capture's shared segment), and the overlay windows with
    // their buffers.
    m_backends.screenCapture->warmUp();
    AreaSelectionOverlay::prepare();
}

void PixdriftApp::start(HotKeyAction action)
{
    switch (action) {
    case HotKeyAction::area:
    case HotKeyAction::full:
        model().take(action == HotKeyAction::full);
        return;
    case HotKeyAction::window:
        model().takeWindow();
        return;
    }
}

void PixdriftApp::bindDesktopKeys()
{
    DesktopShortcuts &keys = *m_backends.desktopShortcuts;
    keys.onActivated = [this](const QString &id) {
        logLine("Pixdrift received the desktop's shortcut %@", id);
        for (const HotKeyAction action : hotKeyActions) {
            if (id == wordFor(action))
                start(action);
        }
    };
    QList<DesktopShortcuts::Shortcut> shortcuts;
    for (const HotKeyAction action : hotKeyActions)
        shortcuts.append({wordFor(action), ::tr(textKeyFor(action)), portalTrigger(model().shortcut(action))});
    keys.bind(shortcuts, [this](const QList<DesktopShortcuts::Bound> &bound, const QString &error) {
        if (!error.isEmpty()) {
            logLine("Pixdrift leaves the keys to the desktop's settings: %@", error);
            return;
        }
        // Each action's keys as the desktop bound them, a dash for none.
        QStringList triggers;
        for (const HotKeyAction action : hotKeyActions) {
            const auto found = std::find_if(bound.begin(), bound.end(), [&](const DesktopShortcuts::Bound &shortcut) {
                return shortcut.id == wordFor(action) && !shortcut.trigger.isEmpty();
            });
            triggers.append(found != bound.end() ? found->trigger : QStringLiteral("\u2014"));
        }
        const QString before = GlobalShortcuts::desktopKeysText();
        GlobalShortcuts::setDesktopKeysText(::tr("status.desktopKeysAssigned") + u' '
                                            + triggers.join(QStringLiteral(" \u00B7 ")));
        if (model().status().startsWith(before))
            model().setStatus(GlobalShortcuts::desktopKeysText() + model().status().mid(before.size()));
    });
}
