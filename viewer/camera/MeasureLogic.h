#pragma once
// The numbers behind the measurement and focus tools of a camera window, computed without
// widgets on the 24-bit RGB frames the window shows: the pixel under the cursor, region
// statistics, the clipped share, sharpness (variance of the Laplacian), the focus-peaking
// marks and the profile along a line. Frames of other formats are converted first.
#include <QColor>
#include <QImage>
#include <QLineF>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QVector>
#include <array>
#include <cstdint>
#include <vector>

namespace measurelogic {

constexpr int kChannels = 3;  // 0 red, 1 green, 2 blue
constexpr int kTopLevel = 255;
// Colours of the overlay: clipped at the top level, at zero, and focus-peaking marks.
inline const QColor kClippedHighColour{255, 0, 0};
inline const QColor kClippedLowColour{0, 80, 255};
inline const QColor kPeakingColour{0, 255, 0};
// Below this Laplacian magnitude an edge is noise, however few stronger edges a frame has.
constexpr int kPeakingFloor = 40;
// Focus peaking marks this share of a frame's pixels at most: its strongest edges.
constexpr double kPeakingShare = 0.03;

// ---- Image coordinates
// The pixel that holds a scene (image) point: (floor x, floor y).
QPoint pixelAt(QPointF scenePoint);
// The pixels a drag from one scene point to another covers, both end pixels included,
// cut to the image; empty when the drag misses the image.
QRect regionFromDrag(QPointF from, QPointF to, QSize image);
// A line dragged between two scene points, its ends moved onto the centres of their
// pixels and into the image.
QLineF lineFromDrag(QPointF from, QPointF to, QSize image);
// A region kept across a frame of another size: the part that is still on the image.
QRect keepRegion(const QRect& region, QSize image);

// ---- Pixel read-out
struct PixelReading {
    bool valid = false;  // the point lies on the image
    QPoint position;
    int red = 0;
    int green = 0;
    int blue = 0;
    int grey = 0;  // what a mono camera's pixel holds; the luma of a colour one
    int raw = 0;   // the camera's own value, when rawBits > 0
    int rawBits = 0;
};
PixelReading readPixel(const QImage& frame, QPointF scenePoint);
// Adds the camera's own value of the reading's pixel from a 16-bit grey frame of that
// camera (value << (16 - bits)); leaves the reading as it was when the frame does not
// fit (another size or format, bits outside 9..16) or the reading is not valid.
void addRawValue(PixelReading& reading, const QImage& grey16, int bits);
// The frame's grey level of an RGB pixel: integer luma, equal to the value for R = G = B.
inline int greyLevel(int red, int green, int blue)
{
    return (red * 77 + green * 150 + blue * 29) >> 8;
}

// ---- Region statistics
struct ChannelStatistics {
    double mean = 0;
    double deviation = 0;  // population standard deviation
    int minimum = 0;
    int maximum = 0;
};
struct RegionStatistics {
    std::array<ChannelStatistics, kChannels> channels{};
    qint64 pixels = 0;
};
// Statistics of the frame's pixels inside region (cut to the frame); all 0 when empty.
RegionStatistics regionStatistics(const QImage& frame, const QRect& region);

// ---- Focus
// Variance of the 4-neighbour Laplacian of the grey levels over the pixels of area whose
// four neighbours lie in area too (cut to the frame). Sharper focus gives a larger value;
// 0 for areas under 3 × 3.
double laplacianVariance(const QImage& frame, const QRect& area);

// ---- Clipping
struct ClippingShare {
    qint64 high = 0;    // pixels with a channel at the top level
    qint64 low = 0;     // pixels with a channel at zero (and none at the top)
    qint64 pixels = 0;  // pixels looked at
    double highShare() const { return pixels ? double(high) / double(pixels) : 0.0; }
    double lowShare() const { return pixels ? double(low) / double(pixels) : 0.0; }
};

// ---- Line profile
struct Profile {
    // Values at unit steps from the line's start to its end, nearest pixel each.
    std::array<QVector<int>, kChannels> values;
    int samples() const { return values[0].size(); }
};
Profile lineProfile(const QImage& frame, const QLineF& line);
// What a plot columns wide draws of values, as (sample index, value): all of them when
// there are at most two a column, else each column's lowest and highest in the order they
// come, so that the curve keeps every peak and dip with far fewer points to stroke.
QVector<QPoint> plotPoints(const QVector<int>& values, int columns);

// ---- One pass for a frame
// What the tools that are on want of a frame.
struct Request {
    bool statistics = false;
    QRect region;  // for the statistics
    bool sharpness = false;
    QRect sharpnessArea;
    bool clipping = false;
    bool peaking = false;
    bool profile = false;
    QLineF line;
    // Frame pixels per mark pixel each way: a view that scales the frame down would skip
    // single marks, so each mark covers a block of the frame that the view shows.
    int markScale = 1;
    quint64 tag = 0;  // handed back in the results, to tell which request they answer
    bool any() const { return statistics || sharpness || clipping || peaking || profile; }
};
struct Results {
    quint64 tag = 0;
    QSize frameSize;
    bool hasStatistics = false;
    QRect region;
    RegionStatistics statistics;
    bool hasSharpness = false;
    QRect sharpnessArea;
    double sharpness = 0;
    bool hasClipping = false;
    ClippingShare clipping;
    bool hasProfile = false;
    Profile profile;
    // Clipping and peaking marks, one pixel per markScale × markScale block of the frame,
    // transparent elsewhere; null when neither is on.
    QImage overlay;
    int markScale = 1;
    qint64 peakingMarks = 0;
};
// Overlays of earlier passes, filled again for a later one once no result holds them any
// more: a large frame's marks then cost no fresh memory each time.
class OverlayPool {
public:
    // A transparent ARGB32 premultiplied image of size, the pool's no more until kept;
    // null for an empty size.
    QImage take(QSize size);
    // An overlay that results hand out; the pool reuses it once they are gone.
    void keep(const QImage& overlay);

private:
    static constexpr int kKept = 3;  // the one being shown, one queued, one spare
    std::array<QImage, kKept> kept;
    int next = 0;
};
// Overlays come from pool when one is given.
Results measure(const QImage& frame, const Request& request, OverlayPool* pool = nullptr);

// The size of the marks of a frame: one pixel per scale × scale block, blocks at the right
// and bottom edges cut short.
QSize markSize(QSize frame, int scale);
// Marks clipped pixels of the whole frame in overlay (ARGB32 premultiplied, markSize;
// null for counting only) and counts them. A block with a pixel clipped high shows that.
ClippingShare markClipping(const QImage& frame, QImage* overlay, int scale = 1);
// Marks the frame's sharpest edges in overlay (ARGB32 premultiplied, markSize): pixels
// whose Laplacian magnitude reaches the floor and belongs to the strongest share (or, when
// the strongest level alone is more, that level). Returns the pixels marked.
qint64 markPeaking(const QImage& frame, QImage& overlay, int scale = 1);

// The highest sharpness since the last reset.
class PeakHold {
public:
    void add(double value)
    {
        if (!held || value > highest)
            highest = value;
        held = true;
    }
    void reset() { held = false; }
    bool hasPeak() const { return held; }
    double peak() const { return held ? highest : 0.0; }

private:
    bool held = false;
    double highest = 0;
};

}  // namespace measurelogic
