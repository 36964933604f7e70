#include "FakeScreenCapture.h"

#include <QTimer>

void FakeScreenCapture::requestShareableContent(ContentHandler done)
{
    const auto result = contentError.isEmpty() ? CaptureResult<QList<CaptureDisplay>>::success(displays)
                                               : CaptureResult<QList<CaptureDisplay>>::failure(contentError);
    auto answer = [done, result] { done(result); };
    if (answering == Answering::WhenTold)
        m_pendingContent.append({answer, [done] { done(CaptureResult<QList<CaptureDisplay>>::failure(QStringLiteral("gone"))); }});
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
    auto answer = [done, result] { done(result); };
    if (answering == Answering::WhenTold)
        m_pendingImages.append({answer, [done] { done(CaptureResult<QImage>::failure(QStringLiteral("gone"))); }});
    else
        QTimer::singleShot(0, this, answer);
}

FakeScreenCapture::~FakeScreenCapture()
{
    for (QList<Pending> *pending : {&m_pendingContent, &m_pendingImages}) {
        while (!pending->isEmpty())
            pending->takeFirst().abandon();
    }
}

void FakeScreenCapture::answerContent(int index)
{
    m_pendingContent.takeAt(index).answer();
}

void FakeScreenCapture::answerImage(int index)
{
    m_pendingImages.takeAt(index).answer();
}
