#pragma once

#include <array>
#include <string_view>

// Every key the program looks up with tr(). Each localisation table must hold all of them.
inline constexpr std::array<std::string_view, 142> textKeys = {
    "action.cancel",           "action.copy",          "action.crop",          "action.dismiss",
    "action.save",
    "annotation.color",        "annotation.redo",      "annotation.title",     "annotation.undo",
    "app.name",                "capture.area",         "capture.full",         "capture.in10",
    "capture.in3",
    "empty.title",             "marks.hint",           "marks.include",        "marks.includeTip",     "menu.open",
    "menu.quit",
    "overlay.selectHint",      "permission.askAgain",  "permission.asking",    "permission.granted",
    "permission.refused",      "settings.startAtLogin", "shortcuts.area",       "shortcuts.button",
    "shortcuts.cancel",        "shortcuts.clickToRecord", "shortcuts.full",
    "shortcuts.help",          "shortcuts.pressNow",   "shortcuts.recordingTip", "shortcuts.removeFrom",
    "shortcuts.setIn",         "shortcuts.takeOver",   "shortcuts.takeOverQuestion",
    "shortcuts.save",          "shortcuts.title",      "status.adjustCrop",
    "status.autostartFailed",  "status.captureArea",      "status.captureFull",   "status.copied",       "status.copyFailed",       "status.countdown",
    "status.desktopKeyTaken",  "status.desktopKeys",    "status.desktopKeysAssigned",
    "status.desktopKeysRemoved", "status.desktopKeysSet", "status.discarded",      "status.fullCaptured",     "status.hotkeyConflict", "status.hotkeysActive",
    "status.desktopKeysSettable", "status.noTray",           "status.permission",    "status.ready",         "status.restored",
    "status.saveFailed",       "status.saved",        "status.settingsDamaged",         "status.shortcutConflict",
    "status.shortcutInvalid",  "status.shortcutSaveFailed", "status.shortcutSaved",
    "tool.arrow",              "tool.pen",             "tool.pixelate",        "tool.rectangle",
    "tool.ellipse",            "tool.freehand",        "tool.highlighter",     "tool.text",
    "tool.counter",            "tool.blur",            "tool.select",
    "annotation.thin",         "annotation.medium",    "annotation.thick",     "annotation.textBackground",
    "annotation.red",          "annotation.orange",    "annotation.yellow",    "annotation.green",
    "annotation.blue",         "annotation.black",
    "action.pin",              "action.pinTip",        "pin.close",            "pin.help",
    "capture.scroll", "scroll.title", "scroll.rows", "scroll.done", "scroll.scrolling", "scroll.yourself", "scroll.lost", "scroll.limit", "scroll.unavailable", "scroll.brokeOff", "settings.scrollLimit", "settings.scrollBySelf", "settings.pixels",
    "capture.last",            "capture.window",       "status.noWindow",      "status.noWindowList",
    "shortcuts.window",        "status.formatMissing", "status.settingsSaveFailed", "notify.copied",
    "notify.openFolder",       "settings.patternSlash", "settings.patternEmpty",
    "preferences.title",       "preferences.shortcuts", "preferences.capture", "settings.after",
    "settings.afterWindow",    "settings.afterCopy",    "settings.afterSave",  "settings.afterBoth",
    "settings.saveInto",       "settings.ask",          "settings.thisFolder", "settings.choose",
    "settings.pattern",        "settings.patternHelp",  "settings.format",     "settings.quality",
    "action.copyText",         "action.copyTextTip",    "status.readingText",  "status.noText",
    "status.textCopiedOne",    "status.textCopied",     "status.noTextData",   "settings.afterText",
    "settings.textLanguages",
};

// Texts the menus and the window title use as they stand; a table may still translate them, with
// the text itself as the key.
inline constexpr std::array<std::string_view, 5> literalTexts = {
    "Pixdrift", "Cattura", "Seleziona area\u2026", "Schermo intero", "Settings\u2026",
};
