#include "app/ScriptRun.h"

#include "app/PixdriftApp.h"
#include "platform/dbus/DBusInstance.h"

#include <QApplication>
#include <QClipboard>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// The variable that tells the process holding the clipboard where to say how the capture went.
constexpr const char *statusFdVariable = "PIXDRIFT_STATUS_FD";

bool writeAll(int fd, const char *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= std::size_t(n);
    }
    return true;
}

int failWith(const QString &text)
{
    std::fprintf(stderr, "pixdrift: %s\n", text.toLocal8Bit().constData());
    return EXIT_FAILURE;
}

// Copies what the running Pixdrift wrote into `fd` to standard output.
bool copyToStandardOutput(int fd)
{
    if (::lseek(fd, 0, SEEK_SET) != 0)
        return false;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (!writeAll(STDOUT_FILENO, buffer, std::size_t(n)))
            return false;
    }
}

// Starts this program again, detached, to do the capture and keep the clipboard; waits until it
// says how the capture went. Its standard output is ours, until it has said.
int handToKeeper(char *argv[])
{
    int status[2];
    if (::pipe2(status, O_CLOEXEC) != 0)
        return failWith(QString::fromLocal8Bit(std::strerror(errno)));
    // Everything the child needs is ready before fork(): it only execs.
    const QByteArray variable = QByteArray(statusFdVariable) + '=' + QByteArray::number(status[1]);
    QList<QByteArray> environment{variable};
    for (char **entry = environ; *entry; ++entry) {
        if (!QByteArray(*entry).startsWith(QByteArray(statusFdVariable) + '='))
            environment.append(*entry);
    }
    std::vector<char *> envp;
    for (QByteArray &entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    const pid_t child = ::fork();
    if (child < 0)
        return failWith(QString::fromLocal8Bit(std::strerror(errno)));
    if (child == 0) {
        ::setsid();
        ::fcntl(status[1], F_SETFD, 0); // kept across exec
        ::execve("/proc/self/exe", argv, envp.data());
        ::_exit(127);
    }
    ::close(status[1]);
    QByteArray said;
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(status[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        said.append(buffer, n);
    }
    ::close(status[0]);
    if (said.isEmpty())
        return failWith(QStringLiteral("the capture ended without an answer"));
    if (said.startsWith('0'))
        return EXIT_SUCCESS;
    std::fputs(said.mid(1).constData(), stderr);
    return EXIT_FAILURE;
}

} // namespace

namespace ScriptRun {

std::optional<int> onRunning(const CommandLine &command)
{
    CommandLine sent = command;
    if (!sent.outputPath.isEmpty() && sent.outputPath != u"-")
        sent.outputPath = QFileInfo(sent.outputPath).absoluteFilePath();
    // The picture for standard output comes through a file in memory, never one on disk.
    const int picture = ::memfd_create("pixdrift-output", MFD_CLOEXEC);
    if (picture < 0)
        return failWith(QString::fromLocal8Bit(std::strerror(errno)));
    const QDBusUnixFileDescriptor output(picture);
    ::close(picture); // the descriptor above holds its own copy
    QDBusMessage call = QDBusMessage::createMethodCall(DBusInstance::serviceName, DBusInstance::objectPath,
                                                       DBusInstance::serviceName, QStringLiteral("Run"));
    call << sent.toBus() << QVariant::fromValue(output);
    // The user may take their time over the selection.
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, INT_MAX);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        if (reply.errorName() == u"org.freedesktop.DBus.Error.ServiceUnknown"
            || reply.errorName() == u"org.freedesktop.DBus.Error.NameHasNoOwner")
            return std::nullopt;
        if (reply.errorName() == DBusInstance::cancelledError)
            return failWith(QStringLiteral("cancelled"));
        return failWith(reply.errorMessage());
    }
    if (command.outputPath == u"-" && !copyToStandardOutput(output.fileDescriptor()))
        return failWith(QStringLiteral("could not write to standard output: ") + QString::fromLocal8Bit(std::strerror(errno)));
    if (const QString written = reply.arguments().value(0).toString(); !written.isEmpty() && command.outputPath != u"-")
        std::printf("%s\n", QFile::encodeName(written).constData());
    return EXIT_SUCCESS;
}

int here(PixdriftApp &app, const CommandLine &command, char *argv[])
{
    const QByteArray statusFd = qgetenv(statusFdVariable);
    if (command.clipboard && statusFd.isEmpty())
        return handToKeeper(argv);
    qunsetenv(statusFdVariable);
    const int status = statusFd.isEmpty() ? -1 : statusFd.toInt();
    int code = EXIT_FAILURE;
    app.runCommand(
        command,
        [](const QByteArray &png) {
            return writeAll(STDOUT_FILENO, png.constData(), std::size_t(png.size()))
                       ? QString()
                       : QStringLiteral("could not write to standard output: ") + QString::fromLocal8Bit(std::strerror(errno));
        },
        [&code, &command, status](const CaptureModel::Delivered &delivered) {
            using Outcome = CaptureModel::Delivered::Outcome;
            QByteArray said = "0";
            if (delivered.outcome == Outcome::delivered) {
                code = EXIT_SUCCESS;
                if (!delivered.text.isEmpty() && command.outputPath != u"-")
                    std::printf("%s\n", QFile::encodeName(delivered.text).constData());
            } else {
                said = "1pixdrift: " + (delivered.outcome == Outcome::cancelled ? QByteArray("cancelled")
                                                                                 : delivered.text.toLocal8Bit())
                       + '\n';
                if (status < 0)
                    std::fputs(said.mid(1).constData(), stderr);
            }
            std::fflush(stdout);
            const bool keepsClipboard = command.clipboard && code == EXIT_SUCCESS;
            if (status >= 0) {
                // The command that started us ends now; whoever reads our standard output is done.
                (void)writeAll(status, said.constData(), std::size_t(said.size()));
                ::close(status);
                if (const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC); null >= 0) {
                    ::dup2(null, STDOUT_FILENO);
                    ::close(null);
                }
            }
            if (!keepsClipboard) {
                QMetaObject::invokeMethod(qApp, [] { QApplication::exit(); }, Qt::QueuedConnection);
                return;
            }
            // Until another program takes the clipboard over.
            QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, qApp, [] { QApplication::exit(); });
        });
    QApplication::exec();
    return code;
}

} // namespace ScriptRun
