#pragma once

// Fakes of the platform interfaces, and a capture model wired to them.

#include "model/CaptureModel.h"
#include "platform/ApplicationWindows.h"
#include "platform/HotKeyService.h"
#include "platform/SavePanel.h"
#include "platform/ScreenCaptureService.h"
#include "platform/UserDefaults.h"

#include <QColor>
#include <QObject>
#include <QStringList>

#include <map>

// Records what the capture flow does with the windows. A window taken away by a capture still
// counts as visible until it is shown again.
class FakeApplicationWindows : public ApplicationWindows
{
public:
    bool visible = false, hidden = false, orderedOut = false;
    QStringList calls;

    [[nodiscard]] bool anyVisible() const override { return visible || hidden || orderedOut; }
    void orderOutMainWindow() override { calls << "orderOut"; orderedOut = visible; visible = false; }
    void hideApplication() override { calls << "hide"; hidden = hidden || visible; visible = false; }
    void whenTakenOff(std::function<void()> done) override;
    void unhideApplication() override { calls << "unhide"; visible = visible || hidden; hidden = false; }
    void activateApplication() override { calls << "activate"; }
    void bringFirstWindowToFront() override { calls << "front:first"; }
    void bringMainWindowToFront() override { calls << "front:main"; }
};

// Keeps registrations in a table; refuses the handler or a hot-key number with a chosen status.
class FakeHotKeyService : public HotKeyService
{
public:
    struct Registration { std::uint32_t keyCode, modifiers; HotKeyId id; };
    std::int32_t handlerStatus = 0;
    std::map<std::uint32_t, std::int32_t> refuse; // hot-key number → status
    int handlerInstalls = 0;
    std::map<HotKeyRef, Registration> registered;

    std::int32_t installEventHandler(HotKeyHandler handler) override;
    std::int32_t registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers, HotKeyId id, HotKeyRef *ref) override;
    std::int32_t unregisterHotKey(HotKeyRef ref) override { return registered.erase(ref) ? 0 : -9879; }
    std::int32_t press(HotKeyEvent event) const { return m_handler ? m_handler(event) : -9874; }
    [[nodiscard]] bool isRegistered(std::uint32_t keyCode, std::uint32_t modifiers) const;

private:
    HotKeyHandler m_handler = nullptr;
    HotKeyRef m_next = 1;
};

// Answers on a later turn with the path it is given, or cancels when there is none.
class FakeSavePanel : public SavePanel
{
public:
    std::optional<QString> answer;
    QStringList proposedNames, folders;
    void begin(const QString &proposedName, const QString &folder,
               std::function<void(std::optional<QString>)> completion) override;
};

// Scripted displays, screens, images and errors. Answers come on a later turn, or only when the
// test calls answer...() in the order it chooses. Each image is one colour, colourFor(its index).
class FakeScreenCapture : public QObject, public ScreenCaptureService
{
public:
    enum class Answering { Automatically, WhenTold };
    struct ImageRequest { std::uint32_t displayId; int width, height; };

    QList<CaptureDisplay> displays{{1, 1440, 900}};
    QList<CaptureScreen> screenList{{1, 1.0, nullptr}};
    std::optional<CaptureScreen> mainScreenInfo = CaptureScreen{1, 1.0, nullptr};
    QString contentError, imageError; // non-empty: that request fails with it
    Answering answering = Answering::Automatically;
    QList<ImageRequest> imageRequests;
    // The compositor's picture of the active window; none: it captures no windows.
    std::optional<QImage> activeWindow;
    // What the screen shows, where a test draws it (a page being scrolled); empty: one colour.
    std::function<QImage(QSize)> screenContent;
    // False for a capture too slow to follow scrolling (the portal's).
    bool quick = true;

    static QColor colourFor(int index) { return QColor(QColor::fromHsv((index * 67) % 360, 200, 200).rgb()); }
    void requestShareableContent(ContentHandler done) override;
    void requestImage(std::uint32_t displayId, int pixelWidth, int pixelHeight, ImageHandler done) override;
    [[nodiscard]] std::uint32_t mainDisplayId() const override { return 1; }
    [[nodiscard]] QList<CaptureScreen> screens() const override { return screenList; }
    [[nodiscard]] std::optional<CaptureScreen> mainScreen() const override { return mainScreenInfo; }
    [[nodiscard]] bool capturesActiveWindow() const override { return activeWindow.has_value(); }
    [[nodiscard]] bool capturesQuickly() const override { return quick; }
    void requestActiveWindow(ImageHandler done) override;
    [[nodiscard]] int pendingContent() const { return int(m_content.size()); }
    [[nodiscard]] int pendingImages() const { return int(m_images.size()); }
    void answerContent(int index = 0) { m_content.takeAt(index).first(); }
    void answerImage(int index = 0) { m_images.takeAt(index).first(); }
    ~FakeScreenCapture() override; // fails what was never answered, so no capture waits for ever

private:
    using Pending = std::pair<std::function<void()>, std::function<void()>>; // answer, abandon
    template <typename T> void reply(QList<Pending> &queue, std::function<void(CaptureResult<T>)> done, CaptureResult<T> result);
    QList<Pending> m_content, m_images;
};

// A capture model over an in-memory store, wired to the fakes. The overlay is not shown: the
// test finishes it.
struct CaptureRig
{
    std::unique_ptr<UserDefaults> defaults = UserDefaults::inMemory();
    FakeScreenCapture capture;
    FakeApplicationWindows windows;
    FakeSavePanel panel;
    CaptureModel model{*defaults};
    std::optional<ScreensSelectionHandler> overlay;
    int overlaysPresented = 0;
    // What the desktop notifications said.
    QStringList notes;
    // The display the pointer is on; 0: the window system does not say.
    std::uint32_t pointerDisplay = 0;

    CaptureRig();
    void finishOverlay(std::optional<QRect> rect, qsizetype screen = 0);
};
