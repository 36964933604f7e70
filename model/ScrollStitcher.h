#pragma once

#include <QImage>

#include <cstddef>
#include <unordered_map>
#include <vector>

// Joins the frames of one area, captured while its content scrolls down, into one tall image.
//
// Each frame is placed by matching its rows against the rows stitched so far: exactly first, then
// with a small tolerance for content drawn a little differently each time (antialiasing,
// dithering, a scroll bar's thumb). Rows that stay where they are from one frame to the next at
// the top or the bottom of the area (a sticky header, a footer) are kept once: the header as the
// first frame showed it, the footer as the newest frame that added rows shows it. A frame that
// cannot be placed, or only in more than one place, adds nothing.
//
// Memory: the stitched rows (in one mapping that grows in place) and the last frame placed.
class ScrollStitcher
{
public:
    enum class Outcome {
        // The frame was placed; `rows` new rows were added (none when it shows what was seen).
        placed,
        // The content has not moved since the last frame placed.
        unmoved,
        // The frame could not be placed: it moved too far, or its rows fit in several places.
        lost,
        // The height limit was reached; what fitted was added.
        full,
    };
    struct Step
    {
        Outcome outcome = Outcome::placed;
        int rows = 0;
        // How many rows the content moved up since the last frame placed.
        int moved = 0;
    };

    // `first` is the first frame: every later one must have its size. The result is never
    // taller than `heightLimit` rows.
    ScrollStitcher(const QImage &first, int heightLimit);
    ~ScrollStitcher();
    ScrollStitcher(const ScrollStitcher &) = delete;
    ScrollStitcher &operator=(const ScrollStitcher &) = delete;

    [[nodiscard]] Step add(const QImage &frame);
    // The rows stitched so far.
    [[nodiscard]] int height() const { return m_rows; }
    [[nodiscard]] QSize frameSize() const { return m_previous.size(); }
    // The rows between the fixed ones at the top and the bottom in the last frame placed: how
    // far the content may move between two frames and still be placed.
    [[nodiscard]] int movingRows() const { return m_movingRows; }
    // The first of them, in the frame's rows.
    [[nodiscard]] int movingTop() const { return m_movingTop; }
    // The stitched image, handed over without a copy; the stitcher is empty afterwards.
    [[nodiscard]] QImage take();

private:
    using Hash = std::size_t;
    [[nodiscard]] std::vector<Hash> rowHashes(const QImage &frame) const;
    [[nodiscard]] const uchar *row(int y) const { return m_buffer + std::size_t(y) * m_bytesPerLine; }
    // Makes the first `rows` stitched rows the ones frames are matched against.
    void setContentRows(int rows);
    // Where `frame` lies (its top row among the stitched rows), looking at its rows
    // [top, bottom); -1 when nowhere, or in more than one place.
    [[nodiscard]] int place(const QImage &frame, const std::vector<Hash> &hashes, int top, int bottom) const;
    // The cost of `frame` lying at `at`: how many of its pixels differ beyond the tolerance over
    // the rows it shares with the stitched ones, or -1 when a row differs too much.
    [[nodiscard]] qint64 cost(const QImage &frame, const std::vector<Hash> &hashes, int at, int top, int bottom) const;
    bool reserve(int rows);

    int m_width = 0;
    qsizetype m_bytesPerLine = 0;
    int m_limit = 0;
    uchar *m_buffer = nullptr;
    std::size_t m_mapped = 0;
    int m_capacity = 0;
    // Rows in the buffer: the content, then the footer rows of the newest frame that added rows.
    int m_rows = 0;
    int m_contentRows = 0;
    // The bottom rows withheld as a footer; -1 until a frame has moved.
    int m_footer = -1;
    std::vector<Hash> m_hashes;
    // Content rows by hash, for the rows whose hash is rare enough to say where a frame lies.
    std::unordered_map<Hash, std::vector<int>> m_index;
    QImage m_previous;
    std::vector<Hash> m_previousHashes;
    int m_previousAt = 0;
    int m_movingRows = 0;
    int m_movingTop = 0;
};
