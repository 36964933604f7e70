// CaptureModel's Copy Text: the crop's words onto the clipboard, read on a thread of their own.

#include "model/CaptureModel.h"
#include "model/ScrollCapture.h"

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
    clearFailure();
    readText(crop, [this](const TextRecognition::Result &result) {
        if (result.cancelled)
            return;
        if (!result.error.isEmpty()) {
            fail(::tr("status.copyFailed") + u' ' + result.error);
            return;
        }
        if (result.lines == 0) {
            setStatus(::tr("status.noText"));
            return;
        }
        putTextOnClipboard(result);
    });
}

QString CaptureModel::putTextOnClipboard(const TextRecognition::Result &result)
{
    auto *data = new QMimeData;
    data->setText(result.text);
    QGuiApplication::clipboard()->setMimeData(data);
    const QString said = result.lines == 1 ? ::tr("status.textCopiedOne") : ::tr("status.textCopied").arg(result.lines);
    setStatus(said);
    return said;
}

void CaptureModel::readText(const QImage &crop, std::function<void(const TextRecognition::Result &)> done)
{
    cancelTextReading();
    const TextRecognition::Installed installed = TextRecognition::installed();
    const QStringList languages = TextRecognition::languagesFor(QLocale().bcp47Name().section(u'-', 0, 0),
                                                                m_saveSettings.textLanguages, installed);
    if (languages.isEmpty()) {
        TextRecognition::Result none;
        none.error = ::tr("status.noTextData");
        done(none);
        return;
    }
    auto job = std::make_shared<TextJob>();
    m_textJob = job;
    setStatus(::tr("status.readingText"));
    Q_EMIT readingTextChanged();

    const QImage prepared = TextRecognition::prepared(crop, TextRecognition::upscaleFor(m_imageScale, crop.size()));
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
    connect(thread, &QThread::finished, this, [this, job, thread, done] {
        thread->deleteLater();
        // Another capture or reading has taken its place.
        if (job != m_textJob) {
            TextRecognition::Result stopped;
            stopped.cancelled = true;
            done(stopped);
            return;
        }
        m_textJob.reset();
        Q_EMIT readingTextChanged();
        done(job->result);
    });
    thread->start(QThread::LowPriority);
}
