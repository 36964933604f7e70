#include "text/tr.h"
#include "overlay/AreaSelectionOverlay.h"
#include "overlay/AreaSelectionView.h"
#include "overlay/SelectionGeometry.h"
#include "overlay/SelectionOverlayWindow.h"
#include "platform/Beep.h"
#include "support/TestUtilities.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTest>

namespace G = SelectionGeometry;

namespace {

// A screenshot-like image: every pixel differs from its neighbours, so any stale pixel shows.
QImage patternImage(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = qRgb((x * 7) & 0xff, (y * 5) & 0xff, ((x + y) * 3) & 0xff);
    }
    return image;
}


void drag(QWidget *widget, QPointF from, QPointF to)
{
    sendMouse(widget, QEvent::MouseButtonPress, from);
    sendMouse(widget, QEvent::MouseMove, to);
    sendMouse(widget, QEvent::MouseButtonRelease, to);
}

// A 1440 × 900 view over a 2880 × 1800 capture that records what it reports.
struct ViewRig
{
    QList<std::optional<QRect>> results;
    int beeps = 0;
    AreaSelectionView view;

    explicit ViewRig(QSize viewSize = {1440, 900}, QSize pixels = {2880, 1800})
        : view(patternImage(pixels), [this](std::optional<QRect> r) { results.append(r); })
    {
        view.resize(viewSize);
        setBeepHandler([this] { ++beeps; });
    }
    ~ViewRig() { setBeepHandler({}); }
};

} // namespace

Q_DECLARE_METATYPE(std::optional<QRect>)

class AreaSelectionTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { loadTranslations(QLocale(QLocale::English)); }

    void pixelRect_data()
    {
        QTest::addColumn<QRectF>("selection");
        QTest::addColumn<QSizeF>("bounds");
        QTest::addColumn<QSizeF>("pixels");
        QTest::addColumn<std::optional<QRect>>("expected");

        // A drag from (100, 650) to (300, 800): 250 and 100 up from the bottom of a 900-high view.
        QTest::newRow("retina example") << QRectF(100, 650, 200, 150) << QSizeF(1440, 900) << QSizeF(2880, 1800)
                                        << std::optional<QRect>(QRect(200, 1300, 400, 300));
        QTest::newRow("rounded outward") << QRectF(10.5, 3.25, 20.2, 5.5) << QSizeF(100, 100) << QSizeF(100, 100)
                                         << std::optional<QRect>(QRect(10, 3, 21, 6));
        QTest::newRow("outside the view, unclamped") << QRectF(-50, 880, 100, 40) << QSizeF(1440, 900)
                                                     << QSizeF(2880, 1800)
                                                     << std::optional<QRect>(QRect(-100, 1760, 200, 80));
        QTest::newRow("different scales") << QRectF(10, 10, 10, 10) << QSizeF(100, 50) << QSizeF(150, 100)
                                          << std::optional<QRect>(QRect(15, 20, 15, 20));
        // Between screen pixels at scale 1.75, on a 1366 × 768 screen Qt shows as 781 × 439 points.
        QTest::newRow("fractional scale, whole pixels")
            << QRectF(QPointF(300, 203) / 1.75, QPointF(1001, 607) / 1.75) << QSizeF(1366, 768) / 1.75
            << QSizeF(1366, 768) << std::optional<QRect>(QRect(300, 203, 701, 404));
        QTest::newRow("view without width") << QRectF(0, 0, 10, 10) << QSizeF(0, 900) << QSizeF(2880, 1800)
                                            << std::optional<QRect>();
        QTest::newRow("view without height") << QRectF(0, 0, 10, 10) << QSizeF(10, 0) << QSizeF(2880, 1800)
                                             << std::optional<QRect>();
    }

    void pixelRect()
    {
        QFETCH(QRectF, selection);
        QFETCH(QSizeF, bounds);
        QFETCH(QSizeF, pixels);
        QFETCH(std::optional<QRect>, expected);
        QCOMPARE(G::pixelRect(selection, bounds, pixels), expected);
    }

    void labelsAndButton()
    {
        QCOMPARE(G::sizeLabel(QRectF(0, 0, 100.7, 50.2), {800, 600}, {800, 600}), QStringLiteral("100 × 50 px"));
        QCOMPARE(G::sizeLabel(QRectF(0, 0, 100.7, 50.2), {800, 600}, {1600, 1200}), QStringLiteral("201 × 100 px"));
        QCOMPARE(G::sizeLabel(QRectF(0, 0, 701 / 1.75, 404 / 1.75), QSizeF(1366, 768) / 1.75, {1366, 768}),
                 QStringLiteral("701 × 404 px"));
        QCOMPARE(G::sizeLabelBottom(QRectF(10, 100, 50, 50), {800, 600}), 174.0);
        QCOMPARE(G::sizeLabelBottom(QRectF(10, 500, 50, 90), {800, 600}), 592.0);
        QCOMPARE(G::cancelButtonRect({1440, 900}), QRectF(1264, 20, 156, 38));
    }

    void cancelButtonEdges_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<bool>("hits");
        QTest::newRow("left edge") << QPointF(1264, 40) << true;
        QTest::newRow("right edge") << QPointF(1420, 40) << false;
        QTest::newRow("just inside the right edge") << QPointF(1419.9, 40) << true;
        QTest::newRow("bottom edge") << QPointF(1300, 58) << true;
        QTest::newRow("top edge") << QPointF(1300, 20) << false;
        QTest::newRow("just below the top edge") << QPointF(1300, 20.1) << true;
        QTest::newRow("left of it") << QPointF(1263.9, 40) << false;
    }

    void cancelButtonEdges()
    {
        QFETCH(QPointF, point);
        QFETCH(bool, hits);
        QCOMPARE(G::hitsCancelButton(point, {1440, 900}), hits);
    }

    void aDragReportsImagePixels()
    {
        ViewRig rig;
        drag(&rig.view, {100, 800}, {300, 650});
        QCOMPARE(rig.results, QList<std::optional<QRect>>{QRect(200, 1300, 400, 300)});
        QCOMPARE(rig.beeps, 0);
        // Finished: later events do nothing.
        drag(&rig.view, {10, 10}, {300, 300});
        QCOMPARE(rig.results.size(), 1);
    }

    void smallSelectionsBeep_data()
    {
        QTest::addColumn<QPointF>("end");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("3 wide") << QPointF(103, 150) << false;
        QTest::newRow("3 high") << QPointF(150, 103) << false;
        QTest::newRow("3.01 square") << QPointF(103.01, 103.01) << true;
        QTest::newRow("a click") << QPointF(100, 100) << false;
        QTest::newRow("backwards") << QPointF(50, 40) << true;
    }

    void smallSelectionsBeep()
    {
        QFETCH(QPointF, end);
        QFETCH(bool, accepted);
        ViewRig rig({800, 600}, {800, 600});
        drag(&rig.view, {100, 100}, end);
        QCOMPARE(rig.results.size(), accepted ? 1 : 0);
        QCOMPARE(rig.beeps, accepted ? 0 : 1);
        if (accepted)
            return;
        // The overlay stays open and the next drag starts over.
        drag(&rig.view, {200, 200}, {260, 230});
        QCOMPARE(rig.results, QList<std::optional<QRect>>{QRect(200, 200, 60, 30)});
    }

    void aDragOutsideTheViewIsNotClamped()
    {
        ViewRig rig;
        drag(&rig.view, {10, 10}, {-50, -20});
        QCOMPARE(rig.results, QList<std::optional<QRect>>{QRect(-100, -40, 120, 60)});
    }

    void onlyTheLeftButtonSelects()
    {
        ViewRig rig;
        sendMouse(&rig.view, QEvent::MouseButtonPress, {10, 10}, Qt::RightButton);
        sendMouse(&rig.view, QEvent::MouseMove, {200, 200}, Qt::RightButton);
        sendMouse(&rig.view, QEvent::MouseButtonRelease, {200, 200}, Qt::RightButton);
        QVERIFY(rig.results.isEmpty());
        QCOMPARE(rig.view.selection(), QRectF());
    }

    void aReleaseWithoutAPressDoesNothing()
    {
        ViewRig rig;
        sendMouse(&rig.view, QEvent::MouseMove, {200, 200});
        sendMouse(&rig.view, QEvent::MouseButtonRelease, {200, 200});
        QVERIFY(rig.results.isEmpty());
        QCOMPARE(rig.beeps, 0);
    }

    void cancelPaths_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("cancels");
        QTest::newRow("Escape") << int(Qt::Key_Escape) << Qt::KeyboardModifiers() << true;
        QTest::newRow("Shift+Escape") << int(Qt::Key_Escape) << Qt::KeyboardModifiers(Qt::ShiftModifier) << true;
        QTest::newRow("Super+period") << int(Qt::Key_Period) << Qt::KeyboardModifiers(Qt::MetaModifier) << true;
        QTest::newRow("period") << int(Qt::Key_Period) << Qt::KeyboardModifiers() << false;
        QTest::newRow("Ctrl+period") << int(Qt::Key_Period) << Qt::KeyboardModifiers(Qt::ControlModifier) << false;
        QTest::newRow("Return") << int(Qt::Key_Return) << Qt::KeyboardModifiers() << false;
    }

    void cancelPaths()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, cancels);
        ViewRig rig;
        QTest::keyClick(&rig.view, Qt::Key(key), modifiers);
        QCOMPARE(rig.results, cancels ? QList<std::optional<QRect>>{std::nullopt} : QList<std::optional<QRect>>{});
    }

    void theCancelButtonCancelsOnPress()
    {
        ViewRig rig;
        sendMouse(&rig.view, QEvent::MouseButtonPress, {1300, 40});
        QCOMPARE(rig.results, QList<std::optional<QRect>>{std::nullopt});
        sendMouse(&rig.view, QEvent::MouseButtonRelease, {1300, 40});
        QCOMPARE(rig.results.size(), 1);
        QCOMPARE(rig.beeps, 0);
    }

    // What is on screen after many partial repaints must equal one full repaint.
    void partialRepaintsMatchAFullRepaint()
    {
        {
            // The screen is dimmed as a 42 % black layer over it would dim it.
            ViewRig native({640, 400}, {640, 400});
            native.view.show();
            QVERIFY(QTest::qWaitForWindowExposed(&native.view));
            QImage layered = patternImage({640, 400});
            QPainter(&layered).fillRect(layered.rect(), QColor(0, 0, 0, 107));
            const QImage shown = grabOnScreen(native.view);
            for (const QPoint p : {QPoint(300, 250), QPoint(7, 390), QPoint(633, 201)})
                QCOMPARE(shown.pixel(p), layered.pixel(p));
        }
        ViewRig rig({640, 400}, {1280, 800});
        rig.view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.view));

        // A refused small drag stays drawn; the next press clears it.
        sendMouse(&rig.view, QEvent::MouseButtonPress, {100, 100});
        sendMouse(&rig.view, QEvent::MouseMove, {101.5, 102});
        sendMouse(&rig.view, QEvent::MouseButtonRelease, {101.5, 102});
        QCoreApplication::processEvents();
        QCOMPARE(rig.beeps, 1);

        const QList<QPointF> path{{320, 230}, {280, 260}, {150.5, 90.25}, {500, 390}, {301, 201},
                                  {299, 199}, {620, 20},  {40, 380},      {333.3, 222.2}};
        sendMouse(&rig.view, QEvent::MouseButtonPress, {300, 200});
        QCoreApplication::processEvents();
        for (const QPointF &point : path) {
            sendMouse(&rig.view, QEvent::MouseMove, point);
            QCoreApplication::processEvents();
        }
        QTRY_COMPARE(grabOnScreen(rig.view), rig.view.grab().toImage().convertToFormat(QImage::Format_RGB32));
    }

    void repaintRegionStaysSmallWhileDragging()
    {
        ViewRig rig({1440, 900}, {1440, 900});
        const QRegion region = rig.view.repaintRegion(QRectF(100, 100, 400, 300), QRectF(100, 100, 410, 305));
        QVERIFY(region.boundingRect().width() < 500);
        qint64 area = 0;
        for (const QRect &r : region)
            area += qint64(r.width()) * r.height();
        QVERIFY2(area < 1440 * 900 / 20, qPrintable(QString::number(area)));
        // Appearing or disappearing selections repaint everything.
        QCOMPARE(rig.view.repaintRegion(QRectF(), QRectF(1, 1, 5, 5)), QRegion(0, 0, 1440, 900));
    }

    // The window of a screen is kept for the next capture; the earlier overlay's handler is never
    // called, and only the newer overlay shows.
    void presentingAgainReplacesTheEarlierOverlay()
    {
        int finished = 0;
        std::optional<AreaSelection> result;
        const QImage image = patternImage({64, 48});
        AreaSelectionOverlay::present({{image, nullptr}}, [&](std::optional<AreaSelection>) { ++finished; });
        QPointer<SelectionOverlayWindow> first = AreaSelectionOverlay::window();
        QVERIFY(first);
        QVERIFY(first->isVisible());
        QCOMPARE(first->geometry(), QGuiApplication::primaryScreen()->geometry());
        auto *view = first->findChild<AreaSelectionView *>();
        sendMouse(view, QEvent::MouseButtonPress, {10, 10});
        sendMouse(view, QEvent::MouseMove, {30, 30});

        const QImage other = patternImage({32, 24});
        AreaSelectionOverlay::present({{other, nullptr}, {image, nullptr}},
                                      [&](std::optional<AreaSelection> r) { result = r; });
        const QList<SelectionOverlayWindow *> windows = AreaSelectionOverlay::windows();
        QCOMPARE(windows.size(), 2);
        QCOMPARE(windows.first(), first.data());
        QCOMPARE(finished, 0);
        // No selection carried over; a new drag reports in the new image's pixels.
        QVERIFY(!view->selection().isValid());
        drag(view, {2, 2}, {12, 8});
        QVERIFY(result);
        QCOMPARE(result->screen, 0);
        QCOMPARE(result->rect, *G::pixelRect(QRectF(2, 2, 10, 6), QSizeF(view->size()), QSizeF(32, 24)));
        QCOMPARE(AreaSelectionOverlay::window(), nullptr);
        QVERIFY(first && !first->isVisible());
        // The second image's window was not a kept one: it goes.
        const auto overlayWindows = [] {
            const QWidgetList all = QApplication::topLevelWidgets();
            return std::count_if(all.begin(), all.end(), [](QWidget *w) { return qobject_cast<SelectionOverlayWindow *>(w); });
        };
        QTRY_COMPARE(overlayWindows(), 1);
        QCOMPARE(finished, 0);
    }

    // A finished overlay closes its own window, not a newer one stored since.
    void aViewClosesOnlyItsOwnWindow()
    {
        std::optional<AreaSelection> result{AreaSelection{}};
        const QImage image = patternImage({64, 48});
        AreaSelectionOverlay::present({{image, nullptr}}, [&](std::optional<AreaSelection> r) { result = r; });
        QPointer<SelectionOverlayWindow> overlay = AreaSelectionOverlay::window();
        auto *view = overlay->findChild<AreaSelectionView *>();
        QVERIFY(view);
        QTest::keyClick(view, Qt::Key_Escape);
        QVERIFY(!result);
        QCOMPARE(AreaSelectionOverlay::window(), nullptr);
        QVERIFY(overlay && !overlay->isVisible());
    }

private:
    static QImage grabOnScreen(QWidget &widget)
    {
        QCoreApplication::processEvents();
        return widget.screen()->grabWindow(widget.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    }
};

QTEST_MAIN(AreaSelectionTest)
#include "tst_areaselection.moc"
