// A capture from the request to the model: which windows go and come back, what is frozen at which
// pixel size, and that only the newest request, delay or overlay ever delivers.

#include "model/ScrollCapture.h"
#include "platform/ScrollInput.h"
#include "support/Fakes.h"
#include "support/TestUtilities.h"
#include "text/tr.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class CaptureFlowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(!loadTranslations(QLocale(QLocale::English)).isEmpty()); }

    void windowsAndStatus_data()
    {
        QTest::addColumn<bool>("full");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("select");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("full, window open") << true << true << true << QStringList{"orderOut", "wait", "openMain", "activate"};
        QTest::newRow("full, no window") << true << false << true << QStringList{"openMain", "activate"};
        QTest::newRow("area, window open, selected")
            << false << true << true << QStringList{"hide", "wait", "unhide", "openMain", "activate"};
        QTest::newRow("area, window open, cancelled")
            << false << true << false << QStringList{"hide", "wait", "unhide", "activate", "front:first"};
        QTest::newRow("area, no window, selected") << false << false << true << QStringList{"openMain", "activate"};
        QTest::newRow("area, no window, cancelled") << false << false << false << QStringList{};
    }
    // Which windows go and come back, and what the model holds, for each kind of capture.
    void windowsAndStatus()
    {
        QFETCH(bool, full);
        QFETCH(bool, visible);
        QFETCH(bool, select);
        QFETCH(QStringList, calls);
        CaptureRig rig;
        rig.windows.visible = visible;
        // The window shows an earlier full capture with a mark.
        const QImage earlier = patternImage({64, 48});
        const QList<Mark> marks{Mark({0, 0}, {1, 1}, Qt::red, QStringLiteral("tool.pen"))};
        rig.model.setImage(earlier);
        rig.model.setCrop(QRectF(0, 0, 64, 48));
        rig.model.setFull(true);
        rig.model.setMarks(marks);
        rig.model.setStatus(QStringLiteral("Copied"));
        rig.model.take(full);
        QCOMPARE(rig.model.status(), full ? "Capturing the full screen…" : "Capturing an area…");
        QVERIFY(rig.model.marks().isEmpty());
        if (full) {
            QTRY_VERIFY(rig.model.hasImage());
            QCOMPARE(rig.model.status(), QStringLiteral("Full screen captured."));
        } else {
            QTRY_COMPARE(rig.overlaysPresented, 1);
            QCOMPARE(rig.model.status(), QStringLiteral("Adjust the crop, then copy or save."));
            rig.finishOverlay(select ? std::optional<QRect>(QRect(-4, 10, 300, 200)) : std::nullopt);
        }
        QCOMPARE(rig.windows.calls, calls);
        if (!select) {
            // Escape in the overlay: the window shows what it showed before, exactly.
            QCOMPARE(rig.model.image(), earlier);
            QCOMPARE(rig.model.crop(), QRectF(0, 0, 64, 48));
            QVERIFY(rig.model.full());
            QCOMPARE(rig.model.marks(), marks);
            QCOMPARE(rig.model.status(), QStringLiteral("Copied"));
            return;
        }
        QCOMPARE(rig.model.image().size(), QSize(1440, 900));
        QCOMPARE(rig.model.crop(), full ? QRectF(0, 0, 1440, 900) : QRectF(-4, 10, 300, 200));
        QCOMPARE(rig.model.full(), full);
    }

    void pixelSizeFollowsTheScreen_data()
    {
        QTest::addColumn<QList<CaptureDisplay>>("displays");
        QTest::addColumn<QList<CaptureScreen>>("screens");
        QTest::addColumn<double>("mainScale");
        QTest::addColumn<uint>("displayId");
        QTest::addColumn<QSize>("pixels");
        using D = QList<CaptureDisplay>;
        using S = QList<CaptureScreen>;
        QTest::newRow("scale 2") << D{{1, 1440, 900}} << S{{1, 2.0, nullptr}} << 1.0 << 1u << QSize(2880, 1800);
        QTest::newRow("halves round away from zero") << D{{1, 3, 5}} << S{{1, 1.5, nullptr}} << 1.0 << 1u << QSize(5, 8);
        QTest::newRow("main display not listed first")
            << D{{7, 800, 600}, {1, 1440, 900}} << S{{7, 3.0, nullptr}, {1, 2.0, nullptr}} << 1.0 << 1u << QSize(2880, 1800);
        QTest::newRow("main display missing: the first")
            << D{{7, 800, 600}, {8, 1440, 900}} << S{{7, 1.25, nullptr}} << 1.0 << 7u << QSize(1000, 750);
        QTest::newRow("no matching screen: the main screen's scale")
            << D{{1, 1440, 900}} << S{} << 2.0 << 1u << QSize(2880, 1800);
        // 1366 pixels at scale 1.5 are 911 points after rounding; 911 × 1.5 would ask for 1367.
        QTest::newRow("the window system's pixel size wins")
            << D{{1, 911, 512, QSize(1366, 768)}} << S{{1, 1.5, nullptr}} << 1.0 << 1u << QSize(1366, 768);
    }
    void pixelSizeFollowsTheScreen()
    {
        QFETCH(QList<CaptureDisplay>, displays);
        QFETCH(QList<CaptureScreen>, screens);
        QFETCH(double, mainScale);
        QFETCH(uint, displayId);
        QFETCH(QSize, pixels);
        CaptureRig rig;
        rig.capture.displays = displays;
        rig.capture.screenList = screens;
        rig.capture.mainScreenInfo = CaptureScreen{99, mainScale, nullptr};
        rig.model.take(true);
        QTRY_VERIFY(rig.model.hasImage());
        QCOMPARE(rig.capture.imageRequests.size(), 1);
        QCOMPARE(rig.capture.imageRequests[0].displayId, displayId);
        QCOMPARE(rig.model.image().size(), pixels);
        QCOMPARE(rig.model.crop(), QRectF(QPointF(0, 0), QSizeF(pixels)));
    }

    // A full capture takes the screen under the pointer (the main one where that is unknown), a
    // screen by name, or all of them in one image as they lie; a name that is not there fails
    // with the names there are. Screen A (1440 × 900) is the main one; B (800 × 600) lies right
    // of it, 100 pixels lower.
    void whichScreen_data()
    {
        QTest::addColumn<uint>("pointer");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size"); // empty: it fails
        QTest::newRow("under the pointer") << 2u << QString() << QSize(800, 600);
        QTest::newRow("pointer unknown: the main one") << 0u << QString() << QSize(1440, 900);
        QTest::newRow("by name") << 1u << QStringLiteral("B") << QSize(800, 600);
        QTest::newRow("all") << 2u << QStringLiteral("all") << QSize(2240, 900);
        QTest::newRow("no such name") << 1u << QStringLiteral("C") << QSize();
    }
    void whichScreen()
    {
        QFETCH(uint, pointer);
        QFETCH(QString, name);
        QFETCH(QSize, size);
        CaptureRig rig;
        rig.capture.displays = {{1, 1440, 900}, {2, 800, 600}};
        rig.capture.screenList = {{1, 1.0, nullptr, QStringLiteral("A"), QRect(0, 0, 1440, 900)},
                                  {2, 1.0, nullptr, QStringLiteral("B"), QRect(1440, 100, 800, 600)}};
        rig.pointerDisplay = pointer;
        name.isEmpty() ? rig.model.take(true) : rig.model.takeScreen(name);
        if (size.isEmpty()) {
            QTRY_VERIFY(!rig.model.failure().isEmpty());
            QVERIFY2(rig.model.failure().contains(QStringLiteral("A, B")), qPrintable(rig.model.failure()));
            return;
        }
        QTRY_VERIFY(rig.model.hasImage());
        QCOMPARE(rig.model.image().size(), size);
        QVERIFY(rig.model.full());
        if (name == u"all") {
            // Each screen at its place, black where none is; B, under the pointer, was read first.
            const QImage &image = rig.model.image();
            QCOMPARE(image.pixelColor(1500, 50), QColor(Qt::black));
            QCOMPARE(image.pixelColor(1500, 150), FakeScreenCapture::colourFor(0));
            QCOMPARE(image.pixelColor(10, 890), FakeScreenCapture::colourFor(1));
        }
    }

    // The last area again: the same rectangle of the same screen, without an overlay, ready to
    // adjust; with none remembered, or its screen gone, an area capture as usual.
    void theLastAreaAgain()
    {
        CaptureRig rig;
        rig.capture.displays = {{1, 1440, 900}, {2, 800, 600}};
        rig.capture.screenList = {{1, 1.0, nullptr, QStringLiteral("A"), {}}, {2, 1.0, nullptr, QStringLiteral("B"), {}}};
        rig.model.takeLast();
        QTRY_COMPARE(rig.overlaysPresented, 1);
        rig.finishOverlay(QRect(10, 20, 300, 200), 1);
        QCOMPARE(rig.model.image().size(), QSize(800, 600));
        rig.model.takeLast();
        QTRY_COMPARE(rig.capture.imageRequests.size(), 3);
        QTRY_COMPARE(rig.model.crop(), QRectF(10, 20, 300, 200));
        QCOMPARE(rig.capture.imageRequests.last().displayId, 2u);
        QCOMPARE(rig.overlaysPresented, 1);
        QVERIFY(!rig.model.full() && rig.model.image().size() == QSize(800, 600));
        rig.capture.screenList.removeLast();
        rig.model.takeLast();
        QTRY_COMPARE(rig.overlaysPresented, 2);
    }

    // Capture Window takes the screen that shows most of the active window, cropped to it; where
    // the compositor captures the window itself, its picture whole at its scale; with neither, it
    // says that it cannot.
    void theActiveWindow()
    {
        CaptureRig rig;
        rig.capture.displays = {{1, 1440, 900}, {2, 800, 600}};
        rig.capture.screenList = {{1, 1.0, nullptr, QStringLiteral("A"), QRect(0, 0, 1440, 900)},
                                  {2, 1.0, nullptr, QStringLiteral("B"), QRect(1440, 0, 800, 600)}};
        rig.model.takeWindow();
        QCOMPARE(rig.model.failure(), ::tr("status.noWindowList"));
        CaptureEnvironment environment{.screenCapture = &rig.capture,
                                       .activeWindow = [] { return std::optional<QRect>(QRect(1400, 100, 300, 200)); }};
        rig.model.setCaptureEnvironment(environment);
        rig.model.takeWindow();
        QTRY_VERIFY(rig.model.hasImage());
        QCOMPARE(rig.capture.imageRequests.last().displayId, 2u);
        QCOMPARE(rig.model.crop(), QRectF(0, 100, 260, 200));
        QCOMPARE(rig.overlaysPresented, 0);

        CaptureRig kwin;
        QImage window = patternImage(QSize(300, 180));
        window.setDevicePixelRatio(1.5);
        kwin.capture.activeWindow = window;
        kwin.model.takeWindow();
        QTRY_VERIFY(kwin.model.hasImage());
        QCOMPARE(kwin.model.image(), patternImage(QSize(300, 180)));
        QCOMPARE(kwin.model.crop(), QRectF(0, 0, 300, 180));
        QVERIFY(!kwin.model.full() && kwin.model.failure().isEmpty());
        QCOMPARE(kwin.model.imageScale(), 1.5);
        QVERIFY(kwin.capture.imageRequests.isEmpty());
        kwin.capture.imageError = QStringLiteral("KWin's window screenshot failed (refused)");
        kwin.model.takeWindow();
        QTRY_VERIFY(kwin.model.failure().contains(kwin.capture.imageError));
    }

    // After a capture the window opens, or the selection goes straight to the clipboard, a file
    // or both, with no window, and a notification says where.
    void afterACapture_data()
    {
        QTest::addColumn<int>("after");
        QTest::addColumn<bool>("area");
        QTest::addColumn<QString>("note");
        QTest::newRow("the window") << int(SaveSettings::After::openWindow) << false << QString();
        QTest::newRow("copy, full") << int(SaveSettings::After::copy) << false << "Copied 1440 × 900";
        QTest::newRow("save, area") << int(SaveSettings::After::save) << true << "Saved Pixdrift-2026-03-03-14-05-09.png.";
        QTest::newRow("both, area") << int(SaveSettings::After::copyAndSave) << true
                                    << "Copied 300 × 200 · Saved Pixdrift-2026-03-03-14-05-09.png.";
        // (The fake screen is one colour: there are no words on it.)
        QTest::newRow("text, full") << int(SaveSettings::After::copyText) << false << "No text found in the crop";
    }
    void afterACapture()
    {
        QFETCH(int, after);
        QFETCH(bool, area);
        QFETCH(QString, note);
        CaptureRig rig;
        QTemporaryDir folder;
        SaveSettings settings;
        settings.after = SaveSettings::After(after);
        settings.folder = folder.path();
        QCOMPARE(rig.model.setSaveSettings(settings), QString());
        QGuiApplication::clipboard()->clear();
        rig.model.take(!area);
        if (area) {
            QTRY_VERIFY(rig.overlay.has_value());
            rig.finishOverlay(QRect(10, 20, 300, 200));
        }
        QTRY_VERIFY(rig.model.hasImage());
        QTRY_COMPARE_WITH_TIMEOUT(rig.notes, note.isEmpty() ? QStringList() : QStringList{note}, 20000);
        QCOMPARE(rig.windows.calls.contains(QStringLiteral("openMain")), note.isEmpty());
        const QSize size = area ? QSize(300, 200) : QSize(1440, 900);
        const QMimeData *clipboard = QGuiApplication::clipboard()->mimeData();
        const QImage copied = clipboard ? QImage::fromData(clipboard->data(QStringLiteral("image/png"))) : QImage();
        QCOMPARE(copied.size(), settings.copies() ? size : QSize(0, 0));
        const QStringList files = QDir(folder.path()).entryList(QDir::Files);
        QCOMPARE(files.size(), settings.saves() ? 1 : 0);
        if (settings.saves())
            QCOMPARE(QImage(folder.filePath(files.first())).size(), size);
    }

    // A script's capture: the selection streamed as PNG, a region read in the desktop's
    // coordinates (pixels on X11, points on Wayland); a cancelled or failed capture is told to
    // the script and opens no window.
    void forAScript()
    {
        CaptureRig rig;
        rig.capture.displays = {{1, 1440, 900}};
        rig.capture.screenList = {{1, 2.0, nullptr, QStringLiteral("A"), QRect(0, 0, 2880, 1800)}};
        rig.capture.mainScreenInfo = rig.capture.screenList.first();
        QList<CaptureModel::Delivered> told;
        QImage streamed;
        CaptureModel::Delivery delivery;
        delivery.stream = [&streamed](const QByteArray &png) { return streamed = QImage::fromData(png), QString(); };
        delivery.done = [&told](const CaptureModel::Delivered &delivered) { told << delivered; };
        using Kind = CaptureModel::CaptureRequest::Kind;
        const QList<std::tuple<bool, QRect, QSize>> regions{{false, QRect(10, 20, 300, 200), QSize(300, 200)},
                                                            {true, QRect(10, 20, 300, 200), QSize(600, 400)},
                                                            {true, QRect(1400, 850, 300, 200), QSize(80, 100)}};
        for (const auto &[inPoints, region, size] : regions) {
            CaptureEnvironment environment{.screenCapture = &rig.capture, .desktopInPoints = inPoints};
            rig.model.setCaptureEnvironment(environment);
            told.clear();
            rig.model.start({Kind::Region, {}, region, delivery});
            QTRY_COMPARE(told.size(), 1);
            QCOMPARE(told.first().outcome, CaptureModel::Delivered::Outcome::delivered);
            QCOMPARE(streamed.size(), size);
        }
        told.clear();
        rig.model.start({Kind::Region, {}, QRect(5000, 0, 10, 10), delivery});
        QTRY_COMPARE(told.size(), 1);
        QCOMPARE(told.first().outcome, CaptureModel::Delivered::Outcome::failed);

        CaptureRig script;
        told.clear();
        script.model.start({Kind::Area, {}, {}, delivery});
        QTRY_VERIFY(script.overlay.has_value());
        script.finishOverlay(std::nullopt);
        script.capture.imageError = QStringLiteral("refused");
        script.model.start({Kind::Full, {}, {}, delivery});
        QTRY_COMPARE(told.size(), 2);
        QCOMPARE(told[0].outcome, CaptureModel::Delivered::Outcome::cancelled);
        QCOMPARE(told[1].outcome, CaptureModel::Delivered::Outcome::failed);
        QCOMPARE(told[1].text, QStringLiteral("refused"));
        QVERIFY(!script.windows.calls.contains(QStringLiteral("openMain")));
    }

    // An older request, a late image of one, a stale overlay or a delay overtaken by a newer
    // capture change nothing.
    void onlyTheNewestCaptureDelivers()
    {
        CaptureRig rig;
        rig.capture.answering = FakeScreenCapture::Answering::WhenTold;
        rig.model.take(false);
        rig.model.take(true);
        QTRY_COMPARE(rig.capture.pendingContent(), 2);
        QSignalSpy changes(&rig.model, &CaptureModel::objectWillChange);
        rig.capture.answerContent(0); // the older one stops here
        QCOMPARE(rig.capture.imageRequests.size(), 0);
        QCOMPARE(changes.count(), 0);
        rig.capture.answerContent(0);
        QCOMPARE(rig.capture.pendingImages(), 1);
        rig.model.take(true); // its image is late once this one starts
        QTRY_COMPARE(rig.capture.pendingContent(), 1);
        rig.capture.answerContent(0);
        rig.capture.answerImage(1);
        changes.clear();
        rig.capture.answerImage(0);
        QCOMPARE(changes.count(), 0);
        QCOMPARE(rig.model.image().pixelColor(0, 0), FakeScreenCapture::colourFor(1));
        QCOMPARE(rig.overlaysPresented, 0);

        CaptureRig area;
        area.model.take(false);
        QTRY_VERIFY(area.overlay.has_value());
        auto stale = *std::exchange(area.overlay, std::nullopt);
        area.model.take(true);
        QTRY_VERIFY(area.model.full());
        const QImage full = area.model.image();
        stale(AreaSelection{0, QRect(10, 10, 50, 50)});
        QCOMPARE(area.model.image(), full);
        QCOMPARE(area.model.status(), ::tr("status.fullCaptured"));
    }

    // A delayed capture counts down on the status line; a capture asked for meanwhile replaces
    // it, and cancelDelay (Escape) stops it with nothing captured.
    void aDelayedCaptureGivesWayToANewerOne()
    {
        CaptureRig rig;
        rig.model.takeAfter(false, 1);
        QCOMPARE(rig.model.delayLeft(), 1);
        QVERIFY(rig.model.status().contains(u'1'));
        rig.model.take(true);
        QCOMPARE(rig.model.delayLeft(), 0);
        rig.model.takeAfter(true, 1);
        rig.model.cancelDelay();
        QCOMPARE(rig.model.status(), ::tr("status.ready"));
        QTest::qWait(1300);
        QCOMPARE(rig.capture.imageRequests.size(), 1);
        QCOMPARE(rig.overlaysPresented, 0);
    }

    // A failure says why, and the windows the capture hid come back.
    void failuresRestoreTheWindows()
    {
        const QList<std::tuple<QString, QString, QString>> rows{{"not allowed", "", "not allowed"},
                                                                {"", "%d %@ grab failed", "%d %@ grab failed"},
                                                                {"", "", "no display to capture"}}; // none listed
        for (const auto &[contentError, imageError, description] : rows) {
            CaptureRig rig;
            rig.windows.visible = true;
            rig.capture.contentError = contentError;
            rig.capture.imageError = imageError;
            if (contentError.isEmpty() && imageError.isEmpty())
                rig.capture.displays.clear();
            LogCapture log;
            rig.model.take(false);
            QTRY_COMPARE(rig.windows.calls, QStringList({"hide", "wait", "unhide", "openMain", "activate", "front:main"}));
            QVERIFY(rig.windows.visible);
            QCOMPARE(rig.model.status(), "The screen could not be captured (" + description + u')');
            QCOMPARE(log.lines(), QStringList{"Pixdrift capture failed: " + description});
            QVERIFY(!rig.model.hasImage());
            QCOMPARE(rig.model.failure(), rig.model.status());
            QCOMPARE(rig.overlaysPresented, 0);
        }
    }

    // A request superseded after it hid the windows must not leave them hidden for good.
    void aSupersededHideIsUndone()
    {
        CaptureRig rig;
        rig.windows.visible = true;
        rig.model.take(false);
        rig.model.take(false);
        QTRY_COMPARE(rig.overlaysPresented, 1);
        rig.finishOverlay(std::nullopt);
        QVERIFY(rig.windows.visible);
    }

    void nothingToCaptureWith()
    {
        auto rig = std::make_unique<CaptureRig>();
        rig->model.take(false);
        QTRY_COMPARE(rig->overlaysPresented, 1);
        ScreensSelectionHandler done = *rig->overlay;
        rig.reset();
        done(AreaSelection{0, QRect(0, 0, 10, 10)}); // must not touch the destroyed model

        auto defaults = UserDefaults::inMemory();
        CaptureModel model(*defaults); // no capture service at all
        LogCapture log;
        model.take(true);
        QTRY_VERIFY(model.status().startsWith(QStringLiteral("The screen could not be captured (")));
        QCOMPARE(log.lines().size(), 1);
    }
    // A scrolling capture through the model: the program turns the wheel until the page ends and
    // the script gets the whole page; by hand, Done gives what the user scrolled through; Cancel
    // is told; a capture too slow to follow says so and shows no panel.
    void scrollingCapture()
    {
        CaptureRig rig;
        rig.capture.screenList = {{1, 1.0, nullptr, QStringLiteral("A"), QRect(0, 0, 1440, 900)}};
        QImage page(300, 1500, QImage::Format_RGB32);
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                page.setPixel(x, y, qRgb((x * 3 + y) & 255, (y * 7 + (y >> 8) * 31) & 255, x & 255));
        const QRect shown(50, 60, 300, 200);
        int position = 0;
        rig.capture.screenContent = [&](QSize size) {
            QImage screen(size, QImage::Format_RGB32);
            screen.fill(Qt::black);
            QPainter(&screen).drawImage(shown.topLeft(), page.copy(0, position, shown.width(), shown.height()));
            return screen;
        };
        struct Wheel : ScrollInput
        {
            int *position = nullptr;
            QList<QPoint> at;
            bool restored = false;
            bool scroll(QPoint pixel, int clicks) override
            {
                at << pixel;
                *position = std::clamp(*position + clicks * 40, 0, 1300);
                return true;
            }
            void restorePointer() override { restored = true; }
        } wheel;
        wheel.position = &position;
        struct Panel : ScrollPanel
        {
            QRect shown;
            int *rows;
            void setProgress(int height, const QString &) override { *rows = height; }
            QRect area() const override { return shown; }
        };
        int rows = 0, panels = 0;
        std::function<void()> done, cancel;
        CaptureEnvironment environment{.screenCapture = &rig.capture, .windows = &rig.windows, .scrollInput = &wheel};
        environment.presentScrollPanel = [&](const FrozenScreen &, const QRect &area, std::function<void()> d,
                                             std::function<void()> c) -> std::unique_ptr<ScrollPanel> {
            ++panels;
            done = std::move(d), cancel = std::move(c);
            auto panel = std::make_unique<Panel>();
            panel->shown = area, panel->rows = &rows;
            return panel;
        };
        rig.model.setCaptureEnvironment(environment);
        QList<CaptureModel::Delivered> told;
        QImage streamed;
        CaptureModel::Delivery delivery;
        delivery.stream = [&streamed](const QByteArray &png) { return streamed = QImage::fromData(png), QString(); };
        delivery.done = [&told](const CaptureModel::Delivered &delivered) { told << delivered; };
        using Outcome = CaptureModel::Delivered::Outcome;

        rig.model.takeScrolling(delivery, shown);
        QTRY_COMPARE_WITH_TIMEOUT(told.size(), 1, 20000);
        QCOMPARE(told.first().outcome, Outcome::delivered);
        QCOMPARE(streamed.convertToFormat(QImage::Format_RGB32), page);
        QCOMPARE(wheel.at.first(), shown.center());
        QVERIFY(wheel.restored);

        // By hand: the wheel stays still, and what the user scrolled to is what Done gives.
        position = 0;
        wheel.at.clear();
        rig.model.takeScrolling(delivery, shown, true);
        QTRY_COMPARE(rows, 200);
        position = 150;
        QTRY_COMPARE(rows, 350);
        done();
        QTRY_COMPARE(told.size(), 2);
        QCOMPARE(told.last().outcome, Outcome::delivered);
        QCOMPARE(streamed.convertToFormat(QImage::Format_RGB32), page.copy(0, 0, 300, 350));
        QVERIFY(wheel.at.isEmpty());

        rig.model.takeScrolling(delivery, shown, true);
        QTRY_COMPARE(panels, 3);
        cancel();
        QTRY_COMPARE(told.size(), 3);
        QCOMPARE(told.last().outcome, Outcome::cancelled);

        rig.capture.quick = false;
        rig.model.takeScrolling(delivery, shown);
        QTRY_COMPARE(told.size(), 4);
        QCOMPARE(told.last().outcome, Outcome::failed);
        QCOMPARE(told.last().text, ::tr("scroll.unavailable"));
        QCOMPARE(panels, 3);
    }
};

QTEST_MAIN(CaptureFlowTest)
#include "tst_captureflow.moc"
