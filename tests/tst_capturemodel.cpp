#include "text/tr.h"
#include "model/CaptureModel.h"
#include "platform/UserDefaults.h"
#include "support/TestUtilities.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>


class CaptureModelTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(!loadTranslations(QLocale(QLocale::English)).isEmpty()); }

    void init()
    {
        QVERIFY(m_dir.emplace().isValid());
        m_path = m_dir->filePath(QStringLiteral("defaults.json"));
    }

    void startsEmptyAndReady()
    {
        UserDefaults defaults(m_path);
        CaptureModel model(defaults);
        QVERIFY(!model.hasImage());
        QCOMPARE(model.status(), QStringLiteral("Ready."));
        QCOMPARE(model.crop(), QRectF(0, 0, 0, 0));
        QCOMPARE(model.full(), false);
        QCOMPARE(model.tool(), QStringLiteral("tool.arrow"));
        QVERIFY(model.marks().isEmpty());
        QCOMPARE(model.captureGeneration(), 0);
    }

    void migration_data()
    {
        QTest::addColumn<QByteArray>("stored"); // empty: no file yet
        QTest::addColumn<QString>("area");
        QTest::addColumn<QString>("full");
        QTest::addColumn<bool>("rewritten");

        const QString area = CaptureModel::defaultAreaShortcut;
        const QString full = CaptureModel::defaultFullShortcut;
        QTest::newRow("first start") << QByteArray() << area << full << true;
        QTest::newRow("version 2 with custom shortcuts")
            << QByteArray("{\"pd.areaShortcut\":\"control+a\",\"pd.fullShortcut\":\"control+b\",\"pd.shortcutDefaultsVersion\":2}")
            << area << full << true;
        QTest::newRow("custom shortcuts, no version")
            << QByteArray("{\"pd.areaShortcut\":\"control+a\",\"pd.fullShortcut\":\"control+b\"}") << area << full << true;
        QTest::newRow("version stored as text")
            << QByteArray("{\"pd.areaShortcut\":\"control+a\",\"pd.shortcutDefaultsVersion\":\"3\"}") << area << full << true;
        QTest::newRow("version 3 keeps custom shortcuts")
            << QByteArray("{\"pd.areaShortcut\":\"control+a\",\"pd.fullShortcut\":\"control+b\",\"pd.shortcutDefaultsVersion\":3}")
            << "control+a" << "control+b" << false;
        QTest::newRow("version 7 keeps custom shortcuts")
            << QByteArray("{\"pd.areaShortcut\":\"shift+f5\",\"pd.fullShortcut\":\"control+b\",\"pd.shortcutDefaultsVersion\":7}")
            << "shift+f5" << "control+b" << false;
        QTest::newRow("a number as the area shortcut")
            << QByteArray("{\"pd.areaShortcut\":5,\"pd.fullShortcut\":\"control+b\",\"pd.shortcutDefaultsVersion\":3}")
            << area << "control+b" << false;
        QTest::newRow("an empty full shortcut")
            << QByteArray("{\"pd.areaShortcut\":\"control+a\",\"pd.fullShortcut\":\"\",\"pd.shortcutDefaultsVersion\":3}")
            << "control+a" << "" << false;
    }

    void migration()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, area);
        QFETCH(QString, full);
        QFETCH(bool, rewritten);

        if (!stored.isEmpty()) {
            QFile file(m_path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(stored);
        }
        {
            UserDefaults defaults(m_path);
            CaptureModel model(defaults);
            QCOMPARE(model.areaShortcut(), area);
            QCOMPARE(model.fullShortcut(), full);
        }

        const QByteArray after = readFile(m_path);
        if (!rewritten) {
            QCOMPARE(after, stored);
            return;
        }
        const QJsonObject object = QJsonDocument::fromJson(after).object();
        QCOMPARE(object.value(QStringLiteral("pd.areaShortcut")), QJsonValue(CaptureModel::defaultAreaShortcut));
        QCOMPARE(object.value(QStringLiteral("pd.fullShortcut")), QJsonValue(CaptureModel::defaultFullShortcut));
        QCOMPARE(object.value(QStringLiteral("pd.shortcutDefaultsVersion")), QJsonValue(3));

        // The migration runs once: shortcuts saved afterwards survive the next start.
        {
            UserDefaults defaults(m_path);
            QVERIFY(defaults.setString(QStringLiteral("pd.areaShortcut"), QStringLiteral("control+z")));
        }
        UserDefaults defaults(m_path);
        CaptureModel model(defaults);
        QCOMPARE(model.areaShortcut(), QStringLiteral("control+z"));
    }

    // Observers of the will-change signal see the old value; the field's own signal the new one.
    void willChangeComesBeforeTheStore()
    {
        auto defaults = UserDefaults::inMemory();
        CaptureModel model(*defaults);
        QStringList seen;
        connect(&model, &CaptureModel::objectWillChange, this, [&] { seen << QStringLiteral("will:") + model.status(); });
        connect(&model, &CaptureModel::statusChanged, this, [&] { seen << QStringLiteral("did:") + model.status(); });
        model.setStatus(QStringLiteral("Copied."));
        QCOMPARE(seen, QStringList({QStringLiteral("will:Ready."), QStringLiteral("did:Copied.")}));
    }

    void everyStoreNotifiesOnce()
    {
        auto defaults = UserDefaults::inMemory();
        CaptureModel model(*defaults);
        QSignalSpy willChange(&model, &CaptureModel::objectWillChange);

        const QList<Mark> marks{Mark({1, 2}, {3, 4}, Qt::red, QStringLiteral("tool.pen"))};
        model.setImage(QImage(4, 4, QImage::Format_RGB32));
        model.setStatus(QStringLiteral("x"));
        model.setStatus(QStringLiteral("x")); // an equal value still notifies
        model.setCrop(QRectF(1, 2, 3, 4));
        model.setFull(true);
        model.setTool(QStringLiteral("tool.rectangle"));
        model.setMarks(marks);
        model.setAreaShortcut(QStringLiteral("control+a"));
        model.setFullShortcut(QStringLiteral("control+b"));
        QCOMPARE(willChange.count(), 9);

        model.setCaptureGeneration(model.captureGeneration() + 1);
        QCOMPARE(willChange.count(), 9);
        QCOMPARE(model.captureGeneration(), 1);

        QCOMPARE(model.marks(), marks);
        QCOMPARE(model.crop(), QRectF(1, 2, 3, 4));
    }

    void sharedFollowsTheNewestModel()
    {
        auto defaults = UserDefaults::inMemory();
        auto first = std::make_unique<CaptureModel>(*defaults);
        QCOMPARE(CaptureModel::shared(), first.get());
        {
            CaptureModel second(*defaults);
            QCOMPARE(CaptureModel::shared(), &second);
        }
        // The newest is gone; the weak reference does not fall back to an older model.
        QCOMPARE(CaptureModel::shared(), nullptr);
        QVERIFY(first);
    }

    void marksGetTheirOwnIdentity()
    {
        const Mark a({0, 0}, {1, 1}, Qt::red, QStringLiteral("tool.arrow"));
        const Mark b({0, 0}, {1, 1}, Qt::red, QStringLiteral("tool.arrow"));
        QVERIFY(!a.id.isNull());
        QVERIFY(a.id != b.id);
        QCOMPARE(a.id.version(), QUuid::Random);
    }

private:
    std::optional<QTemporaryDir> m_dir;
    QString m_path;
};

QTEST_GUILESS_MAIN(CaptureModelTest)
#include "tst_capturemodel.moc"
