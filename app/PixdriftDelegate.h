#pragma once

#include <QIcon>
#include <QObject>

#include <functional>
#include <memory>

class ApplicationWindows;
class QMenu;
class QSystemTrayIcon;
class UserDefaults;

// The program's icon: the installed one from the desktop's icon theme, else the built-in one.
[[nodiscard]] QIcon appIcon();

// Start-up and the tray icon with its menu: open the window, capture an area, capture the full
// screen, quit.
class PixdriftDelegate : public QObject
{
    Q_OBJECT

public:
    PixdriftDelegate(UserDefaults &defaults, ApplicationWindows *windows, QObject *parent = nullptr);
    ~PixdriftDelegate() override;

    // Opens the main window; installed by the main window each time it is shown.
    static inline std::function<void()> openMain;
    // Opens the preferences; set by the application.
    static inline std::function<void()> openSettings;

    // Registers the stored shortcuts, logs the outcome and puts the icon into the tray.
    void applicationDidFinishLaunching();

    [[nodiscard]] QSystemTrayIcon *statusItem() const { return m_statusItem.get(); }
    [[nodiscard]] QMenu *statusMenu() const { return m_menu.get(); }

public Q_SLOTS:
    void openWindow();
    void captureArea();
    void captureFull();
    void quit();

private:
    UserDefaults &m_defaults;
    ApplicationWindows *m_windows;
    std::unique_ptr<QMenu> m_menu;
    std::unique_ptr<QSystemTrayIcon> m_statusItem;
};
