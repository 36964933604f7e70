#include "ui/DisplayMapping.h"

#include <algorithm>
#include <cmath>

std::optional<DisplayMapping> DisplayMapping::fit(QSizeF area, QSizeF image)
{
    const qreal scale = std::min((area.width() - 36) / image.width(), (area.height() - 36) / image.height());
    if (!std::isfinite(scale) || scale <= 0)
        return std::nullopt;
    DisplayMapping mapping;
    mapping.scale = scale;
    mapping.displayed = QSizeF(image.width() * scale, image.height() * scale);
    mapping.offset = QPointF((area.width() - mapping.displayed.width()) / 2,
                             (area.height() - mapping.displayed.height()) / 2);
    return mapping;
}
