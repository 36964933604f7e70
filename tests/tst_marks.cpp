// The marks: every kind drawn into the output where it belongs and nowhere else, a blur that
// hides what is under it, and the edits of marks undone and redone exactly.

#include "model/MarkDrawing.h"
#include "model/marks/MarkKind.h"
#include "support/Fakes.h"
#include "support/TestUtilities.h"
#include "text/tr.h"

#include <QPainter>
#include <QTest>

class MarksTest : public QObject
{
    Q_OBJECT

    std::optional<CaptureRig> m_rig;
    CaptureModel &model() { return m_rig->model; }

private Q_SLOTS:
    void initTestCase() { QVERIFY(!loadTranslations(QLocale(QLocale::English)).isEmpty()); }
    void init() { m_rig.emplace(); }

    // With "Include marks" the output has the marks drawn in, 4 points wide at the screen's scale
    // and cut to the crop; without it, only the captured pixels.
    void marksInTheOutput_data()
    {
        QTest::addColumn<bool>("include");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QString>("tool");
        QTest::addColumn<int>("changed"); // pixels that differ from the capture; -1: pixelated
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
        QImage capture = patternImage({200, 100}); // a line on flat grey; the pixelation over a pattern
        if (tool == u"tool.pen")
            capture.fill(QColor(90, 90, 90));
        const QRect crop(20, 10, 160, 80);
        model().setImage(capture);
        model().setImageScale(scale);
        model().setIncludeMarks(include);
        model().setCrop(crop);
        model().addMark(tool == u"tool.pen" ? Mark({0, 50}, {200, 50}, Qt::red, tool) : Mark({30, 20}, {90, 61}, Qt::red, tool));
        const QImage out = model().outputImage().convertToFormat(QImage::Format_RGB32);
        const QImage before = capture.copy(crop);
        QCOMPARE(out.size(), crop.size());
        const QRect area(30, 20, 60, 41);
        int differ = 0;
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x) {
                differ += out.pixel(x, y) != before.pixel(x, y) ? 1 : 0;
                // Pixelated blocks of 12 from the mark's corner are one colour each.
                const QPoint p = QPoint(x, y) + crop.topLeft();
                if (changed < 0 && area.contains(p))
                    QCOMPARE(out.pixel(x, y), out.pixel(area.left() + (p.x() - area.left()) / 12 * 12 - crop.left(),
                                                        area.top() + (p.y() - area.top()) / 12 * 12 - crop.top()));
            }
        if (changed >= 0) {
            QCOMPARE(differ, changed);
            QVERIFY(changed == 0 || QColor(out.pixel(80, 40)) == QColor(Qt::red));
        } else {
            QVERIFY(differ > 0 && differ <= area.width() * area.height());
            QVERIFY(out.pixel(area.topLeft() - crop.topLeft()) != out.pixel(area.topLeft() + QPoint(12, 0) - crop.topLeft()));
            // A block the area's edge cuts (41 rows: 5 left in the last) is the rounded mean of
            // the pixels it covers.
            const QRect cut(area.left() + 12, area.top() + 36, 12, 5);
            int sum[3] = {};
            for (int y = cut.top(); y <= cut.bottom(); ++y)
                for (int x = cut.left(); x <= cut.right(); ++x)
                    sum[0] += qRed(capture.pixel(x, y)), sum[1] += qGreen(capture.pixel(x, y)), sum[2] += qBlue(capture.pixel(x, y));
            const int n = cut.width() * cut.height();
            QCOMPARE(out.pixel(cut.bottomRight() - crop.topLeft()),
                     qRgb((sum[0] + n / 2) / n, (sum[1] + n / 2) / n, (sum[2] + n / 2) / n));
        }
    }

    // Every later kind drawn into the output changes pixels only inside its own bounds, cut to
    // the crop (not moved into it), and towards its colour; with a crop at (20, 10).
    void kindsInTheOutput_data()
    {
        QTest::addColumn<Mark>("mark");
        QTest::addColumn<bool>("inkOnly"); // every changed pixel leans to red, none to white
        Mark ellipse({40, 20}, {120, 70}, Qt::red, QStringLiteral("tool.ellipse"));
        Mark freehand({30, 30}, {150, 40}, Qt::red, QStringLiteral("tool.freehand"));
        freehand.path = {{30, 30}, {60, 70}, {90, 20}, {150, 40}};
        Mark highlighter = freehand;
        highlighter.tool = QStringLiteral("tool.highlighter");
        Mark text({50, 30}, {50, 30}, Qt::red, QStringLiteral("tool.text"));
        text.text = QStringLiteral("Pixdrift 42\nok");
        Mark boxed = text;
        boxed.filled = true;
        boxed.size = MarkSize::Large;
        QTest::newRow("ellipse") << ellipse << true;
        QTest::newRow("freehand") << freehand << true;
        QTest::newRow("highlighter") << highlighter << true;
        QTest::newRow("text") << text << true;
        QTest::newRow("text on its colour") << boxed << false;
        QTest::newRow("counter") << Mark({100, 50}, {100, 50}, Qt::red, QStringLiteral("tool.counter")) << false;
        QTest::newRow("counter cut by the crop") << Mark({25, 12}, {25, 12}, Qt::red, QStringLiteral("tool.counter")) << false;
    }
    void kindsInTheOutput()
    {
        QFETCH(Mark, mark);
        QFETCH(bool, inkOnly);
        QImage capture(200, 100, QImage::Format_RGB32);
        capture.fill(QColor(90, 90, 90));
        const QRect crop(20, 10, 160, 80);
        model().setImage(capture);
        model().setImageScale(1.5);
        model().setIncludeMarks(true);
        model().setCrop(crop);
        model().addMark(mark);
        const QImage out = model().outputImage();
        MarkScene scene;
        scene.strokeUnit = scene.imageScale = 1.5;
        const QRectF bounds = markKind(mark.tool).bounds(mark, scene).adjusted(-1, -1, 1, 1);
        int changed = 0, red = 0;
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x) {
                const QColor pixel(out.pixel(x, y));
                if (pixel == QColor(90, 90, 90))
                    continue;
                ++changed;
                red += pixel.red() > 150 && pixel.green() < 60 ? 1 : 0;
                QVERIFY2(bounds.contains(QPointF(x, y) + crop.topLeft()), qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
                if (inkOnly)
                    QVERIFY2(pixel.red() >= 90 && pixel.green() <= 90 && pixel.blue() <= 90, qPrintable(pixel.name()));
            }
        QVERIFY(changed > 40);
        QVERIFY(red > changed / 3);
        // Cut at the crop's corner: a counter keeps its place, so part of it is gone.
        const QRectF whole = markKind(mark.tool).bounds(mark, scene);
        if (!crop.contains(whole.toAlignedRect()))
            QVERIFY(changed < whole.width() * whole.height() * 0.5);
    }

    // A blur leaves no pixel of the source as it was, so little detail that text under it
    // cannot be read, and the pixels around it untouched.
    void blurHidesWhatIsUnder()
    {
        // Black text on white, as on a page.
        QImage capture(200, 100, QImage::Format_RGB32);
        capture.fill(Qt::white);
        {
            QPainter painter(&capture);
            QFont font;
            font.setPixelSize(14);
            painter.setFont(font);
            painter.drawText(QRect(0, 0, 200, 100), Qt::TextWordWrap, QStringLiteral("The password is hunter2, said the note on the screen in plain sight"));
        }
        const QRect area(30, 20, 100, 50);
        model().setImage(capture);
        model().setIncludeMarks(true);
        model().setCrop(capture.rect());
        model().addMark(Mark(area.topLeft(), area.bottomRight() + QPointF(1, 1), Qt::red, QStringLiteral("tool.blur")));
        const QImage out = model().outputImage().convertToFormat(QImage::Format_RGB32);
        const auto detail = [&area](const QImage &image) {
            qint64 sum = 0;
            for (int y = area.top(); y < area.bottom(); ++y)
                for (int x = area.left(); x < area.right(); ++x)
                    sum += std::abs(qGray(image.pixel(x + 1, y)) - qGray(image.pixel(x, y)))
                        + std::abs(qGray(image.pixel(x, y + 1)) - qGray(image.pixel(x, y)));
            return sum;
        };
        for (int y = 0; y < capture.height(); ++y)
            for (int x = 0; x < capture.width(); ++x)
                QCOMPARE(out.pixel(x, y) == capture.pixel(x, y), !area.contains(x, y));
        QVERIFY2(detail(out) * 8 < detail(capture), qPrintable(QStringLiteral("%1 of %2").arg(detail(out)).arg(detail(capture))));
    }

    // Each edit of a mark is one step: undo gives back exactly the marks before, redo exactly
    // the marks after. Deleting a counter renumbers the ones after it.
    void editsUndoAndRedo()
    {
        const Mark first({10, 10}, {10, 10}, Qt::red, QStringLiteral("tool.counter"));
        const Mark box({20, 20}, {60, 50}, Qt::red, QStringLiteral("tool.rectangle"));
        const Mark second({90, 40}, {90, 40}, Qt::red, QStringLiteral("tool.counter"));
        Mark moved = movedBy(box, {5, -3}), reshaped = markKind(box.tool).reshaped(box, 2, {80, 90}), recoloured = box;
        recoloured.color = Qt::blue;
        recoloured.size = MarkSize::Large;
        const QList<std::pair<const char *, std::function<void()>>> edits{
            {"move", [&] { model().changeMark(moved); }},
            {"reshape", [&] { model().changeMark(reshaped); }},
            {"recolour", [&] { model().changeMark(recoloured); }},
            {"delete", [&] { model().deleteMark(first.id); }},
        };
        const QList<QList<Mark>> after{{first, moved, second}, {first, reshaped, second}, {first, recoloured, second},
                                       {box, second}};
        for (qsizetype i = 0; i < edits.size(); ++i) {
            model().clearMarks();
            for (const Mark &mark : {first, box, second})
                model().addMark(mark);
            edits[i].second();
            QVERIFY2(model().marks() == after[i], edits[i].first);
            model().undoMark();
            QVERIFY2(model().marks() == (QList<Mark>{first, box, second}), edits[i].first);
            model().redoMark();
            QVERIFY2(model().marks() == after[i], edits[i].first);
        }
        QCOMPARE(reshaped.to, QPointF(80, 90));
        QCOMPARE(MarkDrawing::counterNumber(model().marks(), 1), 1);
        model().undoMark();
        QCOMPARE(MarkDrawing::counterNumber(model().marks(), 2), 2);
    }

    // On screen: the arrow has its head and flat caps, the pen neither; a rectangle is an
    // outline, the same whichever way it was dragged.
    void marksOnScreen()
    {
        const auto draw = [](QPointF from, QPointF to, const char *tool) {
            QImage image(200, 120, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            MarkDrawing::drawMarks(painter, {Mark(from, to, Qt::black, QString::fromLatin1(tool))}, 1);
            return image;
        };
        const QRgb white = qRgb(255, 255, 255);
        const QImage arrow = draw({20, 60}, {120, 60}, "tool.arrow"), box = draw({30, 20}, {150, 90}, "tool.rectangle");
        QVERIFY(arrow.pixel(107, 66) != white && arrow.pixel(107, 54) != white && arrow.pixel(17, 60) == white);
        QCOMPARE(draw({20, 60}, {120, 60}, "tool.pen").pixel(107, 66), white);
        QCOMPARE(box, draw({150, 90}, {30, 20}, "tool.rectangle"));
        QVERIFY(box.pixel(30, 50) != white && box.pixel(90, 50) == white);
    }
};

QTEST_MAIN(MarksTest)
#include "tst_marks.moc"
