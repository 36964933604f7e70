#include "model/SaveSettings.h"

#include "platform/UserDefaults.h"

#include <QJsonObject>

#include <algorithm>

namespace {

const QString afterKey = QStringLiteral("pd.afterCapture");
const QString folderKey = QStringLiteral("pd.saveInto");
const QString patternKey = QStringLiteral("pd.namePattern");
const QString formatKey = QStringLiteral("pd.format");
const QString qualityKey = QStringLiteral("pd.quality");
const QString textLanguagesKey = QStringLiteral("pd.textLanguages");
const QString scrollLimitKey = QStringLiteral("pd.scrollLimit");
const QString scrollBySelfKey = QStringLiteral("pd.scrollBySelf");

} // namespace

SaveSettings SaveSettings::load(const UserDefaults &defaults)
{
    SaveSettings settings;
    const qint64 after = defaults.integer(afterKey).value_or(0);
    if (after >= 0 && after <= qint64(After::copyText))
        settings.after = After(after);
    settings.folder = defaults.string(folderKey).value_or(QString());
    // A pattern that gives no name is never stored; one edited in by hand falls back too.
    const QString pattern = defaults.string(patternKey).value_or(settings.pattern);
    if (!FileNaming::expand(pattern, QDateTime::currentDateTime()).problem)
        settings.pattern = pattern;
    settings.format = FileNaming::formatForWord(defaults.string(formatKey).value_or(QString())).value_or(ImageFormat::png);
    const qint64 quality = defaults.integer(qualityKey).value_or(settings.quality);
    if (quality >= 1 && quality <= 100)
        settings.quality = int(quality);
    // "deu+fra", as Tesseract writes language lists; only letters, so nothing else reaches it.
    for (const QString &language : defaults.string(textLanguagesKey).value_or(QString()).split(u'+', Qt::SkipEmptyParts)) {
        if (std::all_of(language.begin(), language.end(), [](QChar c) { return c.isLetter() || c == u'_'; }))
            settings.textLanguages << language;
    }
    const qint64 limit = defaults.integer(scrollLimitKey).value_or(settings.scrollLimit);
    if (limit >= scrollLimitLeast && limit <= scrollLimitMost)
        settings.scrollLimit = int(limit);
    settings.scrollBySelf = defaults.integer(scrollBySelfKey).value_or(1) != 0;
    return settings;
}

bool SaveSettings::store(UserDefaults &defaults) const
{
    return defaults.setValues({{afterKey, qint64(after)},
                               {folderKey, folder},
                               {patternKey, pattern},
                               {formatKey, FileNaming::wordFor(format)},
                               {qualityKey, quality},
                               {textLanguagesKey, textLanguages.join(u'+')},
                               {scrollLimitKey, scrollLimit},
                               {scrollBySelfKey, qint64(scrollBySelf)}});
}
