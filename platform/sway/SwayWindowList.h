#pragma once

#include "platform/WindowList.h"

#include <QJsonValue>
#include <QString>

// The windows of sway (and other compositors that speak i3's IPC) from the tree its socket
// gives, each output's points scaled to its pixels.
class SwayWindowList : public WindowList
{
public:
    // `socketPath` is $SWAYSOCK.
    explicit SwayWindowList(QString socketPath);

    [[nodiscard]] QList<DesktopWindow> windows() override;
    [[nodiscard]] std::optional<QRect> activeWindow() override;
    [[nodiscard]] bool moveOwnWindow(const QString &title, QPoint point) override;

    // The windows of a tree as get_tree gives it, topmost first: floating ones over tiled ones,
    // each with its title bar, in pixels at its output's scale. The focused one, where it is a
    // window, goes to `focused`.
    [[nodiscard]] static QList<DesktopWindow> windowsOfTree(const QJsonValue &tree, qint64 ownPid,
                                                            std::optional<QRect> *focused = nullptr);

private:
    // One request over the socket; null when the compositor does not answer.
    [[nodiscard]] QJsonValue request(quint32 type, const QByteArray &payload = {}) const;

    QString m_socketPath;
};
