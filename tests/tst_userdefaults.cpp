#include "platform/UserDefaults.h"
#include "support/LogCapture.h"
#include "support/TestUtilities.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>



class UserDefaultsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.emplace().isValid());
        m_path = m_dir->filePath(QStringLiteral("Pixdrift/defaults.json"));
    }

    void standardPathIsUnderTheConfigFolder()
    {
        qputenv("XDG_CONFIG_HOME", m_dir->path().toUtf8());
        QCOMPARE(UserDefaults::standardPath(), m_dir->filePath(QStringLiteral("Pixdrift/defaults.json")));
    }

    void typesSurviveARestart()
    {
        {
            UserDefaults store(m_path);
            QVERIFY(store.setString(QStringLiteral("text"), QStringLiteral("control+option+command+4")));
            QVERIFY(store.setString(QStringLiteral("empty"), QString()));
            QVERIFY(store.setInteger(QStringLiteral("number"), 3));
            QVERIFY(store.setInteger(QStringLiteral("big"), Q_INT64_C(1) << 52));
            QVERIFY(store.setValue(QStringLiteral("list"), QJsonArray{1, QStringLiteral("two")}));
            QVERIFY(store.setValue(QStringLiteral("flag"), true));
        }
        const UserDefaults store(m_path);
        QCOMPARE(store.string(QStringLiteral("text")), QStringLiteral("control+option+command+4"));
        QCOMPARE(store.string(QStringLiteral("empty")), QString());
        QCOMPARE(store.integer(QStringLiteral("number")), 3);
        QCOMPARE(store.integer(QStringLiteral("big")), Q_INT64_C(1) << 52);
        QCOMPARE(store.value(QStringLiteral("list")), QJsonValue(QJsonArray{1, QStringLiteral("two")}));
        QCOMPARE(store.value(QStringLiteral("flag")), QJsonValue(true));
        // A value of another type reads as absent.
        QCOMPARE(store.string(QStringLiteral("number")), std::nullopt);
        QCOMPARE(store.integer(QStringLiteral("text")), std::nullopt);
        QCOMPARE(store.integer(QStringLiteral("flag")), std::nullopt);
        QCOMPARE(store.string(QStringLiteral("missing")), std::nullopt);
    }

    void onlyWholeNumbersAreIntegers_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("isInteger");
        QTest::newRow("whole") << QByteArray("3") << true;
        QTest::newRow("negative") << QByteArray("-7") << true;
        QTest::newRow("written as a fraction") << QByteArray("3.0") << true;
        QTest::newRow("fraction") << QByteArray("2.5") << false;
        QTest::newRow("text") << QByteArray("\"3\"") << false;
        QTest::newRow("null") << QByteArray("null") << false;
        QTest::newRow("too large") << QByteArray("1e300") << false;
    }

    void onlyWholeNumbersAreIntegers()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, isInteger);
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        QVERIFY(writeFile(m_path, "{\"v\": " + json + "}"));
        const UserDefaults store(m_path);
        QCOMPARE(store.integer(QStringLiteral("v")).has_value(), isInteger);
    }

    void valuesOfOtherTypesAreLeftUntouched()
    {
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        QVERIFY(writeFile(m_path, "{\"pd.areaShortcut\": 5, \"other\": {\"nested\": [1, 2]}}"));
        UserDefaults store(m_path);
        QCOMPARE(store.string(QStringLiteral("pd.areaShortcut")), std::nullopt);
        QVERIFY(store.setInteger(QStringLiteral("pd.shortcutDefaultsVersion"), 3));

        const QJsonObject onDisk = QJsonDocument::fromJson(readFile(m_path)).object();
        QCOMPARE(onDisk.value(QStringLiteral("pd.areaShortcut")), QJsonValue(5));
        QCOMPARE(onDisk.value(QStringLiteral("other")).toObject().value(QStringLiteral("nested")),
                 QJsonValue(QJsonArray{1, 2}));
        QCOMPARE(onDisk.value(QStringLiteral("pd.shortcutDefaultsVersion")), QJsonValue(3));
    }

    void unreadableContentIsMovedAside_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("special"); // what stands at the path instead of a plain file
        QTest::newRow("not JSON") << QByteArray("pd.areaShortcut = control+4\n") << QString();
        QTest::newRow("cut short") << QByteArray("{\"pd.areaShortcut\": \"contr") << QString();
        QTest::newRow("an array") << QByteArray("[\"control+option+command+4\"]") << QString();
        QTest::newRow("a number") << QByteArray("3") << QString();
        QTest::newRow("empty file") << QByteArray() << QString();
        QTest::newRow("over 1 MiB") << (QByteArray("{\"a\": \"") + QByteArray(1 << 20, 'x') + "\"}") << QString();
        // Neither may hang start-up or eat memory.
        QTest::newRow("a FIFO") << QByteArray() << QStringLiteral("fifo");
        QTest::newRow("a link to /dev/zero") << QByteArray() << QStringLiteral("/dev/zero");
    }

    void unreadableContentIsMovedAside()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, special);
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        if (special == u"fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(m_path).constData(), 0600), 0);
        else if (!special.isEmpty())
            QVERIFY(QFile::link(special, m_path));
        else
            QVERIFY(writeFile(m_path, content));

        LogCapture log;
        UserDefaults store(m_path);
        QCOMPARE(store.value(QStringLiteral("pd.areaShortcut")), QJsonValue(QJsonValue::Undefined));
        QCOMPARE(log.lines().size(), 1);
        QVERIFY(log.lines().first().contains(m_path));

        const QStringList aside = QDir(QFileInfo(m_path).absolutePath())
                                      .entryList({QStringLiteral("defaults.json.corrupt-*")}, QDir::Files | QDir::System);
        QCOMPARE(aside.size(), 1);
        if (special.isEmpty())
            QCOMPARE(readFile(QFileInfo(m_path).absolutePath() + u'/' + aside.first()), content);

        QVERIFY(store.setString(QStringLiteral("pd.areaShortcut"), QStringLiteral("control+a")));
        QCOMPARE(UserDefaults(m_path).string(QStringLiteral("pd.areaShortcut")), QStringLiteral("control+a"));
    }

    void aFailedWriteKeepsThePreviousFile()
    {
        UserDefaults store(m_path);
        QVERIFY(store.setString(QStringLiteral("pd.areaShortcut"), QStringLiteral("control+a")));
        const QByteArray before = readFile(m_path);

        LogCapture log;
        {
            const FileSizeLimit limit(before.size() + 64);
            QVERIFY(!store.setString(QStringLiteral("big"), QString(4096, u'x')));
        }
        QCOMPARE(readFile(m_path), before);
        QCOMPARE(log.lines().size(), 1);
        QVERIFY(QDir(QFileInfo(m_path).absolutePath()).entryList(QDir::Files).size() == 1);
        // Memory matches the file, so no later write can store what failed here.
        QCOMPARE(store.string(QStringLiteral("big")), std::nullopt);
        QVERIFY(!store.lastError().isEmpty());
    }

    void aPathUnderAFileCannotBeWritten()
    {
        QVERIFY(writeFile(m_dir->filePath(QStringLiteral("plain")), "x"));
        LogCapture log;
        UserDefaults store(m_dir->filePath(QStringLiteral("plain/defaults.json")));
        QVERIFY(!store.setInteger(QStringLiteral("v"), 1));
        QCOMPARE(store.integer(QStringLiteral("v")), std::nullopt);
        QCOMPARE(log.lines().size(), 1);
    }

    void inMemoryStoresWriteNothing()
    {
        auto store = UserDefaults::inMemory({{QStringLiteral("a"), 1}});
        QCOMPARE(store->integer(QStringLiteral("a")), 1);
        QVERIFY(store->setInteger(QStringLiteral("a"), 2));
        QCOMPARE(store->integer(QStringLiteral("a")), 2);
        QVERIFY(store->filePath().isEmpty());
    }

private:
    std::optional<QTemporaryDir> m_dir;
    QString m_path;
};

QTEST_GUILESS_MAIN(UserDefaultsTest)
#include "tst_userdefaults.moc"
