#include "shortcuts/GlobalShortcuts.h"
#include "shortcuts/ShortcutText.h"

#include <QLocale>
#include <QSet>
#include <QTest>

class ShortcutTextTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keyTableIsOneToOne()
    {
        QCOMPARE(mainKeys().size(), 39);
        QCOMPARE(functionKeys().size(), 12);
        QSet<QString> names;
        QSet<int> codes;
        for (auto table : {mainKeys(), functionKeys()}) {
            for (const KeyTableEntry &entry : table) {
                const QString name = QString::fromLatin1(entry.name);
                names.insert(name);
                codes.insert(entry.code);
                QCOMPARE(keyCodeForName(name), std::optional<std::uint32_t>(entry.code));
                QCOMPARE(keyNameForCode(entry.code), std::optional<QString>(name));
            }
        }
        QCOMPARE(names.size(), 51);
        QCOMPARE(codes.size(), 51);
        QCOMPARE(keyNameForCode(0x24), std::nullopt); // return
        QCOMPARE(keyNameForCode(0x69), std::nullopt); // F13
        QCOMPARE(keyNameForCode(0x53), std::nullopt); // keypad 1
    }

    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<uint>("keyCode");
        QTest::addColumn<uint>("mask");

        QTest::newRow("area default") << "control+option+command+4" << true << 21u << 0x1900u;
        QTest::newRow("full default") << "control+option+command+3" << true << 20u << 0x1900u;
        QTest::newRow("capitalised") << "Control+Option+Command+A" << true << 0u << 0x1900u;
        QTest::newRow("short words") << "ctrl+alt+cmd+4" << true << 21u << 0x1900u;
        QTest::newRow("meta first") << "meta+ctrl+alt+4" << true << 21u << 0x1900u;
        QTest::newRow("any order") << "command+control+option+4" << true << 21u << 0x1900u;
        QTest::newRow("doubled plus") << "control++4" << true << 21u << 0x1000u;
        QTest::newRow("duplicated modifier") << "control+control+4" << true << 21u << 0x1000u;
        QTest::newRow("space key") << "shift+command+space" << true << 49u << 0x0300u;
        QTest::newRow("function key") << "control+f5" << true << 96u << 0x1000u;
        QTest::newRow("f12") << "option+F12" << true << 111u << 0x0800u;
        QTest::newRow("equals") << "shift+=" << true << 24u << 0x0200u;
        QTest::newRow("minus") << "shift+-" << true << 27u << 0x0200u;
        QTest::newRow("trailing plus") << "control+4+" << true << 21u << 0x1000u;

        QTest::newRow("empty") << "" << false << 0u << 0u;
        QTest::newRow("key alone") << "4" << false << 0u << 0u;
        QTest::newRow("space alone") << "space" << false << 0u << 0u;
        QTest::newRow("function key alone") << "f5" << false << 0u << 0u;
        QTest::newRow("modifier, no key") << "control+" << false << 0u << 0u;
        QTest::newRow("leading plus") << "+4" << false << 0u << 0u;
        QTest::newRow("space inside") << "control+ 4" << false << 0u << 0u;
        QTest::newRow("leading space") << " control+4" << false << 0u << 0u;
        QTest::newRow("unknown modifier") << "hyper+4" << false << 0u << 0u;
        QTest::newRow("return") << "control+return" << false << 0u << 0u;
        QTest::newRow("f13") << "control+f13" << false << 0u << 0u;
        QTest::newRow("bracket") << "control+[" << false << 0u << 0u;
        QTest::newRow("modifier as key") << "control+shift" << false << 0u << 0u;
        QTest::newRow("dotless i is not i") << "control+\u0131" << false << 0u << 0u;
        QTest::newRow("fullwidth letter") << "control+\uFF41" << false << 0u << 0u;
    }

    void parse()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(uint, keyCode);
        QFETCH(uint, mask);

        const std::optional<ParsedShortcut> parsed = GlobalShortcuts::parse(text);
        QCOMPARE(parsed.has_value(), valid);
        if (valid) {
            QCOMPARE(parsed->keyCode, keyCode);
            QCOMPARE(parsed->modifiers, mask);
        }
    }

    // Lower-casing must not follow the user's locale: in Turkish, "I" lower-cases to "ı".
    void parseIgnoresTheLocale()
    {
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
        const auto parsed = GlobalShortcuts::parse(QStringLiteral("SHIFT+CONTROL+I"));
        QLocale::setDefault(previous);
        QVERIFY(parsed.has_value());
        QCOMPARE(parsed->keyCode, 34u);
        QCOMPARE(parsed->modifiers, 0x1200u);
    }

    void pretty_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("trigger"); // as the desktop's shortcuts portal takes it

        QTest::newRow("area default") << "control+option+command+4" << "Ctrl+Alt+Super+4" << "CTRL+ALT+LOGO+4";
        QTest::newRow("every modifier") << "control+option+shift+command+a" << "Ctrl+Alt+Shift+Super+A" << "CTRL+ALT+SHIFT+LOGO+a";
        QTest::newRow("desktop order, not stored order") << "command+shift+control+a" << "Ctrl+Shift+Super+A" << "CTRL+SHIFT+LOGO+a";
        QTest::newRow("short words, one name each") << "ctrl+alt+cmd+meta+x" << "Ctrl+Alt+Super+X" << "CTRL+ALT+LOGO+x";
        QTest::newRow("capitalised words dropped") << "Control+Option+Command+A" << "A" << "a";
        QTest::newRow("unknown word dropped") << "hyper+4" << "4" << "4";
        QTest::newRow("space") << "shift+command+space" << "Shift+Super+Space" << "SHIFT+LOGO+space";
        QTest::newRow("function key, no fn") << "control+option+f5" << "Ctrl+Alt+F5" << "CTRL+ALT+F5";
        QTest::newRow("punctuation") << "control+=" << "Ctrl+=" << "CTRL+equal";
        QTest::newRow("empty") << "" << "" << "";
        QTest::newRow("only plus signs") << "++" << "++" << "++";
    }

    void pretty()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QFETCH(QString, trigger);
        QCOMPARE(prettyShortcut(text), expected);
        QCOMPARE(portalTrigger(text), trigger);
    }
};

QTEST_GUILESS_MAIN(ShortcutTextTest)
#include "tst_shortcuttext.moc"
