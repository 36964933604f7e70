#include "text/tr.h"
#include "model/CaptureModel.h"
#include "platform/UserDefaults.h"
#include "support/FakeApplicationWindows.h"
#include "support/FakeScreenCapture.h"
#include "support/LogCapture.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// Everything a capture needs, wired to fakes. The overlay is not shown: the test finishes it.
struct Rig
{
    std::unique_ptr<UserDefaults> defaults = UserDefaults::inMemory();
    FakeScreenCapture capture;
    FakeApplicationWindows windows;
    CaptureModel model{*defaults};
    std::optional<ScreensSelectionHandler> overlay;
    QList<FrozenScreen> frozen;
    int overlaysPresented = 0;

    Rig()
    {
        model.setCaptureEnvironment({.screenCapture = &capture,
                                     .windows = &windows,
                                     .presentOverlay =
                                         [this](const QList<FrozenScreen> &screens, ScreensSelectionHandler done) {
                                             ++overlaysPresented;
                                             frozen = screens;
                                             overlay = std::move(done);
                                         },
                                     .openMain = [this] { windows.calls << QStringLiteral("openMain"); }});
    }

    void finishOverlay(std::optional<QRect> rect, qsizetype screen = 0)
    {
        QVERIFY(overlay.has_value());
        auto done = *std::exchange(overlay, std::nullopt);
        done(rect ? std::optional<AreaSelection>(AreaSelection{screen, *rect}) : std::nullopt);
    }
};

} // namespace

class CaptureFlowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(!loadTranslations(QLocale(QLocale::English)).isEmpty()); }

    void fullCapture_data()
    {
        QTest::addColumn<bool>("visible");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("main window open") << true << QStringList{"orderOut", "openMain", "activate"};
        QTest::newRow("no window open") << false << QStringList{"openMain", "activate"};
    }

    void fullCapture()
    {
        QFETCH(bool, visible);
        QFETCH(QStringList, calls);
        Rig rig;
        rig.windows.visible = visible;
        rig.model.setMarks({Mark({0, 0}, {1, 1}, Qt::red, QStringLiteral("tool.pen"))});

        rig.model.take(true);
        QCOMPARE(rig.model.status(), QStringLiteral("Capturing the full screen…"));
        QVERIFY(!rig.model.hasImage());
        QVERIFY(rig.model.marks().isEmpty());

        QTRY_VERIFY(rig.model.hasImage());
        QCOMPARE(rig.model.image().size(), QSize(1440, 900));
        QCOMPARE(rig.model.crop(), QRectF(0, 0, 1440, 900));
        QCOMPARE(rig.model.full(), true);
        QCOMPARE(rig.model.status(), QStringLiteral("Full screen captured."));
        QCOMPARE(rig.windows.calls, calls);
        QCOMPARE(rig.overlaysPresented, 0);
    }

    void areaCapture_data()
    {
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("select");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("window open, selected") << true << true << QStringList{"hide", "unhide", "openMain", "activate"};
        QTest::newRow("window open, cancelled") << true << false << QStringList{"hide", "unhide", "activate", "front:first"};
        QTest::newRow("no window, selected") << false << true << QStringList{"openMain", "activate"};
        QTest::newRow("no window, cancelled") << false << false << QStringList{};
    }

    void areaCapture()
    {
        QFETCH(bool, visible);
        QFETCH(bool, select);
        QFETCH(QStringList, calls);
        Rig rig;
        rig.windows.visible = visible;

        rig.model.take(false);
        QCOMPARE(rig.model.status(), QStringLiteral("Capturing an area…"));
        QTRY_COMPARE(rig.overlaysPresented, 1);
        QCOMPARE(rig.model.crop(), QRectF(0, 0, 1440, 900));
        QCOMPARE(rig.model.full(), false);
        QCOMPARE(rig.model.status(), QStringLiteral("Adjust the crop, then copy or save."));

        rig.finishOverlay(select ? std::optional<QRect>(QRect(-4, 10, 300, 200)) : std::nullopt);
        QCOMPARE(rig.model.crop(), select ? QRectF(-4, 10, 300, 200) : QRectF(0, 0, 1440, 900));
        QVERIFY(rig.model.hasImage());
        QCOMPARE(rig.model.status(), QStringLiteral("Adjust the crop, then copy or save."));
        QCOMPARE(rig.windows.calls, calls);
    }

    void pixelSizeFollowsTheScreen_data()
    {
        QTest::addColumn<QList<CaptureDisplay>>("displays");
        QTest::addColumn<QList<CaptureScreen>>("screens");
        QTest::addColumn<double>("mainScale");
        QTest::addColumn<uint>("displayId");
        QTest::addColumn<QSize>("pixels");

        const QList<CaptureScreen> none;
        QTest::newRow("retina") << QList<CaptureDisplay>{{1, 1440, 900}} << QList<CaptureScreen>{{1, 2.0, nullptr}}
                                << 1.0 << 1u << QSize(2880, 1800);
        QTest::newRow("halves round away from zero")
            << QList<CaptureDisplay>{{1, 3, 5}} << QList<CaptureScreen>{{1, 1.5, nullptr}} << 1.0 << 1u << QSize(5, 8);
        QTest::newRow("main display is not listed first")
            << QList<CaptureDisplay>{{7, 800, 600}, {1, 1440, 900}}
            << QList<CaptureScreen>{{7, 3.0, nullptr}, {1, 2.0, nullptr}} << 1.0 << 1u << QSize(2880, 1800);
        QTest::newRow("main display missing: the first")
            << QList<CaptureDisplay>{{7, 800, 600}, {8, 1440, 900}} << QList<CaptureScreen>{{7, 1.25, nullptr}}
            << 1.0 << 7u << QSize(1000, 750);
        QTest::newRow("no matching screen: the main screen's scale")
            << QList<CaptureDisplay>{{1, 1440, 900}} << none << 2.0 << 1u << QSize(2880, 1800);
        // 1366 pixels at scale 1.5 are 911 points after rounding; 911 × 1.5 would ask for 1367.
        QTest::newRow("the window system's pixel size wins")
            << QList<CaptureDisplay>{{1, 911, 512, QSize(1366, 768)}} << QList<CaptureScreen>{{1, 1.5, nullptr}}
            << 1.0 << 1u << QSize(1366, 768);
    }

    // Every display is frozen, the main one first; a selection on another display makes its
    // image the capture.
    void areaCaptureFreezesEveryDisplay()
    {
        Rig rig;
        rig.capture.displays = {{7, 800, 600}, {1, 1440, 900}, {9, 640, 480}};
        rig.capture.screenList = {{7, 1.0, nullptr}, {1, 2.0, nullptr}};

        rig.model.take(false);
        QTRY_COMPARE(rig.overlaysPresented, 1);
        QCOMPARE(rig.capture.imageRequests.size(), 2);
        QCOMPARE(rig.capture.imageRequests[0].displayId, 1u);
        QCOMPARE(rig.capture.imageRequests[1].displayId, 7u);
        QCOMPARE(rig.frozen.size(), 2);
        QCOMPARE(rig.model.image().size(), QSize(2880, 1800));

        rig.finishOverlay(QRect(10, 20, 300, 200), 1);
        QCOMPARE(rig.model.image().size(), QSize(800, 600));
        QCOMPARE(rig.model.image().pixelColor(0, 0), FakeScreenCapture::colourFor(1));
        QCOMPARE(rig.model.crop(), QRectF(10, 20, 300, 200));
    }

    void pixelSizeFollowsTheScreen()
    {
        QFETCH(QList<CaptureDisplay>, displays);
        QFETCH(QList<CaptureScreen>, screens);
        QFETCH(double, mainScale);
        QFETCH(uint, displayId);
        QFETCH(QSize, pixels);
        Rig rig;
        rig.capture.displays = displays;
        rig.capture.screenList = screens;
        rig.capture.mainScreenInfo = CaptureScreen{99, mainScale, nullptr};

        rig.model.take(true);
        QTRY_VERIFY(rig.model.hasImage());
        QCOMPARE(rig.capture.imageRequests.size(), 1);
        QCOMPARE(rig.capture.imageRequests[0].displayId, displayId);
        QCOMPARE(QSize(rig.capture.imageRequests[0].width, rig.capture.imageRequests[0].height), pixels);
        QCOMPARE(rig.model.image().size(), pixels);
        QCOMPARE(rig.model.image().devicePixelRatio(), 1.0);
        QCOMPARE(rig.model.crop(), QRectF(QPointF(0, 0), QSizeF(pixels)));
    }

    // The older request sees it was superseded when its content arrives and stops there.
    void onlyTheNewestRequestDelivers()
    {
        Rig rig;
        rig.capture.answering = FakeScreenCapture::Answering::WhenTold;
        rig.model.take(false);
        rig.model.take(true);
        QTRY_COMPARE(rig.capture.pendingContent(), 2);

        QSignalSpy changes(&rig.model, &CaptureModel::objectWillChange);
        rig.capture.answerContent(0);
        QCOMPARE(rig.capture.imageRequests.size(), 0);
        QCOMPARE(changes.count(), 0);

        rig.capture.answerContent(0);
        rig.capture.answerImage(0);
        QVERIFY(rig.model.hasImage());
        QCOMPARE(rig.model.full(), true);
        QCOMPARE(rig.overlaysPresented, 0);
    }

    // A delayed capture counts down on the status line; a capture asked for meanwhile replaces it,
    // and Escape (cancelDelay) stops it with nothing captured.
    void aDelayedCaptureGivesWayToANewerOne()
    {
        Rig rig;
        rig.model.takeAfter(false, 1);
        QCOMPARE(rig.model.delayLeft(), 1);
        QVERIFY(rig.model.status().contains(u'1'));
        rig.model.take(true);
        QCOMPARE(rig.model.delayLeft(), 0);
        QTRY_VERIFY(rig.model.hasImage());
        QTest::qWait(1300);
        QCOMPARE(rig.capture.imageRequests.size(), 1);
        QCOMPARE(rig.overlaysPresented, 0);

        rig.model.takeAfter(true, 1);
        rig.model.cancelDelay();
        QCOMPARE(rig.model.status(), ::tr("status.ready"));
        QTest::qWait(1300);
        QCOMPARE(rig.capture.imageRequests.size(), 1);
    }

    // A selection made on an overlay that a newer capture has replaced changes nothing.
    void aStaleOverlaySelectsNothing()
    {
        Rig rig;
        rig.model.take(false);
        QTRY_VERIFY(rig.overlay.has_value());
        auto stale = *std::exchange(rig.overlay, std::nullopt);
        rig.model.take(true);
        QTRY_VERIFY(rig.model.full());
        const QImage full = rig.model.image();
        stale(AreaSelection{0, QRect(10, 10, 50, 50)});
        QCOMPARE(rig.model.image(), full);
        QVERIFY(rig.model.full());
        QCOMPARE(rig.model.status(), ::tr("status.fullCaptured"));
    }

    // The older request already waits for its image when the newer one starts.
    void aLateImageIsDiscarded()
    {
        Rig rig;
        rig.capture.answering = FakeScreenCapture::Answering::WhenTold;
        rig.model.take(true);
        QTRY_COMPARE(rig.capture.pendingContent(), 1);
        rig.capture.answerContent(0);
        QCOMPARE(rig.capture.pendingImages(), 1);

        rig.model.take(true);
        QTRY_COMPARE(rig.capture.pendingContent(), 1);
        rig.capture.answerContent(0);
        rig.capture.answerImage(1);
        QCOMPARE(rig.model.image().pixelColor(0, 0), FakeScreenCapture::colourFor(1));

        QSignalSpy changes(&rig.model, &CaptureModel::objectWillChange);
        rig.capture.answerImage(0);
        QCOMPARE(changes.count(), 0);
        QCOMPARE(rig.model.image().pixelColor(0, 0), FakeScreenCapture::colourFor(1));
    }

    void failuresRestoreTheWindows_data()
    {
        QTest::addColumn<QString>("contentError");
        QTest::addColumn<QString>("imageError");
        QTest::addColumn<bool>("noDisplays");
        QTest::addColumn<QString>("description");
        QTest::newRow("content refused") << "not allowed" << "" << false << "not allowed";
        QTest::newRow("image failed") << "" << "%d %@ grab failed" << false << "%d %@ grab failed";
        QTest::newRow("no display listed") << "" << "" << true << "no display to capture";
    }

    void failuresRestoreTheWindows()
    {
        QFETCH(QString, contentError);
        QFETCH(QString, imageError);
        QFETCH(bool, noDisplays);
        QFETCH(QString, description);
        Rig rig;
        rig.windows.visible = true;
        rig.capture.contentError = contentError;
        rig.capture.imageError = imageError;
        if (noDisplays)
            rig.capture.displays.clear();

        LogCapture log;
        rig.model.take(false);
        QTRY_COMPARE(rig.windows.calls.size(), 5);
        QCOMPARE(rig.windows.calls, QStringList({"hide", "unhide", "openMain", "activate", "front:main"}));
        QCOMPARE(rig.windows.visible, true);
        QCOMPARE(rig.model.status(), QStringLiteral("The screen could not be captured (") + description + u')');
        QCOMPARE(log.lines(), QStringList{QStringLiteral("Pixdrift capture failed: ") + description});
        QVERIFY(!rig.model.hasImage());
        QCOMPARE(rig.model.crop(), QRectF(0, 0, 0, 0));
        QCOMPARE(rig.overlaysPresented, 0);
    }

    // A request superseded after it hid the windows must not leave them hidden for good.
    void aSupersededHideIsUndoneByTheNewerRequest()
    {
        Rig rig;
        rig.windows.visible = true;
        rig.model.take(false);
        QVERIFY(rig.windows.anyVisible());
        rig.model.take(false);
        QTRY_COMPARE(rig.overlaysPresented, 1);
        rig.finishOverlay(std::nullopt);
        QVERIFY(rig.windows.visible);
        QCOMPARE(rig.windows.calls.last(), QStringLiteral("front:first"));
    }

    void cancelKeepsTheGeneration()
    {
        Rig rig;
        rig.model.take(true);
        QTRY_VERIFY(rig.model.hasImage());
        rig.model.setMarks({Mark({0, 0}, {1, 1}, Qt::red, QStringLiteral("tool.pen"))});

        rig.model.cancelCapture();
        QVERIFY(!rig.model.hasImage());
        QCOMPARE(rig.model.crop(), QRectF(0, 0, 0, 0));
        QCOMPARE(rig.model.full(), false);
        QVERIFY(rig.model.marks().isEmpty());
        QCOMPARE(rig.model.status(), QStringLiteral("Ready."));

        // A capture still under way delivers after a cancel.
        rig.capture.answering = FakeScreenCapture::Answering::WhenTold;
        rig.model.take(true);
        QTRY_COMPARE(rig.capture.pendingContent(), 1);
        rig.model.cancelCapture();
        rig.capture.answerContent(0);
        rig.capture.answerImage(0);
        QVERIFY(rig.model.hasImage());
    }

    void fullIsStaleWhileCapturing()
    {
        Rig rig;
        rig.model.take(true);
        QTRY_VERIFY(rig.model.hasImage());
        rig.model.take(false);
        QCOMPARE(rig.model.full(), true);
        QTRY_COMPARE(rig.overlaysPresented, 1);
        QCOMPARE(rig.model.full(), false);
    }

    void theOverlayOutlivingTheModelDoesNothing()
    {
        auto rig = std::make_unique<Rig>();
        rig->model.take(false);
        QTRY_COMPARE(rig->overlaysPresented, 1);
        ScreensSelectionHandler done = *rig->overlay;
        rig.reset();
        done(AreaSelection{0, QRect(0, 0, 10, 10)}); // must not touch the destroyed model
    }

    void withoutAServiceTheFailureIsReported()
    {
        auto defaults = UserDefaults::inMemory();
        CaptureModel model(*defaults);
        LogCapture log;
        model.take(true);
        QTRY_VERIFY(model.status().startsWith(QStringLiteral("The screen could not be captured (")));
        QCOMPARE(log.lines().size(), 1);
    }
};

QTEST_MAIN(CaptureFlowTest)
#include "tst_captureflow.moc"
