#pragma once

#include "platform/ApplicationWindows.h"

#include <QHash>
#include <QList>
#include <QRect>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <chrono>

// The program's top-level widgets. The main window is the one whose object name is "main".
// Windows marked with the property excludedFromCaptureHiding (the selection overlay) and
// pop-ups are left alone.
class QtApplicationWindows : public QObject, public ApplicationWindows
{
    Q_OBJECT

public:
    static constexpr const char *excludedProperty = "excludedFromCaptureHiding";

    using QObject::QObject;

    // Once `window` has stayed hidden for `after`, gives back the buffer of the window's size
    // Qt keeps for it (46 MB for a large window on a 5K screen); Qt makes a new one when the
    // window shows again.
    static void releaseBufferWhileHidden(QWidget *window, std::chrono::milliseconds after);

    [[nodiscard]] bool anyVisible() const override;
    void orderOutMainWindow() override;
    void hideApplication() override;
    void whenTakenOff(std::function<void()> done) override;
    void unhideApplication() override;
    void activateApplication() override;
    void bringFirstWindowToFront() override;
    void bringMainWindowToFront() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    [[nodiscard]] static QList<QWidget *> windows();
    [[nodiscard]] static QWidget *mainWindow();
    static void bringToFront(QWidget *window);
    void takeOffScreen(QWidget *window, QList<QPointer<QWidget>> &list);

    // Windows a capture took off the screen and that have not been shown since.
    QList<QPointer<QWidget>> m_hidden;
    QList<QPointer<QWidget>> m_orderedOut;
    QHash<QWidget *, QRect> m_geometry;
    // On X11, the frames of the windows taken off since the last whenTakenOff().
    QList<std::uint32_t> m_frames;
};
