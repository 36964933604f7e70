#include "text/tr.h"

#include <QCoreApplication>
#include <QLibraryInfo>
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
    // Qt's own texts (the file and colour dialogs, standard buttons) in the same language, where
    // the system has them. Installed first, so that ours are looked up before them.
    const QString language = translator->language();
    auto *qtTexts = new QTranslator(QCoreApplication::instance());
    if (qtTexts->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtTexts);
    else
        delete qtTexts;
    QCoreApplication::installTranslator(translator);
    return language;
}
