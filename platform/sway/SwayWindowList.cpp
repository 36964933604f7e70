#include "platform/sway/SwayWindowList.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QFile>
#include <QRegularExpression>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr quint32 runCommand = 0;
constexpr quint32 getTree = 4;
constexpr QByteArrayView magic = "i3-ipc";
constexpr int timeoutMs = 1000;

QRect rectOf(const QJsonValue &value)
{
    const QJsonObject r = value.toObject();
    return QRect(r[QLatin1String("x")].toInt(), r[QLatin1String("y")].toInt(), r[QLatin1String("width")].toInt(),
                 r[QLatin1String("height")].toInt());
}

QRect scaled(const QRect &points, double scale)
{
    const auto px = [scale](int v) { return int(std::lround(v * scale)); };
    return QRect(QPoint(px(points.left()), px(points.top())), QPoint(px(points.x() + points.width()), px(points.y() + points.height())) - QPoint(1, 1));
}

// Walks the tree: `scale` is the output's, `floating` whether the node floats.
void collect(const QJsonObject &node, double scale, bool floating, qint64 ownPid, QList<DesktopWindow> &tiled,
             QList<DesktopWindow> &floats, std::optional<QRect> *focused)
{
    const QString type = node[QLatin1String("type")].toString();
    if (type == u"output")
        scale = node[QLatin1String("scale")].toDouble(1.0);
    const QJsonArray children = node[QLatin1String("nodes")].toArray();
    const QJsonArray floating_ = node[QLatin1String("floating_nodes")].toArray();
    const bool view = children.isEmpty() && floating_.isEmpty() && (type == u"con" || type == u"floating_con");
    if (view && node[QLatin1String("visible")].toBool()) {
        // The title bar sits above the window's own rectangle.
        const QRect rect = rectOf(node[QLatin1String("rect")]);
        const int title = rectOf(node[QLatin1String("deco_rect")]).height();
        const QRect frame = scaled(rect.adjusted(0, -title, 0, 0), scale);
        const bool ours = node[QLatin1String("pid")].toInteger() == ownPid;
        (floating || type == u"floating_con" ? floats : tiled).append(DesktopWindow{frame, false, ours});
        if (focused && node[QLatin1String("focused")].toBool() && !ours)
            *focused = frame;
    }
    for (const QJsonValue &child : children)
        collect(child.toObject(), scale, floating, ownPid, tiled, floats, focused);
    // Later floating windows lie over earlier ones.
    for (const QJsonValue &child : floating_)
        collect(child.toObject(), scale, true, ownPid, tiled, floats, focused);
}

} // namespace

SwayWindowList::SwayWindowList(QString socketPath)
    : m_socketPath(std::move(socketPath))
{
}

QJsonValue SwayWindowList::request(quint32 type, const QByteArray &payload) const
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return {};
    const std::unique_ptr<int, void (*)(int *)> closer(new int(fd), [](int *f) {
        ::close(*f);
        delete f;
    });
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(m_socketPath);
    if (path.size() >= qsizetype(sizeof address.sun_path))
        return {};
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
        return {};
    QByteArray message(magic.data(), magic.size());
    const quint32 header[2] = {quint32(payload.size()), type};
    message.append(reinterpret_cast<const char *>(header), sizeof header);
    message.append(payload);
    if (::write(fd, message.constData(), std::size_t(message.size())) != message.size())
        return {};
    // The answer: the same header, its length, then that much JSON. A compositor that stops
    // answering is given up after a second.
    const qsizetype headerSize = magic.size() + 8;
    QByteArray answer;
    char buffer[65536];
    for (;;) {
        if (answer.size() >= headerSize
            && answer.size() >= headerSize + qsizetype(qFromUnaligned<quint32>(answer.constData() + magic.size())))
            break;
        pollfd ready{fd, POLLIN, 0};
        if (::poll(&ready, 1, timeoutMs) <= 0)
            return {};
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0)
            return {};
        answer.append(buffer, got);
    }
    const quint32 length = qFromUnaligned<quint32>(answer.constData() + magic.size());
    const QJsonDocument document = QJsonDocument::fromJson(answer.mid(headerSize, length));
    return document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array());
}

QList<DesktopWindow> SwayWindowList::windowsOfTree(const QJsonValue &tree, qint64 ownPid, std::optional<QRect> *focused)
{
    QList<DesktopWindow> tiled, floats;
    collect(tree.toObject(), 1.0, false, ownPid, tiled, floats, focused);
    QList<DesktopWindow> result;
    for (auto it = floats.rbegin(); it != floats.rend(); ++it)
        result.append(*it);
    result.append(tiled);
    return result;
}

QList<DesktopWindow> SwayWindowList::windows()
{
    return windowsOfTree(request(getTree), ::getpid());
}

std::optional<QRect> SwayWindowList::activeWindow()
{
    std::optional<QRect> focused;
    const QList<DesktopWindow> all = windowsOfTree(request(getTree), ::getpid(), &focused);
    if (focused)
        return focused;
    for (const DesktopWindow &window : all)
        if (!window.ours)
            return window.frame;
    return std::nullopt;
}

bool SwayWindowList::moveOwnWindow(const QString &title, QPoint point)
{
    // Criteria take a regular expression in double quotes: the title matches only itself.
    const QString pattern = QRegularExpression::escape(title);
    const QString command = QStringLiteral("[pid=%1 title=\"^%2$\"] floating enable, border none, move absolute position %3 %4")
                                .arg(::getpid())
                                .arg(pattern)
                                .arg(point.x())
                                .arg(point.y());
    const QJsonArray results = request(runCommand, command.toUtf8()).toArray();
    return !results.isEmpty() && std::all_of(results.begin(), results.end(), [](const QJsonValue &result) {
        return result.toObject()[QLatin1String("success")].toBool();
    });
}
