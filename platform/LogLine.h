#pragma once

#include <QString>

#include <concepts>
#include <cstdint>
#include <variant>
#include <vector>

// One argument of a log line: a text for "%@", a number for "%d" or "%u".
using LogArgument = std::variant<QString, std::int64_t, std::uint64_t>;

// Formats a fixed format with "%@" (text), "%d" (signed), "%u" (unsigned) and "%%". A placeholder
// without an argument is written as it stands; surplus arguments are ignored.
[[nodiscard]] QString formatLogLine(const char *format, const std::vector<LogArgument> &arguments);

void writeLogLine(const QString &line);

inline LogArgument toLogArgument(const QString &text) { return text; }
inline LogArgument toLogArgument(const char *text) { return QString::fromUtf8(text); }
inline LogArgument toLogArgument(bool value) { return std::int64_t{value}; }
template <std::signed_integral T> LogArgument toLogArgument(T value) { return std::int64_t{value}; }
template <std::unsigned_integral T> LogArgument toLogArgument(T value) { return std::uint64_t{value}; }

// Writes one line through Qt's message handler. The format is always a literal of the program's
// own; user text (file names, error descriptions) only ever arrives as an argument.
template <typename... Args>
void logLine(const char *format, const Args &...args)
{
    writeLogLine(formatLogLine(format, {toLogArgument(args)...}));
}
