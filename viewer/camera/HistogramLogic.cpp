#include "HistogramLogic.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace histogramlogic {

namespace {

constexpr int kBoxWidth = 80;
constexpr int kBoxGap = 10;
constexpr int kBoxTop = 50;

}  // namespace

bool countLevels(const QImage& image, Levels& levels)
{
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return false;
    const QImage rgb = image.format() == QImage::Format_RGB888
                           ? image
                           : image.convertToFormat(QImage::Format_RGB888);
    // Two sets of counters taken in turn: neighbouring pixels of one level then do not
    // wait on each other's increment.
    static thread_local std::array<std::array<ChannelCounts, kChannels>, 2> sets;
    for (auto& set : sets)
        for (auto& channel : set)
            channel.fill(0);
    const int width = rgb.width();
    const int height = rgb.height();
    for (int y = 0; y < height; ++y) {
        const uchar* p = rgb.constScanLine(y);
        int x = 0;
        for (; x + 1 < width; x += 2, p += 6) {
            ++sets[0][0][p[0]];
            ++sets[0][1][p[1]];
            ++sets[0][2][p[2]];
            ++sets[1][0][p[3]];
            ++sets[1][1][p[4]];
            ++sets[1][2][p[5]];
        }
        if (x < width) {
            ++sets[0][0][p[0]];
            ++sets[0][1][p[1]];
            ++sets[0][2][p[2]];
        }
    }
    int maximum = 0;
    for (int c = 0; c < kChannels; ++c) {
        for (int level = 0; level < kLevels; ++level) {
            const int count = sets[0][c][level] + sets[1][c][level];
            levels.counts[c][level] = count;
            maximum = std::max(maximum, count);
        }
    }
    levels.pixels = qint64(width) * height;
    levels.maximumCount = maximum;
    return true;
}

namespace {

ChannelStatistics statisticsOf(const int* counts, int levelCount, qint64 pixels)
{
    ChannelStatistics s;
    if (pixels <= 0)
        return s;
    int lowest = -1;
    int highest = -1;
    quint64 sum = 0;
    quint64 sumOfSquares = 0;
    for (int level = 0; level < levelCount; ++level) {
        const quint64 count = quint64(std::max(counts[level], 0));
        if (count == 0)
            continue;
        if (lowest < 0)
            lowest = level;
        highest = level;
        sum += count * quint64(level);
        sumOfSquares += count * quint64(level) * quint64(level);
    }
    s.minimum = std::max(lowest, 0);
    s.maximum = std::max(highest, 0);
    s.mean = qint64(sum / quint64(pixels));
    const double mean = double(sum) / double(pixels);
    // E[x²] − mean²: exact integers up to the division, so a flat frame gives 0.
    const double variance = double(sumOfSquares) / double(pixels) - mean * mean;
    s.deviation = variance > 0 ? std::sqrt(variance) : 0.0;
    return s;
}

}  // namespace

ChannelStatistics channelStatistics(const ChannelCounts& counts, qint64 pixels)
{
    return statisticsOf(counts.data(), kLevels, pixels);
}

bool countNativeLevels(const QImage& grey16, int bits, Levels& levels,
                       ChannelStatistics& statistics)
{
    if (grey16.isNull() || grey16.format() != QImage::Format_Grayscale16 || bits < 8 ||
        bits > 16 || grey16.width() <= 0 || grey16.height() <= 0)
        return false;
    const int shift = 16 - bits;
    static thread_local std::vector<int> native;
    native.assign(size_t(1) << bits, 0);
    const int width = grey16.width();
    const int height = grey16.height();
    for (int y = 0; y < height; ++y) {
        const quint16* p = reinterpret_cast<const quint16*>(grey16.constScanLine(y));
        for (int x = 0; x < width; ++x)
            ++native[p[x] >> shift];
    }
    // A bar holds the camera levels that share their top eight bits.
    ChannelCounts bars{};
    const int perBar = 1 << (bits - 8);
    for (int level = 0; level < int(native.size()); ++level)
        bars[size_t(level / perBar)] += native[size_t(level)];
    levels.counts.fill(bars);
    levels.pixels = qint64(width) * height;
    levels.maximumCount = *std::max_element(bars.begin(), bars.end());
    statistics = statisticsOf(native.data(), int(native.size()), levels.pixels);
    return true;
}

int nativeLevel(int bar, int bits)
{
    return bar << std::clamp(bits - 8, 0, 8);
}

int barOfLevel(int level, int bits)
{
    return std::clamp(level >> std::clamp(bits - 8, 0, 8), 0, 255);
}

QString deviationText(double deviation)
{
    return QString::number(deviation, 'g', 6);
}

int yAxisLabel(int maximumCount, int k)
{
    return (maximumCount / 4) * k;
}

int barHeight(int count, int maximumCount)
{
    if (maximumCount <= 0 || count <= 0)
        return 0;
    const double scale = double(kChartHeight) / double(maximumCount);
    return int(std::floor(double(count) * scale));
}

QPoint readoutBoxOrigin(int x, int overlayWidth)
{
    if (overlayWidth - 1 < x + kBoxWidth - 1)
        return QPoint(x - kBoxWidth - kBoxGap, kBoxTop);
    return QPoint(x + kBoxGap, kBoxTop);
}

int levelAt(int x)
{
    return std::clamp(x / 2, 0, kLevels - 1);
}

}  // namespace histogramlogic
