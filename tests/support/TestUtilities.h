#pragma once

#include <QByteArray>
#include <QEvent>
#include <QPointF>
#include <QString>
#include <QStringList>

#include <sys/resource.h>

class QWidget;

// The whole content of a file, or nothing when it cannot be read.
[[nodiscard]] QByteArray readFile(const QString &path);
// Writes `bytes` to a new or emptied file; false when that failed.
[[nodiscard]] bool writeFile(const QString &path, const QByteArray &bytes);

// Runs xdotool with the arguments; false (with its complaint printed) when it failed.
[[nodiscard]] bool xdotool(const QStringList &arguments);

// A mouse event at a fractional position, with the left button unless told otherwise.
void sendMouse(QWidget *widget, QEvent::Type type, QPointF position, Qt::MouseButton button = Qt::LeftButton);

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
