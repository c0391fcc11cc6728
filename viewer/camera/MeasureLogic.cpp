#include "MeasureLogic.h"

#include "HistogramLogic.h"

#include <algorithm>
#include <cmath>

namespace measurelogic {

namespace {

constexpr int kLaplacianLevels = 4 * 255 + 1;  // |Laplacian| of 8-bit grey: 0 .. 1020

QImage rgbFrame(const QImage& frame)
{
    return frame.format() == QImage::Format_RGB888 ? frame
                                                   : frame.convertToFormat(QImage::Format_RGB888);
}

// The grey levels of area (inside the frame), row after row.
void greyPlane(const QImage& rgb, const QRect& area, std::vector<uint8_t>& grey)
{
    const int width = area.width();
    grey.resize(std::size_t(width) * std::size_t(area.height()));
    uint8_t* out = grey.data();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uchar* p = rgb.constScanLine(y) + 3 * area.left();
        for (int x = 0; x < width; ++x, p += 3)
            *out++ = uint8_t(greyLevel(p[0], p[1], p[2]));
    }
}

inline int laplacianAt(const uint8_t* centre, int stride)
{
    return int(centre[-stride]) + int(centre[stride]) + int(centre[-1]) + int(centre[1]) -
           4 * int(centre[0]);
}

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
    static thread_local std::vector<uint8_t> grey;
    greyPlane(rgbFrame(frame), inside, grey);
    const int stride = inside.width();
    qint64 sum = 0;
    qint64 squares = 0;
    for (int y = 1; y + 1 < inside.height(); ++y) {
        const uint8_t* row = grey.data() + std::size_t(y) * stride;
        qint64 rowSum = 0;
        qint64 rowSquares = 0;
        for (int x = 1; x + 1 < stride; ++x) {
            const int l = laplacianAt(row + x, stride);
            rowSum += l;
            rowSquares += l * l;
        }
        sum += rowSum;
        squares += rowSquares;
    }
    const double count = double(stride - 2) * double(inside.height() - 2);
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
    const QRgb high = kClippedHighColour.rgb();
    const QRgb low = kClippedLowColour.rgb();
    const bool marking = overlay && overlay->size() == markSize(rgb.size(), scale) &&
                         overlay->format() == QImage::Format_ARGB32_Premultiplied;
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar* p = rgb.constScanLine(y);
        QRgb* out = marking ? reinterpret_cast<QRgb*>(overlay->scanLine(y / scale)) : nullptr;
        for (int x = 0; x < rgb.width(); ++x, p += 3) {
            const int top = std::max({p[0], p[1], p[2]});
            const int bottom = std::min({p[0], p[1], p[2]});
            if (top == kTopLevel) {
                ++share.high;
                if (out)
                    out[x / scale] = high;
            } else if (bottom == 0) {
                ++share.low;
                if (out && out[x / scale] != high)
                    out[x / scale] = low;
            }
        }
    }
    share.pixels = qint64(rgb.width()) * rgb.height();
    return share;
}

qint64 markPeaking(const QImage& frame, QImage& overlay, int scale)
{
    scale = std::max(1, scale);
    if (frame.width() < 3 || frame.height() < 3 ||
        overlay.size() != markSize(frame.size(), scale) ||
        overlay.format() != QImage::Format_ARGB32_Premultiplied)
        return 0;
    static thread_local std::vector<uint8_t> grey;
    static thread_local std::vector<uint16_t> magnitude;
    const QRect all = frame.rect();
    greyPlane(rgbFrame(frame), all, grey);
    const int width = all.width();
    const int height = all.height();
    magnitude.assign(std::size_t(width) * std::size_t(height), 0);
    std::array<qint64, kLaplacianLevels> counts{};
    for (int y = 1; y + 1 < height; ++y) {
        const uint8_t* row = grey.data() + std::size_t(y) * width;
        uint16_t* out = magnitude.data() + std::size_t(y) * width;
        for (int x = 1; x + 1 < width; ++x) {
            const int l = std::abs(laplacianAt(row + x, width));
            out[x] = uint16_t(l);
            ++counts[l];
        }
    }
    int strongest = kLaplacianLevels - 1;
    while (strongest > 0 && counts[strongest] == 0)
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
    for (int y = 1; y + 1 < height; ++y) {
        const uint16_t* in = magnitude.data() + std::size_t(y) * width;
        QRgb* out = reinterpret_cast<QRgb*>(overlay.scanLine(y / scale));
        if (scale == 1) {
            for (int x = 1; x + 1 < width; ++x) {
                if (in[x] >= threshold)
                    out[x] = mark;
            }
        } else {
            for (int x = 1; x + 1 < width; ++x) {
                if (in[x] >= threshold)
                    out[x / scale] = mark;
            }
        }
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

Results measure(const QImage& frame, const Request& request)
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
        results.overlay = emptyOverlay(markSize(rgb.size(), results.markScale));
    if (request.peaking)
        results.peakingMarks = markPeaking(rgb, results.overlay, results.markScale);
    if (request.clipping) {
        results.hasClipping = true;
        results.clipping = markClipping(rgb, &results.overlay, results.markScale);
    }
    if (request.profile && !request.line.isNull()) {
        results.hasProfile = true;
        results.profile = lineProfile(rgb, request.line);
    }
    return results;
}

}  // namespace measurelogic
