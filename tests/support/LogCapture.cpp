#include "LogCapture.h"

#include <QtGlobal>

namespace {

QStringList capturedLines;
QtMessageHandler previousHandler = nullptr;

void capture(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtInfoMsg)
        capturedLines.append(message);
    else if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

LogCapture::LogCapture()
{
    capturedLines.clear();
    previousHandler = qInstallMessageHandler(capture);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(previousHandler);
}

QStringList LogCapture::lines() const
{
    return capturedLines;
}
