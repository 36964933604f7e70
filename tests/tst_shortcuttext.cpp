#include "platform/UserDefaults.h"
#include "shortcuts/GlobalShortcuts.h"
#include "shortcuts/ShortcutText.h"

#include <QJsonObject>
#include <QLocale>
#include <QSet>
#include <QTest>

class ShortcutTextTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { UserDefaults::setGlobalDomain(nullptr); }

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
        QTest::addColumn<QJsonValue>("fnState"); // undefined: the setting is absent
        QTest::addColumn<QString>("expected");

        const QJsonValue absent(QJsonValue::Undefined);
        QTest::newRow("area default") << "control+option+command+4" << absent << "⌃⌥⌘4";
        QTest::newRow("full default") << "control+option+command+3" << absent << "⌃⌥⌘3";
        QTest::newRow("canonical order") << "control+option+shift+command+a" << absent << "⌃⌥⇧⌘A";
        QTest::newRow("word order kept") << "command+shift+a" << absent << "⌘⇧A";
        QTest::newRow("short words") << "ctrl+alt+cmd+meta+x" << absent << "⌃⌥⌘⌘X";
        QTest::newRow("capitalised words dropped") << "Control+Option+Command+A" << absent << "A";
        QTest::newRow("unknown word dropped") << "hyper+4" << absent << "4";
        QTest::newRow("space") << "shift+command+space" << absent << "⇧⌘Space";
        QTest::newRow("lone space") << "space" << absent << "Space";
        QTest::newRow("empty") << "" << absent << "";
        QTest::newRow("only plus signs") << "++" << absent << "++";
        QTest::newRow("unknown key upper-cased") << "control+return" << absent << "⌃RETURN";
        QTest::newRow("fn, setting absent") << "control+f5" << absent << "fn+⌃F5";
        QTest::newRow("fn, setting 0") << "control+f5" << QJsonValue(0) << "fn+⌃F5";
        QTest::newRow("fn, setting 2") << "control+f5" << QJsonValue(2) << "fn+⌃F5";
        QTest::newRow("fn, setting a text") << "control+f5" << QJsonValue("1") << "fn+⌃F5";
        QTest::newRow("fn, setting 1") << "control+f5" << QJsonValue(1) << "⌃F5";
        QTest::newRow("lone f5") << "f5" << absent << "fn+F5";
        QTest::newRow("lone f5, setting 1") << "f5" << QJsonValue(1) << "F5";
        QTest::newRow("f12") << "shift+f12" << absent << "fn+⇧F12";
        QTest::newRow("f13 has no fn") << "shift+f13" << absent << "⇧F13";
        QTest::newRow("f alone has no fn") << "control+f" << absent << "⌃F";
        QTest::newRow("upper-case F5 has no fn") << "control+F5" << absent << "⌃F5";
    }

    void pretty()
    {
        QFETCH(QString, text);
        QFETCH(QJsonValue, fnState);
        QFETCH(QString, expected);

        QJsonObject global;
        if (!fnState.isUndefined())
            global.insert(QStringLiteral("com.apple.keyboard.fnState"), fnState);
        UserDefaults::setGlobalDomain(UserDefaults::inMemory(global));
        QCOMPARE(prettyShortcut(text), expected);
    }
};

QTEST_GUILESS_MAIN(ShortcutTextTest)
#include "tst_shortcuttext.moc"
