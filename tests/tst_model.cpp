// The capture model's output: the crop, Copy and Save, files that never replace or cut off
// another, the PNG encoder, and the stored shortcuts' migration.

#include "model/FileNaming.h"
#include "model/MarkDrawing.h"
#include "model/PngEncoder.h"
#include "support/Fakes.h"
#include "support/TestUtilities.h"
#include "text/tr.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QImageReader>
#include <QJsonDocument>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/wait.h>
#include <thread>

class ModelTest : public QObject
{
    Q_OBJECT

    std::optional<CaptureRig> m_rig;
    std::optional<QTemporaryDir> m_dir;
    CaptureModel &model() { return m_rig->model; }
    QString path(const QString &name) const { return m_dir->filePath(name); }

private Q_SLOTS:
    void initTestCase() { QVERIFY(!loadTranslations(QLocale(QLocale::English)).isEmpty()); }
    void init()
    {
        m_rig.emplace();
        model().setImage(patternImage({200, 100}));
        model().setCrop(QRectF(0, 0, 200, 100));
        QVERIFY(m_dir.emplace().isValid());
    }

    void cropped_data()
    {
        QTest::addColumn<QRectF>("crop");
        QTest::addColumn<bool>("full");
        QTest::addColumn<QRect>("expected"); // null: no output
        QTest::newRow("rounded outward") << QRectF(10.4, 20.6, 100.2, 50.1) << false << QRect(10, 20, 101, 51);
        QTest::newRow("negative size") << QRectF(110.5, 70.5, -100.25, -50.25) << false << QRect(10, 20, 101, 51);
        QTest::newRow("partly outside") << QRectF(-10, -10, 50, 40) << false << QRect(0, 0, 40, 30);
        QTest::newRow("past the far corner") << QRectF(180, 90, 50, 50) << false << QRect(180, 90, 20, 10);
        QTest::newRow("full capture ignores the crop") << QRectF(10, 10, 5, 5) << true << QRect(0, 0, 200, 100);
        QTest::newRow("wholly outside") << QRectF(300, 0, 10, 10) << false << QRect();
        QTest::newRow("no area") << QRectF(10, 10, 0, 5) << false << QRect();
    }
    // The crop is rounded outward and cut to the image; nothing left means no output at all.
    void cropped()
    {
        QFETCH(QRectF, crop);
        QFETCH(bool, full);
        QFETCH(QRect, expected);
        model().setCrop(crop);
        model().setFull(full);
        QCOMPARE(model().cropped(), expected.isNull() ? QImage() : model().image().copy(expected));
        if (!expected.isNull())
            return;
        model().setStatus(QStringLiteral("before"));
        model().output(true);
        model().output(false);
        QCoreApplication::processEvents();
        QCOMPARE(model().status(), QStringLiteral("before"));
        QVERIFY(m_rig->panel.proposedNames.isEmpty());
    }

    // The second save of the same second gets the next free name, in the folder of the first.
    void savingTwiceInOneSecondKeepsBothFiles()
    {
        const QString name = QStringLiteral("Pixdrift-2026-03-03-14-05-09");
        m_rig->panel.answer = path(name + ".png");
        model().output(false);
        QCOMPARE(m_rig->panel.proposedNames, QStringList{name + ".png"});
        QTRY_COMPARE(model().status(), "Saved " + name + ".png.");
        const QByteArray first = readFile(path(name + ".png"));
        model().setCrop(QRectF(0, 0, 20, 20));
        model().output(false);
        QTRY_COMPARE(model().status(), "Saved " + name + " 2.png.");
        QCOMPARE(m_rig->panel.folders, (QStringList{QString(), m_dir->path()}));
        QCOMPARE(readFile(path(name + ".png")), first);
        QCOMPARE(QImage(path(name + " 2.png")).size(), QSize(20, 20));
        // The file is written even when the model is gone by then.
        m_rig->panel.answer = path(QStringLiteral("late.png"));
        model().output(false);
        m_rig.reset();
        QTRY_VERIFY(QFile::exists(path(QStringLiteral("late.png"))));
    }

    void savesThatWriteNothing()
    {
        m_rig->panel.answer.reset(); // cancelled
        model().output(false);
        QTest::qWait(20);
        QCOMPARE(model().status(), QStringLiteral("Ready."));
        QVERIFY(QDir(m_dir->path()).isEmpty());
        QVERIFY(writeFile(path(QStringLiteral("plain")), {}));
        m_rig->panel.answer = path(QStringLiteral("plain/shot.png"));
        model().output(false);
        QTRY_COMPARE(model().status(), QStringLiteral("Could not save: ") + qt_error_string(ENOTDIR));
    }

    // The name pattern's fields at 2026-03-03 14:05:09; a name with a slash, or none, is refused
    // and nothing is stored. The format comes from the extension.
    void namePatterns()
    {
        const QDateTime time(QDate(2026, 3, 3), QTime(14, 5, 9));
        const QList<std::pair<QString, QString>> rows{{FileNaming::defaultPattern, "Pixdrift-2026-03-03-14-05-09"},
                                                      {"%Y%m%d_%H%M%S", "20260303_140509"},
                                                      {"shot %% %q %", "shot % %q %"},
                                                      {"a/%Y", "settings.patternSlash"},
                                                      {"%Y/", "settings.patternSlash"},
                                                      {"", "settings.patternEmpty"},
                                                      {"   ", "settings.patternEmpty"}};
        for (const auto &[pattern, expected] : rows) {
            const FileNaming::Name name = FileNaming::expand(pattern, time);
            QCOMPARE(name.problem ? QString::fromLatin1(name.problem) : name.name, expected);
            SaveSettings settings = model().saveSettings();
            settings.pattern = pattern;
            const QString refused = model().setSaveSettings(settings);
            QCOMPARE(refused, name.problem ? ::tr(name.problem) : QString());
            QCOMPARE(SaveSettings::load(model().defaults()).pattern == pattern, !name.problem);
        }
        const QList<std::pair<QString, std::optional<ImageFormat>>> formats{
            {"a.PNG", ImageFormat::png}, {"a.jpg", ImageFormat::jpeg}, {"b.JPEG", ImageFormat::jpeg},
            {"c.webp", ImageFormat::webp}, {"d.bmp", std::nullopt}, {"dir.jpg/e", std::nullopt}, {"f", std::nullopt}};
        for (const auto &[name, format] : formats)
            QCOMPARE(FileNaming::formatOf(name), format);
    }

    // Save writes into the settings' folder without asking, by the name pattern, in the
    // settings' format, never replacing a file; a folder that has gone means asking; the name
    // chosen in the panel picks its own format. JPEG and WebP files open with the crop's size.
    void savingAsTheSettingsSay()
    {
        QVERIFY(FileNaming::canWrite(ImageFormat::webp)); // scripts/setup installs the plugin
        model().setCrop(QRectF(10, 10, 120, 60));
        SaveSettings settings;
        settings.folder = m_dir->path();
        settings.pattern = QStringLiteral("shot-%H");
        for (const ImageFormat format : {ImageFormat::jpeg, ImageFormat::webp, ImageFormat::png}) {
            settings.format = format;
            QCOMPARE(model().setSaveSettings(settings), QString());
            const QString extension = FileNaming::extensionFor(format);
            for (const QString &name : {"shot-14." + extension, "shot-14 2." + extension}) {
                model().output(false);
                QTRY_COMPARE(model().status(), "Saved " + name + ".");
                QImageReader reader(path(name));
                QCOMPARE(reader.format(), FileNaming::wordFor(format).toLatin1());
                QCOMPARE(reader.read().size(), QSize(120, 60));
            }
        }
        QVERIFY(m_rig->panel.proposedNames.isEmpty());
        settings.folder = path(QStringLiteral("gone"));
        QCOMPARE(model().setSaveSettings(settings), QString());
        m_rig->panel.answer = path(QStringLiteral("chosen.webp"));
        model().output(false);
        QTRY_COMPARE(model().status(), QStringLiteral("Saved chosen.webp."));
        QCOMPARE(m_rig->panel.proposedNames, QStringList{"shot-14.png"});
        QCOMPARE(QImageReader(path(QStringLiteral("chosen.webp"))).format(), QByteArray("webp"));
    }

    // A taken name moves on to "name 2", "name 3"; nothing is replaced; others may not write.
    void numberedNames()
    {
        const QList<std::pair<QString, QStringList>> rows{{"shot.png", {"shot.png", "shot 2.png", "shot 3.png"}},
                                                          {"pic", {"pic.png", "pic 2.png"}},
                                                          {"shot.jpg", {"shot.jpg", "shot 2.jpg"}},
                                                          {"a.b.png", {"a.b.png", "a.b 2.png"}},
                                                          {"my shot 2.png", {"my shot 2.png", "my shot 2 2.png"}}};
        for (const auto &[proposed, written] : rows) {
            for (const QString &name : written) {
                const auto result = CaptureModel::writeWithoutOverwriting(name.toUtf8(), path(proposed));
                QCOMPARE(result.error, 0);
                QCOMPARE(result.path, path(name));
            }
            for (const QString &name : written)
                QCOMPARE(readFile(path(name)), name.toUtf8());
        }
        QCOMPARE(QFileInfo(path("shot.png")).permissions() & QFile::WriteOther, QFile::Permissions());
    }

    void concurrentSavesNeverShareAFile()
    {
        std::array<CaptureModel::WriteResult, 12> results;
        std::vector<std::thread> threads;
        for (std::size_t i = 0; i < results.size(); ++i)
            threads.emplace_back([&, i] {
                results[i] = CaptureModel::writeWithoutOverwriting(QByteArray(100000, char('a' + i)), path("race.png"));
            });
        for (std::thread &thread : threads)
            thread.join();
        QSet<QString> paths;
        for (std::size_t i = 0; i < results.size(); ++i) {
            paths.insert(results[i].path);
            QCOMPARE(readFile(results[i].path), QByteArray(100000, char('a' + i)));
        }
        QCOMPARE(paths.size(), 12);
    }

    // A write that fails half-way, or a save killed at any moment, leaves a complete file or none.
    void noCutOffFiles()
    {
        {
            const FileSizeLimit limit(4096);
            QCOMPARE(CaptureModel::writeWithoutOverwriting(QByteArray(100000, 'x'), path("big.png")).error, EFBIG);
        }
        QVERIFY(QDir(m_dir->path()).isEmpty());

        QByteArray bytes(4 << 20, Qt::Uninitialized);
        for (qsizetype i = 0; i < bytes.size(); ++i)
            bytes[i] = char(i * 131 + (i >> 12));
        int complete = 0;
        // The last round waits for a whole file before the kill: on a busy machine no random
        // moment may come late enough, and the rounds must show that writes do get through.
        for (int round = 0; round <= 25; ++round) {
            const pid_t child = ::fork();
            if (child == 0)
                for (;;)
                    (void)CaptureModel::writeWithoutOverwriting(bytes, path("killed.png"));
            QVERIFY(child > 0);
            if (round < 25 || complete > 0)
                std::this_thread::sleep_for(std::chrono::microseconds(QRandomGenerator::global()->bounded(500, 20000)));
            else
                for (QDeadlineTimer until(60000); !QFile::exists(path("killed.png")) && !until.hasExpired();)
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            const QStringList saved = QDir(m_dir->path()).entryList({QStringLiteral("*.png")}, QDir::Files);
            for (const QString &name : saved) {
                QVERIFY2(readFile(path(name)) == bytes, qPrintable(name + " is cut off"));
                QVERIFY(QFile::remove(path(name)));
            }
            complete += int(saved.size());
        }
        QVERIFY(complete > 0);
    }

    // A translation's text is data: only the first "%@" takes the file name.
    void savedStatusAndTimestamp()
    {
        const QList<std::pair<QString, QString>> rows{{"Saved %@.", "Saved shot.png."},
                                                      {"%1$@ saved", "shot.png saved"},
                                                      {"status.saved", "status.saved"},
                                                      {"100%% saved: %@", "100% saved: shot.png"},
                                                      {"%d %s %n %@ %x", "%d %s %n shot.png %x"},
                                                      {"%@ and %@", "shot.png and %@"},
                                                      {"done %", "done %"}};
        for (const auto &[format, expected] : rows)
            QCOMPARE(CaptureModel::formatSavedStatus(format, QStringLiteral("shot.png")), expected);
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
        const QString stamp = CaptureModel::timestamp(QDateTime(QDate(2026, 3, 3), QTime(14, 5, 9)));
        QLocale::setDefault(previous);
        QCOMPARE(stamp, QStringLiteral("2026-03-03-14-05-09"));
    }

    // The PNG decodes to the pixels encoded, in any number of pieces, passes pngcheck, and has
    // an alpha channel only when a pixel is not opaque. (fuzz_png tries any size and content.)
    void pngIsValid()
    {
        QImage translucent = patternImage({257, 129}).convertToFormat(QImage::Format_ARGB32);
        translucent.setPixel(3, 5, qRgba(10, 20, 30, 40));
        const QList<std::tuple<QImage, int, int>> rows{{patternImage({333, 77}), 7, 2}, {translucent, 4, 6},
                                                       {patternImage({64, 16}).convertToFormat(QImage::Format_ARGB32), 16, 2}};
        for (const auto &[image, pieces, colourType] : rows) {
            const QByteArray png = encodePng(image, pieces);
            QCOMPARE(QImage::fromData(png, "PNG").convertToFormat(QImage::Format_ARGB32),
                     image.convertToFormat(QImage::Format_ARGB32));
            QCOMPARE(int(png.at(25)), colourType);
            QVERIFY(writeFile(path("image.png"), png));
            QProcess check;
            check.start(QStringLiteral("pngcheck"), {path("image.png")});
            QVERIFY(check.waitForFinished(30000));
            QVERIFY2(check.exitCode() == 0, check.readAllStandardOutput().constData());
        }
    }

    // Stored shortcuts from before version 3 are reset to the defaults once; later ones stay, and
    // a shortcut never stored (the window key, new since) is its default.
    void shortcutMigration_data()
    {
        QTest::addColumn<QByteArray>("stored"); // empty: no file yet
        QTest::addColumn<QStringList>("shortcuts");
        const QStringList defaults(CaptureModel::defaultShortcuts.begin(), CaptureModel::defaultShortcuts.end());
        const QString a = defaults[0], f = defaults[1], w = defaults[2];
        QTest::newRow("first start") << QByteArray() << defaults;
        QTest::newRow("version 2")
            << QByteArray(R"({"pd.areaShortcut":"control+a","pd.fullShortcut":"control+b","pd.windowShortcut":"control+c","pd.shortcutDefaultsVersion":2})")
            << defaults;
        QTest::newRow("no version") << QByteArray(R"({"pd.areaShortcut":"control+a","pd.fullShortcut":"control+b"})") << defaults;
        QTest::newRow("version as text") << QByteArray(R"({"pd.areaShortcut":"control+a","pd.shortcutDefaultsVersion":"3"})")
            << defaults;
        QTest::newRow("version 3 kept, no window key yet")
            << QByteArray(R"({"pd.areaShortcut":"control+a","pd.fullShortcut":"control+b","pd.shortcutDefaultsVersion":3})")
            << QStringList{"control+a", "control+b", w};
        QTest::newRow("version 7 kept")
            << QByteArray(R"({"pd.areaShortcut":"shift+f5","pd.fullShortcut":"","pd.windowShortcut":"shift+f6","pd.shortcutDefaultsVersion":7})")
            << QStringList{"shift+f5", "", "shift+f6"};
        QTest::newRow("a number as shortcut")
            << QByteArray(R"({"pd.areaShortcut":5,"pd.fullShortcut":"control+b","pd.windowShortcut":[],"pd.shortcutDefaultsVersion":3})")
            << QStringList{a, "control+b", w};
    }
    void shortcutMigration()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QStringList, shortcuts);
        const QString file = path(QStringLiteral("defaults.json"));
        QVERIFY(stored.isEmpty() || writeFile(file, stored));
        const bool migrates =
            shortcuts == QStringList(CaptureModel::defaultShortcuts.begin(), CaptureModel::defaultShortcuts.end());
        {
            UserDefaults defaults(file);
            CaptureModel model(defaults);
            QCOMPARE(QStringList(model.shortcuts().begin(), model.shortcuts().end()), shortcuts);
        }
        const QJsonObject after = QJsonDocument::fromJson(readFile(file)).object();
        if (!migrates) {
            QCOMPARE(readFile(file), stored);
            return;
        }
        QCOMPARE(after.value(QStringLiteral("pd.areaShortcut")), QJsonValue(CaptureModel::defaultAreaShortcut));
        QCOMPARE(after.value(QStringLiteral("pd.shortcutDefaultsVersion")), QJsonValue(3));
        // Once: a shortcut saved afterwards survives the next start.
        QVERIFY(UserDefaults(file).setString(QStringLiteral("pd.areaShortcut"), QStringLiteral("control+z")));
        UserDefaults defaults(file);
        QCOMPARE(CaptureModel(defaults).shortcut(HotKeyAction::area), QStringLiteral("control+z"));
    }
};

QTEST_MAIN(ModelTest)
#include "tst_model.moc"
