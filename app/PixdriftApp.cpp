#include "app/PixdriftApp.h"

#include "app/tr.h"
#include "model/CaptureModel.h"
#include "overlay/AreaSelectionOverlay.h"
#include "overlay/AreaSelectionView.h"
#include "shortcuts/GlobalShortcuts.h"
#include "shortcuts/ShortcutSettings.h"
#include "ui/MainView.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>

PixdriftApp::PixdriftApp(UserDefaults &defaults, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_delegate(defaults, &m_windows)
    , m_instance({.activate = [this] { openMainWindow(); },
                  .captureArea = [this] { model().take(false); },
                  .captureFull = [this] { model().take(true); },
                  // After the caller has had its answer.
                  .quit = [] { QTimer::singleShot(0, qApp, &QApplication::quit); }})
{
    QGuiApplication::setDesktopFileName(QStringLiteral("pixdrift"));
    QApplication::setWindowIcon(appIcon());
    GlobalShortcuts::setService(&m_hotKeys);
    qApp->installNativeEventFilter(&m_pointer);
}

PixdriftApp::~PixdriftApp()
{
    qApp->removeNativeEventFilter(&m_pointer);
    GlobalShortcuts::setService(nullptr);
    PixdriftDelegate::openMain = nullptr;
    delete m_settings;
    delete m_mainWindow;
}

CaptureModel &PixdriftApp::model()
{
    if (!m_model) {
        m_model = std::make_unique<CaptureModel>(m_defaults);
        m_model->setCaptureEnvironment({.screenCapture = &m_screenCapture,
                                        .windows = &m_windows,
                                        .presentOverlay = AreaSelectionOverlay::present,
                                        .openMain = [this] { openMainForCapture(); },
                                        .savePanel = &m_savePanel});
    }
    return *m_model;
}

DBusInstance::Role PixdriftApp::claimInstance()
{
    return m_instance.claim();
}

void PixdriftApp::launch(CommandLine::Action action)
{
    buildMainWindow();
    m_delegate.applicationDidFinishLaunching();
    if (action == CommandLine::Action::Open) {
        openMainWindow();
        // Without a tray the window is the only way back; say so once, beside the hot keys' outcome.
        if (!QSystemTrayIcon::isSystemTrayAvailable())
            model().setStatus(model().status() + QStringLiteral(" \u00B7 ") + ::tr("status.noTray"));
    } else {
        // A start for a capture shows the window once the capture has something to show.
        PixdriftDelegate::openMain = [this] { openMainWindow(); };
        model().take(action == CommandLine::Action::CaptureFull);
    }
    // A second after start, when nobody waits for us, touch the memory the first capture and
    // the first overlay need, so that they do not pay for it.
    QTimer::singleShot(1000, this, &PixdriftApp::warmUp);
}

void PixdriftApp::buildMainWindow()
{
    auto *window = new QMainWindow;
    window->setObjectName(QStringLiteral("main"));
    window->setWindowTitle(::tr("Pixdrift"));
    window->setAttribute(Qt::WA_DeleteOnClose, false);

    // The content keeps the minimum size; the menu bar comes on top of it.
    m_mainView = new MainView(model(), [this] { openMainWindow(); });
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
    const std::optional<CaptureScreen> screen = m_screenCapture.mainScreen();
    if (!screen || !screen->screen)
        return;
    const QSize pixels = m_screenCapture.deviceGeometry(screen->screen).size();
    (void)m_screenCapture.grab(screen->displayNumber, pixels.width(), pixels.height());
    AreaSelectionView::prepareBuffers(pixels);
}
