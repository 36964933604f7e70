#include "shortcuts/GlobalShortcuts.h"

#include "shortcuts/ShortcutText.h"

#include <QStringList>

std::optional<ParsedShortcut> GlobalShortcuts::parse(const QString &shortcut)
{
    // toLower() folds the whole of Unicode without any locale's special rules.
    const QStringList pieces = shortcut.toLower().split(u'+', Qt::SkipEmptyParts);
    if (pieces.size() < 2)
        return std::nullopt;

    std::uint32_t mask = 0;
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
        const std::optional<std::uint32_t> bit = modifierMaskForWord(pieces[i]);
        if (!bit)
            return std::nullopt;
        mask |= *bit;
    }

    const std::optional<std::uint32_t> keyCode = keyCodeForName(pieces.last());
    if (!keyCode || mask == 0)
        return std::nullopt;
    return ParsedShortcut{*keyCode, mask};
}
