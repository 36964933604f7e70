#include "platform/LogLine.h"

#include <QDebug>

namespace {

// An argument's control characters as escapes: a newline in a stored setting must not make a
// second, forged log line.
QString escaped(const QString &text)
{
    QString result;
    for (const QChar c : text) {
        if (c == u'\\')
            result += QStringLiteral("\\\\");
        else if (c == u'\n')
            result += QStringLiteral("\\n");
        else if (c == u'\r')
            result += QStringLiteral("\\r");
        else if (c == u'\t')
            result += QStringLiteral("\\t");
        else if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            result += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            result += c;
    }
    return result;
}

QString asText(const LogArgument &argument)
{
    if (const auto *text = std::get_if<QString>(&argument))
        return escaped(*text);
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
