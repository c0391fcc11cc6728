#pragma once
// Level counts and per-channel statistics of RGB frames, and the numbers the histogram
// chart is drawn from, computed without widgets.
#include <QImage>
#include <QPoint>
#include <QString>
#include <array>

namespace histogramlogic {

constexpr int kLevels = 256;
constexpr int kChannels = 3;  // 0 red, 1 green, 2 blue
constexpr int kChartHeight = 200;

using ChannelCounts = std::array<int, kLevels>;

struct Levels {
    std::array<ChannelCounts, kChannels> counts{};
    qint64 pixels = 0;
    int maximumCount = 0;  // largest counter over the three channels
};

// Counts the red, green and blue levels of a 24-bit RGB frame, row by row with the
// image's own row length. Other formats are converted first. An empty image gives
// false and leaves levels untouched.
bool countLevels(const QImage& image, Levels& levels);

struct ChannelStatistics {
    int minimum = 0;       // lowest level present
    int maximum = 0;       // highest level present
    qint64 mean = 0;       // mean level, truncated
    double deviation = 0;  // population standard deviation of the levels
};

// Statistics of one channel over pixels values; all 0 when pixels is 0.
ChannelStatistics channelStatistics(const ChannelCounts& counts, qint64 pixels);

// Counts a 16-bit grey frame that holds a deeper camera's own values, each moved up to
// fill 16 bits (value << (16 - bits)): the chart's 256 bars hold 2^(bits - 8) camera levels
// each, the same in all three channels (the frame is grey); statistics are in the
// camera's levels (0 .. 2^bits - 1). False, leaving both untouched, for an empty image,
// another format or bits outside 8..16.
bool countNativeLevels(const QImage& grey16, int bits, Levels& levels,
                       ChannelStatistics& statistics);
// The first camera level of a bar.
int nativeLevel(int bar, int bits);
// The bar that holds a camera level (levels outside the bars give the nearest one).
int barOfLevel(int level, int bits);

// The deviation as the table shows it: six significant digits.
QString deviationText(double deviation);

// Text of the k-th y axis label (k = 1..4) for the largest count.
int yAxisLabel(int maximumCount, int k);
// Height of a bar in chart units: count scaled so that the largest count reaches 200.
int barHeight(int count, int maximumCount);

// Top-left corner of the hover read-out box for a cursor at x in an overlay of the
// given width: right of the line, or left of it near the right edge.
QPoint readoutBoxOrigin(int x, int overlayWidth);
// Level under overlay position x (two units per level).
int levelAt(int x);

}  // namespace histogramlogic
