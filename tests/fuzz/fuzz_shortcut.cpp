// Any text as a stored shortcut: parsing and the display form never fail, and what parses
// names a key of the table and at least one modifier, but for Print alone.
#include "shortcuts/GlobalShortcuts.h"
#include "shortcuts/ShortcutText.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    (void)prettyShortcut(text);
    if (const std::optional<ParsedShortcut> parsed = GlobalShortcuts::parse(text)) {
        if (!keyNameForCode(std::uint16_t(parsed->keyCode)) || (parsed->modifiers == 0 && parsed->keyCode != printKeyCode))
            std::abort();
    }
    return 0;
}
