#include "model/Mark.h"

Mark::Mark(QPointF from, QPointF to, QColor color, QString tool)
    : id(QUuid::createUuid())
    , from(from)
    , to(to)
    , color(color)
    , tool(std::move(tool))
{
}
