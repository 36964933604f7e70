#pragma once

#include <QColor>
#include <QPointF>
#include <QString>
#include <QUuid>

#include <array>
#include <string_view>

// The annotation tools, in the order the tool picker offers them. Each key is both the stored
// identifier of the tool and the text key of its label.
inline constexpr std::array<std::string_view, 4> toolKeys = {"tool.arrow", "tool.pen", "tool.rectangle",
                                                            "tool.pixelate"};

// One annotation over the captured image. Points are image pixels, top-left origin, and are not
// clamped to the image.
struct Mark
{
    Mark(QPointF from, QPointF to, QColor color, QString tool);

    QUuid id;
    QPointF from;
    QPointF to;
    QColor color;
    QString tool;

    friend bool operator==(const Mark &, const Mark &) = default;
};
