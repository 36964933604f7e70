#include "text/TextKeys.h"
#include "text/tr.h"

#include <QCoreApplication>
#include <QTest>
#include <QTranslator>

namespace {

// Translates only the keys it is given, like a table that is partly done.
class PartialTable : public QTranslator
{
public:
    explicit PartialTable(QHash<QByteArray, QString> texts)
        : m_texts(std::move(texts))
    {
    }
    bool isEmpty() const override { return false; }
    QString translate(const char *, const char *sourceText, const char *, int) const override
    {
        return m_texts.value(QByteArray(sourceText));
    }

private:
    QHash<QByteArray, QString> m_texts;
};

QByteArray keyBytes(std::string_view key)
{
    return QByteArray(key.data(), qsizetype(key.size()));
}

} // namespace

class TextTablesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyKeyIsInEveryTable_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("English") << "en";
        QTest::newRow("Italian") << "it";
    }

    void everyKeyIsInEveryTable()
    {
        QFETCH(QString, language);
        QTranslator table;
        QVERIFY(table.load(QStringLiteral("pixdrift_") + language, QStringLiteral(":/i18n")));

        QStringList missing;
        auto check = [&](std::string_view key) {
            const QByteArray id = keyBytes(key);
            if (table.translate(nullptr, id.constData()).trimmed().isEmpty())
                missing.append(QString::fromUtf8(id));
        };
        for (std::string_view key : textKeys)
            check(key);
        for (std::string_view literal : literalTexts)
            check(literal);
        QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("missing: ") + missing.join(u", ")));

        // The saved-file text is filled in with one file name.
        QCOMPARE(table.translate(nullptr, "status.saved").count(QStringLiteral("%@")), 1);
    }

    void languageIsPickedFromTheLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("ready");
        QTest::addColumn<QString>("capture");

        QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedKingdom) << "Ready." << "Capture";
        QTest::newRow("Italian") << QLocale(QLocale::Italian, QLocale::Italy) << "Pronto." << "Cattura";
        QTest::newRow("Swiss Italian") << QLocale(QLocale::Italian, QLocale::Switzerland) << "Pronto." << "Cattura";
        QTest::newRow("German falls back to English") << QLocale(QLocale::German) << "Ready." << "Capture";
        QTest::newRow("C locale") << QLocale::c() << "Ready." << "Capture";
    }

    void languageIsPickedFromTheLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, ready);
        QFETCH(QString, capture);

        QVERIFY(!loadTranslations(locale).isEmpty());
        QCOMPARE(::tr("status.ready"), ready);
        QCOMPARE(::tr("Cattura"), capture);
        QCOMPARE(::tr("Seleziona area\u2026") == QStringLiteral("Seleziona area\u2026"), capture == u"Cattura");
        removeTables();
    }

    void withoutTablesKeysShow()
    {
        QCOMPARE(::tr("status.ready"), QStringLiteral("status.ready"));
        QCOMPARE(::tr("menu.open"), QStringLiteral("menu.open"));
        QCOMPARE(::tr(QStringLiteral("tool.pen")), QStringLiteral("tool.pen"));
        QCOMPARE(::tr("Seleziona area\u2026"), QStringLiteral("Seleziona area\u2026"));
    }

    void aPartialTableShowsKeysForTheRest()
    {
        PartialTable table({{"status.permission", QStringLiteral("No permission")}});
        QCoreApplication::installTranslator(&table);
        QCOMPARE(::tr("status.permission"), QStringLiteral("No permission"));
        QCOMPARE(::tr("status.ready"), QStringLiteral("status.ready"));
        QCoreApplication::removeTranslator(&table);
    }

private:
    static void removeTables()
    {
        const auto translators = QCoreApplication::instance()->findChildren<QTranslator *>();
        for (QTranslator *translator : translators) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }
};

QTEST_GUILESS_MAIN(TextTablesTest)
#include "tst_texttables.moc"
