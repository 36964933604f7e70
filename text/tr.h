#pragma once

#include <QLocale>
#include <QString>

// The text of `key` in the loaded table, or the key itself when the table has no entry for it.
// Inside a QObject subclass call it as ::tr, or QObject::tr is picked instead.
[[nodiscard]] QString tr(const char *key);
[[nodiscard]] QString tr(const QString &key);

// Loads the table that best matches `locale` (English when none does) and installs it for the
// application. Returns the language of the table loaded, or an empty text when none could be.
QString loadTranslations(const QLocale &locale = QLocale());
