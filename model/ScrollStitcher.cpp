#include "model/ScrollStitcher.h"

#include <QHashFunctions>

#include <algorithm>
#include <cstdlib>
#include <sys/mman.h>
#include <cstring>

namespace {

// A row's hash that occurs more often than this among the stitched rows (blank lines, a plain
// background) says nothing about where a frame lies.
constexpr std::size_t rareHash = 4;
// Two pixels are alike when no channel differs by more than this: what antialiasing and
// dithering change when the same content is drawn again.
constexpr int channelTolerance = 24;
// A row still matches with this share of its pixels unlike (one in fifty: a scroll bar's thumb
// beside a wide page).
constexpr int unlikeShare = 50;
// Of the rows a frame shares with the page so far, one in this many may differ (a hover effect).
constexpr int unlikeRowShare = 10;
// Candidates looked at closely, most voted for first.
constexpr std::size_t candidatesChecked = 8;

// How many pixels of two rows are unlike; stops counting past `allowed`.
int unlikePixels(const QRgb *a, const QRgb *b, int width, int allowed)
{
    int unlike = 0;
    for (int x = 0; x < width; ++x) {
        if (a[x] == b[x])
            continue;
        const int dr = qRed(a[x]) - qRed(b[x]), dg = qGreen(a[x]) - qGreen(b[x]), db = qBlue(a[x]) - qBlue(b[x]);
        if (std::abs(dr) > channelTolerance || std::abs(dg) > channelTolerance || std::abs(db) > channelTolerance) {
            if (++unlike > allowed)
                return unlike;
        }
    }
    return unlike;
}

} // namespace

ScrollStitcher::ScrollStitcher(const QImage &first, int heightLimit)
    : m_width(first.width())
    , m_bytesPerLine(qsizetype(first.width()) * 4)
    , m_limit(std::max(heightLimit, first.height()))
{
    m_previous = first.convertToFormat(QImage::Format_RGB32);
    m_previousHashes = rowHashes(m_previous);
    m_movingRows = m_previous.height();
    if (m_previous.isNull() || !reserve(m_previous.height())) {
        m_previous = {};
        return;
    }
    for (int y = 0; y < m_previous.height(); ++y)
        std::memcpy(m_buffer + y * m_bytesPerLine, m_previous.constScanLine(y), std::size_t(m_bytesPerLine));
    m_rows = m_previous.height();
    m_hashes = m_previousHashes;
    setContentRows(m_rows);
}

ScrollStitcher::~ScrollStitcher()
{
    if (m_buffer)
        ::munmap(m_buffer, m_mapped);
}

bool ScrollStitcher::reserve(int rows)
{
    if (rows <= m_capacity)
        return true;
    // Mapped memory of its own: it grows in place or moves by its pages (never by copying the
    // image), its untouched tail costs nothing, and it goes back to the system whole.
    const int capacity = std::min(m_limit, std::max(rows, m_capacity + m_capacity / 4));
    const std::size_t bytes = std::size_t(capacity) * std::size_t(m_bytesPerLine);
    void *grown = m_buffer ? ::mremap(m_buffer, m_mapped, bytes, MREMAP_MAYMOVE)
                           : ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (grown == MAP_FAILED)
        return false;
    m_buffer = static_cast<uchar *>(grown);
    m_mapped = bytes;
    m_capacity = capacity;
    return true;
}

std::vector<ScrollStitcher::Hash> ScrollStitcher::rowHashes(const QImage &frame) const
{
    std::vector<Hash> hashes(std::size_t(std::max(frame.height(), 0)));
    for (int y = 0; y < frame.height(); ++y)
        hashes[std::size_t(y)] = qHashBits(frame.constScanLine(y), std::size_t(m_bytesPerLine));
    return hashes;
}

void ScrollStitcher::setContentRows(int rows)
{
    // Rows leave and join the index at its end only.
    for (int y = m_contentRows - 1; y >= rows; --y) {
        auto found = m_index.find(m_hashes[std::size_t(y)]);
        if (found != m_index.end() && !found->second.empty() && found->second.back() == y)
            found->second.pop_back();
    }
    for (int y = m_contentRows; y < rows; ++y)
        m_index[m_hashes[std::size_t(y)]].push_back(y);
    m_contentRows = rows;
}

qint64 ScrollStitcher::cost(const QImage &frame, const std::vector<Hash> &hashes, int at, int top, int bottom) const
{
    qint64 total = 0;
    int shared = 0, unlikeRows = 0;
    const int allowed = m_width / unlikeShare;
    for (int y = top; y < bottom && at + y < m_contentRows; ++y) {
        if (at + y < 0)
            continue;
        ++shared;
        if (hashes[std::size_t(y)] == m_hashes[std::size_t(at + y)])
            continue;
        const int unlike = unlikePixels(reinterpret_cast<const QRgb *>(frame.constScanLine(y)),
                                        reinterpret_cast<const QRgb *>(row(at + y)), m_width, allowed);
        if (unlike > allowed) {
            ++unlikeRows;
            total += m_width;
            continue;
        }
        // A row unlike only within the tolerance still costs a little, so that the true place
        // wins over a neighbour of a smooth gradient.
        total += unlike + 1;
    }
    // A few rows seen before may have changed since (a row the pointer hovers is highlighted):
    // up to one in ten, as long as the rest fit.
    if (shared == 0 || unlikeRows * unlikeRowShare > shared)
        return -1;
    return total;
}

int ScrollStitcher::place(const QImage &frame, const std::vector<Hash> &hashes, int top, int bottom) const
{
    // Each rare row of the frame votes for the places its twins among the stitched rows give.
    std::unordered_map<int, int> votes;
    for (int y = top; y < bottom; ++y) {
        const auto found = m_index.find(hashes[std::size_t(y)]);
        if (found == m_index.end() || found->second.empty() || found->second.size() > rareHash)
            continue;
        for (const int at : found->second) {
            if (at - y >= 0)
                ++votes[at - y];
        }
    }
    struct Candidate
    {
        int at;
        int votes;
        qint64 cost;
    };
    std::vector<Candidate> candidates;
    if (!votes.empty()) {
        std::vector<std::pair<int, int>> ranked(votes.begin(), votes.end());
        std::sort(ranked.begin(), ranked.end(), [](const auto &a, const auto &b) {
            return a.second != b.second ? a.second > b.second : a.first < b.first;
        });
        if (ranked.size() > candidatesChecked)
            ranked.resize(candidatesChecked);
        for (const auto &[at, count] : ranked)
            candidates.push_back({at, count, 0});
    } else {
        // No row is exactly as before: every place near the last one, looked at with tolerance.
        const int height = int(hashes.size());
        for (int at = std::max(0, m_previousAt - height); at < m_contentRows - top && at <= m_previousAt + height; ++at)
            candidates.push_back({at, 0, 0});
    }
    for (Candidate &candidate : candidates)
        candidate.cost = cost(frame, hashes, candidate.at, top, bottom);
    std::erase_if(candidates, [](const Candidate &c) { return c.cost < 0; });
    if (candidates.empty())
        return -1;
    std::sort(candidates.begin(), candidates.end(), [](const Candidate &a, const Candidate &b) {
        return a.votes != b.votes ? a.votes > b.votes : a.cost < b.cost;
    });
    // Two places that fit equally well: the content repeats, and guessing could drop or repeat rows.
    if (candidates.size() > 1 && candidates[0].votes == candidates[1].votes && candidates[0].cost == candidates[1].cost)
        return -1;
    return candidates[0].at;
}

ScrollStitcher::Step ScrollStitcher::add(const QImage &image)
{
    if (m_previous.isNull() || image.size() != m_previous.size())
        return {Outcome::lost, 0, 0};
    const QImage frame = image.convertToFormat(QImage::Format_RGB32);
    const std::vector<Hash> hashes = rowHashes(frame);
    const int height = frame.height();
    if (hashes == m_previousHashes)
        return {Outcome::unmoved, 0, 0};

    // Rows that kept their place since the last frame: a header above the moving content, a
    // footer below it. More rows than the true header or footer may stay by chance (a blank
    // margin); counting them as fixed only narrows what is matched.
    int top = 0;
    while (top < height && hashes[std::size_t(top)] == m_previousHashes[std::size_t(top)])
        ++top;
    int bottom = 0;
    while (bottom < height - top && hashes[std::size_t(height - 1 - bottom)] == m_previousHashes[std::size_t(height - 1 - bottom)])
        ++bottom;
    // The footer is never more than the fewest rows any frame kept at the bottom: rows once
    // withheld and later seen to move rejoin the content.
    const int footer = m_footer < 0 ? bottom : std::min(m_footer, bottom);
    const int oldContent = m_contentRows;
    setContentRows(m_rows - footer);

    const int at = place(frame, hashes, top, height - footer);
    if (at < 0) {
        setContentRows(oldContent);
        return {Outcome::lost, 0, 0};
    }
    const int moved = at - m_previousAt;
    if (moved == 0) {
        setContentRows(oldContent);
        return {Outcome::unmoved, 0, 0};
    }

    // The frame's rows below the stitched content are new, then its footer follows them.
    const int firstNew = std::max(top, m_contentRows - at);
    int added = std::max(0, height - footer - firstNew);
    Outcome outcome = Outcome::placed;
    if (added > 0) {
        if (m_contentRows + added + footer > m_limit) {
            added = std::max(0, m_limit - footer - m_contentRows);
            outcome = Outcome::full;
        }
        if (!reserve(m_contentRows + added + footer)) {
            setContentRows(oldContent);
            return {Outcome::full, 0, moved};
        }
        // The new rows, as many as fit, then the footer below them.
        m_hashes.resize(std::size_t(m_contentRows));
        auto append = [&](int y) {
            const int to = int(m_hashes.size());
            std::memcpy(m_buffer + std::size_t(to) * m_bytesPerLine, frame.constScanLine(y), std::size_t(m_bytesPerLine));
            m_hashes.push_back(hashes[std::size_t(y)]);
        };
        for (int y = firstNew; y < firstNew + added; ++y)
            append(y);
        for (int y = height - footer; y < height; ++y)
            append(y);
        m_rows = m_contentRows + added + footer;
        setContentRows(m_rows - footer);
    }
    m_footer = footer;
    m_previous = frame;
    m_previousHashes = hashes;
    m_previousAt = at;
    m_movingRows = height - top - footer;
    m_movingTop = top;
    return {outcome, added, moved};
}

QImage ScrollStitcher::take()
{
    if (!m_buffer || m_rows == 0)
        return {};
    // The mapping becomes the image's own: no copy of a page that may be hundreds of megabytes.
    const std::size_t bytes = std::size_t(m_rows) * std::size_t(m_bytesPerLine);
    if (void *fitted = ::mremap(m_buffer, m_mapped, bytes, 0); fitted != MAP_FAILED)
        m_mapped = bytes;
    struct Mapping
    {
        void *address;
        std::size_t bytes;
    };
    QImage image(m_buffer, m_width, m_rows, m_bytesPerLine, QImage::Format_RGB32,
                 [](void *info) {
                     const auto *mapping = static_cast<Mapping *>(info);
                     ::munmap(mapping->address, mapping->bytes);
                     delete mapping;
                 },
                 new Mapping{m_buffer, m_mapped});
    m_buffer = nullptr;
    m_mapped = 0;
    m_capacity = m_rows = m_contentRows = 0;
    m_index.clear();
    m_hashes.clear();
    m_previous = {};
    return image;
}
