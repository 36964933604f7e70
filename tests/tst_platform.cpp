// The settings store: what survives, what is never lost, and what a bad file cannot do.

#include "app/CommandLine.h"
#include "model/CaptureModel.h"
#include "platform/UserDefaults.h"
#include "platform/gnome/GnomeKeybindings.h"
#include "platform/wayland/WlrScreenCapture.h"
#include "support/TestUtilities.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <wayland-client-protocol.h>

class PlatformTest : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> m_dir;
    QString m_path;
    void write(const QByteArray &content)
    {
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        QVERIFY(writeFile(m_path, content));
    }

private Q_SLOTS:
    // GNOME's settings go to memory, never to the user's own.
    void initTestCase() { qputenv("GSETTINGS_BACKEND", "memory"); }
    void init()
    {
        QVERIFY(m_dir.emplace().isValid());
        m_path = m_dir->filePath(QStringLiteral("Pixdrift/defaults.json"));
    }

    void valuesSurviveARestart()
    {
        qputenv("XDG_CONFIG_HOME", m_dir->path().toUtf8());
        QCOMPARE(UserDefaults::standardPath(), m_path);
        {
            UserDefaults store(m_path);
            QVERIFY(store.setString(QStringLiteral("text"), QStringLiteral("control+option+command+4")));
            QVERIFY(store.setInteger(QStringLiteral("big"), Q_INT64_C(1) << 52));
            QVERIFY(store.setValue(QStringLiteral("list"), QJsonArray{1, QStringLiteral("two")}));
        }
        const UserDefaults store(m_path);
        QCOMPARE(store.string(QStringLiteral("text")), QStringLiteral("control+option+command+4"));
        QCOMPARE(store.integer(QStringLiteral("big")), Q_INT64_C(1) << 52);
        QCOMPARE(store.value(QStringLiteral("list")), QJsonValue(QJsonArray{1, QStringLiteral("two")}));
        // A value of another type reads as absent.
        QCOMPARE(store.string(QStringLiteral("big")), std::nullopt);
        QCOMPARE(store.integer(QStringLiteral("text")), std::nullopt);
        QCOMPARE(store.integer(QStringLiteral("list")), std::nullopt);
    }

    void onlyWholeNumbersAreIntegers()
    {
        for (const auto &[json, isInteger] : QList<std::pair<QByteArray, bool>>{
                 {"3", true}, {"-7", true}, {"3.0", true}, {"2.5", false}, {"\"3\"", false}, {"null", false}, {"1e300", false}}) {
            write("{\"v\": " + json + "}");
            QVERIFY2(UserDefaults(m_path).integer(QStringLiteral("v")).has_value() == isInteger, json.constData());
        }
    }

    // A write keeps every value it does not change, whatever its type.
    void valuesOfOtherTypesAreLeftUntouched()
    {
        write(R"({"pd.areaShortcut": 5, "other": {"nested": [1, 2]}})");
        UserDefaults store(m_path);
        QCOMPARE(store.string(QStringLiteral("pd.areaShortcut")), std::nullopt);
        QVERIFY(store.setInteger(QStringLiteral("pd.shortcutDefaultsVersion"), 3));
        const QJsonObject onDisk = QJsonDocument::fromJson(readFile(m_path)).object();
        QCOMPARE(onDisk.value(QStringLiteral("pd.areaShortcut")), QJsonValue(5));
        QCOMPARE(onDisk.value(QStringLiteral("other")).toObject().value(QStringLiteral("nested")), QJsonValue(QJsonArray{1, 2}));
    }

    void unreadableContentIsMovedAside_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("special"); // what stands at the path instead of a plain file
        QTest::newRow("not JSON") << QByteArray("pd.areaShortcut = control+4\n") << QString();
        QTest::newRow("cut short") << QByteArray("{\"pd.areaShortcut\": \"contr") << QString();
        QTest::newRow("an array") << QByteArray("[\"control+option+command+4\"]") << QString();
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
        write(content);
        if (special == u"fifo")
            QVERIFY(QFile::remove(m_path) && ::mkfifo(QFile::encodeName(m_path).constData(), 0600) == 0);
        else if (!special.isEmpty())
            QVERIFY(QFile::remove(m_path) && QFile::link(special, m_path));
        LogCapture log;
        UserDefaults store(m_path);
        QCOMPARE(store.value(QStringLiteral("pd.areaShortcut")), QJsonValue(QJsonValue::Undefined));
        QCOMPARE(log.lines().size(), 1);
        QVERIFY(log.lines().first().contains(m_path));
        const QDir folder = QFileInfo(m_path).absoluteDir();
        const QStringList aside = folder.entryList({QStringLiteral("defaults.json.corrupt-*")}, QDir::Files | QDir::System);
        QCOMPARE(aside.size(), 1);
        if (special.isEmpty())
            QCOMPARE(readFile(folder.filePath(aside.first())), content);
        // The window says so where it cannot be missed, naming the file kept.
        QVERIFY(CaptureModel(store).failure().contains(folder.filePath(aside.first())));
        QVERIFY(store.setString(QStringLiteral("pd.areaShortcut"), QStringLiteral("control+a")));
        QCOMPARE(UserDefaults(m_path).string(QStringLiteral("pd.areaShortcut")), QStringLiteral("control+a"));
    }

    // A failed write changes neither the file nor what the store holds.
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
        QCOMPARE(QFileInfo(m_path).absoluteDir().entryList(QDir::Files).size(), 1);
        QCOMPARE(store.string(QStringLiteral("big")), std::nullopt);
        QVERIFY(!store.lastError().isEmpty());
        QVERIFY(writeFile(m_dir->filePath(QStringLiteral("plain")), "x"));
        UserDefaults under(m_dir->filePath(QStringLiteral("plain/defaults.json")));
        QVERIFY(!under.setInteger(QStringLiteral("v"), 1));
        QCOMPARE(under.integer(QStringLiteral("v")), std::nullopt);
        QCOMPARE(log.lines().size(), 2);
    }

    // GNOME's custom keybindings, in a settings store of the test's own: ours join the user's and
    // never replace one; a change updates exactly ours; removing takes exactly ours away. What
    // GNOME or the user already binds a key to is named.
    // A region as slurp and X11 write it; anything else, or an empty one, is refused. A script's
    // request crosses the bus unchanged, and what is not one is turned away.
    void regionsAndRequests()
    {
        const QList<std::pair<QString, std::optional<QRect>>> regions{
            {"10,20 300x200", QRect(10, 20, 300, 200)}, {"-1920,0 640x480", QRect(-1920, 0, 640, 480)},
            {"300x200+10+20", QRect(10, 20, 300, 200)}, {"300x200-5+0", QRect(-5, 0, 300, 200)},
            {" 10,20 300x200\n", QRect(10, 20, 300, 200)}, {"10,20 0x200", std::nullopt},
            {"10 20 300 200", std::nullopt}, {"300x200", std::nullopt}, {"", std::nullopt}};
        for (const auto &[text, rect] : regions)
            QCOMPARE(CommandLine::parseRegion(text), rect);

        const CommandLine command = CommandLine::parse({"pixdrift", "--region", "300x200+10+20", "--delay", "2", "-c", "-o", "/tmp/a.jpg"});
        QVERIFY(!command.exitCode);
        const std::optional<CommandLine> back = CommandLine::fromBus(command.toBus());
        QVERIFY(back);
        QCOMPARE(back->action, CommandLine::Action::CaptureRegion);
        QCOMPARE(back->region, QRect(10, 20, 300, 200));
        QCOMPARE(back->delay, 2);
        QVERIFY(back->clipboard);
        QCOMPARE(back->outputPath, QStringLiteral("/tmp/a.jpg"));
        QVariantMap service = command.toBus();
        service.insert(QStringLiteral("action"), int(CommandLine::Action::Service));
        QVariantMap noRegion = command.toBus();
        noRegion.remove(QStringLiteral("region"));
        for (const QVariantMap &wrong : {service, noRegion, QVariantMap{{"action", "area"}}})
            QVERIFY(!CommandLine::fromBus(wrong));
        QCOMPARE(CommandLine::parse({"pixdrift", "-o", "-"}).action, CommandLine::Action::CaptureArea);
        // The text goes to standard output, or to the clipboard; never to a file.
        const CommandLine text = CommandLine::parse({"pixdrift", "--window", "--ocr"});
        QVERIFY(text.ocr && text.outputPath == u"-" && CommandLine::fromBus(text.toBus())->ocr);
        QVERIFY(CommandLine::parse({"pixdrift", "--ocr", "-c"}).outputPath.isEmpty());
        QCOMPARE(CommandLine::parse({"pixdrift", "--ocr", "-o", "a.txt"}).exitCode, 2);
        // A scrolling capture takes an area or a region, by hand on request, and says so over the bus.
        const CommandLine scroll = CommandLine::parse({"pixdrift", "--scroll", "--manual", "--region", "1,2 30x40", "-o", "-"});
        QVERIFY(!scroll.exitCode);
        const std::optional<CommandLine> scrollBack = CommandLine::fromBus(scroll.toBus());
        QVERIFY(scrollBack && scrollBack->scroll && scrollBack->byHand && scrollBack->region == QRect(1, 2, 30, 40));
        QVERIFY(CommandLine::parse({"pixdrift", "--scroll"}).scroll);
        QCOMPARE(CommandLine::parse({"pixdrift", "--scroll"}).action, CommandLine::Action::CaptureArea);
        for (const QStringList &wrong : {QStringList{"pixdrift", "--scroll", "--full"}, QStringList{"pixdrift", "--scroll", "--window"},
                                         QStringList{"pixdrift", "--manual"}})
            QCOMPARE(CommandLine::parse(wrong).exitCode, 2);
    }

    void gnomeKeybindings()
    {
        QVERIFY2(GnomeKeybindings::available(), "GNOME's settings schemas are missing (scripts/setup installs them)");
        GnomeKeybindings keys;
        const QStringList all{"custom0", "pixdrift-area", "pixdrift-full"};
        QVERIFY(keys.set({{"custom0", "Terminal", "gnome-terminal", "<Super>t"}}).isEmpty()); // the user's own
        const DesktopKeybindings::Binding area{"pixdrift-area", "Capture Area", "pixdrift --area", "<Control><Alt><Super>4"};
        const DesktopKeybindings::Binding full{"pixdrift-full", "Capture Full Screen", "pixdrift --full", "<Control><Alt><Super>3"};
        QVERIFY(keys.set({area, full}).isEmpty());
        DesktopKeybindings::Binding print = area;
        print.accelerator = QStringLiteral("<Shift><Control>Print");
        QVERIFY(keys.set({print}).isEmpty());
        const QList<DesktopKeybindings::Binding> now = keys.current(all);
        QCOMPARE(now.size(), 3);
        QCOMPARE(now[0].command, QStringLiteral("gnome-terminal"));
        QCOMPARE(now[1].accelerator, print.accelerator);
        QCOMPARE(now[2].accelerator, full.accelerator);

        const QList<std::pair<QString, QString>> holders{{"Print", "show-screenshot-ui"},
                                                         {"<Shift>print", "screenshot"},
                                                         {"<Super>T", "Terminal"},
                                                         {"<Primary><Shift>Print", ""}, // ours, now
                                                         {"<Control><Alt><Super>3", ""}};
        for (const auto &[accelerator, holder] : holders)
            QCOMPARE(keys.holderOf(accelerator), holder);

        QVERIFY(keys.remove({"pixdrift-area", "pixdrift-full"}).isEmpty());
        QCOMPARE(keys.current(all).size(), 1);
        QCOMPARE(keys.current(all).first().name, QStringLiteral("Terminal"));

        // Print taken from GNOME's screenshot tool, its other keys left; both given back.
        QVERIFY(keys.heldByScreenshotTool(QStringLiteral("Print")));
        QVERIFY(!keys.heldByScreenshotTool(QStringLiteral("<Super>t")));
        QVERIFY(keys.takeFromScreenshotTool(QStringLiteral("Print")).isEmpty());
        QCOMPARE(keys.holderOf(QStringLiteral("Print")), QString());
        QCOMPARE(keys.holderOf(QStringLiteral("<Shift>Print")), QStringLiteral("screenshot"));
        QVERIFY(keys.takeFromScreenshotTool(QStringLiteral("<Alt>Print")).isEmpty());
        QCOMPARE(keys.holderOf(QStringLiteral("<Alt>Print")), QString());
        keys.giveBackToScreenshotTool();
        QCOMPARE(keys.holderOf(QStringLiteral("Print")), QStringLiteral("show-screenshot-ui"));
        QCOMPARE(keys.holderOf(QStringLiteral("<Alt>Print")), QStringLiteral("screenshot-window"));
    }

    // A copied screen becomes exactly its pixels, opaque and upright, in the memory it came in;
    // a format it does not know is no picture.
    void screenCopies_data()
    {
        QTest::addColumn<quint32>("format");
        QTest::addColumn<QList<quint32>>("words");
        QTest::addColumn<int>("stride");
        QTest::addColumn<bool>("upsideDown");
        QTest::addColumn<QList<QRgb>>("expected");
        // Two rows of two pixels; a stride of 12 leaves a word of padding after each row.
        const QList<QRgb> upright{0xff102030, 0xffff0080, 0xff000000, 0xffffffff};
        QTest::newRow("XRGB, nothing in X") << quint32(WL_SHM_FORMAT_XRGB8888)
                                            << QList<quint32>{0x102030, 0xff0080, 0, 0xffffff} << 8 << false << upright;
        QTest::newRow("ARGB, half transparent") << quint32(WL_SHM_FORMAT_ARGB8888)
                                                << QList<quint32>{0x80102030, 0x00ff0080, 0x7f000000, 0xffffff} << 8
                                                << false << upright;
        QTest::newRow("XBGR") << quint32(WL_SHM_FORMAT_XBGR8888)
                              << QList<quint32>{0x302010, 0x8000ff, 0, 0xffffff} << 8 << false << upright;
        QTest::newRow("ABGR, rows padded") << quint32(WL_SHM_FORMAT_ABGR8888)
                                           << QList<quint32>{0xff302010, 0xff8000ff, 0xdead, 0xff000000, 0xffffffff, 0xbeef}
                                           << 12 << false << upright;
        QTest::newRow("upside down") << quint32(WL_SHM_FORMAT_XRGB8888)
                                     << QList<quint32>{0, 0xffffff, 0x102030, 0xff0080} << 8 << true << upright;
        QTest::newRow("RGB565") << quint32(WL_SHM_FORMAT_RGB565) << QList<quint32>{0, 0, 0, 0} << 8 << false
                                << QList<QRgb>{};
        QTest::newRow("stride short of a row") << quint32(WL_SHM_FORMAT_XRGB8888) << QList<quint32>{0, 0, 0, 0} << 4
                                               << false << QList<QRgb>{};
    }
    void screenCopies()
    {
        QFETCH(quint32, format);
        QFETCH(QList<quint32>, words);
        QFETCH(int, stride);
        QFETCH(bool, upsideDown);
        QFETCH(QList<QRgb>, expected);
        auto *memory = new QList<quint32>(words);
        static int released;
        released = 0;
        {
            const QImage image = WlrScreenCapture::imageInPlace(
                reinterpret_cast<uchar *>(memory->data()), format, QSize(2, 2), stride, upsideDown,
                [](void *m) { ++released, delete static_cast<QList<quint32> *>(m); }, memory);
            QCOMPARE(image.isNull(), expected.isEmpty());
            if (image.isNull()) {
                delete memory;
                return;
            }
            QCOMPARE(image.format(), QImage::Format_RGB32);
            QCOMPARE(image.constBits(), reinterpret_cast<const uchar *>(memory->constData()));
            for (int y = 0; y < 2; ++y) {
                for (int x = 0; x < 2; ++x)
                    QCOMPARE(reinterpret_cast<const QRgb *>(image.constScanLine(y))[x], expected[y * 2 + x]);
            }
        }
        QCOMPARE(released, 1);
    }
};

QTEST_MAIN(PlatformTest)
#include "tst_platform.moc"
