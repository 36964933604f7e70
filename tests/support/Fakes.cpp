#include "Fakes.h"

#include <QTest>
#include <QTimer>

void FakeApplicationWindows::whenTakenOff(std::function<void()> done)
{
    calls << "wait";
    QTimer::singleShot(0, std::move(done));
}

std::int32_t FakeHotKeyService::installEventHandler(HotKeyHandler handler)
{
    ++handlerInstalls;
    if (handlerStatus == 0)
        m_handler = handler;
    return handlerStatus;
}

std::int32_t FakeHotKeyService::registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers, HotKeyId id, HotKeyRef *ref)
{
    if (const auto found = refuse.find(id.number); found != refuse.end())
        return found->second;
    *ref = m_next++;
    registered.emplace(*ref, Registration{keyCode, modifiers, id});
    return 0;
}

bool FakeHotKeyService::isRegistered(std::uint32_t keyCode, std::uint32_t modifiers) const
{
    return std::any_of(registered.begin(), registered.end(),
                       [&](const auto &r) { return r.second.keyCode == keyCode && r.second.modifiers == modifiers; });
}

void FakeSavePanel::begin(const QString &proposedName, const QString &folder,
                          std::function<void(std::optional<QString>)> completion)
{
    proposedNames << proposedName;
    folders << folder;
    QTimer::singleShot(0, [completion = std::move(completion), answer = answer] { completion(answer); });
}

template <typename T>
void FakeScreenCapture::reply(QList<Pending> &queue, std::function<void(CaptureResult<T>)> done, CaptureResult<T> result)
{
    auto answer = [done, result] { done(result); };
    if (answering == Answering::WhenTold)
        queue.append({answer, [done] { done(CaptureResult<T>::failure(QStringLiteral("gone"))); }});
    else
        QTimer::singleShot(0, this, answer);
}

void FakeScreenCapture::requestShareableContent(ContentHandler done)
{
    using R = CaptureResult<QList<CaptureDisplay>>;
    reply<QList<CaptureDisplay>>(m_content, done, contentError.isEmpty() ? R::success(displays) : R::failure(contentError));
}

void FakeScreenCapture::requestImage(std::uint32_t displayId, int pixelWidth, int pixelHeight, ImageHandler done)
{
    QImage image(pixelWidth, pixelHeight, QImage::Format_RGB32);
    image.fill(colourFor(int(imageRequests.size())));
    if (screenContent)
        image = screenContent(QSize(pixelWidth, pixelHeight));
    imageRequests.append({displayId, pixelWidth, pixelHeight});
    using R = CaptureResult<QImage>;
    reply<QImage>(m_images, done, imageError.isEmpty() ? R::success(image) : R::failure(imageError));
}

void FakeScreenCapture::requestActiveWindow(ImageHandler done)
{
    using R = CaptureResult<QImage>;
    reply<QImage>(m_images, done, imageError.isEmpty() ? R::success(activeWindow.value_or(QImage())) : R::failure(imageError));
}

FakeScreenCapture::~FakeScreenCapture()
{
    for (QList<Pending> *pending : {&m_content, &m_images})
        while (!pending->isEmpty())
            pending->takeFirst().second();
}

CaptureRig::CaptureRig()
{
    model.setCaptureEnvironment({.screenCapture = &capture,
                                 .windows = &windows,
                                 .presentOverlay =
                                     [this](const QList<FrozenScreen> &, ScreensSelectionHandler done) {
                                         ++overlaysPresented;
                                         overlay = std::move(done);
                                     },
                                 .openMain = [this] { windows.calls << QStringLiteral("openMain"); },
                                 .savePanel = &panel,
                                 .screenUnderPointer = [this] { return pointerDisplay; },
                                 .notify = [this](const QString &text, const QString &) { notes << text; },
                                 .clock = [] { return QDateTime(QDate(2026, 3, 3), QTime(14, 5, 9)); }});
}

void CaptureRig::finishOverlay(std::optional<QRect> rect, qsizetype screen)
{
    QVERIFY(overlay.has_value());
    auto done = *std::exchange(overlay, std::nullopt);
    done(rect ? std::optional<AreaSelection>(AreaSelection{screen, *rect}) : std::nullopt);
}
