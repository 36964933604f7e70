#pragma once

#include "app/CommandLine.h"
#include "app/PixdriftDelegate.h"
#include "model/CaptureModel.h"
#include "platform/QtApplicationWindows.h"
#include "platform/QtSavePanel.h"
#include "platform/SessionBackends.h"
#include "platform/dbus/DBusInstance.h"
#include "platform/dbus/DesktopNotifications.h"
#include "shortcuts/GlobalShortcuts.h"
#include "ui/MainView.h"
#include "ui/ShortcutSettings.h"

#include <QMainWindow>
#include <QObject>
#include <QPointer>

#include <memory>

class CaptureModel;
class UserDefaults;

// The program: it picks the platform services, owns the one model, builds the main window with
// its menus and runs the start-up sequence.
class PixdriftApp : public QObject
{
    Q_OBJECT

public:
    explicit PixdriftApp(UserDefaults &defaults, QObject *parent = nullptr);
    ~PixdriftApp() override;

    // Created on first use, like every scene's first read of it.
    [[nodiscard]] CaptureModel &model();
    // Made on first use: where captures that skip the window are announced.
    [[nodiscard]] DesktopNotifications &notifications();

    // Takes the program's name on the session bus, or finds the Pixdrift that holds it.
    [[nodiscard]] DBusInstance::Role claimInstance();

    // Builds the main window and its menus and runs the delegate's start-up; then shows the
    // window, or starts the capture the command line asked for.
    void launch(const CommandLine &command = {});
    // Runs the capture a command line asks for. For a script (--clipboard, --output) it goes
    // where the script says, the picture for standard output through `stream`, and `done`
    // hears how it ended; otherwise the window opens on it and `done` hears at once.
    void runCommand(const CommandLine &command, std::function<QString(const QByteArray &png)> stream,
                    std::function<void(const CaptureModel::Delivered &)> done);

    // Shows the main window (making it anew if it was destroyed) and brings it to the front.
    void openMainWindow();
    [[nodiscard]] QMainWindow *mainWindow() const { return m_mainWindow; }
    [[nodiscard]] MainView *mainView() const { return m_mainView; }
    [[nodiscard]] PixdriftDelegate &delegate() { return m_delegate; }

    // Shows the shortcut settings in a window of their own.
    void openSettings();
    [[nodiscard]] ShortcutSettings *settingsWindow() const { return m_settings; }

private:
    bool m_screenAllowed = false;
    void buildMainWindow();
    void openMainForCapture();
    void warmUp();
    void bindDesktopKeys();
    // A script's capture asked for over the bus.
    void runFromBus(const QVariantMap &request, int output, std::function<void(const QString &, const QString &)> answer);
    // What a press of one of the system-wide keys starts.
    void start(HotKeyAction action);
    // Before a capture: whether the desktop's question comes first (it then runs `capture`).
    bool askFirst(const std::function<void()> &capture);
    // GNOME asks once, in a dialog it shows only for the window in front: the question is put
    // from our window, with a line saying why, before a capture waits on it. `then` runs once
    // the answer is yes.
    void askScreenPermission(std::function<void()> then);

    UserDefaults &m_defaults;
    // An X11 session reads the screen and grabs the keys itself; a Wayland one asks the desktop.
    SessionBackends m_backends;
    QtApplicationWindows m_windows;
    QtSavePanel m_savePanel;
    std::unique_ptr<CaptureModel> m_model;
    std::unique_ptr<DesktopNotifications> m_notifications;
    PixdriftDelegate m_delegate;
    QPointer<QMainWindow> m_mainWindow;
    QPointer<MainView> m_mainView;
    QPointer<ShortcutSettings> m_settings;
    DBusInstance m_instance;
};
