#include "model/PngEncoder.h"

#include "platform/HugePages.h"

#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

namespace {

// Bytes that are never zeroed: every byte used is written first. In huge pages: made fresh
// for the first image after a pause, they would otherwise cost more than the encoding.
class Buffer
{
public:
    [[nodiscard]] unsigned char *data() const { return m_memory ? m_memory->data() : nullptr; }
    [[nodiscard]] std::size_t size() const { return m_size; }
    [[nodiscard]] std::size_t capacity() const { return m_memory ? m_memory->size() : 0; }
    // Makes room for `size` bytes; what was there is kept only when `keep` says so.
    void resize(std::size_t size, bool keep = false)
    {
        if (size > capacity()) {
            std::unique_ptr<HugePages> grown = HugePages::allocate(size);
            if (!grown)
                throw std::bad_alloc();
            if (keep && m_size > 0)
                std::memcpy(grown->data(), m_memory->data(), m_size);
            m_memory = std::move(grown);
        }
        m_size = size;
    }

private:
    std::unique_ptr<HugePages> m_memory;
    std::size_t m_size = 0;
};

// One part of the image: its filtered rows and their compressed form. Kept between calls so
// that large buffers are not allocated (and faulted in) for every image.
struct Piece
{
    Buffer filtered;
    Buffer compressed;
    Buffer levelBuffer;
    std::uint32_t adler = 1;
    bool ok = false;
};

std::mutex encoderMutex;
std::vector<Piece> &reusedPieces()
{
    static std::vector<Piece> pieces;
    return pieces;
}

bool isOpaque(const QImage &image)
{
    if (!image.hasAlphaChannel())
        return true;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        std::uint32_t all = 0xff000000u;
        for (int x = 0; x < image.width(); ++x)
            all &= line[x];
        if ((all & 0xff000000u) != 0xff000000u)
            return false;
    }
    return true;
}

// Writes one row as PNG bytes (RGB or RGBA), preceded by its filter type.
void filterRow(const QRgb *row, const QRgb *above, int width, int channels, unsigned char *out)
{
    *out++ = 2; // Up: each byte minus the byte above it
    if (channels == 3) {
        for (int x = 0; x < width; ++x) {
            const QRgb p = row[x];
            const QRgb q = above ? above[x] : 0;
            *out++ = static_cast<unsigned char>(qRed(p) - qRed(q));
            *out++ = static_cast<unsigned char>(qGreen(p) - qGreen(q));
            *out++ = static_cast<unsigned char>(qBlue(p) - qBlue(q));
        }
    } else {
        for (int x = 0; x < width; ++x) {
            const QRgb p = row[x];
            const QRgb q = above ? above[x] : 0;
            *out++ = static_cast<unsigned char>(qRed(p) - qRed(q));
            *out++ = static_cast<unsigned char>(qGreen(p) - qGreen(q));
            *out++ = static_cast<unsigned char>(qBlue(p) - qBlue(q));
            *out++ = static_cast<unsigned char>(qAlpha(p) - qAlpha(q));
        }
    }
}

// Filters rows [first, last) and deflates them as raw deflate blocks. A piece that is not the
// last ends on a byte boundary with a full flush, so the pieces can simply be joined.
void encodePiece(const QImage &image, int channels, int first, int last, bool final, Piece &piece)
{
    piece.ok = false;
    const std::size_t rowBytes = 1 + std::size_t(image.width()) * std::size_t(channels);
    const std::size_t total = rowBytes * std::size_t(last - first);
    piece.filtered.resize(total);
    for (int y = first; y < last; ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        const auto *above = y > 0 ? reinterpret_cast<const QRgb *>(image.constScanLine(y - 1)) : nullptr;
        filterRow(row, above, image.width(), channels, piece.filtered.data() + rowBytes * std::size_t(y - first));
    }
    piece.adler = isal_adler32(1, piece.filtered.data(), total);

    piece.levelBuffer.resize(ISAL_DEF_LVL1_DEFAULT);
    piece.compressed.resize(total + total / 8 + 1024);
    isal_zstream stream;
    isal_deflate_init(&stream);
    stream.level = 1;
    stream.level_buf = piece.levelBuffer.data();
    stream.level_buf_size = std::uint32_t(piece.levelBuffer.size());
    stream.gzip_flag = IGZIP_DEFLATE;
    stream.end_of_stream = final ? 1 : 0;
    stream.flush = final ? NO_FLUSH : FULL_FLUSH;
    stream.next_in = piece.filtered.data();
    stream.avail_in = std::uint32_t(total);
    std::size_t produced = 0;
    for (;;) {
        stream.next_out = piece.compressed.data() + produced;
        stream.avail_out = std::uint32_t(piece.compressed.size() - produced);
        if (isal_deflate(&stream) != COMP_OK)
            return;
        produced = piece.compressed.size() - stream.avail_out;
        const bool done = stream.avail_in == 0
                          && (final ? stream.internal_state.state == ZSTATE_END : stream.avail_out > 0);
        if (done)
            break;
        piece.compressed.resize(piece.compressed.size() * 2, true);
    }
    piece.compressed.resize(produced);
    piece.ok = true;
}

// adler32 of A followed by B, from the sums of each: the same arithmetic zlib uses.
std::uint32_t combineAdler(std::uint32_t first, std::uint32_t second, std::size_t secondLength)
{
    constexpr std::uint32_t base = 65521;
    const std::uint32_t remainder = std::uint32_t(secondLength % base);
    std::uint32_t sum1 = first & 0xffff;
    std::uint32_t sum2 = std::uint32_t((std::uint64_t(remainder) * sum1) % base);
    sum1 += (second & 0xffff) + base - 1;
    sum2 += ((first >> 16) & 0xffff) + ((second >> 16) & 0xffff) + base - remainder;
    if (sum1 >= base)
        sum1 -= base;
    if (sum1 >= base)
        sum1 -= base;
    if (sum2 >= (base << 1))
        sum2 -= (base << 1);
    if (sum2 >= base)
        sum2 -= base;
    return sum1 | (sum2 << 16);
}

void appendBigEndian(QByteArray &out, std::uint32_t value)
{
    const std::uint32_t big = qToBigEndian(value);
    out.append(reinterpret_cast<const char *>(&big), 4);
}

// Appends a chunk whose data the caller has already written after `start`: fills in the
// length and adds the CRC.
void finishChunk(QByteArray &out, qsizetype start)
{
    const auto length = std::uint32_t(out.size() - start - 8);
    const std::uint32_t big = qToBigEndian(length);
    std::memcpy(out.data() + start, &big, 4);
    const auto *typeAndData = reinterpret_cast<const unsigned char *>(out.constData() + start + 4);
    appendBigEndian(out, crc32_gzip_refl(0, typeAndData, std::uint64_t(length) + 4));
}

qsizetype beginChunk(QByteArray &out, const char *type)
{
    const qsizetype start = out.size();
    out.append(4, '\0');
    out.append(type, 4);
    return start;
}

} // namespace

QByteArray encodePng(const QImage &source, int pieceCount)
{
    if (source.isNull())
        return {};
    QImage image = source;
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        return {};
    const int channels = isOpaque(image) ? 3 : 4;

    const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
    const int count = std::clamp(pieceCount > 0 ? pieceCount : cores, 1, image.height());

    const std::lock_guard<std::mutex> lock(encoderMutex);
    std::vector<Piece> &pieces = reusedPieces();
    if (int(pieces.size()) < count)
        pieces.resize(std::size_t(count));

    auto rowOf = [&](int index) { return int(qint64(image.height()) * index / count); };
    std::vector<std::thread> workers;
    for (int i = 1; i < count; ++i) {
        workers.emplace_back(encodePiece, std::cref(image), channels, rowOf(i), rowOf(i + 1), i == count - 1,
                             std::ref(pieces[std::size_t(i)]));
    }
    encodePiece(image, channels, rowOf(0), rowOf(1), count == 1, pieces[0]);
    for (std::thread &worker : workers)
        worker.join();

    std::size_t compressedSize = 0;
    for (int i = 0; i < count; ++i) {
        if (!pieces[std::size_t(i)].ok)
            return {};
        compressedSize += pieces[std::size_t(i)].compressed.size();
    }

    QByteArray out;
    out.reserve(qsizetype(compressedSize) + 128);
    out.append("\x89PNG\r\n\x1a\n", 8);

    qsizetype chunk = beginChunk(out, "IHDR");
    appendBigEndian(out, std::uint32_t(image.width()));
    appendBigEndian(out, std::uint32_t(image.height()));
    out.append(char(8));                          // bits per channel
    out.append(char(channels == 3 ? 2 : 6));     // colour type: RGB or RGBA
    out.append(3, '\0');                          // deflate, adaptive filtering, no interlace
    finishChunk(out, chunk);

    chunk = beginChunk(out, "IDAT");
    out.append("\x78\x01", 2); // zlib header: deflate, 32K window, fastest
    std::uint32_t adler = 1;
    for (int i = 0; i < count; ++i) {
        const Piece &piece = pieces[std::size_t(i)];
        out.append(reinterpret_cast<const char *>(piece.compressed.data()), qsizetype(piece.compressed.size()));
        adler = combineAdler(adler, piece.adler, piece.filtered.size());
    }
    appendBigEndian(out, adler);
    finishChunk(out, chunk);

    chunk = beginChunk(out, "IEND");
    finishChunk(out, chunk);
    return out;
}

void releasePngBuffers()
{
    const std::lock_guard lock(encoderMutex);
    reusedPieces().clear();
    reusedPieces().shrink_to_fit();
}
