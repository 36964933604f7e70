// CaptureModel's Copy Text: the crop's words onto the clipboard, read on a thread of their own.

#include "model/CaptureModel.h"

#include "model/TextRecognition.h"
#include "platform/LogLine.h"
#include "text/tr.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLocale>
#include <QMimeData>
#include <QThread>
#include <QTimer>

#include <atomic>

struct CaptureModel::TextJob
{
    std::atomic_bool cancel{false};
    std::atomic_int progress{-1};
    TextRecognition::Result result;
};

namespace {

// Progress shows only for a reading that takes longer than this.
constexpr int quietMs = 500;

} // namespace

CaptureModel::~CaptureModel()
{
    // Every reading still running has been told to stop; each notices within a word or two.
    cancelTextReading();
    for (QThread *thread : findChildren<QThread *>(Qt::FindDirectChildrenOnly))
        thread->wait();
}

void CaptureModel::cancelTextReading()
{
    if (!m_textJob)
        return;
    m_textJob->cancel = true;
    m_textJob.reset();
    Q_EMIT readingTextChanged();
}

void CaptureModel::copyText()
{
    const QImage crop = cropped();
    if (crop.isNull())
        return;
    cancelTextReading();
    clearFailure();
    const TextRecognition::Installed installed = TextRecognition::installed();
    const QStringList languages =
        TextRecognition::languagesFor(QLocale().bcp47Name().section(u'-', 0, 0), {}, installed);
    if (languages.isEmpty()) {
        fail(::tr("status.noTextData"));
        return;
    }
    auto job = std::make_shared<TextJob>();
    m_textJob = job;
    setStatus(::tr("status.readingText"));
    Q_EMIT readingTextChanged();

    const QImage prepared = TextRecognition::prepared(crop, TextRecognition::upscaleFor(m_imageScale));
    QThread *thread = QThread::create([job, prepared, installed, languages] {
        job->result = TextRecognition::recognise(prepared, installed, languages,
                                                 [job](int percent) { job->progress = percent; }, &job->cancel);
    });
    thread->setParent(this);
    auto *ticker = new QTimer(thread);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    connect(ticker, &QTimer::timeout, this, [this, job, clock] {
        if (job == m_textJob && clock->elapsed() >= quietMs)
            setStatus(::tr("status.readingText") + QStringLiteral(" %1 %").arg(std::max(0, job->progress.load())));
    });
    ticker->start(100);
    connect(thread, &QThread::finished, this, [this, job, thread] {
        thread->deleteLater();
        // Another capture or reading has taken its place: it has nothing to say.
        if (job != m_textJob)
            return;
        m_textJob.reset();
        Q_EMIT readingTextChanged();
        const TextRecognition::Result &result = job->result;
        if (!result.error.isEmpty()) {
            fail(::tr("status.copyFailed") + u' ' + result.error);
            return;
        }
        if (result.lines == 0) {
            setStatus(::tr("status.noText"));
            return;
        }
        auto *data = new QMimeData;
        data->setText(result.text);
        QGuiApplication::clipboard()->setMimeData(data);
        setStatus(result.lines == 1 ? ::tr("status.textCopiedOne") : ::tr("status.textCopied").arg(result.lines));
    });
    thread->start(QThread::LowPriority);
}
