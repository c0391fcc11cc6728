// The numbers of the measurement and focus tools on frames with known answers: ramps, step
// edges, saturated patches, sharp and blurred targets, in colour and mono, at odd sizes and
// at the image borders.
#include <QRandomGenerator>
#include <QtTest>
#include <cmath>

#include "MeasureLogic.h"

using namespace measurelogic;

namespace {

// Red rises with x, green with y, blue is constant: every pixel tells where it is.
QImage colourRamp(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x % 256, (3 * y) % 256, 77));
    return image;
}

// Grey level x as a mono camera's frame carries it: R = G = B.
QImage greyRamp(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x % 256, x % 256, x % 256));
    return image;
}

QImage filled(int width, int height, QRgb value)
{
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(value);
    return image;
}

// Left of column edge at low, from it on at high, in every channel.
QImage stepEdge(int width, int height, int edge, int low, int high)
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int v = x < edge ? low : high;
            image.setPixel(x, y, qRgb(v, v, v));
        }
    return image;
}

// A test target: squares of 8 pixels, dark and light; colour tints each channel differently.
QImage target(int width, int height, bool colour)
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool light = ((x / 8) + (y / 8)) % 2 == 0;
            const int v = light ? 200 : 40;
            image.setPixel(x, y, colour ? qRgb(v, v * 3 / 4, 255 - v) : qRgb(v, v, v));
        }
    return image;
}

// Box blur of the given radius, as a lens out of focus would soften the target.
QImage blurred(const QImage& image, int radius)
{
    QImage out(image.size(), QImage::Format_RGB888);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            int sum[3] = {0, 0, 0};
            int n = 0;
            for (int dy = -radius; dy <= radius; ++dy)
                for (int dx = -radius; dx <= radius; ++dx) {
                    const int sx = std::clamp(x + dx, 0, image.width() - 1);
                    const int sy = std::clamp(y + dy, 0, image.height() - 1);
                    const QRgb p = image.pixel(sx, sy);
                    sum[0] += qRed(p);
                    sum[1] += qGreen(p);
                    sum[2] += qBlue(p);
                    ++n;
                }
            out.setPixel(x, y, qRgb(sum[0] / n, sum[1] / n, sum[2] / n));
        }
    return out;
}

// Standard deviation of n consecutive integers.
double consecutiveDeviation(int n)
{
    return std::sqrt((double(n) * n - 1.0) / 12.0);
}

// Strong random edges, flat runs and clipped pixels both ways: every branch of the kernels.
QImage rough(int width, int height, quint32 seed)
{
    QRandomGenerator random(seed);
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const quint32 pick = random.bounded(10u);
            if (pick == 0)
                image.setPixel(x, y, qRgb(255, int(random.bounded(256u)), 40));
            else if (pick == 1)
                image.setPixel(x, y, qRgb(int(random.bounded(256u)), 0, 90));
            else if (pick < 5)
                image.setPixel(x, y, qRgb(120, 120, 120));
            else
                image.setPixel(x, y,
                               qRgb(int(random.bounded(256u)), int(random.bounded(256u)),
                                    int(random.bounded(256u))));
        }
    return image;
}

// The tools' answers worked out pixel by pixel, the plain way, to hold the row kernels to.
int referenceGrey(const QImage& frame, int x, int y)
{
    const QRgb p = frame.pixel(x, y);
    return greyLevel(qRed(p), qGreen(p), qBlue(p));
}

int referenceLaplacian(const QImage& frame, int x, int y)
{
    return referenceGrey(frame, x - 1, y) + referenceGrey(frame, x + 1, y) +
           referenceGrey(frame, x, y - 1) + referenceGrey(frame, x, y + 1) -
           4 * referenceGrey(frame, x, y);
}

double referenceLaplacianVariance(const QImage& frame, const QRect& area)
{
    const QRect inside = area.intersected(frame.rect());
    if (inside.width() < 3 || inside.height() < 3)
        return 0.0;
    qint64 sum = 0;
    qint64 squares = 0;
    for (int y = inside.top() + 1; y < inside.bottom(); ++y)
        for (int x = inside.left() + 1; x < inside.right(); ++x) {
            const qint64 l = referenceLaplacian(frame, x, y);
            sum += l;
            squares += l * l;
        }
    const double count = double(inside.width() - 2) * double(inside.height() - 2);
    const double mean = double(sum) / count;
    return std::max(0.0, double(squares) / count - mean * mean);
}

ClippingShare referenceClipping(const QImage& frame, QImage& overlay, int scale)
{
    ClippingShare share;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x) {
            const QRgb p = frame.pixel(x, y);
            const int top = std::max({qRed(p), qGreen(p), qBlue(p)});
            const int bottom = std::min({qRed(p), qGreen(p), qBlue(p)});
            if (top == 255) {
                ++share.high;
                overlay.setPixel(x / scale, y / scale, kClippedHighColour.rgb());
            } else if (bottom == 0) {
                ++share.low;
                if (overlay.pixel(x / scale, y / scale) != kClippedHighColour.rgb())
                    overlay.setPixel(x / scale, y / scale, kClippedLowColour.rgb());
            }
        }
    share.pixels = qint64(frame.width()) * frame.height();
    return share;
}

qint64 referencePeaking(const QImage& frame, QImage& overlay, int scale)
{
    std::vector<qint64> counts(4 * 255 + 1, 0);
    for (int y = 1; y + 1 < frame.height(); ++y)
        for (int x = 1; x + 1 < frame.width(); ++x)
            ++counts[std::size_t(std::abs(referenceLaplacian(frame, x, y)))];
    int strongest = int(counts.size()) - 1;
    while (strongest > 0 && counts[std::size_t(strongest)] == 0)
        --strongest;
    if (strongest < kPeakingFloor)
        return 0;
    const qint64 allowed =
        qint64(kPeakingShare * double(frame.width() - 2) * double(frame.height() - 2));
    int threshold = strongest + 1;
    qint64 above = 0;
    while (threshold > kPeakingFloor && above + counts[std::size_t(threshold - 1)] <= allowed)
        above += counts[std::size_t(--threshold)];
    if (threshold > strongest) {
        threshold = strongest;
        above = counts[std::size_t(strongest)];
    }
    for (int y = 1; y + 1 < frame.height(); ++y)
        for (int x = 1; x + 1 < frame.width(); ++x)
            if (std::abs(referenceLaplacian(frame, x, y)) >= threshold)
                overlay.setPixel(x / scale, y / scale, kPeakingColour.rgb());
    return above;
}

QImage clearOverlay(QSize frame, int scale)
{
    QImage overlay(markSize(frame, scale), QImage::Format_ARGB32_Premultiplied);
    overlay.fill(Qt::transparent);
    return overlay;
}

}  // namespace

class MeasureLogicTest : public QObject {
    Q_OBJECT
private slots:
    void pixelReadout_data();
    void pixelReadout();
    void regionFromDrag_data();
    void regionFromDrag();
    void lineFromDragEndsOnPixelCentres();
    void regionKeptAcrossASmallerFrame();
    void regionStatistics_data();
    void regionStatistics();
    void emptyRegionHasNoStatistics();
    void clippingShare_data();
    void clippingShare();
    void clippingMarksTheRightPixels();
    void marksOfAScaledDownViewCoverBlocks();
    void stepEdgeLaplacianVariance();
    void sharpnessFallsWithBlur_data();
    void sharpnessFallsWithBlur();
    void sharpnessOfTinyAndFlatAreasIsZero_data();
    void sharpnessOfTinyAndFlatAreasIsZero();
    void peakingMarksOnlyTheSharpEdge();
    void peakingMarksNothingOnSoftEdges_data();
    void peakingMarksNothingOnSoftEdges();
    void lineProfile_data();
    void lineProfile();
    void measureDoesWhatIsAsked_data();
    void measureDoesWhatIsAsked();
    void peakHoldKeepsTheHighestSinceReset();
    void kernelsAgreeWithThePlainWay_data();
    void kernelsAgreeWithThePlainWay();
    void overlaysAreReusedOnlyWhenNothingHoldsThem();
    void plotPointsKeepPeaksAndDips_data();
    void plotPointsKeepPeaksAndDips();
};

void MeasureLogicTest::pixelReadout_data()
{
    QTest::addColumn<QImage>("frame");
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<QVector<int>>("rgbGrey");
    const QImage ramp = colourRamp(37, 23);
    QTest::newRow("colour, inside") << ramp << QPointF(12.7, 5.2) << true << QPoint(12, 5)
                                    << QVector<int>{12, 15, 77, greyLevel(12, 15, 77)};
    QTest::newRow("colour, top-left pixel") << ramp << QPointF(0, 0) << true << QPoint(0, 0)
                                            << QVector<int>{0, 0, 77, greyLevel(0, 0, 77)};
    QTest::newRow("colour, bottom-right pixel")
        << ramp << QPointF(36.99, 22.99) << true << QPoint(36, 22)
        << QVector<int>{36, 66, 77, greyLevel(36, 66, 77)};
    QTest::newRow("left of the image")
        << ramp << QPointF(-0.25, 3) << false << QPoint() << QVector<int>{0, 0, 0, 0};
    QTest::newRow("right of the image")
        << ramp << QPointF(37.0, 3) << false << QPoint() << QVector<int>{0, 0, 0, 0};
    QTest::newRow("below the image")
        << ramp << QPointF(3, 23.0) << false << QPoint() << QVector<int>{0, 0, 0, 0};
    QTest::newRow("mono, grey equals the value") << greyRamp(41, 9) << QPointF(40.5, 8.5) << true
                                                 << QPoint(40, 8) << QVector<int>{40, 40, 40, 40};
    QTest::newRow("mono, white") << filled(5, 5, qRgb(255, 255, 255)) << QPointF(2, 2) << true
                                 << QPoint(2, 2) << QVector<int>{255, 255, 255, 255};
    QTest::newRow("32-bit frame") << colourRamp(9, 9).convertToFormat(QImage::Format_RGB32)
                                  << QPointF(4, 2) << true << QPoint(4, 2)
                                  << QVector<int>{4, 6, 77, greyLevel(4, 6, 77)};
    QTest::newRow("no frame") << QImage() << QPointF(0, 0) << false << QPoint()
                              << QVector<int>{0, 0, 0, 0};
}

void MeasureLogicTest::pixelReadout()
{
    QFETCH(QImage, frame);
    QFETCH(QPointF, point);
    QFETCH(bool, valid);
    QFETCH(QPoint, pixel);
    QFETCH(QVector<int>, rgbGrey);
    const PixelReading r = readPixel(frame, point);
    QCOMPARE(r.valid, valid);
    if (!valid)
        return;
    QCOMPARE(r.position, pixel);
    QCOMPARE((QVector<int>{r.red, r.green, r.blue, r.grey}), rgbGrey);
}

void MeasureLogicTest::regionFromDrag_data()
{
    QTest::addColumn<QPointF>("from");
    QTest::addColumn<QPointF>("to");
    QTest::addColumn<QRect>("region");
    QTest::newRow("down and right") << QPointF(2.5, 3.5) << QPointF(10.2, 7.9) << QRect(2, 3, 9, 5);
    QTest::newRow("up and left, same pixels")
        << QPointF(10.2, 7.9) << QPointF(2.5, 3.5) << QRect(2, 3, 9, 5);
    QTest::newRow("one pixel") << QPointF(4.1, 4.9) << QPointF(4.8, 4.2) << QRect(4, 4, 1, 1);
    QTest::newRow("past the right and bottom edges")
        << QPointF(30, 20) << QPointF(60, 90) << QRect(30, 20, 7, 3);
    QTest::newRow("past the left and top edges")
        << QPointF(-5, -3) << QPointF(0.5, 1.5) << QRect(0, 0, 1, 2);
    QTest::newRow("whole image and more")
        << QPointF(-1, -1) << QPointF(40, 40) << QRect(0, 0, 37, 23);
    QTest::newRow("beside the image") << QPointF(40, 1) << QPointF(50, 5) << QRect();
}

void MeasureLogicTest::regionFromDrag()
{
    QFETCH(QPointF, from);
    QFETCH(QPointF, to);
    QFETCH(QRect, region);
    const QRect got = measurelogic::regionFromDrag(from, to, QSize(37, 23));
    if (region.isNull())
        QVERIFY(got.isEmpty());
    else
        QCOMPARE(got, region);
}

void MeasureLogicTest::lineFromDragEndsOnPixelCentres()
{
    QCOMPARE(lineFromDrag(QPointF(1.2, 2.9), QPointF(8.7, 2.1), QSize(10, 5)),
             QLineF(1.5, 2.5, 8.5, 2.5));
    QCOMPARE(lineFromDrag(QPointF(-4, -4), QPointF(30, 30), QSize(10, 5)),
             QLineF(0.5, 0.5, 9.5, 4.5));
    QVERIFY(lineFromDrag(QPointF(1, 1), QPointF(2, 2), QSize()).isNull());
}

void MeasureLogicTest::regionKeptAcrossASmallerFrame()
{
    QCOMPARE(keepRegion(QRect(300, 200, 100, 100), QSize(322, 240)), QRect(300, 200, 22, 40));
    QVERIFY(keepRegion(QRect(400, 300, 10, 10), QSize(322, 240)).isEmpty());
}

void MeasureLogicTest::regionStatistics_data()
{
    QTest::addColumn<QImage>("frame");
    QTest::addColumn<QRect>("region");
    QTest::addColumn<qint64>("pixels");
    // Per channel: mean, deviation, minimum, maximum.
    QTest::addColumn<QVector<double>>("red");
    QTest::addColumn<QVector<double>>("green");
    QTest::addColumn<QVector<double>>("blue");

    const QImage ramp = colourRamp(101, 33);
    // Columns 10 .. 19 (red 10 .. 19), rows 2 .. 6 (green 6 .. 18 in steps of 3).
    const double greenDeviation = 3 * consecutiveDeviation(5);
    QTest::newRow("colour ramp") << ramp << QRect(10, 2, 10, 5) << qint64(50)
                                 << QVector<double>{14.5, consecutiveDeviation(10), 10, 19}
                                 << QVector<double>{12, greenDeviation, 6, 18}
                                 << QVector<double>{77, 0, 77, 77};
    QTest::newRow("colour ramp, region past the right and bottom edges")
        << ramp << QRect(95, 30, 50, 50) << qint64(6 * 3)
        << QVector<double>{97.5, consecutiveDeviation(6), 95, 100}
        << QVector<double>{93, 3 * consecutiveDeviation(3), 90, 96}
        << QVector<double>{77, 0, 77, 77};
    QTest::newRow("colour ramp, one pixel at the bottom-right corner")
        << ramp << QRect(100, 32, 1, 1) << qint64(1) << QVector<double>{100, 0, 100, 100}
        << QVector<double>{96, 0, 96, 96} << QVector<double>{77, 0, 77, 77};
    const QVector<double> greyAll{127.5, consecutiveDeviation(256), 0, 255};
    QTest::newRow("mono ramp, whole odd-width frame")
        << greyRamp(256, 7) << QRect(0, 0, 256, 7) << qint64(256 * 7) << greyAll << greyAll
        << greyAll;
    const QVector<double> saturated{255, 0, 255, 255};
    QTest::newRow("saturated patch") << filled(13, 11, qRgb(255, 255, 255)) << QRect(3, 3, 5, 5)
                                     << qint64(25) << saturated << saturated << saturated;
    // Half the pixels 0, half 200: mean 100, deviation 100.
    const QVector<double> halves{100, 100, 0, 200};
    QTest::newRow("step edge, region across it") << stepEdge(21, 9, 10, 0, 200) << QRect(6, 0, 8, 9)
                                                 << qint64(72) << halves << halves << halves;
}

void MeasureLogicTest::regionStatistics()
{
    QFETCH(QImage, frame);
    QFETCH(QRect, region);
    QFETCH(qint64, pixels);
    QFETCH(QVector<double>, red);
    QFETCH(QVector<double>, green);
    QFETCH(QVector<double>, blue);
    const RegionStatistics s = measurelogic::regionStatistics(frame, region);
    QCOMPARE(s.pixels, pixels);
    const QVector<double>* expected[] = {&red, &green, &blue};
    for (int c = 0; c < kChannels; ++c) {
        const ChannelStatistics& got = s.channels[c];
        const QVector<double>& want = *expected[c];
        QVERIFY2(std::abs(got.mean - want[0]) < 1e-9, qPrintable(QString::number(c)));
        QVERIFY2(std::abs(got.deviation - want[1]) < 1e-6,
                 qPrintable(QString::number(got.deviation)));
        QCOMPARE(got.minimum, int(want[2]));
        QCOMPARE(got.maximum, int(want[3]));
    }
}

void MeasureLogicTest::emptyRegionHasNoStatistics()
{
    const RegionStatistics s =
        measurelogic::regionStatistics(colourRamp(9, 9), QRect(20, 20, 5, 5));
    QCOMPARE(s.pixels, qint64(0));
    QCOMPARE(s.channels[0].mean, 0.0);
    QCOMPARE(measurelogic::regionStatistics(QImage(), QRect(0, 0, 5, 5)).pixels, qint64(0));
}

void MeasureLogicTest::clippingShare_data()
{
    QTest::addColumn<QImage>("frame");
    QTest::addColumn<qint64>("high");
    QTest::addColumn<qint64>("low");

    QImage patches = filled(31, 17, qRgb(120, 120, 120));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) {
            patches.setPixel(x, y, qRgb(255, 255, 255));      // 20 at the top level
            patches.setPixel(30 - x, 16 - y, qRgb(0, 0, 0));  // 20 at zero, far corner
        }
    QTest::newRow("mono, saturated and black patches in the corners")
        << patches << qint64(20) << qint64(20);
    QImage colour = filled(7, 3, qRgb(10, 20, 30));
    colour.setPixel(0, 0, qRgb(255, 10, 10));  // one channel at the top is clipped
    colour.setPixel(1, 0, qRgb(255, 0, 10));   // top and zero: counted as clipped high
    colour.setPixel(2, 0, qRgb(50, 0, 10));    // one channel at zero
    colour.setPixel(3, 0, qRgb(254, 254, 1));  // one level short of either: not clipped
    QTest::newRow("colour, one channel is enough") << colour << qint64(2) << qint64(1);
    QTest::newRow("all white") << filled(3, 5, qRgb(255, 255, 255)) << qint64(15) << qint64(0);
    QTest::newRow("one pixel, red and green at zero") << colourRamp(1, 1) << qint64(0) << qint64(1);
}

void MeasureLogicTest::clippingShare()
{
    QFETCH(QImage, frame);
    QFETCH(qint64, high);
    QFETCH(qint64, low);
    const ClippingShare share = markClipping(frame, nullptr);
    QCOMPARE(share.high, high);
    QCOMPARE(share.low, low);
    QCOMPARE(share.pixels, qint64(frame.width()) * frame.height());
    QCOMPARE(share.highShare(), double(high) / share.pixels);
}

void MeasureLogicTest::clippingMarksTheRightPixels()
{
    QImage frame = filled(9, 5, qRgb(100, 100, 100));
    frame.setPixel(8, 4, qRgb(255, 255, 255));
    frame.setPixel(0, 0, qRgb(0, 0, 0));
    Request request;
    request.clipping = true;
    const Results r = measure(frame, request);
    QVERIFY(r.hasClipping);
    QCOMPARE(r.overlay.size(), frame.size());
    QCOMPARE(QColor(r.overlay.pixel(8, 4)), kClippedHighColour);
    QCOMPARE(QColor(r.overlay.pixel(0, 0)), kClippedLowColour);
    QCOMPARE(qAlpha(r.overlay.pixel(4, 2)), 0);
}

void MeasureLogicTest::marksOfAScaledDownViewCoverBlocks()
{
    QCOMPARE(markSize(QSize(9, 5), 4), QSize(3, 2));
    QCOMPARE(markSize(QSize(1920, 1080), 3), QSize(640, 360));
    QCOMPARE(markSize(QSize(9, 5), 0), QSize(9, 5));

    // Blocks of 4 × 4: the last column and row of blocks are cut short by the frame's edge.
    QImage frame = filled(9, 5, qRgb(100, 100, 100));
    frame.setPixel(8, 4, qRgb(255, 255, 255));  // alone in the bottom-right block
    frame.setPixel(0, 0, qRgb(0, 0, 0));        // alone in the top-left block
    frame.setPixel(4, 0, qRgb(0, 0, 0));        // high and low in one block: high shows
    frame.setPixel(7, 3, qRgb(255, 0, 0));
    Request request;
    request.clipping = true;
    request.markScale = 4;
    const Results r = measure(frame, request);
    QCOMPARE(r.markScale, 4);
    QCOMPARE(r.overlay.size(), QSize(3, 2));
    QCOMPARE(QColor(r.overlay.pixel(2, 1)), kClippedHighColour);
    QCOMPARE(QColor(r.overlay.pixel(0, 0)), kClippedLowColour);
    QCOMPARE(QColor(r.overlay.pixel(1, 0)), kClippedHighColour);
    QCOMPARE(qAlpha(r.overlay.pixel(0, 1)), 0);
    QCOMPARE(r.clipping.high, qint64(2));  // counts stay per pixel
    QCOMPARE(r.clipping.low, qint64(2));

    // The two marked columns of a step edge, 19 and 20, fall in block column 6 of 3.
    const QImage edge = stepEdge(41, 15, 20, 0, 200);
    QImage marks(markSize(edge.size(), 3), QImage::Format_ARGB32_Premultiplied);
    marks.fill(Qt::transparent);
    QCOMPARE(markPeaking(edge, marks, 3), qint64(2 * 13));
    for (int x = 0; x < marks.width(); ++x)
        QCOMPARE(qAlpha(marks.pixel(x, 2)) != 0, x == 6);
}

void MeasureLogicTest::stepEdgeLaplacianVariance()
{
    // Interior of a 10 × 5 frame: 8 × 3 Laplacians, +100 left of the edge and −100 on it in
    // each of the three rows, 0 elsewhere: variance 6 × 100² / 24.
    QCOMPARE(laplacianVariance(stepEdge(10, 5, 5, 0, 100), QRect(0, 0, 10, 5)), 2500.0);
    // An area that ends at the image's right border counts the same pixels of the edge.
    QCOMPARE(laplacianVariance(stepEdge(10, 5, 5, 0, 100), QRect(3, 0, 50, 5)), 6 * 1e4 / 15);
}

void MeasureLogicTest::sharpnessFallsWithBlur_data()
{
    QTest::addColumn<QImage>("sharp");
    QTest::addColumn<QRect>("area");
    QTest::addColumn<bool>("colour");
    QTest::newRow("mono, whole odd frame") << target(97, 61, false) << QRect(0, 0, 97, 61) << false;
    QTest::newRow("colour, whole odd frame") << target(97, 61, true) << QRect(0, 0, 97, 61) << true;
    QTest::newRow("mono, region at the bottom-right border")
        << target(97, 61, false) << QRect(70, 40, 100, 100) << false;
    QTest::newRow("colour, region at the top-left border")
        << target(97, 61, true) << QRect(-10, -10, 40, 30) << true;
}

void MeasureLogicTest::sharpnessFallsWithBlur()
{
    QFETCH(QImage, sharp);
    QFETCH(QRect, area);
    const double s0 = laplacianVariance(sharp, area);
    const double s1 = laplacianVariance(blurred(sharp, 1), area);
    const double s2 = laplacianVariance(blurred(sharp, 2), area);
    const double s4 = laplacianVariance(blurred(sharp, 4), area);
    QVERIFY2(s0 > s1 && s1 > s2 && s2 > s4 && s4 > 0,
             qPrintable(QStringLiteral("%1 %2 %3 %4").arg(s0).arg(s1).arg(s2).arg(s4)));
}

void MeasureLogicTest::sharpnessOfTinyAndFlatAreasIsZero_data()
{
    QTest::addColumn<QImage>("frame");
    QTest::addColumn<QRect>("area");
    QTest::newRow("flat frame") << filled(30, 20, qRgb(90, 90, 90)) << QRect(0, 0, 30, 20);
    QTest::newRow("area two pixels wide") << target(30, 20, true) << QRect(5, 5, 2, 10);
    QTest::newRow("area beside the frame") << target(30, 20, true) << QRect(40, 0, 10, 10);
    QTest::newRow("frame of 2 x 2") << target(2, 2, false) << QRect(0, 0, 2, 2);
}

void MeasureLogicTest::sharpnessOfTinyAndFlatAreasIsZero()
{
    QFETCH(QImage, frame);
    QFETCH(QRect, area);
    QCOMPARE(laplacianVariance(frame, area), 0.0);
}

void MeasureLogicTest::peakingMarksOnlyTheSharpEdge()
{
    // A 0 → 200 edge at column 20 among low noise-free flat areas: the marks lie on the two
    // columns whose Laplacian is ±200, and on no pixel of the image border.
    const QImage frame = stepEdge(41, 15, 20, 0, 200);
    QImage overlay(frame.size(), QImage::Format_ARGB32_Premultiplied);
    overlay.fill(Qt::transparent);
    const qint64 marks = markPeaking(frame, overlay);
    QCOMPARE(marks, qint64(2 * 13));
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x) {
            const bool marked = qAlpha(overlay.pixel(x, y)) != 0;
            const bool expected = (x == 19 || x == 20) && y > 0 && y < frame.height() - 1;
            QVERIFY2(marked == expected, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        }
    QCOMPARE(QColor(overlay.pixel(19, 7)), kPeakingColour);
}

void MeasureLogicTest::peakingMarksNothingOnSoftEdges_data()
{
    QTest::addColumn<QImage>("frame");
    QTest::newRow("blurred target") << blurred(target(64, 48, false), 4);
    QTest::newRow("weak edge") << stepEdge(30, 10, 15, 100, 120);
    QTest::newRow("flat") << filled(30, 10, qRgb(255, 255, 255));
}

void MeasureLogicTest::peakingMarksNothingOnSoftEdges()
{
    QFETCH(QImage, frame);
    QImage overlay(frame.size(), QImage::Format_ARGB32_Premultiplied);
    overlay.fill(Qt::transparent);
    QCOMPARE(markPeaking(frame, overlay), qint64(0));
    // The sharp target does get marks, on a small part of its pixels.
    const QImage sharp = target(64, 48, false);
    QImage sharpOverlay(sharp.size(), QImage::Format_ARGB32_Premultiplied);
    sharpOverlay.fill(Qt::transparent);
    const qint64 marks = markPeaking(sharp, sharpOverlay);
    QVERIFY(marks > 0);
    QVERIFY2(marks <= 62 * 46 / 10, qPrintable(QString::number(marks)));
}

void MeasureLogicTest::lineProfile_data()
{
    QTest::addColumn<QImage>("frame");
    QTest::addColumn<QLineF>("line");
    QTest::addColumn<QVector<int>>("red");
    QTest::addColumn<QVector<int>>("green");

    const QImage ramp = colourRamp(37, 23);
    QTest::newRow("along a row of the ramp")
        << ramp << QLineF(3.5, 4.5, 9.5, 4.5) << QVector<int>{3, 4, 5, 6, 7, 8, 9}
        << QVector<int>(7, 12);
    QTest::newRow("backwards along a column")
        << ramp << QLineF(2.5, 6.5, 2.5, 3.5) << QVector<int>(4, 2) << QVector<int>{18, 15, 12, 9};
    QTest::newRow("diagonal") << ramp << QLineF(0.5, 0.5, 3.5, 3.5) << QVector<int>{0, 1, 2, 3}
                              << QVector<int>{0, 3, 6, 9};
    QTest::newRow("to the bottom-right corner") << ramp << QLineF(34.5, 22.5, 36.5, 22.5)
                                                << QVector<int>{34, 35, 36} << QVector<int>(3, 66);
    QTest::newRow("running off the image keeps the samples on it")
        << ramp << QLineF(35.5, 1.5, 39.5, 1.5) << QVector<int>{35, 36} << QVector<int>(2, 3);
    QTest::newRow("across a step edge")
        << stepEdge(10, 3, 5, 10, 250) << QLineF(2.5, 1.5, 7.5, 1.5)
        << QVector<int>{10, 10, 10, 250, 250, 250} << QVector<int>{10, 10, 10, 250, 250, 250};
    QTest::newRow("one pixel") << ramp << QLineF(5.5, 5.5, 5.5, 5.5) << QVector<int>{5}
                               << QVector<int>{15};
}

void MeasureLogicTest::lineProfile()
{
    QFETCH(QImage, frame);
    QFETCH(QLineF, line);
    QFETCH(QVector<int>, red);
    QFETCH(QVector<int>, green);
    const Profile p = measurelogic::lineProfile(frame, line);
    QCOMPARE(p.values[0], red);
    QCOMPARE(p.values[1], green);
    QCOMPARE(p.values[2].size(), red.size());
}

void MeasureLogicTest::measureDoesWhatIsAsked_data()
{
    QTest::addColumn<bool>("statistics");
    QTest::addColumn<bool>("sharpness");
    QTest::addColumn<bool>("clipping");
    QTest::addColumn<bool>("peaking");
    QTest::addColumn<bool>("profile");
    QTest::newRow("nothing") << false << false << false << false << false;
    QTest::newRow("statistics") << true << false << false << false << false;
    QTest::newRow("sharpness") << false << true << false << false << false;
    QTest::newRow("clipping") << false << false << true << false << false;
    QTest::newRow("peaking") << false << false << false << true << false;
    QTest::newRow("profile") << false << false << false << false << true;
    QTest::newRow("everything") << true << true << true << true << true;
}

void MeasureLogicTest::measureDoesWhatIsAsked()
{
    QFETCH(bool, statistics);
    QFETCH(bool, sharpness);
    QFETCH(bool, clipping);
    QFETCH(bool, peaking);
    QFETCH(bool, profile);
    Request request;
    request.tag = 42;
    request.statistics = statistics;
    request.region = QRect(2, 2, 10, 10);
    request.sharpness = sharpness;
    request.clipping = clipping;
    request.peaking = peaking;
    request.profile = profile;
    request.line = QLineF(0.5, 0.5, 20.5, 0.5);
    QCOMPARE(request.any(), statistics || sharpness || clipping || peaking || profile);
    const QImage frame = target(33, 21, true);
    const Results r = measure(frame, request);
    QCOMPARE(r.tag, quint64(42));
    QCOMPARE(r.frameSize, frame.size());
    QCOMPARE(r.hasStatistics, statistics);
    QCOMPARE(r.hasSharpness, sharpness);
    QCOMPARE(r.hasClipping, clipping);
    QCOMPARE(r.hasProfile, profile);
    QCOMPARE(r.overlay.isNull(), !clipping && !peaking);
    if (sharpness) {
        // Without an area the whole frame is scored.
        QCOMPARE(r.sharpnessArea, frame.rect());
        QCOMPARE(r.sharpness, laplacianVariance(frame, frame.rect()));
    }
    if (statistics)
        QCOMPARE(r.statistics.pixels, qint64(100));
    if (profile)
        QCOMPARE(r.profile.samples(), 21);
}

void MeasureLogicTest::peakHoldKeepsTheHighestSinceReset()
{
    PeakHold hold;
    QVERIFY(!hold.hasPeak());
    for (double v : {3.0, 9.0, 4.0})
        hold.add(v);
    QCOMPARE(hold.peak(), 9.0);
    hold.reset();
    hold.add(2.0);
    QCOMPARE(hold.peak(), 2.0);
}

void MeasureLogicTest::kernelsAgreeWithThePlainWay_data()
{
    QTest::addColumn<QImage>("frame");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QRect>("area");
    // Widths around the eight pixels the peaking search takes at once, and rows padded to
    // four bytes; areas at the borders and past them.
    QTest::newRow("smallest") << rough(3, 3, 1) << 1 << QRect(0, 0, 3, 3);
    QTest::newRow("9 x 4") << rough(9, 4, 2) << 1 << QRect(0, 0, 9, 4);
    QTest::newRow("10 x 5, blocks of 3") << rough(10, 5, 3) << 3 << QRect(1, 1, 9, 4);
    QTest::newRow("17 x 9, blocks of 2") << rough(17, 9, 4) << 2 << QRect(5, 0, 40, 9);
    QTest::newRow("33 x 7") << rough(33, 7, 5) << 1 << QRect(-4, -4, 20, 30);
    QTest::newRow("67 x 13, blocks of 4") << rough(67, 13, 6) << 4 << QRect(60, 2, 7, 11);
    QTest::newRow("130 x 6, wider than a chunk") << rough(130, 6, 7) << 1 << QRect(0, 0, 130, 6);
    QTest::newRow("1100 x 4, sums past a chunk") << rough(1100, 4, 8) << 5 << QRect(0, 0, 1100, 4);
    QTest::newRow("sharp target, 61 x 45") << target(61, 45, true) << 1 << QRect(3, 3, 50, 30);
    QTest::newRow("blurred target")
        << blurred(target(61, 45, false), 2) << 2 << QRect(0, 0, 61, 45);
    QTest::newRow("32-bit frame") << rough(21, 11, 9).convertToFormat(QImage::Format_RGB32) << 1
                                  << QRect(0, 0, 21, 11);
    QTest::newRow("2 x 2, too small for a Laplacian") << rough(2, 2, 10) << 1 << QRect(0, 0, 2, 2);
}

void MeasureLogicTest::kernelsAgreeWithThePlainWay()
{
    QFETCH(QImage, frame);
    QFETCH(int, scale);
    QFETCH(QRect, area);
    QCOMPARE(laplacianVariance(frame, area), referenceLaplacianVariance(frame, area));

    QImage expected = clearOverlay(frame.size(), scale);
    QImage marks = clearOverlay(frame.size(), scale);
    const ClippingShare expectedShare = referenceClipping(frame, expected, scale);
    const ClippingShare share = markClipping(frame, &marks, scale);
    QCOMPARE(share.high, expectedShare.high);
    QCOMPARE(share.low, expectedShare.low);
    QCOMPARE(share.pixels, expectedShare.pixels);
    QCOMPARE(marks, expected);

    // Peaking marks first, then clipping over them, as one pass of the tools does.
    expected = clearOverlay(frame.size(), scale);
    marks = clearOverlay(frame.size(), scale);
    QCOMPARE(markPeaking(frame, marks, scale), referencePeaking(frame, expected, scale));
    QCOMPARE(marks, expected);
    markClipping(frame, &marks, scale);
    referenceClipping(frame, expected, scale);
    QCOMPARE(marks, expected);
}

void MeasureLogicTest::overlaysAreReusedOnlyWhenNothingHoldsThem()
{
    const QImage frame = rough(40, 30, 11);
    Request request;
    request.clipping = true;
    request.peaking = true;
    OverlayPool pool;
    Results first = measure(frame, request, &pool);
    const uchar* firstPixels = first.overlay.constBits();
    // Still held: the next pass marks into other memory and leaves the held marks alone.
    const QImage held = first.overlay.copy();
    const Results second = measure(filled(40, 30, qRgb(100, 100, 100)), request, &pool);
    QVERIFY(second.overlay.constBits() != firstPixels);
    QCOMPARE(first.overlay, held);
    QCOMPARE(qAlpha(second.overlay.pixel(0, 0)), 0);
    // Let go: its memory comes back, cleared and marked afresh, equal to a fresh pass.
    first = Results();
    const Results third = measure(frame, request, &pool);
    QCOMPARE(third.overlay.constBits(), firstPixels);
    QCOMPARE(third.overlay, measure(frame, request).overlay);
    // Another size of marks gets an overlay of its own.
    request.markScale = 3;
    QCOMPARE(measure(frame, request, &pool).overlay.size(), markSize(frame.size(), 3));
}

void MeasureLogicTest::plotPointsKeepPeaksAndDips_data()
{
    QTest::addColumn<QVector<int>>("values");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("points");  // expected count; -1 for at most two a column
    QVector<int> ramp;
    for (int i = 0; i < 2001; ++i)
        ramp.append(i % 200);
    QVector<int> spiky = ramp;
    spiky[777] = 255;
    spiky[1333] = 0;
    spiky[1334] = 254;
    QTest::newRow("fewer than two a column") << QVector<int>{5, 9, 2, 7} << 2 << 4;
    QTest::newRow("flat, one a column") << QVector<int>(1000, 128) << 50 << 50;
    QTest::newRow("ramp") << ramp << 100 << -1;
    QTest::newRow("spike and dip side by side") << spiky << 100 << -1;
    QTest::newRow("one column") << spiky << 1 << 2;
    QTest::newRow("no columns") << QVector<int>{1, 2, 3} << 0 << 0;
    QTest::newRow("nothing") << QVector<int>() << 10 << 0;
}

void MeasureLogicTest::plotPointsKeepPeaksAndDips()
{
    QFETCH(QVector<int>, values);
    QFETCH(int, columns);
    QFETCH(int, points);
    const QVector<QPoint> plotted = plotPoints(values, columns);
    if (points >= 0)
        QCOMPARE(plotted.size(), points);
    else
        QVERIFY(plotted.size() <= 2 * columns);
    for (int i = 0; i < plotted.size(); ++i) {
        QCOMPARE(plotted[i].y(), values[plotted[i].x()]);
        if (i > 0)
            QVERIFY(plotted[i].x() > plotted[i - 1].x());
    }
    // Every column's extremes are there, so the whole profile's are too.
    if (!plotted.isEmpty() && columns > 0) {
        const auto byValue = [](QPoint a, QPoint b) { return a.y() < b.y(); };
        QCOMPARE(std::min_element(plotted.begin(), plotted.end(), byValue)->y(),
                 *std::min_element(values.begin(), values.end()));
        QCOMPARE(std::max_element(plotted.begin(), plotted.end(), byValue)->y(),
                 *std::max_element(values.begin(), values.end()));
    }
}

QTEST_GUILESS_MAIN(MeasureLogicTest)
#include "tst_measurelogic.moc"
