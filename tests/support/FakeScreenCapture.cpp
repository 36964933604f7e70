#include "FakeScreenCapture.h"

#include <QTimer>

void FakeScreenCapture::requestShareableContent(ContentHandler done)
{
    const auto result = contentError.isEmpty() ? CaptureResult<QList<CaptureDisplay>>::success(displays)
                                               : CaptureResult<QList<CaptureDisplay>>::failure(contentError);
    auto answer = [done = std::move(done), result] { done(result); };
    if (answering == Answering::WhenTold)
        m_pendingContent.append(answer);
    else
        QTimer::singleShot(0, this, answer);
}

void FakeScreenCapture::requestImage(std::uint32_t displayId, int pixelWidth, int pixelHeight, ImageHandler done)
{
    const int index = int(imageRequests.size());
    imageRequests.append({displayId, pixelWidth, pixelHeight});
    CaptureResult<QImage> result;
    if (imageError.isEmpty()) {
        QImage image(pixelWidth, pixelHeight, QImage::Format_RGB32);
        image.fill(colourFor(index));
        result = CaptureResult<QImage>::success(image);
    } else {
        result = CaptureResult<QImage>::failure(imageError);
    }
    auto answer = [done = std::move(done), result] { done(result); };
    if (answering == Answering::WhenTold)
        m_pendingImages.append(answer);
    else
        QTimer::singleShot(0, this, answer);
}

void FakeScreenCapture::answerContent(int index)
{
    m_pendingContent.takeAt(index)();
}

void FakeScreenCapture::answerImage(int index)
{
    m_pendingImages.takeAt(index)();
}
