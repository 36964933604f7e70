#include "ui/CropBoxGeometry.h"
#include "ui/SelectionBox.h"
#include "support/TestUtilities.h"

#include <QMouseEvent>
#include <QTest>

namespace G = CropBoxGeometry;

namespace {

const QRectF start(100, 100, 200, 100);
const QSizeF bounds(400, 300);


// A crop box over a 400 × 300 image placed at (20, 30) in a larger area, bound to a rectangle
// that counts its writes.
struct BoxRig
{
    QRectF rect = start;
    int writes = 0;
    SelectionBox box{Binding<QRectF>([this] { return rect; },
                                     [this](const QRectF &r) {
                                         rect = r;
                                         ++writes;
                                     })};
    static constexpr QPointF imageOrigin{20, 30};

    BoxRig()
    {
        box.resize(440, 360);
        box.setImageGeometry(imageOrigin, bounds);
    }

    // A drag in box coordinates, moving in steps so the 10-point threshold is crossed.
    void drag(QPointF from, QPointF by)
    {
        sendMouse(&box, QEvent::MouseButtonPress, from + imageOrigin);
        for (int step = 1; step <= 4; ++step)
            sendMouse(&box, QEvent::MouseMove, from + imageOrigin + by * (step / 4.0));
        sendMouse(&box, QEvent::MouseButtonRelease, from + imageOrigin + by);
    }
};

} // namespace

Q_DECLARE_METATYPE(G::Handle)

class CropBoxTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void handleRule_data()
    {
        QTest::addColumn<G::Handle>("handle");
        QTest::addColumn<QPointF>("translation");
        QTest::addColumn<QRectF>("expected");

        QTest::newRow("bottom-right, pushed back inside") << G::Handle::BottomRight << QPointF(150, 50)
                                                         << QRectF(50, 100, 350, 150);
        QTest::newRow("left, stopped at the minimum") << G::Handle::Left << QPointF(190, 0) << QRectF(290, 100, 30, 100);
        QTest::newRow("left, past the right edge") << G::Handle::Left << QPointF(300, 0) << QRectF(300, 100, 100, 100);
        QTest::newRow("right, past the left edge") << G::Handle::Right << QPointF(-250, 0)
                                                   << QRectF(100, 100, 50, 100);
        QTest::newRow("right, stopped at the minimum") << G::Handle::Right << QPointF(-190, 0)
                                                       << QRectF(100, 100, 30, 100);
        QTest::newRow("top, past the image's top") << G::Handle::Top << QPointF(0, -150) << QRectF(100, 0, 200, 250);
        QTest::newRow("top-left") << G::Handle::TopLeft << QPointF(-20, -30) << QRectF(80, 70, 220, 130);
        QTest::newRow("bottom-left") << G::Handle::BottomLeft << QPointF(10, 20) << QRectF(110, 100, 190, 120);
        QTest::newRow("top-right") << G::Handle::TopRight << QPointF(30, 40) << QRectF(100, 140, 230, 60);
        QTest::newRow("bottom") << G::Handle::Bottom << QPointF(0, -80) << QRectF(100, 100, 200, 30);
    }

    void handleRule()
    {
        QFETCH(G::Handle, handle);
        QFETCH(QPointF, translation);
        QFETCH(QRectF, expected);
        QCOMPARE(G::resized(start, handle, translation, bounds), expected);
    }

    void wideBoxesSitLeftOfTheImage()
    {
        // The size is not limited by the image; only the position is.
        QCOMPARE(G::resized(QRectF(0, 0, 390, 100), G::Handle::Right, QPointF(100, 0), bounds),
                 QRectF(-90, 0, 490, 100));
    }

    void interiorRule()
    {
        QCOMPARE(G::moved(start, QPointF(-500, 500), bounds), QPointF(0, 200));
        QCOMPARE(G::moved(start, QPointF(15, -20), bounds), QPointF(115, 80));
    }

    void hitTesting_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<int>("hit"); // -2: nothing, -1: interior, else the handle
        QTest::newRow("interior") << QPointF(200, 150) << -1;
        QTest::newRow("inner quarter of a corner handle") << QPointF(103, 103) << int(G::Handle::TopLeft);
        QTest::newRow("inner half of the top handle") << QPointF(200, 104) << int(G::Handle::Top);
        QTest::newRow("outer part of a corner handle") << QPointF(97, 97) << int(G::Handle::TopLeft);
        QTest::newRow("outer half of the right handle") << QPointF(304, 150) << int(G::Handle::Right);
        QTest::newRow("bottom handle") << QPointF(200, 205) << int(G::Handle::Bottom);
        QTest::newRow("dimmed area") << QPointF(50, 50) << -2;
        QTest::newRow("just past a handle") << QPointF(100, 93.9) << -2;
    }

    void hitTesting()
    {
        QFETCH(QPointF, point);
        QFETCH(int, hit);
        const std::optional<G::Hit> result = G::hitTest(start, point);
        if (hit == -2) {
            QVERIFY(!result);
            return;
        }
        QVERIFY(result);
        QCOMPARE(result->handle ? int(*result->handle) : -1, hit);
    }

    void handleCentres()
    {
        const QList<QPointF> expected{{100, 100}, {200, 100}, {300, 100}, {300, 150},
                                      {300, 200}, {200, 200}, {100, 200}, {100, 150}};
        for (int i = 0; i < G::handleCount; ++i)
            QCOMPARE(G::handleCentre(start, static_cast<G::Handle>(i)), expected[i]);
    }

    void draggingAHandleOnTheWidget()
    {
        BoxRig rig;
        rig.drag(QPointF(304, 204), QPointF(150, 50)); // outer part of the bottom-right handle
        QCOMPARE(rig.rect, QRectF(50, 100, 350, 150));
        QVERIFY(!rig.box.origin());

        // The next drag starts from the rectangle as it is now, and handles keep their places
        // after crossing: the left handle is still on the left.
        // x = 450, width |350 − 400| = 50, then x is kept inside: min(450, 400 − 50) = 350.
        rig.drag(QPointF(46, 175), QPointF(400, 0));
        QCOMPARE(rig.rect, QRectF(350, 100, 50, 150));
    }

    void draggingTheInteriorOnTheWidget()
    {
        BoxRig rig;
        rig.drag(QPointF(200, 150), QPointF(-500, 500));
        QCOMPARE(rig.rect, QRectF(0, 200, 200, 100));
    }

    void shortDragsAndTheDimmedAreaChangeNothing()
    {
        BoxRig rig;
        rig.drag(QPointF(200, 150), QPointF(6, 6)); // under the 10-point threshold
        rig.drag(QPointF(30, 30), QPointF(100, 100)); // on the dimming: passes through
        QCOMPARE(rig.rect, start);
        QCOMPARE(rig.writes, 0);
    }

    void pressesOnTheDimmingAreLeftForTheWidgetBelow()
    {
        BoxRig rig;
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(40, 40) + BoxRig::imageOrigin, QPointF(),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        press.setAccepted(true);
        QCoreApplication::sendEvent(&rig.box, &press);
        QVERIFY(!press.isAccepted());
    }
};

QTEST_MAIN(CropBoxTest)
#include "tst_cropbox.moc"
