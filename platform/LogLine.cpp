#include "platform/LogLine.h"

#include <QDebug>

namespace {

QString asText(const LogArgument &argument)
{
    if (const auto *text = std::get_if<QString>(&argument))
        return *text;
    if (const auto *number = std::get_if<std::int64_t>(&argument))
        return QString::number(*number);
    return QString::number(std::get<std::uint64_t>(argument));
}

} // namespace

QString formatLogLine(const char *format, const std::vector<LogArgument> &arguments)
{
    QString line;
    std::size_t next = 0;
    const QByteArray bytes(format);
    qsizetype literalStart = 0;
    auto flushLiteral = [&](qsizetype end) {
        line += QString::fromUtf8(bytes.mid(literalStart, end - literalStart));
    };
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '%' || i + 1 >= bytes.size())
            continue;
        const char kind = bytes[i + 1];
        if (kind != '@' && kind != 'd' && kind != 'u' && kind != '%')
            continue;
        flushLiteral(i);
        if (kind == '%')
            line += QLatin1Char('%');
        else if (next < arguments.size())
            line += asText(arguments[next++]);
        else
            line += QString::fromLatin1(bytes.mid(i, 2));
        ++i;
        literalStart = i + 1;
    }
    flushLiteral(bytes.size());
    return line;
}

void writeLogLine(const QString &line)
{
    qInfo().noquote() << line;
}
