#pragma once

#include "model/FileNaming.h"

#include <QString>
#include <QStringList>

class UserDefaults;

// What becomes of a capture, and how it is saved; kept in the settings.
struct SaveSettings
{
    // After a capture: the window opens to adjust and mark it, or the whole selection goes
    // straight to the clipboard, a file, or both, with no window.
    enum class After { openWindow, copy, save, copyAndSave, copyText };
    After after = After::openWindow;
    // Where Save writes, without asking; empty: ask every time.
    QString folder;
    QString pattern = FileNaming::defaultPattern;
    ImageFormat format = ImageFormat::png;
    // For JPEG and WebP, 1 to 100.
    int quality = 90;
    // Languages to read text in beside the interface's and English ("deu", "fra", …).
    QStringList textLanguages;
    // A scrolling capture stops at this many rows; it turns the wheel itself where it can.
    int scrollLimit = 20000;
    static constexpr int scrollLimitLeast = 1000, scrollLimitMost = 200000;
    bool scrollBySelf = true;

    [[nodiscard]] bool copies() const { return after == After::copy || after == After::copyAndSave; }
    [[nodiscard]] bool saves() const { return after == After::save || after == After::copyAndSave; }
    [[nodiscard]] bool readsText() const { return after == After::copyText; }

    // The stored settings; a value that is missing or makes no sense reads as its default.
    [[nodiscard]] static SaveSettings load(const UserDefaults &defaults);
    // Stores them all in one write; false when the store could not be written.
    [[nodiscard]] bool store(UserDefaults &defaults) const;

    friend bool operator==(const SaveSettings &, const SaveSettings &) = default;
};
