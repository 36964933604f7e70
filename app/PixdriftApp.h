#pragma once

#include "app/PixdriftDelegate.h"
#include "platform/QtApplicationWindows.h"
#include "platform/QtSavePanel.h"
#include "platform/X11HotKeyService.h"
#include "platform/X11PointerFilter.h"
#include "platform/X11ScreenCapture.h"
#include "shortcuts/ShortcutSettings.h"
#include "ui/MainView.h"

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

    // Builds the main window and its menus, runs the delegate's start-up and shows the window.
    void launch();

    // Shows the main window (making it anew if it was destroyed) and brings it to the front.
    void openMainWindow();
    [[nodiscard]] QMainWindow *mainWindow() const { return m_mainWindow; }
    [[nodiscard]] MainView *mainView() const { return m_mainView; }
    [[nodiscard]] PixdriftDelegate &delegate() { return m_delegate; }

    // Shows the shortcut settings in a window of their own.
    void openSettings();
    [[nodiscard]] ShortcutSettings *settingsWindow() const { return m_settings; }

private:
    void buildMainWindow();
    void openMainForCapture();
    void warmUp();

    UserDefaults &m_defaults;
    X11ScreenCapture m_screenCapture;
    X11HotKeyService m_hotKeys;
    X11PointerFilter m_pointer;
    QtApplicationWindows m_windows;
    QtSavePanel m_savePanel;
    std::unique_ptr<CaptureModel> m_model;
    PixdriftDelegate m_delegate;
    QPointer<QMainWindow> m_mainWindow;
    QPointer<MainView> m_mainView;
    QPointer<ShortcutSettings> m_settings;
};
