// Texts: the shortcut format and its key table, the translation tables, and the log lines.

#include "platform/KeyPositions.h"
#include "platform/LogLine.h"
#include "shortcuts/GlobalShortcuts.h"
#include "shortcuts/ShortcutText.h"
#include "support/TestUtilities.h"
#include "text/TextKeys.h"
#include "text/tr.h"

#include <QSet>
#include <QTest>
#include <QTranslator>

class TextTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every key has one name, one name one key and one place on the keyboard; keys outside the
    // table have none.
    void keyTableIsOneToOne()
    {
        QSet<QString> names;
        QSet<int> codes;
        for (auto table : {mainKeys(), functionKeys(), otherKeys()})
            for (const KeyTableEntry &entry : table) {
                names.insert(QString::fromLatin1(entry.name));
                codes.insert(entry.code);
                QCOMPARE(keyCodeForName(QString::fromLatin1(entry.name)), std::optional<std::uint32_t>(entry.code));
                QCOMPARE(keyNameForCode(entry.code), std::optional<QString>(QString::fromLatin1(entry.name)));
                // A key with no place on the keyboard could never be recorded nor grabbed.
                const std::optional<std::uint8_t> keycode = xkbKeycodeForKeyCode(entry.code);
                QVERIFY2(keycode && keyCodeForXkbKeycode(*keycode) == entry.code, entry.name);
            }
        QCOMPARE(names.size(), 52);
        QCOMPARE(codes.size(), 52);
        for (const std::uint16_t code : {0x24, 0x6B, 0x53}) // Return, F14, keypad 1
            QCOMPARE(keyNameForCode(code), std::nullopt);
        // Lower-casing must not follow the user's locale: in Turkish, "I" lower-cases to "ı".
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
        const auto turkish = GlobalShortcuts::parse(QStringLiteral("SHIFT+CONTROL+I"));
        QLocale::setDefault(previous);
        QVERIFY(turkish && turkish->keyCode == 34u && turkish->modifiers == 0x1200u);
    }

    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("keyCode"); // 999: not a shortcut
        QTest::addColumn<uint>("mask");
        const QList<std::tuple<const char *, const char *, uint, uint>> rows{
            {"area default", "control+option+command+4", 21, 0x1900}, {"capitalised", "Control+Option+Command+A", 0, 0x1900},
            {"short words", "ctrl+alt+cmd+4", 21, 0x1900},             {"meta, any order", "meta+ctrl+alt+4", 21, 0x1900},
            {"doubled plus", "control++4", 21, 0x1000},                 {"duplicated modifier", "control+control+4", 21, 0x1000},
            {"space key", "shift+command+space", 49, 0x0300},           {"function key", "control+f5", 96, 0x1000},
            {"f12", "option+F12", 111, 0x0800},                         {"equals", "shift+=", 24, 0x0200},
            {"minus", "shift+-", 27, 0x0200},                           {"trailing plus", "control+4+", 21, 0x1000},
            {"empty", "", 999, 0},                                      {"key alone", "4", 999, 0},
            {"function key alone", "f5", 999, 0},                       {"modifier, no key", "control+", 999, 0},
            {"leading plus", "+4", 999, 0},                             {"space inside", "control+ 4", 999, 0},
            {"leading space", " control+4", 999, 0},                    {"unknown modifier", "hyper+4", 999, 0},
            {"Print alone", "print", 0x69, 0},                          {"shift+Print", "Shift+Print", 0x69, 0x0200},
            {"return", "control+return", 999, 0},                       {"f13", "control+f13", 999, 0},
            {"bracket", "control+[", 999, 0},                           {"modifier as key", "control+shift", 999, 0},
            {"dotless i is not i", "control+\u0131", 999, 0},          {"fullwidth letter", "control+\uFF41", 999, 0}};
        for (const auto &[name, text, code, mask] : rows)
            QTest::newRow(name) << QString::fromUtf8(text) << code << mask;
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(uint, keyCode);
        QFETCH(uint, mask);
        const std::optional<ParsedShortcut> parsed = GlobalShortcuts::parse(text);
        QCOMPARE(parsed ? parsed->keyCode : 999u, keyCode);
        if (parsed)
            QCOMPARE(parsed->modifiers, mask);
    }

    // How the desktop shows a shortcut, and how its shortcuts portal and GNOME's settings take one.
    void displayForms()
    {
        const QList<std::tuple<QString, QString, QString, QString>> rows{
            {"control+option+command+4", "Ctrl+Alt+Super+4", "CTRL+ALT+LOGO+4", "<Control><Alt><Super>4"},
            {"command+shift+control+option+a", "Ctrl+Alt+Shift+Super+A", "CTRL+ALT+SHIFT+LOGO+a", "<Control><Alt><Shift><Super>a"},
            {"Control+Option+Command+A", "A", "a", "a"}, // capitalised words are not modifiers
            {"shift+command+space", "Shift+Super+Space", "SHIFT+LOGO+space", "<Shift><Super>space"},
            {"control+=", "Ctrl+=", "CTRL+equal", "<Control>equal"},
            {"option+f5", "Alt+F5", "ALT+F5", "<Alt>F5"},
            {"print", "Print", "Print", "Print"},
            {"control+print", "Ctrl+Print", "CTRL+Print", "<Control>Print"},
            {"", "", "", ""},
            {"++", "++", "++", "++"}};
        for (const auto &[text, shown, trigger, gnome] : rows) {
            QCOMPARE(prettyShortcut(text), shown);
            QCOMPARE(portalTrigger(text), trigger);
            QCOMPARE(gnomeAccelerator(text), gnome);
        }
    }

    // Every key is in every table; the language follows the locale; missing texts show their key.
    void translationTables()
    {
        QCOMPARE(::tr("status.ready"), QStringLiteral("status.ready")); // no table yet
        QCOMPARE(::tr("Seleziona area\u2026"), QStringLiteral("Seleziona area\u2026"));
        for (const char *language : {"en", "it"}) {
            QTranslator table;
            QVERIFY(table.load(QStringLiteral("pixdrift_") + language, QStringLiteral(":/i18n")));
            QStringList missing;
            for (std::string_view key : textKeys)
                if (table.translate(nullptr, QByteArray(key.data(), qsizetype(key.size())).constData()).trimmed().isEmpty())
                    missing << QString::fromUtf8(key.data(), qsizetype(key.size()));
            for (std::string_view key : literalTexts)
                if (table.translate(nullptr, QByteArray(key.data(), qsizetype(key.size())).constData()).trimmed().isEmpty())
                    missing << QString::fromUtf8(key.data(), qsizetype(key.size()));
            QVERIFY2(missing.isEmpty(), qPrintable(language + QStringLiteral(" misses ") + missing.join(u", ")));
            QCOMPARE(table.translate(nullptr, "status.saved").count(QStringLiteral("%@")), 1);
        }
        const QList<std::pair<QLocale, QString>> locales{{QLocale(QLocale::English, QLocale::UnitedKingdom), "Capture"},
                                                         {QLocale(QLocale::Italian, QLocale::Switzerland), "Cattura"},
                                                         {QLocale(QLocale::German), "Capture"},
                                                         {QLocale::c(), "Capture"}};
        for (const auto &[locale, capture] : locales) {
            QVERIFY(!loadTranslations(locale).isEmpty());
            QCOMPARE(::tr("Cattura"), capture);
            QCOMPARE(::tr("status.ready"), capture == u"Cattura" ? QStringLiteral("Pronto.") : QStringLiteral("Ready."));
            // Qt's own dialogs speak the same language.
            QCOMPARE(QCoreApplication::translate("QFileDialog", "Save As"),
                     capture == u"Cattura" ? QStringLiteral("Salva come") : QStringLiteral("Save As"));
            for (QTranslator *translator : QCoreApplication::instance()->findChildren<QTranslator *>()) {
                QCoreApplication::removeTranslator(translator);
                delete translator;
            }
        }
    }

    // User text is data, never format; control characters cannot forge a second line.
    void logLines()
    {
        QCOMPARE(formatLogLine("registered=%@ status=%d handler=%d",
                               {QStringLiteral("YES"), std::int64_t{-9878}, std::int64_t{0}}),
                 QStringLiteral("registered=YES status=-9878 handler=0"));
        QCOMPARE(formatLogLine("id=%u", {std::uint64_t{4294967295u}}), QStringLiteral("id=4294967295"));
        QCOMPARE(formatLogLine("100%% done, %d%%", {std::int64_t{5}}), QStringLiteral("100% done, 5%"));
        QCOMPARE(formatLogLine("failed: %@", {QStringLiteral("%@ %d %s %n")}), QStringLiteral("failed: %@ %d %s %n"));
        QCOMPARE(formatLogLine("a=%@ b=%d", {QStringLiteral("x")}), QStringLiteral("a=x b=%d"));
        QCOMPARE(formatLogLine("plain %s %x %", {std::int64_t{1}}), QStringLiteral("plain %s %x %"));
        QCOMPARE(formatLogLine("area=%@", {QStringLiteral("a\nPixdrift received global hotkey id=2\t\x1b\\")}),
                 QStringLiteral("area=a\\nPixdrift received global hotkey id=2\\t\\u001b\\\\"));
        LogCapture log;
        logLine("Pixdrift received global hotkey id=%u", 2u);
        QCOMPARE(log.lines(), QStringList{QStringLiteral("Pixdrift received global hotkey id=2")});
    }
};

QTEST_GUILESS_MAIN(TextTest)
#include "tst_text.moc"
