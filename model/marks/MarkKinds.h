#pragma once

#include "model/marks/MarkKind.h"

// The kinds of mark, one file each.
[[nodiscard]] const MarkKind &lineKind();
[[nodiscard]] const MarkKind &arrowKind();
[[nodiscard]] const MarkKind &rectangleKind();
[[nodiscard]] const MarkKind &ellipseKind();
[[nodiscard]] const MarkKind &pixelateKind();
[[nodiscard]] const MarkKind &blurKind();
[[nodiscard]] const MarkKind &freehandKind();
[[nodiscard]] const MarkKind &highlighterKind();
[[nodiscard]] const MarkKind &textKind();
[[nodiscard]] const MarkKind &counterKind();

// A text mark's lines as laid out, in image pixels: its box (padding included, one empty line at
// least) and the end of its last line, where typing goes on.
struct TextLayout
{
    QRectF box;
    QPointF caretTop;
    qreal lineHeight = 0;
};
[[nodiscard]] TextLayout layOutText(const Mark &mark, qreal imageScale);
