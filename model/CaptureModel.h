#pragma once

#include "model/CaptureEnvironment.h"
#include "model/Mark.h"
#include "model/SaveSettings.h"
#include "model/TextRecognition.h"
#include "shortcuts/GlobalShortcuts.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QString>
#include <QTimer>

#include <qcoro/qcorotask.h>

#include <memory>

class QUndoStack;
class ScrollCapture;
class UserDefaults;

// The one shared state of the program: the current capture with its crop and marks, the
// current tool, the shortcuts and the status line. Every write of a published field emits
// objectWillChange() first (observers still see the old value), then stores the value, then
// emits the field's own ...Changed() signal.
class CaptureModel : public QObject
{
    Q_OBJECT

public:
    static inline const QString defaultAreaShortcut = QStringLiteral("control+option+command+4");
    static inline const QString defaultFullShortcut = QStringLiteral("control+option+command+3");
    static inline const QString defaultWindowShortcut = QStringLiteral("control+option+command+5");
    static inline const ShortcutSet defaultShortcuts{defaultAreaShortcut, defaultFullShortcut, defaultWindowShortcut};
    // The shortcuts `defaults` holds, each action's default where it holds none.
    [[nodiscard]] static ShortcutSet storedShortcuts(const UserDefaults &defaults);
    // The settings key of the folder the last file was saved in.
    static inline const QString saveFolderKey = QStringLiteral("pd.saveFolder");

    // Reads the stored shortcuts from `defaults` (migrating them once to the current defaults
    // version) and becomes the shared model. `defaults` must outlive the model.
    explicit CaptureModel(UserDefaults &defaults, QObject *parent = nullptr);
    // The same with the user's own settings store.
    explicit CaptureModel(QObject *parent = nullptr);
    // Stops a text reading under way and waits for its thread.
    ~CaptureModel() override;

    // The newest model, or null once it is gone. Never keeps a model alive.
    [[nodiscard]] static CaptureModel *shared() { return s_shared.data(); }

    // A null image means "no capture". After a capture one image unit is one pixel.
    [[nodiscard]] const QImage &image() const { return m_image; }
    [[nodiscard]] bool hasImage() const { return !m_image.isNull(); }
    [[nodiscard]] const QString &status() const { return m_status; }
    // What went wrong with the last action (a capture, Copy, Save, the settings file), said where
    // it cannot be missed until the next action; empty when nothing did.
    [[nodiscard]] const QString &failure() const { return m_failure; }
    // What the failure's line offers to mend it: a button's text and what it does.
    struct Remedy
    {
        QString label;
        std::function<void()> apply;
    };
    [[nodiscard]] const Remedy &remedy() const { return m_remedy; }
    // Image pixels, top-left origin.
    [[nodiscard]] const QRectF &crop() const { return m_crop; }
    [[nodiscard]] bool full() const { return m_full; }
    [[nodiscard]] const QString &tool() const { return m_tool; }
    [[nodiscard]] const QList<Mark> &marks() const { return m_marks; }
    [[nodiscard]] const ShortcutSet &shortcuts() const { return m_shortcuts; }
    [[nodiscard]] const QString &shortcut(HotKeyAction action) const { return m_shortcuts[indexOf(action)]; }

    void setImage(const QImage &image);
    void setStatus(const QString &status);
    void setFailure(const QString &failure, Remedy remedy = {});
    void setCrop(const QRectF &crop);
    void setFull(bool full);
    void setTool(const QString &tool);
    void setMarks(const QList<Mark> &marks);
    void setShortcut(HotKeyAction action, const QString &shortcut);

    [[nodiscard]] UserDefaults &defaults() const { return m_defaults; }

    // The windows, the screen-capture service and the overlay the capture flow works with.
    void setCaptureEnvironment(CaptureEnvironment environment) { m_environment = std::move(environment); }

    // How a capture ended, for whoever asked for it to go somewhere.
    struct Delivered
    {
        enum class Outcome { delivered, cancelled, failed };
        Outcome outcome = Outcome::delivered;
        // delivered: the file written, if any; failed: why.
        QString text;
    };
    // Where a capture goes instead of the window: the whole selection, at once.
    struct Delivery
    {
        bool copy = false;
        bool save = false;
        // Save into this file (its extension picks the format) or folder (the name pattern's
        // next free name); empty: as the settings say.
        QString path;
        // Instead of saving: the encoded picture goes to a script (its standard output); the
        // error text, or empty.
        std::function<QString(const QByteArray &bytes)> stream;
        // The text of the crop instead of the picture: on the clipboard with `copy`, else to
        // `stream`; none found is a failure.
        bool text = false;
        // A desktop notification says where it went.
        bool notify = false;
        // Told once.
        std::function<void(const Delivered &)> done;
    };
    // What a capture is asked to take.
    struct CaptureRequest
    {
        // Window: the compositor's own picture of the active window. Region: `rect` in the
        // desktop's coordinates (X11's pixels, a Wayland compositor's layout).
        enum class Kind { Area, Full, Last, Window, Region };
        Kind kind = Kind::Area;
        // Full and Last: the screen by name, or allScreens; empty: the one under the pointer.
        QString screen = {};
        // Last: the pixels of that screen.
        QRect rect = {};
        // Somewhere else than the window; none: as the settings say.
        std::optional<Delivery> delivery = {};
        // Area and Region: the area's content is scrolled and captured whole, the wheel turned
        // by the program where it can and the settings want it, or by the user.
        enum class Scroll { none, asSet, byHand };
        Scroll scroll = Scroll::none;
    };
    // Starts the capture `request` asks for and returns at once; the ones below say it shorter.
    void start(const CaptureRequest &request);

    // Starts a capture of the main display and returns at once. Only the newest request
    // delivers its image; an area capture then lets the user select the crop.
    void take(bool full = false, const std::optional<Delivery> &delivery = std::nullopt);
    // A full capture of the screen the window system calls `name`, or of every screen in one
    // image, laid out as the desktop lays them out, with "all".
    void takeScreen(const QString &name, const std::optional<Delivery> &delivery = std::nullopt);
    // The last area selected, again: the same pixels of the same screen, without the overlay.
    // With none yet, or with its screen gone, it is an area capture.
    void takeLast(const std::optional<Delivery> &delivery = std::nullopt);
    // The window the user works in, at once: its screen captured with the crop on its frame.
    void takeWindow(const std::optional<Delivery> &delivery = std::nullopt);
    // An area selected (or `region`, in the desktop's coordinates) whose content is scrolled and
    // captured whole: the program turns the wheel where it can and the settings want it, unless
    // `byHand`; otherwise the user scrolls.
    void takeScrolling(const std::optional<Delivery> &delivery = std::nullopt, const std::optional<QRect> &region = std::nullopt,
                       bool byHand = false);
    static inline const QString allScreens = QStringLiteral("all");
    static inline const QString lastAreaKey = QStringLiteral("pd.lastArea");
    // Drops the current capture and returns to the empty state. A capture still running
    // delivers its image afterwards. The dropped capture comes back with undo() until the next
    // capture starts.
    void cancelCapture();
    // Turns a full capture into an area capture whose crop is the whole image.
    void cropFullCapture();

    // Validates the shortcuts, stores them and registers them again; the outcome is the
    // status text.
    // With `takeOver` keys the desktop's own screenshot tool holds are taken from it.
    void saveShortcuts(bool takeOver = false);
    // The desktop's own settings gave a hot key other keys (KDE's System Settings): they are the
    // shortcut from now on, kept and shown as if recorded here.
    void adoptDesktopShortcut(HotKeyAction action, const QString &shortcut);

    // Marks: the list changes as a whole, so every observer redraws. Each edit is one step of
    // undo and redo; a new edit forgets the steps undone, and so does a new capture.
    void addMark(const Mark &mark);
    // The mark with `changed`'s id becomes `changed` (moved, reshaped, recoloured, retyped).
    void changeMark(const Mark &changed);
    void deleteMark(const QUuid &id);
    // Takes back the newest edit; nothing happens (and nothing is announced) when there is none.
    void undoMark();
    // Undo as the window offers it: brings back a cancelled capture, or takes back the newest edit.
    void undo();
    [[nodiscard]] bool canUndo() const;
    // Makes the newest edit undone again.
    void redoMark();
    [[nodiscard]] bool canRedo() const;
    void clearMarks();

    // Whether Copy and Save draw the marks into the image (remembered in the settings). Off,
    // the output is the captured pixels alone.
    [[nodiscard]] bool includeMarks() const { return m_includeMarks; }
    void setIncludeMarks(bool include);
    // Device pixels per point of the screen the capture shows: marks keep their on-screen size
    // in points when drawn into the image.
    [[nodiscard]] qreal imageScale() const { return m_imageScale; }
    void setImageScale(qreal scale) { m_imageScale = scale > 0 ? scale : 1.0; }

    // Starts a capture after `seconds`, counting down on the status line. Another capture, or
    // cancelDelay(), stops the count.
    void takeAfter(bool full, int seconds);
    void cancelDelay();
    // The seconds left of a delayed capture; 0 when none is counting.
    [[nodiscard]] int delayLeft() const { return m_delayLeft; }

    // The crop in whole pixels of the image, rounded outward and cut to it (the whole image after
    // a full capture): the pixels the output consists of. Empty when nothing is left.
    [[nodiscard]] QRect cropPixels() const;
    // The pixels the output consists of: the crop (the whole image after a full capture),
    // rounded outward to whole pixels and cut to the image. Null when nothing is left.
    [[nodiscard]] QImage cropped() const;
    // What Copy and Save write: the cropped pixels, with the marks drawn in when includeMarks()
    // is on (lines 4 points wide on the captured screen, pixelated areas in blocks).
    [[nodiscard]] QImage outputImage() const;
    // Copies the cropped image to the clipboard as PNG, or asks where to save it.
    void output(bool copy);
    // The same for an image of its own (a pinned copy).
    void writeOut(const QImage &image, bool copy);

    // What becomes of a capture and how it is saved.
    [[nodiscard]] const SaveSettings &saveSettings() const { return m_saveSettings; }
    // Stores them; the text of what is wrong with them (nothing is stored then), or empty.
    QString setSaveSettings(const SaveSettings &settings);

    // Reads the text of the crop (never the marks) off the GUI thread and puts it on the
    // clipboard as plain text; the status line counts its lines, says that there were none, or
    // shows the progress of a reading that takes longer than half a second. A new capture, another
    // reading or cancelTextReading() stops it.
    void copyText();
    void cancelTextReading();
    [[nodiscard]] bool readingText() const { return m_textJob != nullptr; }

    // "yyyy-MM-dd-HH-mm-ss" in local time, ASCII digits whatever the locale.
    [[nodiscard]] static QString timestamp(const QDateTime &time);

    struct WriteResult
    {
        QString path; // the file written
        int error = 0; // errno when nothing was written
    };
    // Writes `bytes` to `proposedPath`, or to "name 2.ext", "name 3.ext", … when it is taken.
    // Never touches an existing file, and a file appears under its name only once complete.
    [[nodiscard]] static WriteResult writeWithoutOverwriting(const QByteArray &bytes, const QString &proposedPath);
    // The saved-file status: the first "%@" (or "%1$@") of `format` becomes `fileName`, "%%"
    // becomes "%", and everything else stays as it is.
    [[nodiscard]] static QString formatSavedStatus(const QString &format, const QString &fileName);

Q_SIGNALS:
    void objectWillChange();
    void imageChanged();
    void statusChanged();
    void failureChanged();
    void cropChanged();
    void fullChanged();
    void toolChanged();
    void marksChanged();
    void includeMarksChanged();
    void delayChanged();
    void saveSettingsChanged();
    void readingTextChanged();
    void shortcutsChanged();

private:
    friend class CaptureModelTest;

    template <typename T>
    void publish(T &field, const T &value, void (CaptureModel::*changed)())
    {
        Q_EMIT objectWillChange();
        field = value;
        Q_EMIT(this->*changed)();
    }

    // What the window shows of a capture, enough to put it back exactly.
    struct Shown
    {
        QImage image;
        QRectF crop;
        bool full = false;
        QList<Mark> marks;
        std::shared_ptr<QUndoStack> edits;
        qreal imageScale = 1.0;
        QString status;
    };
    [[nodiscard]] Shown shown() const;
    void show(const Shown &shown);
    // A capture that ends without a new image (cancelled in the overlay, or failed) puts back
    // what the window showed before it started.
    void restoreBeforeCapture();
    // A new capture starts with no edits to undo.
    void forgetEdits();

    void migrateShortcutDefaults();
    // The status line and the failure line both say it, and the log keeps it.
    void fail(const QString &text);
    // An action begins: the failure of the one before has been seen.
    void clearFailure();

    static QCoro::Task<> captureTask(QPointer<CaptureModel> model, CaptureRequest request, qint64 generation);
    void rememberArea(const QString &screen, const QRect &rect);
    void deliverArea(std::optional<QRect> rect, const QImage &image, bool windowsWereVisible,
                     const std::optional<Delivery> &delivery);
    // Shows a capture that needs no overlay in the main window: a full one whole, any other with
    // the crop on the request's rectangle.
    void showCaptured(const QImage &image, qreal scale, const CaptureRequest &request, bool windowsWereVisible);
    // The window opens on the capture, or it goes where `delivery` says.
    void present(const std::optional<Delivery> &delivery, bool windowsWereVisible);
    void captureFailed(const QString &description, const std::optional<Delivery> &delivery = std::nullopt);
    // Scrolls the content of `rect` (pixels of `screen`) and stitches it into one image, which then
    // goes where any capture goes.
    void scrollArea(const FrozenScreen &screen, const QRect &rect, CaptureRequest::Scroll scroll,
                    const std::optional<Delivery> &delivery, bool windowsWereVisible);
    // The delivery a request asks for, or the settings' one; none: the window opens.
    [[nodiscard]] std::optional<Delivery> deliveryFor(const CaptureRequest &request) const;
    // Sends the output image where `delivery` says.
    void deliver(const Delivery &delivery);
    struct Saved
    {
        QString path;
        QString error;
        bool cancelled = false;
    };
    // Saves `image` into `target` (a file or a folder) or, without one, as the settings say; the
    // outcome on a later turn.
    void saveImage(const QImage &image, const QString &target, std::function<void(const Saved &)> done);
    // Reads the text of `crop` on a thread of its own; `done` hears the result, cancelled when
    // another reading or capture took its place.
    void readText(const QImage &crop, std::function<void(const TextRecognition::Result &)> done);
    // Puts read text on the clipboard and says so; what it said.
    QString putTextOnClipboard(const TextRecognition::Result &result);
    // Puts the image on the clipboard as PNG; the error text, or empty.
    [[nodiscard]] QString copyImage(const QImage &image);

    [[nodiscard]] qint64 captureGeneration() const { return m_captureGeneration; }
    void setCaptureGeneration(qint64 generation) { m_captureGeneration = generation; }

    static inline QPointer<CaptureModel> s_shared;

    UserDefaults &m_defaults;
    CaptureEnvironment m_environment;
    QImage m_image;
    QString m_status;
    QString m_failure;
    Remedy m_remedy;
    QRectF m_crop;
    bool m_full = false;
    QString m_tool;
    QList<Mark> m_marks;
    // The edits of the capture on show; a dropped capture keeps its own.
    std::shared_ptr<QUndoStack> m_edits;
    bool m_includeMarks = false;
    qreal m_imageScale = 1.0;
    QTimer *m_delay = nullptr;
    int m_delayLeft = 0;
    bool m_delayFull = false;
    ShortcutSet m_shortcuts;
    SaveSettings m_saveSettings;
    // The text reading under way: its stop flag and progress, shared with its thread.
    struct TextJob;
    std::shared_ptr<TextJob> m_textJob;
    qint64 m_captureGeneration = 0;
    // The capture Cancel dropped, until the next capture starts.
    std::optional<Shown> m_discarded;
    // What the window showed when the capture under way was asked for, and the dropped capture
    // then waiting for undo.
    struct BeforeCapture
    {
        Shown shown;
        std::optional<Shown> discarded;
    };
    std::optional<BeforeCapture> m_beforeCapture;
    // The scrolling capture under way.
    QPointer<ScrollCapture> m_scroll;
};
