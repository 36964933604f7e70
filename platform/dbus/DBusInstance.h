#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

#include <functional>

// One Pixdrift per session: the running program owns a name on the session bus and answers the
// calls a second start (or a key bound in the desktop to `pixdrift --area`) makes on it.
class DBusInstance : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "app.pixdrift.Pixdrift")

public:
    static inline const QString serviceName = QStringLiteral("app.pixdrift.Pixdrift");
    static inline const QString objectPath = QStringLiteral("/app/pixdrift/Pixdrift");

    struct Handlers
    {
        std::function<void()> activate;
        std::function<void()> captureArea;
        std::function<void()> captureFull;
        // A full capture of the screen of that name, or of all of them ("all").
        std::function<void(const QString &name)> captureScreen;
        std::function<void()> captureLast;
        std::function<void()> captureWindow;
        // A capture after a number of seconds: full or area.
        std::function<void(bool full, int seconds)> captureAfter;
        std::function<void()> quit;
        // A capture for a script: what the command line asked for (as it goes over the bus),
        // the file to write standard output's PNG into, and how to answer: an error's name
        // (empty for none) with its text, or the path written.
        std::function<void(const QVariantMap &request, int output,
                           std::function<void(const QString &error, const QString &text)> answer)>
            run;
    };
    static inline const QString cancelledError = QStringLiteral("app.pixdrift.Pixdrift.Error.Cancelled");
    static inline const QString failedError = QStringLiteral("app.pixdrift.Pixdrift.Error.Failed");

    enum class Role {
        Primary,   // this process owns the name
        Secondary, // another process owns it
        Alone,     // there is no session bus
    };

    explicit DBusInstance(Handlers handlers, QObject *parent = nullptr);

    // Exports the calls and takes the name, unless another process holds it.
    [[nodiscard]] Role claim();
    enum class CallResult { Done, Gone, Failed };
    // Calls `method` on the running instance. Gone: nobody holds the name any more.
    [[nodiscard]] static CallResult callRunning(const QString &method, const QVariantList &arguments = {});
    // The same before the program has an application object (the bus reached through GIO, with
    // booleans, unsigned numbers and strings as arguments); a bus program never starts for it.
    [[nodiscard]] static CallResult callRunningAtOnce(const QString &method, const QVariantList &arguments = {});
    // Whether the process behind a bus name runs this program's executable.
    [[nodiscard]] static bool isThisProgram(const QString &busName);

public Q_SLOTS:
    Q_SCRIPTABLE void Activate();
    Q_SCRIPTABLE void CaptureArea();
    Q_SCRIPTABLE void CaptureFull();
    Q_SCRIPTABLE void CaptureScreen(const QString &name);
    Q_SCRIPTABLE void CaptureLast();
    Q_SCRIPTABLE void CaptureWindow();
    // Seconds from 1 to 60; other values are refused with an error.
    Q_SCRIPTABLE void CaptureAfter(bool full, uint seconds, const QDBusMessage &message);
    Q_SCRIPTABLE void Quit();
    // Answers only a caller that is this very program: the pixels of the screen go to nobody
    // else (a Wayland desktop asks the user before any program reads the screen).
    Q_SCRIPTABLE QString Run(const QVariantMap &request, const QDBusUnixFileDescriptor &output,
                             const QDBusMessage &message);

private:
    friend class FreedesktopApplication;
    Handlers m_handlers;
};

// What launchers call on a program whose desktop entry is D-Bus activatable: open it, or run one
// of the entry's actions ("CaptureArea", "CaptureFull", "CaptureWindow", "CaptureLast").
class FreedesktopApplication : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    explicit FreedesktopApplication(DBusInstance *instance);

public Q_SLOTS:
    void Activate(const QVariantMap &platformData);
    void Open(const QStringList &uris, const QVariantMap &platformData);
    void ActivateAction(const QString &name, const QVariantList &parameters, const QVariantMap &platformData,
                        const QDBusMessage &message);

private:
    DBusInstance *m_instance;
};
