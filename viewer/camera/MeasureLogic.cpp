#include "MeasureLogic.h"

#include "HistogramLogic.h"

#include <algorithm>
#include <cmath>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace measurelogic {

namespace {

constexpr int kLaplacianLevels = 4 * 255 + 1;  // |Laplacian| of 8-bit grey: 0 .. 1020

QImage rgbFrame(const QImage& frame)
{
    return frame.format() == QImage::Format_RGB888 ? frame
                                                   : frame.convertToFormat(QImage::Format_RGB888);
}

// Row kernels: plain loops over 8-bit rows that the compiler turns into vector code (this
// file is built with the dynamic vector cost model), with AVX-512 and AVX2 clones chosen at
// run time.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define MEASURE_ROW_KERNEL __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#else
#define MEASURE_ROW_KERNEL
#endif

// Grey levels of width pixels of an RGB888 row.
MEASURE_ROW_KERNEL void greyRow(const uint8_t* __restrict rgb, int width, uint8_t* __restrict grey)
{
    for (int x = 0; x < width; ++x)
        grey[x] = uint8_t((rgb[3 * x] * 77 + rgb[3 * x + 1] * 150 + rgb[3 * x + 2] * 29) >> 8);
}

// |Laplacian| of the centre row's pixels 1 .. width - 2 into magnitude[1 .. width - 2].
MEASURE_ROW_KERNEL void laplacianMagnitudeRow(const uint8_t* __restrict up,
                                              const uint8_t* __restrict centre,
                                              const uint8_t* __restrict down, int width,
                                              uint16_t* __restrict magnitude)
{
    for (int x = 1; x + 1 < width; ++x) {
        const int l = up[x] + down[x] + centre[x - 1] + centre[x + 1] - 4 * centre[x];
        magnitude[x] = uint16_t(l < 0 ? -l : l);
    }
}

// Sum and sum of squares of the Laplacian of the centre row's pixels 1 .. width - 2. Each
// chunk stays within 32 bits: at most 1020² per pixel.
MEASURE_ROW_KERNEL void laplacianRowSums(const uint8_t* __restrict up,
                                         const uint8_t* __restrict centre,
                                         const uint8_t* __restrict down, int width, qint64& sum,
                                         qint64& squares)
{
    constexpr int kChunk = 1024;
    for (int from = 1; from + 1 < width; from += kChunk) {
        const int to = std::min(width - 1, from + kChunk);
        int32_t chunkSum = 0;
        int32_t chunkSquares = 0;
        for (int x = from; x < to; ++x) {
            const int32_t l = up[x] + down[x] + centre[x - 1] + centre[x + 1] - 4 * centre[x];
            chunkSum += l;
            chunkSquares += l * l;
        }
        sum += chunkSum;
        squares += chunkSquares;
    }
}

constexpr uint8_t kNotClipped = 0;
constexpr uint8_t kClippedLow = 1;
constexpr uint8_t kClippedHigh = 2;

// Clipping of each pixel of an RGB888 row into flags; counts those high and those low.
MEASURE_ROW_KERNEL void clippingRow(const uint8_t* __restrict rgb, int width,
                                    uint8_t* __restrict flags, int& high, int& low)
{
    int highs = 0;
    int lows = 0;
    for (int x = 0; x < width; ++x) {
        const uint8_t r = rgb[3 * x];
        const uint8_t g = rgb[3 * x + 1];
        const uint8_t b = rgb[3 * x + 2];
        const uint8_t top = std::max(r, std::max(g, b));
        const uint8_t bottom = std::min(r, std::min(g, b));
        const uint8_t isHigh = top == kTopLevel;
        const uint8_t isLow = (bottom == 0) & !isHigh;
        flags[x] = uint8_t(isHigh * kClippedHigh + isLow * kClippedLow);
        highs += isHigh;
        lows += isLow;
    }
    high = highs;
    low = lows;
}

// Marks one pixel per flag, as colour high or low; other pixels keep what they show.
MEASURE_ROW_KERNEL void markClippedRow(const uint8_t* __restrict flags, int width,
                                       QRgb* __restrict out, QRgb high, QRgb low)
{
    for (int x = 0; x < width; ++x) {
        const uint8_t f = flags[x];
        out[x] = f == kClippedHigh ? high : f == kClippedLow ? low : out[x];
    }
}

// The pixels 1 .. width - 2 of a row of magnitudes at the peaking floor or above: their
// columns into xs and magnitudes into levels, in order; returns how many.
std::size_t keepCandidates(const uint16_t* magnitude, int width, uint32_t* xs, uint16_t* levels)
{
    std::size_t kept = 0;
    int x = 1;
#ifdef __SSE2__
    // Eight at a time: most pixels of most frames lie below the floor.
    const __m128i below = _mm_set1_epi16(kPeakingFloor - 1);
    for (; x + 8 < width; x += 8) {
        const __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i*>(magnitude + x));
        unsigned mask = unsigned(_mm_movemask_epi8(_mm_cmpgt_epi16(m, below))) & 0x5555u;
        while (mask) {
            const int i = __builtin_ctz(mask) / 2;
            xs[kept] = uint32_t(x + i);
            levels[kept] = magnitude[x + i];
            ++kept;
            mask &= mask - 1;
        }
    }
#endif
    for (; x + 1 < width; ++x) {
        if (magnitude[x] >= kPeakingFloor) {
            xs[kept] = uint32_t(x);
            levels[kept] = magnitude[x];
            ++kept;
        }
    }
    return kept;
}

// Three grey rows of an area, the newest replacing the oldest: a Laplacian needs no more.
class GreyRows {
public:
    void start(int width)
    {
        rowWidth = width;
        rows.resize(std::size_t(3) * std::size_t(width));
    }
    uint8_t* row(int y) { return rows.data() + std::size_t(y % 3) * std::size_t(rowWidth); }

private:
    int rowWidth = 0;
    std::vector<uint8_t> rows;
};

QImage emptyOverlay(QSize size)
{
    QImage overlay(size, QImage::Format_ARGB32_Premultiplied);
    if (!overlay.isNull())
        overlay.fill(Qt::transparent);
    return overlay;
}

}  // namespace

QPoint pixelAt(QPointF scenePoint)
{
    return QPoint(int(std::floor(scenePoint.x())), int(std::floor(scenePoint.y())));
}

QRect regionFromDrag(QPointF from, QPointF to, QSize image)
{
    const QPoint a = pixelAt(from);
    const QPoint b = pixelAt(to);
    const QRect dragged(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                        QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
    return dragged.intersected(QRect(QPoint(0, 0), image));
}

QLineF lineFromDrag(QPointF from, QPointF to, QSize image)
{
    if (image.isEmpty())
        return QLineF();
    const auto centre = [image](QPointF p) {
        const QPoint pixel = pixelAt(p);
        return QPointF(std::clamp(pixel.x(), 0, image.width() - 1) + 0.5,
                       std::clamp(pixel.y(), 0, image.height() - 1) + 0.5);
    };
    return QLineF(centre(from), centre(to));
}

QRect keepRegion(const QRect& region, QSize image)
{
    return region.intersected(QRect(QPoint(0, 0), image));
}

PixelReading readPixel(const QImage& frame, QPointF scenePoint)
{
    PixelReading reading;
    const QPoint pixel = pixelAt(scenePoint);
    if (frame.isNull() || !frame.rect().contains(pixel))
        return reading;
    reading.valid = true;
    reading.position = pixel;
    const QRgb rgb = frame.pixel(pixel);
    reading.red = qRed(rgb);
    reading.green = qGreen(rgb);
    reading.blue = qBlue(rgb);
    reading.grey = greyLevel(reading.red, reading.green, reading.blue);
    return reading;
}

void addRawValue(PixelReading& reading, const QImage& grey16, int bits)
{
    if (!reading.valid || grey16.format() != QImage::Format_Grayscale16 || bits <= 8 ||
        bits > 16 || !grey16.rect().contains(reading.position))
        return;
    const quint16 value =
        reinterpret_cast<const quint16*>(grey16.constScanLine(reading.position.y()))[reading.position.x()];
    reading.raw = value >> (16 - bits);
    reading.rawBits = bits;
}

RegionStatistics regionStatistics(const QImage& frame, const QRect& region)
{
    RegionStatistics statistics;
    const QRect area = region.intersected(frame.rect());
    if (area.isEmpty())
        return statistics;
    const QImage rgb = rgbFrame(frame);
    // The region's pixels in place, without a copy; the statistics then come from the
    // level counts, 256 levels instead of millions of pixels, exactly.
    const QImage pixels(rgb.constScanLine(area.top()) + 3 * area.left(), area.width(),
                        area.height(), rgb.bytesPerLine(), QImage::Format_RGB888);
    static thread_local histogramlogic::Levels levels;
    if (!histogramlogic::countLevels(pixels, levels))
        return statistics;
    statistics.pixels = levels.pixels;
    for (int c = 0; c < kChannels; ++c) {
        ChannelStatistics& s = statistics.channels[c];
        double sum = 0;
        double squares = 0;
        s.minimum = -1;
        for (int level = 0; level < histogramlogic::kLevels; ++level) {
            const double count = levels.counts[c][level];
            if (count == 0)
                continue;
            if (s.minimum < 0)
                s.minimum = level;
            s.maximum = level;
            sum += count * level;
            squares += count * level * level;
        }
        s.mean = sum / double(levels.pixels);
        s.deviation = std::sqrt(std::max(0.0, squares / double(levels.pixels) - s.mean * s.mean));
    }
    return statistics;
}

double laplacianVariance(const QImage& frame, const QRect& area)
{
    const QRect inside = area.intersected(frame.rect());
    if (inside.width() < 3 || inside.height() < 3)
        return 0.0;
    const QImage rgb = rgbFrame(frame);
    const int width = inside.width();
    static thread_local GreyRows grey;
    grey.start(width);
    qint64 sum = 0;
    qint64 squares = 0;
    for (int y = 0; y < inside.height(); ++y) {
        greyRow(rgb.constScanLine(inside.top() + y) + 3 * inside.left(), width, grey.row(y));
        if (y >= 2)
            laplacianRowSums(grey.row(y - 2), grey.row(y - 1), grey.row(y), width, sum, squares);
    }
    const double count = double(width - 2) * double(inside.height() - 2);
    const double mean = double(sum) / count;
    return std::max(0.0, double(squares) / count - mean * mean);
}

QSize markSize(QSize frame, int scale)
{
    scale = std::max(1, scale);
    return QSize((frame.width() + scale - 1) / scale, (frame.height() + scale - 1) / scale);
}

ClippingShare markClipping(const QImage& frame, QImage* overlay, int scale)
{
    ClippingShare share;
    if (frame.isNull())
        return share;
    scale = std::max(1, scale);
    const QImage rgb = rgbFrame(frame);
    const int width = rgb.width();
    const int height = rgb.height();
    const QRgb high = kClippedHighColour.rgb();
    const QRgb low = kClippedLowColour.rgb();
    const bool marking = overlay && overlay->size() == markSize(rgb.size(), scale) &&
                         overlay->format() == QImage::Format_ARGB32_Premultiplied;
    static thread_local std::vector<uint8_t> flags;
    flags.resize(std::size_t(width));
    for (int y = 0; y < height; ++y) {
        int highs = 0;
        int lows = 0;
        clippingRow(rgb.constScanLine(y), width, flags.data(), highs, lows);
        share.high += highs;
        share.low += lows;
        if (!marking || highs + lows == 0)
            continue;
        QRgb* out = reinterpret_cast<QRgb*>(overlay->scanLine(y / scale));
        if (scale == 1) {
            markClippedRow(flags.data(), width, out, high, low);
            continue;
        }
        // A block with a pixel clipped high shows that, whatever its other pixels are.
        for (int x = 0; x < width; ++x) {
            if (flags[x] == kClippedHigh)
                out[x / scale] = high;
            else if (flags[x] == kClippedLow && out[x / scale] != high)
                out[x / scale] = low;
        }
    }
    share.pixels = qint64(width) * height;
    return share;
}

qint64 markPeaking(const QImage& frame, QImage& overlay, int scale)
{
    scale = std::max(1, scale);
    if (frame.width() < 3 || frame.height() < 3 ||
        overlay.size() != markSize(frame.size(), scale) ||
        overlay.format() != QImage::Format_ARGB32_Premultiplied)
        return 0;
    const QImage rgb = rgbFrame(frame);
    const int width = rgb.width();
    const int height = rgb.height();
    // One pass keeps only the pixels at the floor or above, with their magnitude: few on
    // most frames, and all that the threshold and the marks need.
    static thread_local GreyRows grey;
    static thread_local std::vector<uint16_t> magnitude;
    static thread_local std::vector<uint32_t> candidateX;
    static thread_local std::vector<uint16_t> candidateMagnitude;
    static thread_local std::vector<std::size_t> rowEnd;  // of each row's candidates
    grey.start(width);
    magnitude.resize(std::size_t(width));
    rowEnd.assign(std::size_t(height), 0);
    std::size_t candidates = 0;
    for (int y = 0; y < height; ++y) {
        greyRow(rgb.constScanLine(y), width, grey.row(y));
        if (y < 2)
            continue;
        laplacianMagnitudeRow(grey.row(y - 2), grey.row(y - 1), grey.row(y), width,
                              magnitude.data());
        // Room for every pixel of the row, so that the loop below writes without checks.
        if (candidateX.size() < candidates + std::size_t(width)) {
            candidateX.resize(std::max(candidates + std::size_t(width), 2 * candidateX.size()));
            candidateMagnitude.resize(candidateX.size());
        }
        candidates = keepCandidates(magnitude.data(), width, candidateX.data() + candidates,
                                    candidateMagnitude.data() + candidates) +
                     candidates;
        rowEnd[std::size_t(y - 1)] = candidates;
    }
    rowEnd[std::size_t(height - 1)] = candidates;
    std::array<qint64, kLaplacianLevels> counts{};
    for (std::size_t i = 0; i < candidates; ++i)
        ++counts[candidateMagnitude[i]];
    int strongest = kLaplacianLevels - 1;
    while (strongest >= kPeakingFloor && counts[strongest] == 0)
        --strongest;
    if (strongest < kPeakingFloor)
        return 0;
    // The lowest magnitude whose pixels and those above stay within the marked share; the
    // strongest edges are marked even when they alone take more.
    const qint64 allowed = qint64(kPeakingShare * double(width - 2) * double(height - 2));
    int threshold = strongest + 1;
    qint64 above = 0;
    while (threshold > kPeakingFloor && above + counts[threshold - 1] <= allowed) {
        --threshold;
        above += counts[threshold];
    }
    if (threshold > strongest) {
        threshold = strongest;
        above = counts[strongest];
    }
    const QRgb mark = kPeakingColour.rgb();
    const uint32_t* xs = candidateX.data();
    const uint16_t* levels = candidateMagnitude.data();
    std::size_t begin = 0;
    for (int y = 1; y + 1 < height; ++y) {
        const std::size_t end = rowEnd[std::size_t(y)];
        if (begin == end)
            continue;
        QRgb* out = reinterpret_cast<QRgb*>(overlay.scanLine(y / scale));
        for (std::size_t i = begin; i < end; ++i) {
            if (levels[i] >= threshold)
                out[scale == 1 ? xs[i] : xs[i] / uint32_t(scale)] = mark;
        }
        begin = end;
    }
    return above;
}

Profile lineProfile(const QImage& frame, const QLineF& line)
{
    Profile profile;
    if (frame.isNull())
        return profile;
    const QImage rgb = rgbFrame(frame);
    // One sample per pixel of the longer axis, so that no pixel on the way is skipped.
    const double dx = line.dx();
    const double dy = line.dy();
    const int steps = int(std::ceil(std::max(std::abs(dx), std::abs(dy))));
    for (auto& channel : profile.values)
        channel.reserve(steps + 1);
    for (int i = 0; i <= steps; ++i) {
        const double t = steps ? double(i) / steps : 0.0;
        const QPoint pixel = pixelAt(QPointF(line.x1() + t * dx, line.y1() + t * dy));
        if (!rgb.rect().contains(pixel))
            continue;
        const uchar* p = rgb.constScanLine(pixel.y()) + 3 * pixel.x();
        for (int c = 0; c < kChannels; ++c)
            profile.values[c].append(p[c]);
    }
    return profile;
}

QImage OverlayPool::take(QSize size)
{
    if (size.isEmpty())
        return QImage();
    for (QImage& image : kept) {
        // Held by the pool alone: no result shows it any more. Moved out, so that writing
        // the marks copies nothing.
        if (!image.isNull() && image.size() == size && image.isDetached()) {
            QImage reused = std::move(image);
            image = QImage();
            reused.fill(Qt::transparent);
            return reused;
        }
    }
    return emptyOverlay(size);
}

void OverlayPool::keep(const QImage& overlay)
{
    if (overlay.isNull())
        return;
    for (QImage& image : kept) {
        if (image.isNull()) {
            image = overlay;
            return;
        }
    }
    kept[next] = overlay;
    next = (next + 1) % kKept;
}

QVector<QPoint> plotPoints(const QVector<int>& values, int columns)
{
    QVector<QPoint> points;
    const int samples = values.size();
    if (samples <= 2 * std::max(columns, 0)) {
        points.reserve(samples);
        for (int i = 0; i < samples; ++i)
            points.append(QPoint(i, values[i]));
        return points;
    }
    points.reserve(2 * columns);
    for (int c = 0; c < columns; ++c) {
        const int from = int(qint64(c) * samples / columns);
        const int to = int(qint64(c + 1) * samples / columns);
        int lowest = from;
        int highest = from;
        for (int i = from + 1; i < to; ++i) {
            if (values[i] < values[lowest])
                lowest = i;
            if (values[i] > values[highest])
                highest = i;
        }
        points.append(QPoint(std::min(lowest, highest), values[std::min(lowest, highest)]));
        if (lowest != highest)
            points.append(QPoint(std::max(lowest, highest), values[std::max(lowest, highest)]));
    }
    return points;
}

Results measure(const QImage& frame, const Request& request, OverlayPool* pool)
{
    Results results;
    results.tag = request.tag;
    if (frame.isNull())
        return results;
    const QImage rgb = rgbFrame(frame);
    results.frameSize = rgb.size();
    if (request.statistics && !request.region.isEmpty()) {
        results.hasStatistics = true;
        results.region = request.region.intersected(rgb.rect());
        results.statistics = regionStatistics(rgb, results.region);
    }
    if (request.sharpness) {
        results.hasSharpness = true;
        results.sharpnessArea =
            (request.sharpnessArea.isEmpty() ? rgb.rect() : request.sharpnessArea)
                .intersected(rgb.rect());
        results.sharpness = laplacianVariance(rgb, results.sharpnessArea);
    }
    results.markScale = std::max(1, request.markScale);
    if (request.clipping || request.peaking)
        results.overlay = pool ? pool->take(markSize(rgb.size(), results.markScale))
                               : emptyOverlay(markSize(rgb.size(), results.markScale));
    if (request.peaking)
        results.peakingMarks = markPeaking(rgb, results.overlay, results.markScale);
    if (request.clipping) {
        results.hasClipping = true;
        results.clipping = markClipping(rgb, &results.overlay, results.markScale);
    }
    if (pool)
        pool->keep(results.overlay);
    if (request.profile && !request.line.isNull()) {
        results.hasProfile = true;
        results.profile = lineProfile(rgb, request.line);
    }
    return results;
}

}  // namespace measurelogic
