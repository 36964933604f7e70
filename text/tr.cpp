#include "text/tr.h"

#include <QCoreApplication>
#include <QTranslator>

QString tr(const char *key)
{
    return qtTrId(key);
}

QString tr(const QString &key)
{
    return qtTrId(key.toUtf8().constData());
}

QString loadTranslations(const QLocale &locale)
{
    // Owned by the application object, so it lives exactly as long as lookups can happen.
    auto *translator = new QTranslator(QCoreApplication::instance());
    const QString folder = QStringLiteral(":/i18n");
    if (!translator->load(locale, QStringLiteral("pixdrift"), QStringLiteral("_"), folder)
        && !translator->load(QStringLiteral("pixdrift_en"), folder)) {
        delete translator;
        return {};
    }
    QCoreApplication::installTranslator(translator);
    return translator->language();
}
