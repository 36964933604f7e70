// Scrolling capture's stitching: frames cut from a tall known page, with and without a fixed
// header and footer, joined back into exactly that page.

#include "model/ScrollStitcher.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

using Outcome = ScrollStitcher::Outcome;
constexpr int pageWidth = 160;
constexpr int frameHeight = 100;

// Rows unlike each other (random pixels), with a stretch of plain white rows in the middle.
QImage pageImage(int height, quint32 seed)
{
    QImage page(pageWidth, height, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(page.scanLine(y));
        for (int x = 0; x < pageWidth; ++x)
            line[x] = y >= 300 && y < 330 ? qRgb(255, 255, 255) : random.generate() | 0xff000000u;
    }
    return page;
}

// What the area shows with the page scrolled to `position`: the header, the page, the footer.
QImage frameAt(const QImage &page, const QImage &header, const QImage &footer, int position)
{
    QImage frame(pageWidth, frameHeight, QImage::Format_RGB32);
    const int content = frameHeight - header.height() - footer.height();
    for (int y = 0; y < frameHeight; ++y) {
        const uchar *from = y < header.height() ? header.constScanLine(y)
                            : y < header.height() + content ? page.constScanLine(position + y - header.height())
                                                            : footer.constScanLine(y - header.height() - content);
        std::memcpy(frame.scanLine(y), from, pageWidth * 4);
    }
    return frame;
}

QImage stacked(const QList<QImage> &parts)
{
    int height = 0;
    for (const QImage &part : parts)
        height += part.height();
    QImage whole(pageWidth, height, QImage::Format_RGB32);
    int y = 0;
    for (const QImage &part : parts) {
        for (int row = 0; row < part.height(); ++row)
            std::memcpy(whole.scanLine(y++), part.constScanLine(row), pageWidth * 4);
    }
    return whole;
}

} // namespace

class ScrollStitchTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stitching_data()
    {
        QTest::addColumn<int>("headerRows");
        QTest::addColumn<int>("footerRows");
        // Where the page is scrolled to in each frame after the first (at 0); -1 is a frame of
        // other content.
        QTest::addColumn<QList<int>>("positions");
        QTest::addColumn<QList<int>>("outcomes");
        // Rows near the top of every later frame lit up (the pointer's hover), already stitched.
        QTest::addColumn<int>("hoverRows");

        const int placed = int(Outcome::placed), unmoved = int(Outcome::unmoved), lost = int(Outcome::lost);
        QTest::newRow("one row at a time") << 0 << 0 << QList<int>{1, 2, 3, 4} << QList<int>{placed, placed, placed, placed} << 0;
        QTest::newRow("37 rows") << 0 << 0 << QList<int>{37, 74, 111, 148} << QList<int>{placed, placed, placed, placed} << 0;
        QTest::newRow("all but one row") << 0 << 0 << QList<int>{99, 198} << QList<int>{placed, placed} << 0;
        QTest::newRow("header and footer") << 12 << 9 << QList<int>{37, 74, 79, 157} << QList<int>{placed, placed, placed, placed} << 0;
        QTest::newRow("header, one row") << 20 << 0 << QList<int>{1, 2} << QList<int>{placed, placed} << 0;
        QTest::newRow("footer, a whole frame") << 0 << 15 << QList<int>{84, 168} << QList<int>{placed, placed} << 0;
        QTest::newRow("the end: the same frame again")
            << 12 << 9 << QList<int>{50, 50, 50} << QList<int>{placed, unmoved, unmoved} << 0;
        QTest::newRow("other content is not added")
            << 12 << 9 << QList<int>{40, -1, 80} << QList<int>{placed, lost, placed} << 0;
        QTest::newRow("past the frame is not added, back within it is")
            << 0 << 0 << QList<int>{50, 151, 140} << QList<int>{placed, lost, placed} << 0;
        QTest::newRow("scrolled back up, then on")
            << 12 << 9 << QList<int>{60, 20, 100} << QList<int>{placed, placed, placed} << 0;
        QTest::newRow("a hovered row lit up") << 0 << 0 << QList<int>{37, 74, 111} << QList<int>{placed, placed, placed} << 6;
        // Frames over the white stretch (page rows 300-329) are placed by the rows around it.
        QTest::newRow("through a blank stretch")
            << 12 << 9 << QList<int>{70, 140, 210, 250, 280, 310, 340} << QList<int>{placed, placed, placed, placed, placed, placed, placed} << 0;
    }

    void stitching()
    {
        QFETCH(int, headerRows);
        QFETCH(int, footerRows);
        QFETCH(QList<int>, positions);
        QFETCH(QList<int>, outcomes);
        QFETCH(int, hoverRows);
        const QImage page = pageImage(600, 1);
        const QImage header = pageImage(headerRows, 2), footer = pageImage(footerRows, 3);
        const QImage other = pageImage(600, 4);
        const int content = frameHeight - headerRows - footerRows;

        ScrollStitcher stitcher(frameAt(page, header, footer, 0), 100000);
        int reached = content;
        for (qsizetype i = 0; i < positions.size(); ++i) {
            const int position = positions[i];
            QImage frame = position < 0 ? frameAt(other, header, footer, 0) : frameAt(page, header, footer, position);
            for (int y = headerRows + 10; y < headerRows + 10 + hoverRows; ++y)
                std::fill_n(reinterpret_cast<QRgb *>(frame.scanLine(y)), pageWidth, qRgb(200, 220, 255));
            const ScrollStitcher::Step step = stitcher.add(frame);
            QCOMPARE(int(step.outcome), outcomes[i]);
            if (step.outcome == Outcome::placed)
                reached = std::max(reached, position + content);
            QCOMPARE(stitcher.height(), headerRows + reached + footerRows);
        }
        const QImage result = stitcher.take();
        QCOMPARE(result, stacked({header, page.copy(0, 0, pageWidth, reached), footer}));
    }

    // Content drawn a little differently each time (antialiasing, dithering) and a scroll bar's
    // thumb at the right moving down: still placed where it belongs.
    void nearlyEqualFrames()
    {
        const QImage page = pageImage(600, 5);
        const QImage none;
        QRandomGenerator random(6);
        auto drawn = [&](int position) {
            QImage frame = frameAt(page, none, none, position);
            for (int y = 0; y < frame.height(); ++y) {
                auto *line = reinterpret_cast<QRgb *>(frame.scanLine(y));
                for (int x = 0; x < pageWidth; ++x) {
                    const int d = random.bounded(-8, 9);
                    line[x] = qRgb(std::clamp(qRed(line[x]) + d, 0, 255), qGreen(line[x]), qBlue(line[x]));
                }
                // The thumb: three pixels wide, 20 rows tall, lower as the page scrolls.
                const bool thumb = y >= position / 6 && y < position / 6 + 20;
                for (int x = pageWidth - 3; x < pageWidth; ++x)
                    line[x] = thumb ? qRgb(90, 90, 90) : qRgb(230, 230, 230);
            }
            return frame;
        };
        ScrollStitcher stitcher(drawn(0), 100000);
        for (const int position : {45, 90, 135, 180}) {
            const ScrollStitcher::Step step = stitcher.add(drawn(position));
            QCOMPARE(step.outcome, Outcome::placed);
            QCOMPARE(step.moved, 45);
        }
        QCOMPARE(stitcher.height(), 280);
    }

    void heightLimit()
    {
        const QImage page = pageImage(600, 7);
        const QImage none;
        ScrollStitcher stitcher(frameAt(page, none, none, 0), 170);
        QCOMPARE(stitcher.add(frameAt(page, none, none, 50)).outcome, Outcome::placed);
        const ScrollStitcher::Step step = stitcher.add(frameAt(page, none, none, 100));
        QCOMPARE(step.outcome, Outcome::full);
        QCOMPARE(step.rows, 20);
        QCOMPARE(stitcher.take(), page.copy(0, 0, pageWidth, 170));
    }
};

QTEST_GUILESS_MAIN(ScrollStitchTest)
#include "tst_scrollstitch.moc"
