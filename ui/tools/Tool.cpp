#include "ui/tools/Tool.h"

#include "model/marks/MarkKind.h"

std::unique_ptr<Tool> makeTool(const QString &tool, ImageArea &area)
{
    if (tool == u"tool.select")
        return makeSelectTool(area);
    if (tool == u"tool.text")
        return makeTextTool(area);
    if (markKind(tool).placedByClick())
        return makeStampTool(area);
    return makeShapeTool(area);
}
