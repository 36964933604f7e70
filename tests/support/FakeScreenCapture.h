#pragma once

#include "platform/ScreenCaptureService.h"

#include <QColor>
#include <QObject>

// A screen-capture service with scripted displays, screens, images and errors. Answers come
// on a later turn of the event loop, or only when the test calls answer...() in the order it
// chooses.
class FakeScreenCapture : public QObject, public ScreenCaptureService
{
public:
    enum class Answering { Automatically, WhenTold };

    struct ImageRequest
    {
        std::uint32_t displayId;
        int width;
        int height;
    };

    QList<CaptureDisplay> displays{{1, 1440, 900}};
    std::uint32_t mainId = 1;
    QList<CaptureScreen> screenList{{1, 1.0, nullptr}};
    std::optional<CaptureScreen> mainScreenInfo = CaptureScreen{1, 1.0, nullptr};
    QString contentError; // non-empty: the content request fails with it
    QString imageError;   // non-empty: the image request fails with it
    Answering answering = Answering::Automatically;

    QList<ImageRequest> imageRequests;

    // The colour of the image answered for the n-th image request (from 0).
    static QColor colourFor(int requestIndex) { return QColor(QColor::fromHsv((requestIndex * 67) % 360, 200, 200).rgb()); }

    void requestShareableContent(ContentHandler done) override;
    void requestImage(std::uint32_t displayId, int pixelWidth, int pixelHeight, ImageHandler done) override;
    [[nodiscard]] std::uint32_t mainDisplayId() const override { return mainId; }
    [[nodiscard]] QList<CaptureScreen> screens() const override { return screenList; }
    [[nodiscard]] std::optional<CaptureScreen> mainScreen() const override { return mainScreenInfo; }

    [[nodiscard]] int pendingContent() const { return int(m_pendingContent.size()); }
    [[nodiscard]] int pendingImages() const { return int(m_pendingImages.size()); }
    // Answers the pending request at `index` now.
    void answerContent(int index = 0);
    void answerImage(int index = 0);

    // Requests never answered are failed, so that no capture waits for ever.
    ~FakeScreenCapture() override;

private:
    struct Pending
    {
        std::function<void()> answer;
        std::function<void()> abandon;
    };
    QList<Pending> m_pendingContent;
    QList<Pending> m_pendingImages;
};
