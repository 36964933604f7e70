// The main window's content: the image area and its crop box, the controls and keys, and what
// happens each time the window appears.

#include "shortcuts/GlobalShortcuts.h"
#include "support/Fakes.h"
#include "support/TestUtilities.h"
#include "text/tr.h"
#include "ui/CropBoxGeometry.h"
#include "ui/DisplayMapping.h"
#include "ui/ImageArea.h"
#include "ui/MainView.h"
#include "ui/MarkControls.h"
#include "ui/PinWindow.h"
#include "ui/MessageBar.h"
#include "ui/SelectionBox.h"

#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

namespace G = CropBoxGeometry;

namespace {

// A drag as the window system delivers it: to the widget under the press, then to whichever
// widget took the press, in steps.
void dragIn(QWidget *area, QPointF from, QPointF to)
{
    QWidget *target = area->childAt(from.toPoint());
    if (!target || !target->isVisible())
        target = area;
    QMouseEvent press(QEvent::MouseButtonPress, from - target->mapTo(area, QPointF()), area->mapToGlobal(from),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QWidget *grabber = press.isAccepted() ? target : area;
    const QPointF offset = grabber->mapTo(area, QPointF());
    for (int step = 1; step <= 4; ++step)
        sendMouse(grabber, QEvent::MouseMove, from + (to - from) * (step / 4.0) - offset);
    sendMouse(grabber, QEvent::MouseButtonRelease, to - offset);
}

bool near(QPointF a, QPointF b) { return qAbs(a.x() - b.x()) < 0.01 && qAbs(a.y() - b.y()) < 0.01; }

QImage flat(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(90, 120, 150));
    return image;
}

// A crop box over a 400 × 300 image placed at (20, 30), bound to a rectangle that counts writes.
struct BoxRig
{
    QRectF rect{100, 100, 200, 100};
    int writes = 0;
    SelectionBox box{Binding<QRectF>([this] { return rect; }, [this](const QRectF &r) { rect = r, ++writes; })};
    BoxRig()
    {
        box.resize(440, 360);
        box.setImageGeometry({20, 30}, {400, 300});
    }
    void drag(QPointF from, QPointF by) { dragIn(&box, from + QPointF(20, 30), from + QPointF(20, 30) + by); }
};

QPushButton *button(QWidget *view, const QString &text)
{
    for (QPushButton *b : view->findChildren<QPushButton *>())
        if (b->text() == text)
            return b;
    return nullptr;
}

} // namespace

Q_DECLARE_METATYPE(G::Handle)

class MainViewTest : public QObject
{
    Q_OBJECT

    FakeHotKeyService m_service;
    std::optional<CaptureRig> m_rig;
    CaptureModel &model() { return m_rig->model; }
    // The main window's content in `window`, shown (at `size` where given).
    MainView *openView(QMainWindow &window, QSize size = {})
    {
        auto *view = new MainView(model(), [] {});
        window.setCentralWidget(view);
        if (size.isValid())
            window.resize(size);
        window.show();
        return view;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(!loadTranslations(QLocale(QLocale::English)).isEmpty()); }
    void init()
    {
        m_service = FakeHotKeyService();
        GlobalShortcuts::setService(&m_service);
        m_rig.emplace();
    }
    void cleanup()
    {
        m_rig.reset();
        GlobalShortcuts::setService(nullptr);
    }

    // A drag on the image adds a mark in image pixels, under the drag at the shown scale.
    void dragsOnTheImage()
    {
        // Too small an area, or no image, gives no canvas rather than an infinite scale.
        QVERIFY(!DisplayMapping::fit({36, 700}, {2880, 1800}) && !DisplayMapping::fit({1000, 700}, {0, 0}));
        ImageArea area(model(), [] { return QColor(Qt::red); });
        area.resize(1020, 720);
        model().setImage(flat({2880, 1800}));
        model().setCrop(QRectF(0, 0, 10, 10)); // the crop box in a corner, out of the way
        // Area coordinates (118, 148.75) → (218, 148.75); the widget adds a 10-point inset.
        dragIn(&area, QPointF(128, 158.75), QPointF(228, 158.75));
        QCOMPARE(model().marks().size(), 1);
        const Mark mark = model().marks().first();
        QVERIFY(near(mark.from, QPointF(298.76, 298.76)) && near(mark.to, QPointF(597.51, 298.76)));
        QCOMPARE(mark.color, QColor(Qt::red));
        QCOMPARE(mark.tool, QStringLiteral("tool.arrow"));

        model().setFull(true);
        model().setMarks({});
        dragIn(&area, QPointF(300, 300), QPointF(301.5, 300.5)); // shorter than 2 points
        dragIn(&area, QPointF(20, 20), QPointF(400, 400));       // starting in the margin
        QVERIFY(model().marks().isEmpty());
        dragIn(&area, QPointF(200, 300), QPointF(12, 300)); // ending in the margin: outside the image
        QCOMPARE(model().marks().size(), 1);
        QVERIFY(model().marks().first().to.x() < 0);

        ImageArea small(model(), [] { return QColor(Qt::red); });
        small.resize(40, 40);
        model().setImage(flat({2880, 1800}));
        model().setMarks({});
        QVERIFY(!small.mapping());
        dragIn(&small, QPointF(20, 20), QPointF(30, 30));
        QVERIFY(model().marks().isEmpty());
    }

    // Inside the crop the box takes the drag; after a full capture there is no box and it draws.
    void theCropBoxOnlyForAreaCaptures()
    {
        ImageArea area(model(), [] { return QColor(Qt::red); });
        area.resize(1020, 720);
        model().setImage(flat({2880, 1800}));
        model().setCrop(QRectF(600, 600, 900, 600));
        area.show();
        QVERIFY(area.selectionBox()->isVisible());
        const QPointF inside = QPointF(10, 10) + area.mapping()->offset + QPointF(1000, 900) * area.mapping()->scale;
        dragIn(&area, inside, inside + QPointF(30, 0));
        QVERIFY(model().marks().isEmpty());
        QVERIFY(model().crop().x() > 600);
        model().setFull(true);
        QVERIFY(!area.selectionBox()->isVisible());
        dragIn(&area, inside, inside + QPointF(30, 0));
        QCOMPARE(model().marks().size(), 1);
    }

    // A handle moves its edges, keeps 30 points at least, may cross the opposite edge, and the
    // box stays on the 400 × 300 image. From (100, 100, 200, 100):
    void handleRule_data()
    {
        QTest::addColumn<G::Handle>("handle");
        QTest::addColumn<QPointF>("by");
        QTest::addColumn<QRectF>("expected");
        QTest::newRow("bottom-right, pushed back") << G::Handle::BottomRight << QPointF(150, 50) << QRectF(50, 100, 350, 150);
        QTest::newRow("left, stopped at the minimum") << G::Handle::Left << QPointF(190, 0) << QRectF(290, 100, 30, 100);
        QTest::newRow("left, past the right edge") << G::Handle::Left << QPointF(300, 0) << QRectF(300, 100, 100, 100);
        QTest::newRow("right, past the left edge") << G::Handle::Right << QPointF(-250, 0) << QRectF(100, 100, 50, 100);
        QTest::newRow("right, stopped at the minimum") << G::Handle::Right << QPointF(-190, 0) << QRectF(100, 100, 30, 100);
        QTest::newRow("top, past the image's top") << G::Handle::Top << QPointF(0, -150) << QRectF(100, 0, 200, 250);
        QTest::newRow("top-left") << G::Handle::TopLeft << QPointF(-20, -30) << QRectF(80, 70, 220, 130);
        QTest::newRow("bottom-left") << G::Handle::BottomLeft << QPointF(10, 20) << QRectF(110, 100, 190, 120);
        QTest::newRow("top-right") << G::Handle::TopRight << QPointF(30, 40) << QRectF(100, 140, 230, 60);
        QTest::newRow("bottom, stopped at the minimum") << G::Handle::Bottom << QPointF(0, -80) << QRectF(100, 100, 200, 30);
    }
    void handleRule()
    {
        QFETCH(G::Handle, handle);
        QFETCH(QPointF, by);
        QFETCH(QRectF, expected);
        QCOMPARE(G::resized(QRectF(100, 100, 200, 100), handle, by, {400, 300}), expected);
    }

    void cropBoxOnTheWidget()
    {
        // The size is not limited by the image, only the position; the interior keeps inside.
        QCOMPARE(G::resized(QRectF(0, 0, 390, 100), G::Handle::Right, QPointF(100, 0), {400, 300}), QRectF(-90, 0, 490, 100));
        QCOMPARE(G::moved(QRectF(100, 100, 200, 100), QPointF(-500, 500), {400, 300}), QPointF(0, 200));
        // Hits: the interior (-1), a handle, or nothing (-2), in box coordinates.
        const QList<std::pair<QPointF, int>> hits{{{200, 150}, -1}, {{103, 103}, int(G::Handle::TopLeft)},
                                                  {{200, 104}, int(G::Handle::Top)}, {{97, 97}, int(G::Handle::TopLeft)},
                                                  {{304, 150}, int(G::Handle::Right)}, {{200, 205}, int(G::Handle::Bottom)},
                                                  {{50, 50}, -2}, {{100, 93.9}, -2}};
        for (const auto &[point, expected] : hits) {
            const auto hit = G::hitTest(QRectF(100, 100, 200, 100), point);
            QCOMPARE(hit ? (hit->handle ? int(*hit->handle) : -1) : -2, expected);
        }

        BoxRig rig;
        rig.drag(QPointF(304, 204), QPointF(150, 50)); // the outer part of the bottom-right handle
        QCOMPARE(rig.rect, QRectF(50, 100, 350, 150));
        // The next drag starts from the rectangle as it is now; the left handle stays the left
        // one after crossing: x = 450, width |350 − 400| = 50, kept inside at 400 − 50.
        rig.drag(QPointF(46, 175), QPointF(400, 0));
        QCOMPARE(rig.rect, QRectF(350, 100, 50, 150));

        BoxRig interior;
        interior.drag(QPointF(200, 150), QPointF(6, 6));     // under the 10-point threshold
        interior.drag(QPointF(30, 30), QPointF(100, 100));   // on the dimming: passes through
        QCOMPARE(interior.writes, 0);
        interior.drag(QPointF(200, 150), QPointF(-500, 500));
        QCOMPARE(interior.rect, QRectF(0, 200, 200, 100));
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(60, 70), QPointF(), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&interior.box, &press);
        QVERIFY(!press.isAccepted()); // left for the widget below
    }

    void controlsFollowTheImage()
    {
        QMainWindow window;
        MainView *view = openView(window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const QList<QWidget *> controls{button(view, "Cancel"), button(view, "Copy"), button(view, "Save"),
                                        view->findChild<QToolButton *>(QStringLiteral("tool.arrow")),
                                        view->findChild<QToolButton *>(QStringLiteral("colorWell")),
                                        view->findChild<QToolButton *>(QStringLiteral("undo"))};
        for (QWidget *control : controls)
            QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
        // File names and translations are shown as they are, never as markup.
        for (QLabel *label : view->findChildren<QLabel *>())
            if (label->objectName() != u"title" && label->objectName() != u"poweredBy")
                QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(label->text()));
        QCOMPARE(view->findChild<QLabel *>(QStringLiteral("emptyHint"))->text(),
                 QStringLiteral("Capture Area: Ctrl+Alt+Super+4   ·   Capture Full Screen: Ctrl+Alt+Super+3   ·   "
                                "Capture Window: Ctrl+Alt+Super+5"));
        // Escape and the copy key do nothing without an image.
        model().setStatus(QStringLiteral("unchanged"));
        QTest::keyClick(view, Qt::Key_Escape);
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(model().status(), QStringLiteral("unchanged"));

        model().setImage(flat({2880, 1800}));
        model().setFull(true);
        for (QWidget *control : controls)
            QVERIFY(control->isEnabled());
        auto *size = view->findChild<QLabel *>(QStringLiteral("imageSize"));
        QCOMPARE(size->text(), QStringLiteral("2880 × 1800 px"));
        // Crop (C) turns the full capture into an area capture around the whole image; the
        // footer then shows what Copy would write.
        QTest::keyClick(view, Qt::Key_C);
        QVERIFY(!model().full() && !button(view, "Crop")->isEnabled());
        QCOMPARE(model().crop(), QRectF(0, 0, 2880, 1800));
        model().setCrop(QRectF(10.5, 0, 300, 200));
        QCOMPARE(size->text(), QStringLiteral("301 × 200 px"));
        // Undone marks come back newest first; a new mark forgets them.
        const Mark first({1, 1}, {2, 2}, Qt::red, QStringLiteral("tool.pen"));
        const Mark second({3, 3}, {4, 4}, Qt::red, QStringLiteral("tool.pen"));
        const Mark third({5, 5}, {6, 6}, Qt::red, QStringLiteral("tool.pen"));
        const auto undo = [view] { QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier); };
        const auto redo = [view] { QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); };
        model().addMark(first);
        model().addMark(second);
        undo(), undo(), undo(), redo();
        QCOMPARE(model().marks(), QList<Mark>{first});
        redo();
        QCOMPARE(model().marks(), (QList<Mark>{first, second}));
        undo();
        model().addMark(third);
        redo();
        QCOMPARE(model().marks(), (QList<Mark>{first, third}));
        model().setCrop(QRectF(0, 0, 100, 100));
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(model().status(), ::tr("status.copied"));

        // Each tool has its key. While a text box takes typing, the keys type into it, and
        // Escape ends the box rather than the capture.
        for (const std::string_view key : toolKeys) {
            const QString tool = QString::fromLatin1(key.data(), qsizetype(key.size()));
            QTest::keyClick(view, MarkControls::toolLetter(tool).toLatin1());
            QCOMPARE(model().tool(), tool);
            QVERIFY(view->findChild<QToolButton *>(tool)->isChecked());
        }
        QTest::keyClick(view, Qt::Key_T);
        ImageArea *area = view->imageArea();
        const QPointF spot = area->mapping()->offset + QPointF(20, 20) + QPointF(area->mapping()->displayed.width(), area->mapping()->displayed.height()) / 2;
        dragIn(area, spot, spot);
        QTest::keyClicks(area, QStringLiteral("Vale 42"));
        QTest::keyClick(area, Qt::Key_Return);
        QTest::keyClicks(area, QStringLiteral("bx"));
        QTest::keyClick(area, Qt::Key_Backspace);
        QCOMPARE(model().tool(), QStringLiteral("tool.text"));
        QTest::keyClick(area, Qt::Key_Escape);
        QVERIFY(model().hasImage());
        QCOMPARE(model().marks().last().text, QStringLiteral("Vale 42\nb"));
        model().undo();
        // Then it cancels, and Undo brings the capture back exactly, until the next capture.
        const QImage image = model().image();
        const QList<Mark> marks = model().marks();
        QTest::keyClick(view, Qt::Key_Escape);
        QVERIFY(!model().hasImage());
        QCOMPARE(model().status(), ::tr("status.discarded"));
        undo();
        QCOMPARE(model().image(), image);
        QCOMPARE(model().crop(), QRectF(0, 0, 100, 100));
        QCOMPARE(model().marks(), marks);
        QCOMPARE(model().status(), ::tr("status.restored"));
        QTest::keyClick(view, Qt::Key_Escape);
        model().take(true);
        QTRY_VERIFY(model().hasImage());
        undo(), undo(), undo();
        QVERIFY(model().hasImage() && model().image() != image);
    }

    // With the select tool a mark is picked up by its outline and dragged, reshaped by a handle,
    // recoloured and deleted: four steps that Undo takes back one by one.
    void pickingMarksUp()
    {
        QMainWindow window;
        MainView *view = openView(window, {1100, 800});
        QVERIFY(QTest::qWaitForWindowActive(&window));
        model().setImage(flat({1000, 600}));
        model().setFull(true);
        ImageArea *area = view->imageArea();
        const auto at = [area](QPointF image) {
            return image * area->mapping()->scale + area->mapping()->offset + QPointF(ImageArea::inset, ImageArea::inset);
        };
        const Mark box({100, 100}, {300, 200}, Qt::red, QStringLiteral("tool.rectangle"));
        model().addMark(box);
        QTest::keyClick(view, Qt::Key_V);
        dragIn(area, at({300, 150}), at({300, 150}) + QPointF(40, 0));
        const Mark moved = model().marks().first();
        QVERIFY2(moved.from.x() > 120 && moved.from.y() == 100 && near(moved.to - moved.from, box.to - box.from), qPrintable(QStringLiteral("%1,%2 %3").arg(moved.from.x()).arg(moved.from.y()).arg(area->mapping()->scale)));
        dragIn(area, at(moved.to), at(moved.to) + QPointF(20, 30));
        QVERIFY(near(model().marks().first().from, moved.from) && model().marks().first().to.y() > moved.to.y() + 10);
        view->setColor(Qt::blue);
        QCOMPARE(model().marks().first().color, QColor(Qt::blue));
        QTest::keyClick(view, Qt::Key_Delete);
        QVERIFY(model().marks().isEmpty());
        const QList<QColor> colours{Qt::blue, Qt::red, Qt::red};
        for (const QColor &colour : colours) {
            model().undo();
            QCOMPARE(model().marks().first().color, colour);
        }
        model().undo();
        QCOMPARE(model().marks(), QList<Mark>{box});
    }

    // Ctrl+P floats what Copy would write, pixel for pixel; the wheel zooms it in steps of 10 %
    // from 10 % to 400 %, and Escape closes it.
    void pinnedCopy()
    {
        QMainWindow window;
        MainView *view = openView(window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        model().setImage(patternImage({600, 400}));
        model().setCrop(QRectF(50, 40, 300, 210));
        QTest::keyClick(view, Qt::Key_P, Qt::ControlModifier);
        QPointer<PinWindow> pin;
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *found = qobject_cast<PinWindow *>(top))
                pin = found;
        QVERIFY(pin && pin->isVisible());
        QImage shown = pin->grab().toImage().convertToFormat(QImage::Format_RGB32);
        shown.setDevicePixelRatio(1);
        QCOMPARE(shown, model().outputImage().convertToFormat(QImage::Format_RGB32));
        for (const auto &[notches, zoom] : {std::pair{3, 1.3}, {60, 4.0}, {-100, 0.1}}) {
            QWheelEvent wheel(QPointF(5, 5), pin->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, 120 * notches), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(pin, &wheel);
            QVERIFY(qAbs(pin->zoom() - zoom) < 1e-9);
        }
        model().cancelCapture();
        QVERIFY(pin); // it outlives the capture
        QTest::keyClick(pin, Qt::Key_Escape);
        QTRY_VERIFY(!pin);
    }

    // Ctrl and the wheel zoom around the pointer: the image point under it stays there. Ctrl+1
    // shows one image pixel on one device pixel, Ctrl+0 fits again.
    void zoomAroundThePointer()
    {
        QMainWindow window;
        MainView *view = openView(window, {1100, 800});
        QVERIFY(QTest::qWaitForWindowActive(&window));
        model().setImage(flat({2880, 1800}));
        model().setFull(true);
        ImageArea *area = view->imageArea();
        const qreal fitted = area->mapping()->scale;
        const QPointF inset(ImageArea::inset, ImageArea::inset);
        const QPointF at = QPointF(area->width(), area->height()) / 2 + QPointF(50, 30);
        const QPointF imagePoint = area->mapping()->toImage(at - inset);
        const QPointF global = area->mapToGlobal(at);
        for (int notches : {2, -1}) {
            const QPointF here = area->mapFromGlobal(global);
            QWheelEvent wheel(here, global, {}, QPoint(0, 120 * notches), Qt::NoButton, Qt::ControlModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(area, &wheel);
            QVERIFY((area->mapping()->toImage(area->mapFromGlobal(global) - inset) - imagePoint).manhattanLength()
                    < 2 / area->mapping()->scale);
        }
        QVERIFY(qAbs(area->mapping()->scale - fitted * 1.25) < 1e-9);
        QTest::keyClick(view, Qt::Key_1, Qt::ControlModifier);
        QCOMPARE(area->mapping()->scale, 1 / area->devicePixelRatioF());
        QTest::keyClick(view, Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(area->mapping()->scale, fitted);
    }

    // A move keeps the crop's size in image pixels, however far it goes at whatever zoom; only a
    // handle changes it.
    void movingTheCropKeepsItsSize_data()
    {
        QTest::addColumn<QSize>("image");
        QTest::addColumn<qreal>("zoom");
        QTest::addColumn<QRectF>("crop");
        QTest::addColumn<QPointF>("by"); // view points; multiples of 1/1.5 at scale 1.5
        const QRectF crop(300, 200, 800, 500);
        QTest::newRow("1:1") << QSize(2000, 1200) << 1.0 << crop << QPointF(184, 16);
        QTest::newRow("1:1, scale 1.5") << QSize(2000, 1200) << 1.0 << crop << QPointF(50 + 2 / 3.0, 30 + 1 / 3.0);
        QTest::newRow("preview zoom") << QSize(2880, 1800) << 0.3 << crop << QPointF(100, 100);
        QTest::newRow("preview zoom, scale 1.5")
            << QSize(2880, 1800) << 0.3 << QRectF(450, 300, 700, 400) << QPointF(184 + 2 / 3.0, 16 + 1 / 3.0);
        QTest::newRow("zoomed in") << QSize(400, 300) << 1.7 << QRectF(20, 30, 100, 50) << QPointF(50, 30);
        QTest::newRow("against the edge") << QSize(2880, 1800) << 0.3 << crop << QPointF(-500.3, 900.7);
    }
    void movingTheCropKeepsItsSize()
    {
        QFETCH(QSize, image);
        QFETCH(qreal, zoom);
        QFETCH(QRectF, crop);
        QFETCH(QPointF, by);
        ImageArea area(model(), [] { return QColor(Qt::red); });
        // The image fills the area but for its 18-point margins and the 10-point inset.
        area.resize(int(std::ceil(image.width() * zoom)) + 56, int(std::ceil(image.height() * zoom)) + 56);
        model().setImage(flat(image));
        model().setCrop(crop);
        area.show();
        const qreal shown = area.mapping()->scale;
        QVERIFY(qAbs(shown - zoom) < 0.01);
        const QPointF inside = QPointF(10, 10) + area.mapping()->offset + crop.center() * shown;
        dragIn(&area, inside, inside + by);
        QCOMPARE(model().cropPixels().size(), crop.size().toSize());
        QVERIFY(model().crop() != crop);
        const QPointF moved = model().crop().topLeft() - crop.topLeft();
        QVERIFY(qAbs(moved.x()) <= qAbs(by.x() / shown) + 0.5 && qAbs(moved.y()) <= qAbs(by.y() / shown) + 0.5);
    }

    // At its minimum size the window fits a 1366 × 768 screen at 150 % (910 × 512 points) beside a
    // panel and under a title bar, in either language, failure line included, and shows every
    // control and the status line whole.
    void fitsASmallScreen()
    {
        QCOMPARE(QGuiApplication::primaryScreen()->devicePixelRatio(), 1.5);
        const auto english = qScopeGuard([] { (void)loadTranslations(QLocale(QLocale::English)); });
        for (const QLocale &language : {QLocale(QLocale::Italian), QLocale(QLocale::English)}) {
            QVERIFY(!loadTranslations(language).isEmpty());
            QMainWindow window;
            window.menuBar()->addMenu(::tr("Pixdrift"));
            window.menuBar()->addMenu(::tr("Cattura"));
            auto *view = new MainView(model(), [] {});
            window.setCentralWidget(view);
            model().setImage(flat({1366, 768}));
            model().setFailure(::tr("status.saveFailed") + QStringLiteral(" No space left on device"));
            window.show();
            window.resize(1, 1);
            QTRY_VERIFY(window.width() <= 900 && window.height() <= 460);
            QTest::qWait(50);
            QList<QWidget *> shown;
            for (QWidget *w : view->findChildren<QWidget *>())
                if ((qobject_cast<QAbstractButton *>(w) || qobject_cast<QComboBox *>(w) || w->objectName() == u"status"
                     || w->objectName() == u"message")
                    && w->isVisibleTo(&window))
                    shown.append(w);
            QCOMPARE(shown.size(), 37);
            for (QWidget *w : shown) {
                const QRect place(w->mapTo(&window, QPoint(0, 0)), w->size());
                QVERIFY2(window.rect().contains(place), qPrintable(w->objectName() + u' ' + w->property("text").toString()));
                QVERIFY(w->width() >= std::min(w->sizeHint().width(), 100));
                for (QWidget *other : shown)
                    if (other != w && !w->isAncestorOf(other) && !other->isAncestorOf(w))
                        QVERIFY(!place.intersects(QRect(other->mapTo(&window, QPoint(0, 0)), other->size())));
            }
            QVERIFY(view->imageArea()->height() > 150);
        }
    }

    // A failed save stays in sight until dismissed or the next action; the first mark drawn
    // while marks stay out of the copy says so, once.
    void failuresAndTheMarksHint()
    {
        QMainWindow window;
        MainView *view = openView(window, {1100, 800});
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto *bar = view->findChild<MessageBar *>();
        auto *dismiss = bar->findChild<QToolButton *>(QStringLiteral("dismiss"));
        model().setImage(flat({800, 600}));
        model().setFull(true);
        m_rig->panel.answer = QStringLiteral("/dev/null/shot.png");
        for (bool dismissed : {true, false}) {
            QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
            QTRY_VERIFY(!bar->text().isEmpty());
            QCOMPARE(bar->text(), model().status());
            QCOMPARE(bar->kind(), MessageBar::Kind::Failure);
            if (dismissed)
                dismiss->click();
            else
                QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
            QVERIFY(bar->text().isEmpty());
        }
        const QPointF centre = QPointF(view->imageArea()->width(), view->imageArea()->height()) / 2;
        for (const QString &hint : {::tr("marks.hint"), QString()}) {
            dragIn(view->imageArea(), centre, centre + QPointF(40, 0));
            QCOMPARE(bar->text(), hint);
            dismiss->click();
        }
        QCOMPARE(model().marks().size(), 2);
    }

    // An appearance registers the hot keys (when they are not held already) and says how that went.
    void appearingRegistersTheHotKeys()
    {
        const QString area = CaptureModel::defaultAreaShortcut;
        const QList<std::tuple<int, QString, QString>> rows{
            {0, area, "Shortcuts active: Ctrl+Alt+Super+4 · Ctrl+Alt+Super+3 · Ctrl+Alt+Super+5"},
            {-9878, area, "The shortcuts could not be registered; another application may be using them (-9878, 0)"},
            {0, "control+return\nx", ::tr("status.shortcutInvalid") + " (control+return\nx)"}}; // stored text is no shortcut
        for (const auto &[refusal, stored, status] : rows) {
            m_service = FakeHotKeyService();
            GlobalShortcuts::setService(&m_service);
            if (refusal != 0)
                m_service.refuse[2] = refusal;
            model().setShortcut(HotKeyAction::area, stored);
            QMainWindow window;
            int appeared = 0;
            window.setCentralWidget(new MainView(model(), [&] { ++appeared; }));
            window.show();
            QCOMPARE(model().status(), status);
            QCOMPARE(appeared, 1);
        }
    }

    // Only a window that was closed appears anew: hidden and shown by a capture, or reopened to
    // report a capture's outcome, it keeps its status. Appearing resets the colour, not the marks.
    void appearingAgain()
    {
        QMainWindow window;
        auto *view = new MainView(model(), [] {});
        window.setCentralWidget(view);
        window.resize(1100, 800);
        window.show();
        QCOMPARE(m_service.registered.size(), 3u);
        // The keys stay held through every later appearance: a press in between is never lost.
        auto heldKeys = [this] {
            QList<HotKeyRef> refs;
            for (const auto &[ref, registration] : m_service.registered)
                refs << ref;
            return refs;
        };
        const QList<HotKeyRef> held = heldKeys();
        model().setStatus(QStringLiteral("capturing"));
        window.hide();
        window.show();
        QCOMPARE(model().status(), QStringLiteral("capturing"));
        QCOMPARE(heldKeys(), held);

        view->setColor(QColor(0, 0, 255, 128));
        model().setImage(flat({800, 600}));
        model().setFull(true);
        const QPointF centre = QPointF(view->imageArea()->width(), view->imageArea()->height()) / 2;
        dragIn(view->imageArea(), centre, centre + QPointF(40, 0));
        window.close();
        model().setStatus(QStringLiteral("The screen could not be captured (no display)"));
        view->setKeepStatusOnAppear(true);
        window.show();
        view->setKeepStatusOnAppear(false);
        QCOMPARE(model().status(), QStringLiteral("The screen could not be captured (no display)"));
        QCOMPARE(heldKeys(), held);
        QCOMPARE(view->color(), QColor(Qt::red));
        QCOMPARE(model().marks().first().color, QColor(0, 0, 255, 128));

        window.close();
        window.show();
        QVERIFY(model().status().startsWith(QStringLiteral("Shortcuts active")));
    }
};

int main(int argc, char *argv[])
{
    // The scale of a 1366 × 768 laptop screen as desktops set it: every test here at 150 %.
    qputenv("QT_SCALE_FACTOR", "1.5");
    QApplication app(argc, argv);
    MainViewTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_mainview.moc"
