// The area-selection overlay: its geometry, what a drag or a key reports, what is on screen,
// and the kept windows from one capture to the next.

#include "overlay/AreaSelectionOverlay.h"
#include "overlay/AreaSelectionView.h"
#include "overlay/SelectionGeometry.h"
#include "overlay/ScrollPanelWindow.h"
#include "overlay/SelectionOverlayWindow.h"
#include "overlay/WindowPick.h"
#include "platform/Beep.h"
#include "platform/sway/SwayWindowList.h"
#include "support/TestUtilities.h"
#include "text/tr.h"

#include <QApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QScreen>
#include <QTest>

namespace G = SelectionGeometry;
using Results = QList<std::optional<QRect>>;

namespace {

// A view of `viewSize` points over a capture of `pixels` that records what it reports.
struct ViewRig
{
    Results results;
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

QImage onScreen(QWidget &widget)
{
    QCoreApplication::processEvents();
    return widget.screen()->grabWindow(widget.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

Q_DECLARE_METATYPE(std::optional<QRect>)

class AreaSelectionTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { loadTranslations(QLocale(QLocale::English)); }

    // A selection in points → the crop in the capture's pixels, rounded outward, not clamped.
    void pixelRect_data()
    {
        QTest::addColumn<QRectF>("selection");
        QTest::addColumn<QSizeF>("view");
        QTest::addColumn<QSizeF>("pixels");
        QTest::addColumn<std::optional<QRect>>("expected");
        QTest::newRow("scale 2") << QRectF(100, 650, 200, 150) << QSizeF(1440, 900) << QSizeF(2880, 1800)
                                 << std::optional<QRect>(QRect(200, 1300, 400, 300));
        QTest::newRow("rounded outward") << QRectF(10.5, 3.25, 20.2, 5.5) << QSizeF(100, 100) << QSizeF(100, 100)
                                         << std::optional<QRect>(QRect(10, 3, 21, 6));
        QTest::newRow("outside the view") << QRectF(-50, 880, 100, 40) << QSizeF(1440, 900) << QSizeF(2880, 1800)
                                          << std::optional<QRect>(QRect(-100, 1760, 200, 80));
        QTest::newRow("different scales") << QRectF(10, 10, 10, 10) << QSizeF(100, 50) << QSizeF(150, 100)
                                          << std::optional<QRect>(QRect(15, 20, 15, 20));
        // Between screen pixels at scale 1.75, on a 1366 × 768 screen (781 × 439 points).
        QTest::newRow("fractional scale") << QRectF(QPointF(300, 203) / 1.75, QPointF(1001, 607) / 1.75)
                                          << QSizeF(1366, 768) / 1.75 << QSizeF(1366, 768)
                                          << std::optional<QRect>(QRect(300, 203, 701, 404));
        QTest::newRow("view without width") << QRectF(0, 0, 10, 10) << QSizeF(0, 900) << QSizeF(2880, 1800)
                                            << std::optional<QRect>();
        QTest::newRow("view without height") << QRectF(0, 0, 10, 10) << QSizeF(10, 0) << QSizeF(2880, 1800)
                                             << std::optional<QRect>();
    }
    void pixelRect()
    {
        QFETCH(QRectF, selection);
        QFETCH(QSizeF, view);
        QFETCH(QSizeF, pixels);
        QFETCH(std::optional<QRect>, expected);
        QCOMPARE(G::pixelRect(selection, view, pixels), expected);
    }

    void labelAndCancelButton()
    {
        QCOMPARE(G::sizeLabel(QRectF(0, 0, 100.7, 50.2), {800, 600}, {1600, 1200}), QStringLiteral("201 × 100 px"));
        QCOMPARE(G::sizeLabel(QRectF(0, 0, 701 / 1.75, 404 / 1.75), QSizeF(1366, 768) / 1.75, {1366, 768}),
                 QStringLiteral("701 × 404 px"));
        // The cancel button (1264, 20, 156, 38) takes its left and bottom edges, not its right and top.
        const QList<std::pair<QPointF, bool>> presses{{{1264, 40}, true}, {{1420, 40}, false}, {{1419.9, 40}, true},
                                                      {{1300, 58}, true}, {{1300, 20}, false}, {{1300, 20.1}, true},
                                                      {{1263.9, 40}, false}};
        for (const auto &[point, hits] : presses)
            QVERIFY2(G::hitsCancelButton(point, {1440, 900}) == hits,
                     qPrintable(QStringLiteral("%1, %2").arg(point.x()).arg(point.y())));
    }

    void drags()
    {
        ViewRig rig;
        sendMouse(&rig.view, QEvent::MouseButtonPress, {10, 10}, Qt::RightButton); // only the left button selects
        sendMouse(&rig.view, QEvent::MouseButtonRelease, {200, 200}, Qt::RightButton);
        sendMouse(&rig.view, QEvent::MouseButtonRelease, {200, 200}); // a release without a press
        QVERIFY(rig.results.isEmpty());
        drag(&rig.view, {10, 10}, {-50, -20}); // outside the view: not clamped
        QCOMPARE(rig.results, Results{QRect(-100, -40, 120, 60)});
        drag(&rig.view, {10, 10}, {300, 300}); // finished: later events do nothing
        QCOMPARE(rig.results.size(), 1);
        QCOMPARE(rig.beeps, 0);

        // Selections of 3 points or less beep; the overlay stays and the next drag starts over.
        const QList<std::pair<QPointF, bool>> ends{{{103, 150}, false}, {{150, 103}, false}, {{100, 100}, false},
                                                   {{103.01, 103.01}, true}, {{50, 40}, true}};
        for (const auto &[end, accepted] : ends) {
            ViewRig small({800, 600}, {800, 600});
            drag(&small.view, {100, 100}, end);
            QCOMPARE(small.beeps, accepted ? 0 : 1);
            if (!accepted) {
                drag(&small.view, {200, 200}, {260, 230});
                QCOMPARE(small.results, Results{QRect(200, 200, 60, 30)});
            }
        }
    }

    void cancelling()
    {
        const QList<std::tuple<Qt::Key, Qt::KeyboardModifiers, bool>> keys{
            {Qt::Key_Escape, {}, true}, {Qt::Key_Escape, Qt::ShiftModifier, true}, {Qt::Key_Period, Qt::MetaModifier, true},
            {Qt::Key_Period, {}, false}, {Qt::Key_Period, Qt::ControlModifier, false}, {Qt::Key_Return, {}, false}};
        for (const auto &[key, modifiers, cancels] : keys) {
            ViewRig rig;
            QTest::keyClick(&rig.view, key, modifiers);
            QCOMPARE(rig.results, cancels ? Results{std::nullopt} : Results{});
        }
        ViewRig rig; // the cancel button cancels on the press
        sendMouse(&rig.view, QEvent::MouseButtonPress, {1300, 40});
        QCOMPARE(rig.results, Results{std::nullopt});
        sendMouse(&rig.view, QEvent::MouseButtonRelease, {1300, 40});
        QCOMPARE(rig.results.size(), 1);
    }

    // The screen is dimmed as a 42 % black layer would dim it, and what is on screen after many
    // partial repaints equals one full repaint; a drag repaints only a little.
    void whatIsOnScreen()
    {
        {
            ViewRig native({640, 400}, {640, 400});
            native.view.show();
            QVERIFY(QTest::qWaitForWindowExposed(&native.view));
            QImage layered = patternImage({640, 400});
            QPainter(&layered).fillRect(layered.rect(), QColor(0, 0, 0, 107));
            const QImage shown = onScreen(native.view);
            for (const QPoint p : {QPoint(300, 250), QPoint(7, 390), QPoint(633, 201)})
                QCOMPARE(shown.pixel(p), layered.pixel(p));
        }
        ViewRig rig({640, 400}, {1280, 800});
        rig.view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.view));
        drag(&rig.view, {100, 100}, {101.5, 102}); // a refused drag stays drawn until the next press
        QCoreApplication::processEvents();
        sendMouse(&rig.view, QEvent::MouseButtonPress, {300, 200});
        for (const QPointF &point : {QPointF(320, 230), QPointF(280, 260), QPointF(150.5, 90.25), QPointF(500, 390),
                                     QPointF(301, 201), QPointF(299, 199), QPointF(620, 20), QPointF(40, 380),
                                     QPointF(333.3, 222.2)}) {
            QCoreApplication::processEvents();
            sendMouse(&rig.view, QEvent::MouseMove, point);
        }
        QTRY_COMPARE(onScreen(rig.view), rig.view.grab().toImage().convertToFormat(QImage::Format_RGB32));

        ViewRig large({1440, 900}, {1440, 900});
        qint64 area = 0;
        for (const QRect &r : large.view.repaintRegion(QRectF(100, 100, 400, 300), QRectF(100, 100, 410, 305)))
            area += qint64(r.width()) * r.height();
        QVERIFY2(area < 1440 * 900 / 20, qPrintable(QString::number(area)));
        QCOMPARE(large.view.repaintRegion(QRectF(), QRectF(1, 1, 5, 5)), QRegion(0, 0, 1440, 900));
    }

    // A click (no drag) picks the topmost window under it, as far as it lies on the screen;
    // minimised windows and ours never count. The screen lies at (1000, 0), 800 × 600 pixels.
    void pickingAWindow_data()
    {
        QTest::addColumn<QPoint>("click"); // the screen's pixels
        QTest::addColumn<std::optional<QRect>>("picked");
        QTest::newRow("the topmost") << QPoint(150, 100) << std::optional<QRect>(QRect(100, 50, 300, 200));
        QTest::newRow("under it, cut at the screen's edge") << QPoint(50, 150) << std::optional<QRect>(QRect(0, 100, 300, 300));
        QTest::newRow("only a minimised one and ours: none") << QPoint(700, 500) << std::optional<QRect>();
    }
    void pickingAWindow()
    {
        QFETCH(QPoint, click);
        QFETCH(std::optional<QRect>, picked);
        const QList<DesktopWindow> windows{{QRect(1100, 50, 300, 200)},
                                           {QRect(1050, 40, 750, 560), true, false},
                                           {QRect(1000, 0, 800, 600), false, true},
                                           {QRect(900, 100, 400, 300)},
                                           {QRect(0, 0, 500, 500)}};
        const QList<QRect> shown = WindowPick::onScreen(windows, QRect(1000, 0, 800, 600));
        QCOMPARE(shown, (QList<QRect>{QRect(100, 50, 300, 200), QRect(0, 100, 300, 300)}));
        QCOMPARE(WindowPick::at(shown, click), picked);
        // In the overlay, a click at half scale reports the window's own pixels.
        ViewRig rig({400, 300}, {800, 600});
        rig.view.setWindows(shown);
        drag(&rig.view, QPointF(click) / 2, QPointF(click) / 2);
        QCOMPARE(rig.results, picked ? Results{picked} : Results{});
        QCOMPARE(rig.beeps, picked ? 0 : 1);
    }

    // sway's tree: floating windows over tiled ones, each with its title bar, at its output's
    // scale; windows out of sight are no windows, ours are marked, and the focused one is known.
    void swayTree()
    {
        const QByteArray tree = R"({"type": "root", "nodes": [
            {"type": "output", "scale": 2, "nodes": [{"type": "workspace", "nodes": [
                {"type": "con", "visible": true, "pid": 5, "rect": {"x": 0, "y": 30, "width": 400, "height": 270},
                 "deco_rect": {"x": 0, "y": 0, "width": 400, "height": 30}, "nodes": []},
                {"type": "con", "visible": false, "pid": 6, "rect": {"x": 0, "y": 0, "width": 40, "height": 40},
                 "deco_rect": {"height": 0}, "nodes": []}],
              "floating_nodes": [
                {"type": "floating_con", "visible": true, "pid": 7, "focused": true,
                 "rect": {"x": 100, "y": 100, "width": 200, "height": 100}, "deco_rect": {"height": 20}, "nodes": []}]}]},
            {"type": "output", "scale": 1, "nodes": [{"type": "workspace", "nodes": [
                {"type": "con", "visible": true, "pid": 99, "rect": {"x": 1000, "y": 0, "width": 300, "height": 300},
                 "deco_rect": {"height": 0}, "nodes": []}]}]}]})";
        std::optional<QRect> focused;
        const QList<DesktopWindow> windows =
            SwayWindowList::windowsOfTree(QJsonDocument::fromJson(tree).object(), 99, &focused);
        QCOMPARE(windows.size(), 3);
        QCOMPARE(windows[0].frame, QRect(200, 160, 400, 240));
        QCOMPARE(windows[1].frame, QRect(0, 0, 800, 600));
        QVERIFY(!windows[1].ours && windows[2].ours);
        QCOMPARE(focused, std::optional<QRect>(QRect(200, 160, 400, 240)));
    }

    // The window of a screen is kept for the next capture; presenting again replaces the
    // earlier overlay without calling its handler, and a finished overlay closes only its own.
    void keptWindows()
    {
        int finished = 0;
        std::optional<AreaSelection> result;
        const QImage image = patternImage({64, 48});
        AreaSelectionOverlay::present({{image, nullptr}}, [&](std::optional<AreaSelection>) { ++finished; });
        QPointer<SelectionOverlayWindow> first = AreaSelectionOverlay::window();
        QVERIFY(first && first->isVisible());
        QCOMPARE(first->geometry(), QGuiApplication::primaryScreen()->geometry());
        auto *view = first->findChild<AreaSelectionView *>();
        sendMouse(view, QEvent::MouseButtonPress, {10, 10});
        sendMouse(view, QEvent::MouseMove, {30, 30});

        AreaSelectionOverlay::present({{patternImage({32, 24}), nullptr}, {image, nullptr}},
                                      [&](std::optional<AreaSelection> r) { result = r; });
        QCOMPARE(AreaSelectionOverlay::windows().size(), 2);
        QCOMPARE(AreaSelectionOverlay::windows().first(), first.data());
        QVERIFY(!view->selection().isValid()); // nothing carried over
        drag(view, {2, 2}, {12, 8});
        QVERIFY(result && result->screen == 0);
        QCOMPARE(result->rect, *G::pixelRect(QRectF(2, 2, 10, 6), QSizeF(view->size()), QSizeF(32, 24)));
        QCOMPARE(AreaSelectionOverlay::window(), nullptr);
        QVERIFY(first && !first->isVisible());
        const auto overlayWindows = [] {
            const QWidgetList all = QApplication::topLevelWidgets();
            return std::count_if(all.begin(), all.end(), [](QWidget *w) { return qobject_cast<SelectionOverlayWindow *>(w); });
        };
        QTRY_COMPARE(overlayWindows(), 1); // the second screen's window was not a kept one

        AreaSelectionOverlay::present({{image, nullptr}}, [&](std::optional<AreaSelection> r) { result = r; });
        QTest::keyClick(AreaSelectionOverlay::window()->findChild<AreaSelectionView *>(), Qt::Key_Escape);
        QVERIFY(!result);
        QCOMPARE(AreaSelectionOverlay::window(), nullptr);
        QVERIFY(first && !first->isVisible());
        QCOMPARE(finished, 0);
    }
    // The scrolling capture's panel never covers the area while there is room beside it.
    void scrollPanelPlacement_data()
    {
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QPoint>("panel");
        QTest::newRow("below") << QRect(100, 100, 400, 300) << QPoint(100, 408);
        QTest::newRow("above, at the bottom") << QRect(100, 600, 400, 290) << QPoint(100, 532);
        QTest::newRow("beside, full height") << QRect(0, 0, 600, 900) << QPoint(608, 0);
        QTest::newRow("left of it, at the right") << QRect(900, 0, 540, 900) << QPoint(492, 0);
        QTest::newRow("pushed inside the screen") << QRect(1300, 100, 140, 300) << QPoint(1040, 408);
        QTest::newRow("no room: the far corner") << QRect(0, 0, 1440, 900) << QPoint(0, 0);
        QTest::newRow("no room, off centre") << QRect(0, 0, 1440, 890) << QPoint(0, 840);
    }
    void scrollPanelPlacement()
    {
        QFETCH(QRect, area);
        QFETCH(QPoint, panel);
        const QSize size(400, 60);
        const QPoint at = ScrollPanelWindow::placeFor(area, QRect(0, 0, 1440, 900), size);
        QCOMPARE(at, panel);
        const bool room = area.height() + 68 <= 900 || area.width() + 408 <= 1440;
        QCOMPARE(QRect(at, size).intersects(area), !room);
    }
};

QTEST_MAIN(AreaSelectionTest)
#include "tst_areaselection.moc"
