#include "text/tr.h"
#include "model/CaptureModel.h"
#include "model/Mark.h"
#include "platform/UserDefaults.h"
#include "support/FakeSavePanel.h"
#include "support/TestUtilities.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <QRandomGenerator>

#include <csignal>
#include <sys/wait.h>
#include <thread>

namespace {

QImage pattern(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x & 0xff, y & 0xff, (x * y) & 0xff));
    return image;
}

} // namespace

class OutputTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(!loadTranslations(QLocale(QLocale::English)).isEmpty()); }

    void init()
    {
        m_defaults = UserDefaults::inMemory();
        m_model.emplace(*m_defaults);
        m_model->setCaptureEnvironment(
            {.savePanel = &m_panel, .clock = [] { return QDateTime(QDate(2026, 3, 3), QTime(14, 5, 9)); }});
        m_model->setImage(pattern({200, 100}));
        m_model->setCrop(QRectF(0, 0, 200, 100));
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
        QTest::newRow("wholly outside") << QRectF(300, 0, 10, 10) << false << QRect();
        QTest::newRow("no area") << QRectF(10, 10, 0, 5) << false << QRect();
        QTest::newRow("full capture ignores the crop") << QRectF(10, 10, 5, 5) << true << QRect(0, 0, 200, 100);
    }

    void cropped()
    {
        QFETCH(QRectF, crop);
        QFETCH(bool, full);
        QFETCH(QRect, expected);
        m_model->setCrop(crop);
        m_model->setFull(full);
        const QImage result = m_model->cropped();
        if (expected.isNull()) {
            QVERIFY(result.isNull());
            return;
        }
        QCOMPARE(result, m_model->image().copy(expected));
    }

    void copyPutsOnlyThePngOfTheCrop()
    {
        m_model->setCrop(QRectF(10.4, 20.6, 100.2, 50.1));
        m_model->addMark(Mark({0, 0}, {200, 100}, Qt::red, QStringLiteral("tool.pen")));
        m_model->output(true);
        QCOMPARE(m_model->status(), QStringLiteral("Copied to the clipboard."));

        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        QCOMPARE(data->formats(), QStringList{QStringLiteral("image/png")});
        QImage copied;
        QVERIFY(copied.loadFromData(data->data(QStringLiteral("image/png")), "PNG"));
        QCOMPARE(copied.convertToFormat(QImage::Format_RGB32), m_model->image().copy(10, 20, 101, 51));
    }

    void nothingToOutputChangesNothing_data()
    {
        QTest::addColumn<bool>("copy");
        QTest::newRow("copy") << true;
        QTest::newRow("save") << false;
    }

    void nothingToOutputChangesNothing()
    {
        QFETCH(bool, copy);
        m_model->setStatus(QStringLiteral("before"));
        m_model->setCrop(QRectF(500, 500, 10, 10));
        m_model->output(copy);
        m_model->setImage({});
        m_model->output(copy);
        QCoreApplication::processEvents();
        QCOMPARE(m_model->status(), QStringLiteral("before"));
        QVERIFY(m_panel.proposedNames.isEmpty());
    }

    void savingTwiceInOneSecondKeepsBothFiles()
    {
        const QString path = m_dir->filePath(QStringLiteral("Pixdrift-2026-03-03-14-05-09.png"));
        m_panel.answer = path;
        m_model->output(false);
        QCOMPARE(m_panel.proposedNames, QStringList{QStringLiteral("Pixdrift-2026-03-03-14-05-09.png")});
        QCOMPARE(m_model->status(), QStringLiteral("Ready."));
        QTRY_COMPARE(m_model->status(), QStringLiteral("Saved Pixdrift-2026-03-03-14-05-09.png."));
        const QByteArray first = readFile(path);

        m_model->setCrop(QRectF(0, 0, 20, 20));
        m_model->output(false);
        QTRY_COMPARE(m_model->status(), QStringLiteral("Saved Pixdrift-2026-03-03-14-05-09 2.png."));
        // The second panel opened where the first file went.
        QCOMPARE(m_panel.folders, (QStringList{QString(), m_dir->path()}));
        QCOMPARE(readFile(path), first);
        QImage second;
        QVERIFY(second.load(m_dir->filePath(QStringLiteral("Pixdrift-2026-03-03-14-05-09 2.png"))));
        QCOMPARE(second.size(), QSize(20, 20));
    }

    void aCancelledPanelWritesNothing()
    {
        m_panel.answer.reset();
        m_model->output(false);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(m_model->status(), QStringLiteral("Ready."));
        QVERIFY(QDir(m_dir->path()).isEmpty());
    }

    void aFailedSaveIsReported()
    {
        QFile plain(m_dir->filePath(QStringLiteral("plain")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        m_panel.answer = m_dir->filePath(QStringLiteral("plain/shot.png"));
        m_model->output(false);
        QTRY_COMPARE(m_model->status(), QStringLiteral("Could not save: ") + qt_error_string(ENOTDIR));
    }

    void theFileIsWrittenEvenIfTheModelIsGone()
    {
        m_panel.answer = m_dir->filePath(QStringLiteral("late.png"));
        m_model->output(false);
        m_model.reset();
        QTRY_VERIFY(QFile::exists(m_dir->filePath(QStringLiteral("late.png"))));
        QCoreApplication::processEvents();
    }

    void numberedNames_data()
    {
        QTest::addColumn<QString>("proposed");
        QTest::addColumn<QStringList>("written");
        QTest::newRow("png") << "shot.png" << QStringList{"shot.png", "shot 2.png", "shot 3.png"};
        QTest::newRow("no extension") << "shot" << QStringList{"shot.png", "shot 2.png"};
        QTest::newRow("jpg kept") << "shot.jpg" << QStringList{"shot.jpg", "shot 2.jpg"};
        QTest::newRow("two dots") << "a.b.png" << QStringList{"a.b.png", "a.b 2.png"};
        QTest::newRow("spaces") << "my shot 2.png" << QStringList{"my shot 2.png", "my shot 2 2.png"};
    }

    void numberedNames()
    {
        QFETCH(QString, proposed);
        QFETCH(QStringList, written);
        for (const QString &name : written) {
            const auto result = CaptureModel::writeWithoutOverwriting(name.toUtf8(), m_dir->filePath(proposed));
            QCOMPARE(result.error, 0);
            QCOMPARE(result.path, m_dir->filePath(name));
        }
        // Nothing was replaced: every file still holds what was written under its name.
        for (const QString &name : written)
            QCOMPARE(readFile(m_dir->filePath(name)), name.toUtf8());
        QCOMPARE(QFileInfo(m_dir->filePath(written.first())).permissions() & QFile::WriteOther, QFile::Permissions());
    }

    void concurrentSavesNeverShareAFile()
    {
        constexpr int writers = 12;
        std::vector<std::thread> threads;
        std::vector<CaptureModel::WriteResult> results(writers);
        const QString proposed = m_dir->filePath(QStringLiteral("race.png"));
        for (int i = 0; i < writers; ++i) {
            threads.emplace_back([&, i] {
                results[std::size_t(i)] =
                    CaptureModel::writeWithoutOverwriting(QByteArray(100000, char('a' + i)), proposed);
            });
        }
        for (std::thread &thread : threads)
            thread.join();
        QSet<QString> paths;
        for (int i = 0; i < writers; ++i) {
            const auto &result = results[std::size_t(i)];
            QCOMPARE(result.error, 0);
            paths.insert(result.path);
            QCOMPARE(readFile(result.path), QByteArray(100000, char('a' + i)));
        }
        QCOMPARE(paths.size(), writers);
    }

    void aWriteThatFailsHalfwayLeavesNoFile()
    {
        const QString proposed = m_dir->filePath(QStringLiteral("big.png"));
        CaptureModel::WriteResult result;
        {
            const FileSizeLimit limit(4096);
            result = CaptureModel::writeWithoutOverwriting(QByteArray(100000, 'x'), proposed);
        }
        QCOMPARE(result.error, EFBIG);
        QVERIFY(!QFile::exists(proposed));
        QVERIFY(QDir(m_dir->path()).isEmpty());
    }

    // A save killed at any moment leaves a complete file or none under its name, never a cut-off one.
    void aKilledSaveLeavesNoCutOffFile()
    {
        QByteArray bytes(4 << 20, Qt::Uninitialized);
        for (qsizetype i = 0; i < bytes.size(); ++i)
            bytes[i] = char(i * 131 + (i >> 12));
        const QString proposed = m_dir->filePath(QStringLiteral("killed.png"));
        int complete = 0;
        for (int round = 0; round < 25; ++round) {
            const pid_t child = ::fork();
            if (child == 0) {
                for (;;)
                    (void)CaptureModel::writeWithoutOverwriting(bytes, proposed);
            }
            QVERIFY(child > 0);
            std::this_thread::sleep_for(std::chrono::microseconds(QRandomGenerator::global()->bounded(500, 20000)));
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            const QStringList saved = QDir(m_dir->path()).entryList({QStringLiteral("*.png")}, QDir::Files);
            for (const QString &name : saved) {
                QVERIFY2(readFile(m_dir->filePath(name)) == bytes, qPrintable(name + QStringLiteral(" is cut off")));
                QVERIFY(QFile::remove(m_dir->filePath(name)));
            }
            complete += int(saved.size());
        }
        QVERIFY(complete > 0);
    }

    void nothingToWriteIsNoError()
    {
        const auto result = CaptureModel::writeWithoutOverwriting({}, m_dir->filePath(QStringLiteral("empty.png")));
        QCOMPARE(result.error, 0);
        QCOMPARE(QFileInfo(result.path).size(), 0);
    }

    void savedStatus_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        QTest::newRow("placeholder") << "Saved %@." << "Saved shot.png.";
        QTest::newRow("positional placeholder") << "%1$@ saved" << "shot.png saved";
        QTest::newRow("no placeholder") << "status.saved" << "status.saved";
        QTest::newRow("percent sign") << "100%% saved: %@" << "100% saved: shot.png";
        QTest::newRow("hostile specifiers") << "%d %s %n %@ %x" << "%d %s %n shot.png %x";
        QTest::newRow("only the first placeholder") << "%@ and %@" << "shot.png and %@";
        QTest::newRow("trailing percent") << "done %" << "done %";
    }

    void savedStatus()
    {
        QFETCH(QString, format);
        QFETCH(QString, expected);
        QCOMPARE(CaptureModel::formatSavedStatus(format, QStringLiteral("shot.png")), expected);
    }

    void timestampsUseAsciiDigits()
    {
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
        const QString stamp = CaptureModel::timestamp(QDateTime(QDate(2026, 3, 3), QTime(14, 5, 9)));
        QLocale::setDefault(previous);
        QCOMPARE(stamp, QStringLiteral("2026-03-03-14-05-09"));
    }

    // With "Include marks" the output has the marks drawn in, 4 points wide at the screen's
    // scale and cut to the crop; without it, only the captured pixels.
    void marksInTheOutput_data()
    {
        QTest::addColumn<bool>("include");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QString>("tool");
        QTest::addColumn<int>("changed"); // pixels that differ from the capture; -1: pixelated
        // A line across the whole image, through the crop (20, 10, 160, 80).
        QTest::newRow("off: the capture alone") << false << 1.0 << "tool.pen" << 0;
        QTest::newRow("line at scale 1") << true << 1.0 << "tool.pen" << 160 * 4;
        QTest::newRow("line at scale 2") << true << 2.0 << "tool.pen" << 160 * 8;
        QTest::newRow("pixelate") << true << 1.0 << "tool.pixelate" << -1;
        QTest::newRow("pixelate, off") << false << 1.0 << "tool.pixelate" << 0;
    }

    void marksInTheOutput()
    {
        QFETCH(bool, include);
        QFETCH(double, scale);
        QFETCH(QString, tool);
        QFETCH(int, changed);
        // A line on a flat grey image; the pixelation over a pattern.
        QImage capture = pattern({200, 100});
        if (tool == u"tool.pen")
            capture.fill(QColor(90, 90, 90));
        m_model->setImage(capture);
        m_model->setImageScale(scale);
        m_model->setIncludeMarks(include);
        m_model->setCrop(QRectF(20, 10, 160, 80));
        const QRect crop(20, 10, 160, 80);
        m_model->addMark(tool == u"tool.pen" ? Mark({0, 50}, {200, 50}, Qt::red, tool)
                                             : Mark({30, 20}, {90, 61}, Qt::red, tool));
        const QImage out = m_model->outputImage().convertToFormat(QImage::Format_RGB32);
        const QImage before = capture.copy(crop);
        QCOMPARE(out.size(), crop.size());
        if (changed >= 0) {
            int differ = 0;
            for (int y = 0; y < out.height(); ++y)
                for (int x = 0; x < out.width(); ++x)
                    differ += out.pixel(x, y) != before.pixel(x, y) ? 1 : 0;
            QCOMPARE(differ, changed);
            if (changed > 0)
                QCOMPARE(QColor(out.pixel(80, 40)), QColor(Qt::red));
            return;
        }
        // Blocks of 12 pixels from the mark's corner, each one colour: the pixels under a block
        // cannot be read back. Outside the mark nothing changes.
        const QRect area(30, 20, 60, 41);
        for (int y = 0; y < out.height(); ++y) {
            for (int x = 0; x < out.width(); ++x) {
                const QPoint p = QPoint(x, y) + crop.topLeft();
                if (!area.contains(p)) {
                    QCOMPARE(out.pixel(x, y), before.pixel(x, y));
                    continue;
                }
                const QPoint corner = area.topLeft() + QPoint((p.x() - area.left()) / 12 * 12, (p.y() - area.top()) / 12 * 12);
                QCOMPARE(out.pixel(x, y), out.pixel(corner - crop.topLeft()));
            }
        }
        QVERIFY(out.pixel(area.topLeft() - crop.topLeft()) != out.pixel(area.topLeft() + QPoint(12, 0) - crop.topLeft()));
    }

    void undoRemovesTheNewestMark()
    {
        const Mark first({0, 0}, {1, 1}, Qt::red, QStringLiteral("tool.arrow"));
        const Mark second({2, 2}, {3, 3}, Qt::blue, QStringLiteral("tool.pen"));
        m_model->addMark(first);
        m_model->addMark(second);
        QCOMPARE(m_model->marks(), (QList<Mark>{first, second}));
        m_model->undoMark();
        QCOMPARE(m_model->marks(), QList<Mark>{first});
        m_model->undoMark();
        QSignalSpy changes(&*m_model, &CaptureModel::objectWillChange);
        m_model->undoMark();
        QVERIFY(m_model->marks().isEmpty());
        QCOMPARE(changes.count(), 0);
    }

private:
    std::unique_ptr<UserDefaults> m_defaults;
    std::optional<CaptureModel> m_model;
    FakeSavePanel m_panel;
    std::optional<QTemporaryDir> m_dir;
};

QTEST_MAIN(OutputTest)
#include "tst_output.moc"
