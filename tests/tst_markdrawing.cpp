#include "model/MarkDrawing.h"

#include <QPainter>
#include <QTest>

namespace {

// Draws marks on a white canvas.
QImage draw(const QList<Mark> &marks, qreal scale, QSize size = {200, 120})
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    MarkDrawing::drawMarks(painter, marks, scale);
    return image;
}

bool painted(const QImage &image, QPoint p)
{
    return image.pixel(p) != qRgb(255, 255, 255);
}

// Rows of column x that the stroke covers completely.
int solidRows(const QImage &image, int x)
{
    int rows = 0;
    for (int y = 0; y < image.height(); ++y)
        rows += image.pixel(x, y) == qRgb(0, 0, 0) ? 1 : 0;
    return rows;
}

} // namespace

class MarkDrawingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void arrowHeadGeometry()
    {
        const auto [first, second] = MarkDrawing::arrowHead({0, 0}, {100, 0});
        QVERIFY(qAbs(first.x() - 85.59) < 0.01 && qAbs(first.y() - 6.96) < 0.01);
        QVERIFY(qAbs(second.x() - 85.59) < 0.01 && qAbs(second.y() + 6.96) < 0.01);
    }

    void arrowIsDrawnWithItsHead()
    {
        const QImage arrow = draw({Mark({20, 60}, {120, 60}, Qt::black, QStringLiteral("tool.arrow"))}, 1);
        const QImage pen = draw({Mark({20, 60}, {120, 60}, Qt::black, QStringLiteral("tool.pen"))}, 1);
        // The head reaches back to (105.6, 60 ± 6.96); the pen has nothing there.
        QVERIFY(painted(arrow, QPoint(107, 66)));
        QVERIFY(painted(arrow, QPoint(107, 54)));
        QVERIFY(!painted(pen, QPoint(107, 66)));
        QVERIFY(!painted(arrow, QPoint(90, 75)));
        // Flat caps: nothing beyond the tail.
        QVERIFY(!painted(arrow, QPoint(17, 60)));
    }

    void rectanglesDrawnEitherWayMatch()
    {
        const QImage forward = draw({Mark({30, 20}, {150, 90}, Qt::blue, QStringLiteral("tool.rectangle"))}, 1);
        const QImage backward = draw({Mark({150, 90}, {30, 20}, Qt::blue, QStringLiteral("tool.rectangle"))}, 1);
        QCOMPARE(forward, backward);
        QVERIFY(painted(forward, QPoint(30, 50)));
        QVERIFY(!painted(forward, QPoint(90, 50))); // outline only
    }

    void linesStayFourWideAtAnyScale_data()
    {
        QTest::addColumn<qreal>("scale");
        QTest::newRow("1") << 1.0;
        QTest::newRow("0.5") << 0.5;
        QTest::newRow("2.5") << 2.5;
    }

    void linesStayFourWideAtAnyScale()
    {
        QFETCH(qreal, scale);
        // The line lies on y = 40 in the view whatever the scale.
        const QImage image = draw({Mark(QPointF(0, 40) / scale, QPointF(200, 40) / scale, Qt::black,
                                        QStringLiteral("tool.pen"))},
                                  scale);
        QCOMPARE(solidRows(image, 100), 4);
    }

    void anUnknownToolIsALine()
    {
        QCOMPARE(draw({Mark({10, 10}, {150, 100}, Qt::darkGreen, QStringLiteral("tool.laser"))}, 1),
                 draw({Mark({10, 10}, {150, 100}, Qt::darkGreen, QStringLiteral("tool.pen"))}, 1));
    }

    void laterMarksAreDrawnOverEarlierOnes()
    {
        const QImage image = draw({Mark({0, 50}, {200, 50}, Qt::red, QStringLiteral("tool.pen")),
                                   Mark({100, 0}, {100, 120}, Qt::blue, QStringLiteral("tool.pen"))},
                                  1);
        QCOMPARE(image.pixelColor(100, 50), QColor(Qt::blue));
    }

    void aDragBecomesAMarkInImagePixels()
    {
        const Mark mark = MarkDrawing::markFromDrag({118, 140}, {218, 190}, {18, 40}, 0.5, Qt::red,
                                                    QStringLiteral("tool.pen"));
        QCOMPARE(mark.from, QPointF(200, 200));
        QCOMPARE(mark.to, QPointF(400, 300));
        QCOMPARE(mark.color, QColor(Qt::red));
        QCOMPARE(mark.tool, QStringLiteral("tool.pen"));
        // Drawn at the same scale it lands exactly under the drag, relative to the image.
        QCOMPARE(mark.from * 0.5 + QPointF(18, 40), QPointF(118, 140));
    }
};

QTEST_MAIN(MarkDrawingTest)
#include "tst_markdrawing.moc"
