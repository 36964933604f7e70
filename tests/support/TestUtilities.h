#pragma once

#include <QEvent>
#include <QImage>
#include <QStringList>

#include <sys/resource.h>

class QWidget;

[[nodiscard]] QByteArray readFile(const QString &path); // nothing when it cannot be read
[[nodiscard]] bool writeFile(const QString &path, const QByteArray &bytes);
// Runs xdotool; false when it failed (its complaint goes to the test's output).
[[nodiscard]] bool xdotool(const QStringList &arguments);
// A mouse event at a fractional position, with the left button unless told otherwise.
void sendMouse(QWidget *widget, QEvent::Type type, QPointF position, Qt::MouseButton button = Qt::LeftButton);
// A press, a move and a release.
void drag(QWidget *widget, QPointF from, QPointF to);
// A screenshot-like image in which every pixel differs from its neighbours, so a stale or
// shifted pixel shows.
[[nodiscard]] QImage patternImage(QSize size);
// A paragraph as a screen at `scale` shows it: DejaVu Sans at `points` (at 96 dots per inch),
// wrapped at `width` points, dark on light or light on dark.
[[nodiscard]] QImage renderedText(const QString &text, qreal points, qreal scale, bool dark, int width = 520);
// The share of characters `read` has wrong against `expected` (edits ÷ length), whitespace
// counted as single spaces.
[[nodiscard]] double characterErrorRate(const QString &read, const QString &expected);
// Makes `image` the X11 root window's background, which stays whatever is shown above it.
[[nodiscard]] bool showOnRoot(const QImage &image);

// Collects the lines logged (qInfo) while it exists.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;
    [[nodiscard]] QStringList lines() const;
};

// While it lives, a write that makes a file larger than `bytes` fails with EFBIG instead of
// killing the process: the way to make writes fail part-way when running as root.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = nullptr;
};
