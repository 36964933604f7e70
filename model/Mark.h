#pragma once

#include <QColor>
#include <QList>
#include <QPointF>
#include <QString>
#include <QUuid>

#include <array>
#include <string_view>

// The annotation tools, in the order the toolbar offers them. Each key is both the stored
// identifier of the tool and the text key of its label. The last one picks marks up instead of
// drawing one.
inline constexpr std::array<std::string_view, 11> toolKeys = {
    "tool.arrow",       "tool.pen",  "tool.rectangle", "tool.pixelate", "tool.ellipse", "tool.freehand",
    "tool.highlighter", "tool.text", "tool.counter",   "tool.blur",     "tool.select"};

// Line widths, text sizes and counter sizes come in three steps.
enum class MarkSize { Small, Medium, Large };

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
    MarkSize size = MarkSize::Medium;
    // Freehand strokes: every point the pointer passed, from `from` to `to`.
    QList<QPointF> path;
    // Text marks: the lines typed, separated by '\n', in a box whose top-left corner is `from`.
    QString text;
    // Text on a background of the colour instead of in it.
    bool filled = false;

    friend bool operator==(const Mark &, const Mark &) = default;
};
