// Tests of the imaging library: scenes, the image pipeline, the automatic exposure and
// white balance controllers and the picture writer.
#include "FilePlacement.h"
#include "Imaging.h"
#include "PipelineKernels.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cmath>
#include <csignal>
#include <numeric>
#include <random>

using namespace vexo::imaging;

Q_DECLARE_METATYPE(RawLayout)

namespace {

SensorSettings sensorOf(int w, int h, RawLayout layout = RawLayout::BayerRG8)
{
    SensorSettings s;
    s.sensorWidth = s.regionWidth = s.outputWidth = w;
    s.sensorHeight = s.regionHeight = s.outputHeight = h;
    s.layout = layout;
    return s;
}

RawFrame patternFrame(int w, int h, RawLayout layout, std::function<uint8_t(int, int, int)> f)
{
    RawFrame raw;
    makePatternScene(std::move(f))->render(sensorOf(w, h, layout), 0.0, 0, raw);
    return raw;
}

RawFrame uniformFrame(int w, int h, uint8_t r, uint8_t g, uint8_t b,
                      RawLayout layout = RawLayout::BayerRG8)
{
    return patternFrame(w, h, layout,
                        [=](int, int, int c) { return c == 0 ? r : (c == 1 ? g : b); });
}

// Noise: every sample differs from its neighbours, so any lane or row mix-up shows.
RawFrame noiseFrame(int w, int h)
{
    std::mt19937 gen(w * 31 + h);
    RawFrame raw;
    raw.width = w;
    raw.height = h;
    raw.pixels.resize(size_t(w) * h);
    for (auto& v : raw.pixels)
        v = uint8_t(gen());
    return raw;
}

std::vector<uint8_t> processed(const PipelineSettings& settings, const RawFrame& raw)
{
    ImagePipeline pipeline;
    pipeline.configure(settings);
    std::vector<uint8_t> out(static_cast<size_t>(raw.width) * raw.height *
                             bytesPerPixel(settings.outputFormat));
    const int rc = pipeline.process(raw, out.data(), out.size());
    if (rc != 0)
        qWarning("process returned %d", rc);
    return out;
}

struct Rgb {
    int r, g, b;
};

Rgb rgbAt(const std::vector<uint8_t>& img, int w, int x, int y)
{
    const uint8_t* p = img.data() + (static_cast<size_t>(y) * w + x) * 3;
    return {p[0], p[1], p[2]};
}

// Mean of each raw row, for flicker bands and lighting.
std::vector<double> rowMeans(const RawFrame& raw)
{
    std::vector<double> means(static_cast<size_t>(raw.height));
    for (int y = 0; y < raw.height; ++y) {
        const uint8_t* row = raw.pixels.data() + static_cast<size_t>(y) * raw.width;
        means[static_cast<size_t>(y)] = std::accumulate(row, row + raw.width, 0.0) / raw.width;
    }
    return means;
}

double regionMean(const RawFrame& raw, int x0, int y0, int x1, int y1)
{
    double sum = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            sum += raw.pixels[static_cast<size_t>(y) * raw.width + x];
    return sum / (static_cast<double>(x1 - x0) * (y1 - y0));
}

// Sum of differences between same-colour neighbours: falls as the image gets blurrier.
double detailEnergy(const RawFrame& raw)
{
    double sum = 0;
    for (int y = 0; y < raw.height; ++y)
        for (int x = 0; x + 2 < raw.width; ++x) {
            const size_t i = static_cast<size_t>(y) * raw.width + x;
            sum += std::abs(raw.pixels[i] - raw.pixels[i + 2]);
        }
    return sum;
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
}

}  // namespace

class ImagingTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { kernels::usePortableKernels(false); }

    // ---- scenes ----
    void patternSamplesThroughMosaic_data();
    void patternSamplesThroughMosaic();
    void demoBrightnessFollowsExposure_data();
    void demoBrightnessFollowsExposure();
    void demoFlickerBands_data();
    void demoFlickerBands();
    void demoFocusBlurGrowsAwayFromBest();
    void demoChannelMaskLightsSides_data();
    void demoChannelMaskLightsSides();
    void demoMovesAndIsRepeatable();
    void demoDefectPixelsAndOddGeometry_data();
    void demoDefectPixelsAndOddGeometry();

    // ---- pipeline ----
    void demosaicOfUniformColour_data();
    void demosaicOfUniformColour();
    void outputFormatsOrderBytes_data();
    void outputFormatsOrderBytes();
    void toneCurves_data();
    void toneCurves();
    void colourControls_data();
    void colourControls();
    void mirrorsMoveMarker_data();
    void mirrorsMoveMarker();
    void sharpnessRaisesEdgeContrast();
    void sharpeningEqualsAPassOverTheFinishedImage_data();
    void sharpeningEqualsAPassOverTheFinishedImage();
    void crosshairs_data();
    void crosshairs();
    void defectCorrection_data();
    void defectCorrection();
    void oddSizesStayInBounds_data();
    void oddSizesStayInBounds();
    void fastKernelsMatchPortable_data();
    void fastKernelsMatchPortable();
    void rejectsBadInput_data();
    void rejectsBadInput();

    // ---- controllers ----
    void statisticsOfKnownFrame();
    void autoExposureConverges_data();
    void autoExposureConverges();
    void whiteBalanceNeutralisesTint_data();
    void whiteBalanceNeutralisesTint();

    // ---- picture files ----
    void imageFilesRoundTrip_data();
    void imageFilesRoundTrip();
    void imageFileFailuresLeaveNothing_data();
    void imageFileFailuresLeaveNothing();
    void imageFileNeverReplacesExisting_data();
    void imageFileNeverReplacesExisting();
    void placementNeverReplaces_data();
    void placementNeverReplaces();
    void greyLevels_data();
    void greyLevels();

    // ------------------------------------------------------------- deep frames
    void deepFramesGoThroughAsTheirTopBits_data();
    void deepFramesGoThroughAsTheirTopBits();
    void fastPathsMatchPortableAtEveryShape_data();
    void fastPathsMatchPortableAtEveryShape();
    void demoSceneRendersDeepSamples_data();
    void demoSceneRendersDeepSamples();
};

// ---------------------------------------------------------------------------- scenes

void ImagingTest::patternSamplesThroughMosaic_data()
{
    QTest::addColumn<RawLayout>("layout");
    QTest::addColumn<int>("offsetX");
    QTest::addColumn<int>("offsetY");
    QTest::addColumn<int>("binning");
    QTest::newRow("bayer full sensor") << RawLayout::BayerRG8 << 0 << 0 << 1;
    QTest::newRow("bayer region of interest") << RawLayout::BayerRG8 << 6 << 4 << 1;
    QTest::newRow("bayer binned by two") << RawLayout::BayerRG8 << 0 << 0 << 2;
    QTest::newRow("mono region of interest") << RawLayout::Mono8 << 3 << 5 << 1;
}

void ImagingTest::patternSamplesThroughMosaic()
{
    QFETCH(RawLayout, layout);
    QFETCH(int, offsetX);
    QFETCH(int, offsetY);
    QFETCH(int, binning);
    auto value = [](int x, int y, int c) {
        return static_cast<uint8_t>((x * 7 + y * 13 + c * 50) & 0xFF);
    };
    SensorSettings s = sensorOf(64, 48, layout);
    s.offsetX = offsetX;
    s.offsetY = offsetY;
    s.regionWidth = 32;
    s.regionHeight = 24;
    s.outputWidth = 32 / binning;
    s.outputHeight = 24 / binning;
    RawFrame raw;
    makePatternScene(value)->render(s, 1.5, 42, raw);
    QCOMPARE(raw.width, s.outputWidth);
    QCOMPARE(raw.height, s.outputHeight);
    QCOMPARE(raw.frameNumber, uint64_t(42));
    QCOMPARE(raw.timestampUs, int64_t(1500000));
    for (int y = 0; y < raw.height; ++y) {
        for (int x = 0; x < raw.width; ++x) {
            // Output pixels sample the centre of their binned area on the sensor.
            const int sx = offsetX + x * binning + binning / 2,
                      sy = offsetY + y * binning + binning / 2;
            int expected;
            if (layout == RawLayout::BayerRG8) {
                const int c = (y & 1) == 0 ? ((x & 1) == 0 ? 0 : 1) : ((x & 1) == 0 ? 1 : 2);
                expected = value(sx, sy, c);
            } else {
                expected = (77 * value(sx, sy, 0) + 150 * value(sx, sy, 1) + 29 * value(sx, sy, 2) +
                            128) >>
                           8;
            }
            QCOMPARE(int(raw.pixels[static_cast<size_t>(y) * raw.width + x]), expected);
        }
    }
}

void ImagingTest::demoBrightnessFollowsExposure_data()
{
    QTest::addColumn<double>("exposureUs");
    QTest::addColumn<int>("gainMilli");
    QTest::addColumn<double>("expectedRatio");  // against 5 ms at gain 1.0
    QTest::newRow("exposure doubled") << 10000.0 << 1000 << 2.0;
    QTest::newRow("gain doubled") << 5000.0 << 2000 << 2.0;
    QTest::newRow("exposure halved") << 2500.0 << 1000 << 0.5;
    QTest::newRow("exposure and gain halved") << 5000.0 / 1.5 << 750 << 0.5;
}

void ImagingTest::demoBrightnessFollowsExposure()
{
    QFETCH(double, exposureUs);
    QFETCH(int, gainMilli);
    QFETCH(double, expectedRatio);
    auto scene = makeDemoScene(3);
    SensorSettings s = sensorOf(320, 240);
    s.antiFlicker = true;
    s.exposureUs = 5000;
    RawFrame raw;
    scene->render(s, 1.0, 1, raw);
    const double reference = ImagePipeline::statistics(raw).meanLuma;
    s.exposureUs = exposureUs;
    s.analogGainMilli = gainMilli;
    scene->render(s, 1.0, 1, raw);
    const double mean = ImagePipeline::statistics(raw).meanLuma;
    QVERIFY2(std::abs(mean / reference - expectedRatio) < 0.12 * expectedRatio,
             qPrintable(QString("mean %1 reference %2").arg(mean).arg(reference)));

    // A realistic scene luminance: 10 ms at gain 1.0 is a mid-grey picture.
    s.exposureUs = 10000;
    s.analogGainMilli = 1000;
    scene->render(s, 1.0, 1, raw);
    const double midGrey = ImagePipeline::statistics(raw).meanLuma;
    QVERIFY2(midGrey > 90 && midGrey < 160, qPrintable(QString::number(midGrey)));
}

void ImagingTest::demoFlickerBands_data()
{
    QTest::addColumn<bool>("antiFlicker");
    QTest::addColumn<double>("exposureUs");
    QTest::addColumn<int>("lightHz");
    QTest::addColumn<bool>("bands");
    QTest::newRow("off, 3 ms under 50 Hz light") << false << 3000.0 << 50 << true;
    QTest::newRow("off, 10 ms under 60 Hz light") << false << 10000.0 << 60 << true;
    QTest::newRow("off, 10 ms matches 50 Hz light") << false << 10000.0 << 50 << false;
    QTest::newRow("off, 25 ms matches 60 Hz light") << false << 25000.0 << 60 << false;
    QTest::newRow("on, 3 ms under 50 Hz light") << true << 3000.0 << 50 << false;
}

void ImagingTest::demoFlickerBands()
{
    QFETCH(bool, antiFlicker);
    QFETCH(double, exposureUs);
    QFETCH(int, lightHz);
    QFETCH(bool, bands);
    SensorSettings s = sensorOf(160, 480);
    s.exposureUs = exposureUs;
    s.lightFrequencyHz = lightHz;
    s.noiseSigma = 0;
    RawFrame steady, lit;
    auto scene = makeDemoScene(5);
    s.antiFlicker = true;
    scene->render(s, 2.0, 7, steady);
    s.antiFlicker = antiFlicker;
    scene->render(s, 2.0, 7, lit);
    // Row by row brightness against the same frame without flicker.
    const auto a = rowMeans(lit), b = rowMeans(steady);
    double lo = 10, hi = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        if (b[i] < 20)
            continue;
        lo = std::min(lo, a[i] / b[i]);
        hi = std::max(hi, a[i] / b[i]);
    }
    const double swing = hi - lo;
    if (bands)
        QVERIFY2(swing > 0.12, qPrintable(QString::number(swing)));
    else
        QVERIFY2(swing < 0.03, qPrintable(QString::number(swing)));
}

void ImagingTest::demoFocusBlurGrowsAwayFromBest()
{
    auto scene = makeDemoScene(2);
    SensorSettings s = sensorOf(640, 480);
    s.antiFlicker = true;
    s.noiseSigma = 0;
    s.focusRange = 1000;
    s.focusBest = 400;
    RawFrame raw;
    std::vector<double> energy;
    for (int position : {400, 550, 700, 900}) {
        s.focusPosition = position;
        scene->render(s, 0.5, 1, raw);
        energy.push_back(detailEnergy(raw));
    }
    for (size_t i = 1; i < energy.size(); ++i)
        QVERIFY2(
            energy[i] < energy[i - 1] * 0.95,
            qPrintable(QString("step %1: %2 after %3").arg(i).arg(energy[i]).arg(energy[i - 1])));
    // As far below best focus blurs as much as above (700 and 100 are 300 away from 400).
    s.focusPosition = 100;
    scene->render(s, 0.5, 1, raw);
    QCOMPARE(detailEnergy(raw), energy[2]);
    // A lens without focus drive is always sharp.
    s.focusRange = 0;
    scene->render(s, 0.5, 1, raw);
    QCOMPARE(detailEnergy(raw), energy[0]);
}

void ImagingTest::demoChannelMaskLightsSides_data()
{
    QTest::addColumn<int>("channelCount");
    QTest::addColumn<uint>("mask");
    QTest::addColumn<int>("brighterSide");  // -1 left, 0 balanced, 1 right, 2 top, 9 dark
    QTest::newRow("channel 0 of 4 lights the left") << 4 << 0x1u << -1;
    QTest::newRow("channel 2 of 4 lights the right") << 4 << 0x4u << 1;
    QTest::newRow("channel 1 of 4 lights the top") << 4 << 0x2u << 2;
    QTest::newRow("all four balanced") << 4 << 0xFu << 0;
    QTest::newRow("no channel lit is dark") << 4 << 0x0u << 9;
    QTest::newRow("single channel camera, lit") << 1 << 0x1u << 0;
}

void ImagingTest::demoChannelMaskLightsSides()
{
    QFETCH(int, channelCount);
    QFETCH(uint, mask);
    QFETCH(int, brighterSide);
    auto scene = makeDemoScene(4);
    SensorSettings s = sensorOf(320, 240);
    s.antiFlicker = true;
    s.noiseSigma = 0;
    s.channelCount = channelCount;
    s.channelMask = mask;
    RawFrame raw;
    scene->render(s, 0.0, 1, raw);
    // Compare backdrop strips at the edges (the chart in the middle is not symmetric).
    const double left = regionMean(raw, 0, 60, 10, 200), right = regionMean(raw, 310, 60, 320, 200);
    const double top = regionMean(raw, 120, 0, 220, 8),
                 bottom = regionMean(raw, 120, 232, 220, 240);
    const double all = ImagePipeline::statistics(raw).meanLuma;
    switch (brighterSide) {
        case -1:
            QVERIFY2(left > 1.6 * right, qPrintable(QString("%1 %2").arg(left).arg(right)));
            break;
        case 1:
            QVERIFY2(right > 1.6 * left, qPrintable(QString("%1 %2").arg(left).arg(right)));
            break;
        case 2:
            QVERIFY2(top > 1.3 * bottom, qPrintable(QString("%1 %2").arg(top).arg(bottom)));
            break;
        case 0:
            QVERIFY2(std::abs(left - right) < 0.15 * (left + right),
                     qPrintable(QString("%1 %2").arg(left).arg(right)));
            break;
        default:
            QVERIFY2(all < 10, qPrintable(QString::number(all)));
            break;
    }
}

void ImagingTest::demoMovesAndIsRepeatable()
{
    auto scene = makeDemoScene(9);
    SensorSettings s = sensorOf(640, 360);
    s.antiFlicker = true;
    RawFrame a, b, c;
    scene->render(s, 1.0, 60, a);
    scene->render(s, 1.0, 60, b);
    QVERIFY(a.pixels == b.pixels);  // same instant and frame number: same picture
    s.noiseSigma = 0;
    scene->render(s, 1.0, 60, a);
    scene->render(s, 2.0, 61, c);
    // Without noise, what changes is the ball and the counter: a compact part of the frame.
    size_t changed = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        changed += std::abs(a.pixels[i] - c.pixels[i]) > 8;
    QVERIFY2(changed > 2000 && changed < a.pixels.size() / 5, qPrintable(QString::number(changed)));
    // The counter box in the top left corner changes with the frame number.
    QVERIFY(regionMean(a, 0, 0, 120, 20) != regionMean(c, 0, 0, 120, 20));
}

void ImagingTest::demoDefectPixelsAndOddGeometry_data()
{
    QTest::addColumn<int>("sensorW");
    QTest::addColumn<int>("sensorH");
    QTest::addColumn<int>("offsetX");
    QTest::addColumn<int>("regionW");
    QTest::addColumn<int>("outputW");
    QTest::addColumn<int>("expectedW");
    QTest::newRow("full sensor") << 200 << 100 << 0 << 200 << 200 << 200;
    QTest::newRow("region of interest") << 200 << 100 << 40 << 100 << 100 << 100;
    QTest::newRow("one pixel") << 1 << 1 << 0 << 1 << 1 << 1;
    QTest::newRow("odd sizes") << 33 << 17 << 1 << 31 << 31 << 31;
    QTest::newRow("region beyond sensor is cut") << 200 << 100 << 150 << 100 << 0 << 50;
    QTest::newRow("nothing given") << 0 << 0 << -5 << 0 << 0 << 1;
}

void ImagingTest::demoDefectPixelsAndOddGeometry()
{
    QFETCH(int, sensorW);
    QFETCH(int, sensorH);
    QFETCH(int, offsetX);
    QFETCH(int, regionW);
    QFETCH(int, outputW);
    QFETCH(int, expectedW);
    SensorSettings s;
    s.sensorWidth = sensorW;
    s.sensorHeight = sensorH;
    s.offsetX = offsetX;
    s.regionWidth = regionW;
    s.regionHeight = sensorH;
    s.outputWidth = outputW;
    s.outputHeight = sensorH;
    s.exposureUs = 100;  // dark, so a hot pixel stands out
    s.defects = {{std::max(0, offsetX) + 3, 2, 255}, {100000, 5, 255}, {-1, -1, 255}};
    RawFrame raw;
    makeDemoScene(1)->render(s, 0.0, 0, raw);
    QCOMPARE(raw.width, expectedW);
    QVERIFY(raw.height >= 1);
    QCOMPARE(raw.pixels.size(), size_t(raw.width) * raw.height);
    if (raw.width > 3 && raw.height > 2)
        QCOMPARE(int(raw.pixels[2 * size_t(raw.width) + 3]), 255);
}

// ---------------------------------------------------------------------------- pipeline

void ImagingTest::demosaicOfUniformColour_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<int>("r");
    QTest::addColumn<int>("g");
    QTest::addColumn<int>("b");
    QTest::newRow("mid grey") << 64 << 16 << 128 << 128 << 128;
    QTest::newRow("pure red") << 70 << 9 << 255 << 0 << 0;
    QTest::newRow("pure green") << 33 << 7 << 0 << 255 << 0;
    QTest::newRow("pure blue") << 97 << 5 << 0 << 0 << 255;
    QTest::newRow("orange on odd size") << 37 << 11 << 230 << 120 << 30;
    QTest::newRow("black") << 40 << 4 << 0 << 0 << 0;
    QTest::newRow("white, one pixel wide") << 1 << 9 << 255 << 255 << 255;
}

void ImagingTest::demosaicOfUniformColour()
{
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(int, r);
    QFETCH(int, g);
    QFETCH(int, b);
    const auto out =
        processed(PipelineSettings{}, uniformFrame(w, h, uint8_t(r), uint8_t(g), uint8_t(b)));
    if (w == 1) {
        // A one-column Bayer frame has no blue samples; red and green must still be right.
        QCOMPARE(rgbAt(out, w, 0, 0).r, r);
        return;
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Rgb p = rgbAt(out, w, x, y);
            if (p.r != r || p.g != g || p.b != b)
                QFAIL(qPrintable(
                    QString("pixel %1,%2 is %3,%4,%5").arg(x).arg(y).arg(p.r).arg(p.g).arg(p.b)));
        }
}

void ImagingTest::outputFormatsOrderBytes_data()
{
    QTest::addColumn<uint>("format");
    QTest::addColumn<QByteArray>("expected");  // bytes of one pixel of colour 200, 100, 50
    QTest::newRow("RGB8") << uint(kPixelRGB8) << QByteArray("\xC8\x64\x32", 3);
    QTest::newRow("BGR8") << uint(kPixelBGR8) << QByteArray("\x32\x64\xC8", 3);
    QTest::newRow("BGRA8") << uint(kPixelBGRA8) << QByteArray("\x32\x64\xC8\xFF", 4);
    QTest::newRow("Mono8") << uint(kPixelMono8)
                           << QByteArray(1, char((77 * 200 + 150 * 100 + 29 * 50 + 128) >> 8));
    QTest::newRow("BayerRG8 passthrough, red site")
        << uint(kPixelBayerRG8) << QByteArray("\xC8", 1);
}

void ImagingTest::outputFormatsOrderBytes()
{
    QFETCH(uint, format);
    QFETCH(QByteArray, expected);
    const int w = 45, h = 6;  // 45 * 3 is not a multiple of four
    PipelineSettings s;
    s.outputFormat = format;
    QCOMPARE(bytesPerPixel(format), size_t(expected.size()));
    const RawFrame raw = uniformFrame(w, h, 200, 100, 50);
    const auto out = processed(s, raw);
    QCOMPARE(out.size(), size_t(w) * h * expected.size());
    if (format == kPixelBayerRG8) {
        QVERIFY(out == raw.pixels);
        return;
    }
    for (size_t i = 0; i < out.size(); i += expected.size())
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(out.data() + i), expected.size()),
                 expected);
}

void ImagingTest::toneCurves_data()
{
    QTest::addColumn<int>("lutMode");
    QTest::addColumn<int>("gamma");
    QTest::addColumn<int>("lutContrast");
    QTest::addColumn<int>("preset");
    QTest::addColumn<int>("contrast");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("direction");  // sign of output - level
    QTest::newRow("defaults keep the level") << 0 << 100 << 100 << 0 << 100 << 77 << 0;
    QTest::newRow("gamma above one brightens mid grey") << 0 << 180 << 100 << 0 << 100 << 128 << 1;
    QTest::newRow("gamma below one darkens mid grey") << 0 << 50 << 100 << 0 << 100 << 128 << -1;
    QTest::newRow("lut contrast up darkens dark grey") << 0 << 100 << 180 << 0 << 100 << 64 << -1;
    QTest::newRow("lut contrast up brightens light grey")
        << 0 << 100 << 180 << 0 << 100 << 190 << 1;
    QTest::newRow("contrast up darkens dark grey") << 0 << 100 << 100 << 0 << 170 << 64 << -1;
    QTest::newRow("contrast down brightens dark grey") << 0 << 100 << 100 << 0 << 40 << 64 << 1;
    QTest::newRow("preset straight line keeps the level") << 1 << 300 << 100 << 0 << 100 << 90 << 0;
    QTest::newRow("preset curve 1 darkens shadows") << 1 << 100 << 100 << 1 << 100 << 60 << -1;
    QTest::newRow("preset curve 2 lifts mid grey") << 1 << 100 << 100 << 2 << 100 << 100 << 1;
    QTest::newRow("unknown preset is a straight line") << 1 << 100 << 100 << 7 << 100 << 100 << 0;
    QTest::newRow("gamma ignored in preset mode") << 1 << 250 << 100 << 0 << 100 << 128 << 0;
}

void ImagingTest::toneCurves()
{
    QFETCH(int, lutMode);
    QFETCH(int, gamma);
    QFETCH(int, lutContrast);
    QFETCH(int, preset);
    QFETCH(int, contrast);
    QFETCH(int, level);
    QFETCH(int, direction);
    PipelineSettings s;
    s.lutMode = lutMode;
    s.gamma = gamma;
    s.lutContrast = lutContrast;
    s.presetLut = preset;
    s.contrast = contrast;
    const auto out =
        processed(s, uniformFrame(16, 8, uint8_t(level), uint8_t(level), uint8_t(level)));
    const Rgb p = rgbAt(out, 16, 5, 3);
    QCOMPARE(p.g, p.r);
    QCOMPARE(p.b, p.r);
    const int delta = p.r - level;
    if (direction == 0)
        QCOMPARE(delta, 0);
    else
        QVERIFY2(delta * direction >= 8,
                 qPrintable(QString("output %1 for %2").arg(p.r).arg(level)));
}

void ImagingTest::colourControls_data()
{
    QTest::addColumn<double>("wbRed");
    QTest::addColumn<double>("wbBlue");
    QTest::addColumn<int>("saturation");
    QTest::addColumn<bool>("monochrome");
    QTest::addColumn<QString>("expect");
    QTest::newRow("red gain raises red") << 1.5 << 1.0 << 100 << false << "red up";
    QTest::newRow("blue gain below one lowers blue") << 1.0 << 0.5 << 100 << false << "blue down";
    QTest::newRow("saturation 0 gives grey") << 1.0 << 1.0 << 0 << false << "grey";
    QTest::newRow("saturation 200 spreads channels") << 1.0 << 1.0 << 200 << false << "spread";
    QTest::newRow("monochrome gives R=G=B") << 1.0 << 1.0 << 100 << true << "grey";
    QTest::newRow("monochrome wins over saturation") << 1.0 << 1.0 << 200 << true << "grey";
}

void ImagingTest::colourControls()
{
    QFETCH(double, wbRed);
    QFETCH(double, wbBlue);
    QFETCH(int, saturation);
    QFETCH(bool, monochrome);
    QFETCH(QString, expect);
    const RawFrame raw = uniformFrame(24, 10, 160, 110, 70);
    const Rgb before = rgbAt(processed(PipelineSettings{}, raw), 24, 7, 4);
    PipelineSettings s;
    s.wbRed = wbRed;
    s.wbBlue = wbBlue;
    s.saturation = saturation;
    s.monochrome = monochrome;
    const Rgb p = rgbAt(processed(s, raw), 24, 7, 4);
    if (expect == "red up") {
        QVERIFY(p.r >= before.r + 40);
        QCOMPARE(p.g, before.g);
    } else if (expect == "blue down") {
        QVERIFY(p.b <= before.b - 30);
        QCOMPARE(p.r, before.r);
    } else if (expect == "grey") {
        QCOMPARE(p.r, p.g);
        QCOMPARE(p.b, p.g);
        QVERIFY(std::abs(p.g - 119) <= 2);  // the luma of the colour
    } else {
        QVERIFY(p.r - p.b > before.r - before.b + 40);
    }
}

void ImagingTest::mirrorsMoveMarker_data()
{
    QTest::addColumn<bool>("horizontal");
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<uint>("format");
    QTest::addColumn<int>("expectedX");
    QTest::addColumn<int>("expectedY");
    // A 4x4 white block at columns 10..13, rows 4..7 of a 75x21 black frame.
    QTest::newRow("none") << false << false << uint(kPixelRGB8) << 10 << 4;
    QTest::newRow("horizontal") << true << false << uint(kPixelRGB8) << 75 - 14 << 4;
    QTest::newRow("vertical") << false << true << uint(kPixelRGB8) << 10 << 21 - 8;
    QTest::newRow("both") << true << true << uint(kPixelRGB8) << 75 - 14 << 21 - 8;
    QTest::newRow("horizontal, BGRA8") << true << false << uint(kPixelBGRA8) << 75 - 14 << 4;
    QTest::newRow("horizontal, Mono8") << true << false << uint(kPixelMono8) << 75 - 14 << 4;
}

void ImagingTest::mirrorsMoveMarker()
{
    QFETCH(bool, horizontal);
    QFETCH(bool, vertical);
    QFETCH(uint, format);
    QFETCH(int, expectedX);
    QFETCH(int, expectedY);
    const int w = 75, h = 21;
    const RawFrame raw = patternFrame(w, h, RawLayout::BayerRG8, [](int x, int y, int) {
        return uint8_t(x >= 10 && x < 14 && y >= 4 && y < 8 ? 255 : 0);
    });
    PipelineSettings s;
    s.mirrorHorizontal = horizontal;
    s.mirrorVertical = vertical;
    s.outputFormat = format;
    const auto out = processed(s, raw);
    const size_t bpp = bytesPerPixel(format);
    // Fully white pixels form the block's inner 2x2 (its rim is interpolated with black).
    QVector<QPoint> white;
    const size_t colourBytes = std::min<size_t>(bpp, 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = out.data() + (size_t(y) * w + x) * bpp;
            if (std::all_of(p, p + colourBytes, [](uint8_t v) { return v == 255; }))
                white.push_back(QPoint(x, y));
        }
    QCOMPARE(white.size(), 4);
    QCOMPARE(white.front(), QPoint(expectedX + 1, expectedY + 1));
    QCOMPARE(white.back(), QPoint(expectedX + 2, expectedY + 2));
}

void ImagingTest::sharpnessRaisesEdgeContrast()
{
    const int w = 40, h = 8;
    const RawFrame raw = patternFrame(w, h, RawLayout::BayerRG8,
                                      [](int x, int, int) { return uint8_t(x < 20 ? 60 : 180); });
    auto edgeContrast = [&](const std::vector<uint8_t>& img) {
        int lo = 255, hi = 0;
        for (int x = 14; x < 26; ++x) {
            lo = std::min(lo, rgbAt(img, w, x, 4).g);
            hi = std::max(hi, rgbAt(img, w, x, 4).g);
        }
        return hi - lo;
    };
    const auto soft = processed(PipelineSettings{}, raw);
    int previous = edgeContrast(soft);
    QCOMPARE(previous, 120);
    PipelineSettings s;
    for (int sharpness : {30, 100}) {
        s.sharpness = sharpness;
        const auto sharp = processed(s, raw);
        // Flat areas are untouched; around the edge the sharpened image over- and undershoots.
        QCOMPARE(rgbAt(sharp, w, 5, 4).g, rgbAt(soft, w, 5, 4).g);
        QCOMPARE(rgbAt(sharp, w, 34, 4).g, rgbAt(soft, w, 34, 4).g);
        const int contrast = edgeContrast(sharp);
        QVERIFY2(contrast > previous + 10,
                 qPrintable(QString("%1 after %2").arg(contrast).arg(previous)));
        previous = contrast;
    }
}

// The pipeline sharpens each row as soon as its neighbours are packed. The result must be
// the unsharp mask of the finished image, with rows and pixels beyond the edges repeating
// the edge ones, whatever the size, format and mirroring.
void ImagingTest::sharpeningEqualsAPassOverTheFinishedImage_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<uint>("format");
    QTest::addColumn<bool>("mirrorH");
    QTest::addColumn<bool>("mirrorV");
    QTest::addColumn<int>("sharpness");
    QTest::newRow("one pixel") << 1 << 1 << uint(kPixelRGB8) << false << false << 100;
    QTest::newRow("one row") << 9 << 1 << uint(kPixelRGB8) << false << false << 100;
    QTest::newRow("one column") << 1 << 7 << uint(kPixelBGR8) << false << false << 60;
    QTest::newRow("two rows mirrored") << 7 << 2 << uint(kPixelRGB8) << true << true << 100;
    QTest::newRow("odd RGB8") << 161 << 33 << uint(kPixelRGB8) << false << false << 30;
    QTest::newRow("odd RGB8 upside down") << 161 << 33 << uint(kPixelRGB8) << false << true << 30;
    QTest::newRow("BGRA8 both mirrors") << 67 << 12 << uint(kPixelBGRA8) << true << true << 100;
    QTest::newRow("mono upside down") << 99 << 17 << uint(kPixelMono8) << false << true << 80;
    QTest::newRow("weakest") << 40 << 6 << uint(kPixelRGB8) << false << false << 3;
    QTest::newRow("whole blocks BGR8 both mirrors") << 128 << 5 << uint(kPixelBGR8) << true << true << 100;
    QTest::newRow("blocks and a tail RGB8") << 257 << 4 << uint(kPixelRGB8) << true << false << 50;
    QTest::newRow("mono blocks and a tail") << 193 << 6 << uint(kPixelMono8) << true << false << 100;
    // Colour rows of whole blocks are sharpened two at a time, in wide rows too: whole
    // pairs and a row or two left at the bottom.
    QTest::newRow("1344 wide BGR8") << 1344 << 3 << uint(kPixelBGR8) << true << true << 30;
    QTest::newRow("wide RGB8 both mirrors") << 1409 << 5 << uint(kPixelRGB8) << true << true << 30;
    QTest::newRow("wide BGRA8 whole blocks") << 1472 << 4 << uint(kPixelBGRA8) << true << false << 100;
    QTest::newRow("wide one row") << 1350 << 1 << uint(kPixelRGB8) << false << false << 100;
    QTest::newRow("wide pairs and one row BGR8") << 1600 << 9 << uint(kPixelBGR8) << true << true << 60;
    QTest::newRow("wide pairs and two rows BGRA8") << 1390 << 8 << uint(kPixelBGRA8) << false << true << 100;
    QTest::newRow("wide three rows") << 1366 << 3 << uint(kPixelRGB8) << true << false << 30;
}

void ImagingTest::sharpeningEqualsAPassOverTheFinishedImage()
{
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(uint, format);
    QFETCH(bool, mirrorH);
    QFETCH(bool, mirrorV);
    QFETCH(int, sharpness);
    const RawFrame raw = noiseFrame(w, h);
    PipelineSettings s;
    s.outputFormat = format;
    s.mirrorHorizontal = mirrorH;
    s.mirrorVertical = mirrorV;
    s.saturation = 140;
    const std::vector<uint8_t> soft = processed(s, raw);
    s.sharpness = sharpness;
    const std::vector<uint8_t> sharp = processed(s, raw);

    const size_t bpp = bytesPerPixel(format), rowBytes = size_t(w) * bpp;
    auto padded = [&](int y) {
        const uint8_t* row = soft.data() + size_t(std::clamp(y, 0, h - 1)) * rowBytes;
        std::vector<uint8_t> p(rowBytes + 2 * bpp);
        std::copy(row, row + bpp, p.begin());
        std::copy(row, row + rowBytes, p.begin() + bpp);
        std::copy(row + rowBytes - bpp, row + rowBytes, p.end() - bpp);
        return p;
    };
    std::vector<uint8_t> expected(soft.size());
    for (int y = 0; y < h; ++y) {
        const auto up = padded(y - 1), cur = padded(y), down = padded(y + 1);
        kernels::sharpenRow(up.data() + bpp, cur.data() + bpp, down.data() + bpp, int(rowBytes), int(bpp),
                            sharpness * 48 / 100, expected.data() + size_t(y) * rowBytes);
    }
    QVERIFY(sharp == expected);
    if (sharpness > 30 && w * h > 1)
        QVERIFY(sharp != soft);   // noise must come out visibly sharper
}

void ImagingTest::crosshairs_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<uint>("format");
    QTest::addColumn<int>("horizontalPixels");  // pixels of row y with the colour
    QTest::addColumn<int>("verticalPixels");    // pixels of column x with the colour
    QTest::newRow("centre") << 30 << 10 << true << uint(kPixelRGB8) << 61 << 21;
    QTest::newRow("corner") << 0 << 0 << true << uint(kPixelRGB8) << 61 << 21;
    QTest::newRow("beyond the right edge: row only")
        << 70 << 5 << true << uint(kPixelRGB8) << 61 << 0;
    QTest::newRow("below the bottom: column only")
        << 12 << 40 << true << uint(kPixelRGB8) << 0 << 21;
    QTest::newRow("disabled") << 30 << 10 << false << uint(kPixelRGB8) << 0 << 0;
    QTest::newRow("BGR8 colour order") << 30 << 10 << true << uint(kPixelBGR8) << 61 << 21;
    QTest::newRow("BGRA8 colour order") << 30 << 10 << true << uint(kPixelBGRA8) << 61 << 21;
}

void ImagingTest::crosshairs()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(bool, enabled);
    QFETCH(uint, format);
    QFETCH(int, horizontalPixels);
    QFETCH(int, verticalPixels);
    const int w = 61, h = 21;
    PipelineSettings s;
    s.outputFormat = format;
    s.crosshairs[4] = {enabled, x, y, 10, 200, 90};
    s.crosshairs[5] = {false, 3, 3, 255, 255, 255};  // disabled ones draw nothing
    const auto out = processed(s, uniformFrame(w, h, 50, 50, 50));
    const size_t bpp = bytesPerPixel(format);
    auto isColour = [&](int px, int py) {
        const uint8_t* p = out.data() + (size_t(py) * w + px) * bpp;
        return format == kPixelRGB8
                   ? (p[0] == 10 && p[1] == 200 && p[2] == 90)
                   : (p[0] == 90 && p[1] == 200 && p[2] == 10 && (bpp == 3 || p[3] == 255));
    };
    int rowCount = 0, columnCount = 0, total = 0;
    for (int py = 0; py < h; ++py)
        for (int px = 0; px < w; ++px) {
            const bool c = isColour(px, py);
            total += c;
            rowCount += c && py == y;
            columnCount += c && px == x;
        }
    QCOMPARE(rowCount, horizontalPixels);
    QCOMPARE(columnCount, verticalPixels);
    // Nothing else is painted (lines are one pixel thick at this size).
    QCOMPARE(total,
             horizontalPixels + verticalPixels - (horizontalPixels && verticalPixels ? 1 : 0));
    QCOMPARE(crosshairThickness(1920, 1080), 2);
}

void ImagingTest::defectCorrection_data()
{
    QTest::addColumn<RawLayout>("layout");
    QTest::addColumn<int>("planted");
    QTest::addColumn<bool>("correction");
    QTest::newRow("hot pixel removed") << RawLayout::BayerRG8 << 255 << true;
    QTest::newRow("dead pixel removed") << RawLayout::BayerRG8 << 0 << true;
    QTest::newRow("hot pixel on mono sensor removed") << RawLayout::Mono8 << 255 << true;
    QTest::newRow("hot pixel kept without correction") << RawLayout::BayerRG8 << 255 << false;
}

void ImagingTest::defectCorrection()
{
    QFETCH(RawLayout, layout);
    QFETCH(int, planted);
    QFETCH(bool, correction);
    const int w = 21, h = 15;
    RawFrame raw =
        patternFrame(w, h, layout, [](int x, int, int c) { return uint8_t(100 + 2 * x + 10 * c); });
    const auto clean = processed(PipelineSettings{}, raw);
    raw.pixels[7 * size_t(w) + 10] = uint8_t(planted);  // a green sample of a blue row
    PipelineSettings s;
    s.defectCorrection = correction;
    const auto out = processed(s, raw);
    int worst = 0;
    for (size_t i = 0; i < out.size(); ++i)
        worst = std::max(worst, std::abs(out[i] - clean[i]));
    if (correction)
        QVERIFY2(worst <= 3, qPrintable(QString::number(worst)));
    else
        QVERIFY(worst > 50);
    // The correction leaves an image without defects alone.
    QVERIFY(processed(s, patternFrame(w, h, layout, [](int x, int, int c) {
                          return uint8_t(100 + 2 * x + 10 * c);
                      })) == clean);
}

void ImagingTest::oddSizesStayInBounds_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<RawLayout>("layout");
    for (RawLayout layout : {RawLayout::BayerRG8, RawLayout::Mono8}) {
        const char* name = layout == RawLayout::BayerRG8 ? "bayer" : "mono";
        for (auto size : {QSize(1, 1), QSize(1, 2), QSize(2, 1), QSize(3, 3), QSize(5, 7),
                          QSize(33, 17), QSize(65, 3), QSize(97, 31)})
            QTest::addRow("%s %dx%d", name, size.width(), size.height())
                << size.width() << size.height() << layout;
    }
}

void ImagingTest::oddSizesStayInBounds()
{
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(RawLayout, layout);
    for (uint32_t format : {kPixelRGB8, kPixelBGR8, kPixelBGRA8, kPixelMono8}) {
        PipelineSettings s;
        s.outputFormat = format;
        s.mirrorHorizontal = s.mirrorVertical = true;
        s.sharpness = 80;
        s.saturation = 150;
        s.defectCorrection = true;
        s.gamma = 150;
        s.crosshairs[0] = {true, w / 2, h / 2, 1, 2, 3};
        ImagePipeline pipeline;
        pipeline.configure(s);
        const RawFrame raw = uniformFrame(w, h, 90, 90, 90, layout);
        // Exactly sized buffer followed by a guard band that must stay untouched.
        const size_t size = size_t(w) * h * bytesPerPixel(format);
        std::vector<uint8_t> out(size + 64, 0xA5);
        QCOMPARE(pipeline.process(raw, out.data(), size), 0);
        QVERIFY(
            std::all_of(out.begin() + long(size), out.end(), [](uint8_t v) { return v == 0xA5; }));
        QCOMPARE(int(out[size - 1]), format == kPixelBGRA8 ? 255 : int(out[size - 1]));
    }
}

void ImagingTest::fastKernelsMatchPortable_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<uint>("format");
    QTest::addColumn<bool>("mirror");
    QTest::addColumn<int>("gamma");
    QTest::addColumn<int>("saturation");
    QTest::addColumn<int>("sharpness");
    QTest::addColumn<bool>("defects");
    QTest::addColumn<bool>("monochrome");
    QTest::newRow("1920 wide RGB8")
        << 1920 << 6 << uint(kPixelRGB8) << false << 100 << 100 << 0 << false << false;
    QTest::newRow("odd width RGB8 mirrored")
        << 161 << 7 << uint(kPixelRGB8) << true << 100 << 100 << 0 << false << false;
    QTest::newRow("odd width BGR8 with gamma")
        << 131 << 5 << uint(kPixelBGR8) << false << 160 << 100 << 0 << false << false;
    QTest::newRow("BGRA8 mirrored with gamma")
        << 200 << 4 << uint(kPixelBGRA8) << true << 70 << 100 << 0 << false << false;
    QTest::newRow("mono output with gamma")
        << 99 << 6 << uint(kPixelMono8) << true << 130 << 100 << 0 << false << false;
    QTest::newRow("saturation up")
        << 77 << 5 << uint(kPixelRGB8) << false << 100 << 200 << 0 << false << false;
    QTest::newRow("saturation down")
        << 64 << 5 << uint(kPixelBGR8) << false << 100 << 30 << 0 << false << false;
    QTest::newRow("monochrome") << 70 << 5 << uint(kPixelRGB8) << false << 100 << 100 << 0 << false
                                << true;
    QTest::newRow("sharpness") << 93 << 9 << uint(kPixelRGB8) << false << 100 << 100 << 100 << false
                               << false;
    QTest::newRow("sharpness BGRA8")
        << 50 << 9 << uint(kPixelBGRA8) << false << 100 << 100 << 40 << false << false;
    QTest::newRow("defect correction")
        << 133 << 11 << uint(kPixelRGB8) << false << 100 << 100 << 0 << true << false;
    QTest::newRow("everything at once")
        << 257 << 13 << uint(kPixelRGB8) << true << 140 << 150 << 60 << true << false;
}

void ImagingTest::fastKernelsMatchPortable()
{
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(uint, format);
    QFETCH(bool, mirror);
    QFETCH(int, gamma);
    QFETCH(int, saturation);
    QFETCH(int, sharpness);
    QFETCH(bool, defects);
    QFETCH(bool, monochrome);
    const RawFrame raw = noiseFrame(w, h);
    PipelineSettings s;
    s.outputFormat = format;
    s.mirrorHorizontal = mirror;
    s.gamma = gamma;
    s.wbRed = 1.3;
    s.saturation = saturation;
    s.sharpness = sharpness;
    s.defectCorrection = defects;
    s.monochrome = monochrome;
    kernels::usePortableKernels(true);
    const auto portable = processed(s, raw);
    kernels::usePortableKernels(false);
    qInfo("kernels: %s", kernels::kernelLevel());
    QVERIFY(processed(s, raw) == portable);
    s.defectCorrection = false;
    if (defects)  // noise is full of "defects": the correction must have changed something
        QVERIFY(processed(s, raw) != portable);
}

void ImagingTest::rejectsBadInput_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("expected");
    QTest::newRow("unknown output format") << "format" << kImagingUnknownFormat;
    QTest::newRow("buffer one byte short") << "short buffer" << kImagingBufferTooSmall;
    QTest::newRow("null buffer") << "null" << kImagingBadArgument;
    QTest::newRow("empty frame") << "empty" << kImagingBadArgument;
    QTest::newRow("fewer samples than width x height") << "samples" << kImagingBadArgument;
    QTest::newRow("negative width") << "negative" << kImagingBadArgument;
    QTest::newRow("mono frame as raw Bayer") << "mono raw" << kImagingUnknownFormat;
}

void ImagingTest::rejectsBadInput()
{
    QFETCH(QString, fault);
    QFETCH(int, expected);
    RawFrame raw = uniformFrame(9, 5, 10, 20, 30,
                                fault == "mono raw" ? RawLayout::Mono8 : RawLayout::BayerRG8);
    PipelineSettings s;
    size_t size = 9 * 5 * 3;
    std::vector<uint8_t> out(size, 0x5A);
    uint8_t* target = out.data();
    if (fault == "format")
        s.outputFormat = 0x12345678;
    else if (fault == "short buffer")
        --size;
    else if (fault == "null")
        target = nullptr;
    else if (fault == "empty")
        raw = RawFrame{};
    else if (fault == "samples")
        raw.pixels.resize(20);
    else if (fault == "negative")
        raw.width = -9;
    else if (fault == "mono raw")
        s.outputFormat = kPixelBayerRG8;
    ImagePipeline pipeline;
    pipeline.configure(s);
    QCOMPARE(pipeline.process(raw, target, size), expected);
    QVERIFY(std::all_of(out.begin(), out.end(),
                        [](uint8_t v) { return v == 0x5A; }));  // nothing written
}

// ---------------------------------------------------------------------------- controllers

void ImagingTest::statisticsOfKnownFrame()
{
    FrameStatistics st = ImagePipeline::statistics(uniformFrame(101, 77, 200, 100, 50));
    QCOMPARE(st.meanRed, 200.0);
    QCOMPARE(st.meanGreen, 100.0);
    QCOMPARE(st.meanBlue, 50.0);
    QVERIFY(std::abs(st.meanLuma - (0.299 * 200 + 0.587 * 100 + 0.114 * 50)) < 0.01);
    st = ImagePipeline::statistics(uniformFrame(64, 64, 90, 90, 90, RawLayout::Mono8));
    QCOMPARE(st.meanLuma, 90.0);
    QCOMPARE(st.meanRed, 90.0);
    // Frames too small for every colour, or broken, give defined results.
    st = ImagePipeline::statistics(uniformFrame(1, 1, 40, 0, 0));
    QCOMPARE(st.meanBlue, 40.0);
    RawFrame broken;
    broken.width = 10;
    broken.height = 10;
    QCOMPARE(ImagePipeline::statistics(broken).meanLuma, 0.0);
}

void ImagingTest::autoExposureConverges_data()
{
    QTest::addColumn<double>("startExposureUs");
    QTest::addColumn<int>("startGain");
    QTest::addColumn<int>("target");
    QTest::addColumn<double>("maxExposureUs");
    QTest::addColumn<int>("maxGain");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("from too dark") << 200.0 << 1000 << 120 << 100000.0 << 8000 << "converged";
    QTest::newRow("from too bright (clipped)")
        << 90000.0 << 4000 << 100 << 100000.0 << 8000 << "converged";
    QTest::newRow("already right stays put")
        << 10000.0 << 1000 << 115 << 100000.0 << 8000 << "converged";
    QTest::newRow("exposure capped, gain takes over")
        << 1000.0 << 1000 << 150 << 4000.0 << 8000 << "converged";
    QTest::newRow("unreachable target stops at the limits")
        << 1000.0 << 1000 << 250 << 2000.0 << 2000 << "at max";
    QTest::newRow("start outside the limits")
        << 500000.0 << 50000 << 60 << 100000.0 << 8000 << "converged";
}

void ImagingTest::autoExposureConverges()
{
    QFETCH(double, startExposureUs);
    QFETCH(int, startGain);
    QFETCH(int, target);
    QFETCH(double, maxExposureUs);
    QFETCH(int, maxGain);
    QFETCH(QString, outcome);
    const AutoExposureLimits limits{50.0, maxExposureUs, 1000, maxGain};
    auto scene = makeDemoScene(8);
    SensorSettings s = sensorOf(320, 240);
    s.antiFlicker = true;
    s.exposureUs = startExposureUs;
    s.analogGainMilli = startGain;
    RawFrame raw;
    int sideChanges = 0, previousSide = 0;
    double mean = 0;
    for (int frame = 0; frame < 40; ++frame) {
        scene->render(s, frame / 30.0, uint64_t(frame), raw);
        mean = ImagePipeline::statistics(raw).meanLuma;
        autoExposureStep(ImagePipeline::statistics(raw), target, limits, s.exposureUs,
                         s.analogGainMilli);
        QVERIFY(s.exposureUs >= limits.minExposureUs && s.exposureUs <= limits.maxExposureUs);
        QVERIFY(s.analogGainMilli >= limits.minGainMilli &&
                s.analogGainMilli <= limits.maxGainMilli);
        // Gain only above its minimum once the exposure is at its maximum.
        if (s.analogGainMilli > limits.minGainMilli)
            QCOMPARE(s.exposureUs, limits.maxExposureUs);
        const int side =
            std::abs(mean - target) <= std::max(2.0, target * 0.03) ? 0 : (mean > target ? 1 : -1);
        if (side != 0 && previousSide != 0 && side != previousSide)
            ++sideChanges;
        if (side != 0)
            previousSide = side;
    }
    QVERIFY2(sideChanges == 0, "the brightness oscillated around the target");
    if (outcome == "converged") {
        QVERIFY2(std::abs(mean - target) <= std::max(3.0, target * 0.04),
                 qPrintable(QString("mean %1 target %2").arg(mean).arg(target)));
    } else {
        QCOMPARE(s.exposureUs, maxExposureUs);
        QCOMPARE(s.analogGainMilli, maxGain);
    }
}

void ImagingTest::whiteBalanceNeutralisesTint_data()
{
    QTest::addColumn<int>("r");
    QTest::addColumn<int>("g");
    QTest::addColumn<int>("b");
    QTest::newRow("warm light") << 150 << 120 << 80;
    QTest::newRow("cool light") << 90 << 120 << 170;
    QTest::newRow("green cast") << 80 << 140 << 90;
    QTest::newRow("neutral stays neutral") << 110 << 110 << 110;
}

void ImagingTest::whiteBalanceNeutralisesTint()
{
    QFETCH(int, r);
    QFETCH(int, g);
    QFETCH(int, b);
    const RawFrame raw = uniformFrame(48, 32, uint8_t(r), uint8_t(g), uint8_t(b));
    PipelineSettings s;
    whiteBalanceGains(ImagePipeline::statistics(raw), s.wbRed, s.wbGreen, s.wbBlue);
    const Rgb p = rgbAt(processed(s, raw), 48, 20, 11);
    QVERIFY2(std::abs(p.r - p.g) <= 1 && std::abs(p.b - p.g) <= 1,
             qPrintable(QString("%1 %2 %3").arg(p.r).arg(p.g).arg(p.b)));
    QCOMPARE(p.g, g);  // green is the reference and keeps its level

    // Too dark to judge: neutral gains rather than wild ones.
    double red = 0, green = 0, blue = 0;
    whiteBalanceGains(FrameStatistics{}, red, green, blue);
    QCOMPARE(red, 1.0);
    QCOMPARE(green, 1.0);
    QCOMPARE(blue, 1.0);
}

// ---------------------------------------------------------------------------- picture files

void ImagingTest::imageFilesRoundTrip_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<uint>("format");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<int>("tolerance");
    const struct {
        const char* name;
        int type;
        const char* extension;
        int tolerance;
    } types[] = {{"BMP", 2, ".bmp", 0}, {"PNG", 8, ".png", 0}, {"JPEG", 1, ".jpg", 24}};
    const struct {
        const char* name;
        uint32_t format;
    } formats[] = {
        {"RGB8", kPixelRGB8}, {"BGR8", kPixelBGR8}, {"BGRA8", kPixelBGRA8}, {"Mono8", kPixelMono8}};
    for (const auto& t : types)
        for (const auto& f : formats)
            QTest::addRow("%s from %s", t.name, f.name)
                << t.type << uint(f.format) << QString(t.extension) << t.tolerance;
}

void ImagingTest::imageFilesRoundTrip()
{
    QFETCH(int, type);
    QFETCH(uint, format);
    QFETCH(QString, extension);
    QFETCH(int, tolerance);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const int w = 37, h = 21;  // odd sizes: BMP rows need padding
    // Smooth colour gradients survive JPEG within a small tolerance.
    PipelineSettings s;
    s.outputFormat = format;
    const auto pixels =
        processed(s, patternFrame(w, h, RawLayout::BayerRG8, [](int x, int y, int c) {
                      return uint8_t(c == 0 ? 40 + 5 * x : (c == 1 ? 30 + 9 * y : 200 - 3 * x));
                  }));
    const std::string base = (dir.path() + "/picture 001").toStdString();
    QCOMPARE(writeImageFile(base, pixels.data(), w, h, format, type, 95), 0);
    const QString file = dir.path() + "/picture 001" + extension;
    QCOMPARE(filesIn(dir.path()), QStringList{QFileInfo(file).fileName()});  // no temporary left
    QImage image(file);
    QVERIFY2(!image.isNull(), "written file does not load");
    QCOMPARE(image.size(), QSize(w, h));
    const size_t bpp = bytesPerPixel(format);
    int worst = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = pixels.data() + (size_t(y) * w + x) * bpp;
            int r, g, b;
            if (format == kPixelMono8)
                r = g = b = p[0];
            else if (format == kPixelRGB8)
                r = p[0], g = p[1], b = p[2];
            else
                r = p[2], g = p[1], b = p[0];
            const QRgb q = image.pixel(x, y);
            worst = std::max(
                {worst, std::abs(qRed(q) - r), std::abs(qGreen(q) - g), std::abs(qBlue(q) - b)});
        }
    QVERIFY2(worst <= tolerance, qPrintable(QString("largest difference %1").arg(worst)));
    if (format == kPixelMono8 && type != 1)
        QVERIFY(image.isGrayscale());
}

void ImagingTest::imageFileFailuresLeaveNothing_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("expected");
    QTest::newRow("missing folder") << "missing" << kImagingFileCreateFailed;
    QTest::newRow("read-only folder") << "read-only" << kImagingFileCreateFailed;
    QTest::newRow("disk full while writing") << "full" << kImagingFileWriteFailed;
    QTest::newRow("final name taken by a folder") << "folder" << kImagingNotAFile;
    QTest::newRow("final name taken by a FIFO") << "fifo" << kImagingNotAFile;
    QTest::newRow("unknown type code") << "type" << kImagingBadArgument;
    QTest::newRow("unknown pixel format") << "format" << kImagingUnknownFormat;
    QTest::newRow("no pixels") << "null" << kImagingBadArgument;
    QTest::newRow("zero width") << "width" << kImagingBadArgument;
}

void ImagingTest::imageFileFailuresLeaveNothing()
{
    QFETCH(QString, fault);
    QFETCH(int, expected);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const int w = 300, h = 200;
    std::vector<uint8_t> pixels(size_t(w) * h * 3);
    std::mt19937 gen(1);
    for (auto& v : pixels)
        v = uint8_t(gen());  // noise does not compress, so the file is large
    QString folder = dir.path();
    int type = 8, width = w;
    uint32_t format = kPixelRGB8;
    const uint8_t* data = pixels.data();
    if (fault == "missing") {
        folder += "/not/there";
    } else if (fault == "read-only") {
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        if (access(folder.toLocal8Bit().constData(), W_OK) == 0) {
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("running with rights that ignore folder permissions");
        }
    } else if (fault == "folder") {
        QVERIFY(QDir(folder).mkpath("shot.png/inside"));
    } else if (fault == "fifo") {
        QCOMPARE(mkfifo(QFile::encodeName(folder + "/shot.png").constData(), 0600), 0);
    } else if (fault == "type") {
        type = 3;
    } else if (fault == "format") {
        format = kPixelBayerRG8;
    } else if (fault == "null") {
        data = nullptr;
    } else if (fault == "width") {
        width = 0;
    }
    rlimit previous{};
    const bool limitSize = fault == "full";
    if (limitSize) {
        // A file size limit makes writes fail part-way, as a full disk does.
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous);
        rlimit small = previous;
        small.rlim_cur = 20000;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    const int rc =
        writeImageFile((folder + "/shot").toStdString(), data, width, h, format, type, 90);
    if (limitSize)
        setrlimit(RLIMIT_FSIZE, &previous);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(rc, expected);
    QStringList left = filesIn(dir.path());
    left.removeAll("shot.png");  // the folder or FIFO planted by those cases
    if (fault == "folder")
        QVERIFY(QFileInfo(dir.path() + "/shot.png").isDir());
    if (fault == "fifo") {
        struct stat st {};
        QCOMPARE(lstat(QFile::encodeName(dir.path() + "/shot.png").constData(), &st), 0);
        QVERIFY(S_ISFIFO(st.st_mode));
    }
    QVERIFY2(left.isEmpty(), qPrintable(left.join(", ")));
}

void ImagingTest::imageFileNeverReplacesExisting_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("existing");
    const struct {
        const char* name;
        int type;
        const char* extension;
    } types[] = {{"BMP", 2, ".bmp"}, {"PNG", 8, ".png"}, {"JPEG", 1, ".jpg"}};
    for (const auto& t : types)
        for (const char* existing : {"picture", "link to a picture", "dangling link"})
            QTest::addRow("%s onto a %s", t.name, existing)
                << t.type << QString(t.extension) << QString(existing);
}

void ImagingTest::imageFileNeverReplacesExisting()
{
    QFETCH(int, type);
    QFETCH(QString, extension);
    QFETCH(QString, existing);
    QTemporaryDir dir;
    const std::vector<uint8_t> black(8 * 4, 0), white(8 * 4, 255);
    const QString target = dir.path() + "/earlier" + extension;
    QCOMPARE(writeImageFile((dir.path() + "/earlier").toStdString(), black.data(), 8, 4,
                            kPixelMono8, type, 90),
             kImagingOk);
    const QString name = dir.path() + "/same" + extension;
    if (existing == "picture")
        QVERIFY(QFile::rename(target, name));
    else if (existing == "link to a picture")
        QVERIFY(QFile::link(target, name));
    else
        QVERIFY(QFile::link(dir.path() + "/nowhere" + extension, name));
    const QStringList before = filesIn(dir.path());

    QCOMPARE(writeImageFile((dir.path() + "/same").toStdString(), white.data(), 8, 4, kPixelMono8,
                            type, 90),
             kImagingFileExists);
    QCOMPARE(filesIn(dir.path()), before);  // no temporary, and a dangling link made nothing
    if (existing != "dangling link")
        QCOMPARE(QImage(name).pixel(3, 2), qRgb(0, 0, 0));
    else
        QVERIFY(QFileInfo(name).isSymLink());
}

void ImagingTest::placementNeverReplaces_data()
{
    QTest::addColumn<int>("method");
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("expected");
    const struct {
        const char* name;
        Placement method;
    } methods[] = {{"renameat2", Placement::Rename},
                   {"link", Placement::Link},
                   {"reserved name", Placement::Reserve}};
    for (const auto& m : methods) {
        QTest::addRow("%s to a free name", m.name) << int(m.method) << "free" << kImagingOk;
        QTest::addRow("%s onto a file", m.name) << int(m.method) << "file" << kImagingFileExists;
        QTest::addRow("%s onto a dangling link", m.name)
            << int(m.method) << "dangling" << kImagingFileExists;
        QTest::addRow("%s onto a folder", m.name)
            << int(m.method) << "folder" << kImagingFileExists;
        QTest::addRow("%s from a missing file", m.name)
            << int(m.method) << "no source" << kImagingFileRenameFailed;
    }
}

void ImagingTest::placementNeverReplaces()
{
    QFETCH(int, method);
    QFETCH(QString, target);
    QFETCH(int, expected);
    QTemporaryDir dir;
    const QString from = dir.path() + "/.new.part", to = dir.path() + "/final.png";
    auto write = [](const QString& path, const QByteArray& bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    auto read = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
    };
    if (target != "no source")
        QVERIFY(write(from, "new picture"));
    if (target == "file")
        QVERIFY(write(to, "earlier picture"));
    else if (target == "dangling")
        QVERIFY(QFile::link(dir.path() + "/nowhere", to));
    else if (target == "folder")
        QVERIFY(QDir(dir.path()).mkdir("final.png"));

    QCOMPARE(placeWithoutReplacing(from.toStdString(), to.toStdString(), Placement(method)),
             expected);
    if (target == "free") {
        QCOMPARE(read(to), QByteArray("new picture"));
        QCOMPARE(filesIn(dir.path()), QStringList{"final.png"});
    } else if (target == "no source") {
        QVERIFY(filesIn(dir.path()).isEmpty());  // the reserved name is given back
    } else {
        QCOMPARE(read(from), QByteArray("new picture"));  // left for the caller to remove
        if (target == "file")
            QCOMPARE(read(to), QByteArray("earlier picture"));
        if (target == "dangling")
            QVERIFY(QFileInfo(to).isSymLink() && !QFile::exists(dir.path() + "/nowhere"));
        if (target == "folder")
            QVERIFY(QFileInfo(to).isDir());
    }
}

void ImagingTest::greyLevels_data()
{
    QTest::addColumn<uint>("format");
    QTest::addColumn<int>("colouredPixel");  // -1: none
    QTest::addColumn<bool>("grey");
    QTest::newRow("RGB8, all grey") << uint(kPixelRGB8) << -1 << true;
    QTest::newRow("BGR8, all grey") << uint(kPixelBGR8) << -1 << true;
    QTest::newRow("BGRA8, all grey, alpha not grey") << uint(kPixelBGRA8) << -1 << true;
    QTest::newRow("RGB8, first pixel coloured") << uint(kPixelRGB8) << 0 << false;
    QTest::newRow("RGB8, last pixel coloured") << uint(kPixelRGB8) << 5 * 3 - 1 << false;
    QTest::newRow("BGRA8, last pixel coloured") << uint(kPixelBGRA8) << 5 * 3 - 1 << false;
    QTest::newRow("Mono8 is no colour format") << uint(kPixelMono8) << -1 << false;
    QTest::newRow("Bayer is no colour format") << uint(kPixelBayerRG8) << -1 << false;
}

void ImagingTest::greyLevels()
{
    QFETCH(uint, format);
    QFETCH(int, colouredPixel);
    QFETCH(bool, grey);
    const int w = 5, h = 3;
    const size_t bpp = std::max<size_t>(1, bytesPerPixel(format));
    std::vector<uint8_t> pixels(size_t(w) * h * bpp);
    for (int i = 0; i < w * h; ++i) {
        std::fill_n(pixels.begin() + i * bpp, std::min<size_t>(bpp, 3), uint8_t(17 * i));
        if (bpp == 4)
            pixels[i * bpp + 3] = 200;  // alpha is no colour
    }
    if (colouredPixel >= 0)
        pixels[colouredPixel * bpp + 1] ^= 1;  // green a shade off
    std::vector<uint8_t> levels;
    QCOMPARE(greyLevelsOf(pixels.data(), w, h, format, levels), grey);
    if (grey) {
        QCOMPARE(int(levels.size()), w * h);
        for (int i = 0; i < w * h; ++i)
            QCOMPARE(int(levels[i]), 17 * i);
    }
}

QTEST_GUILESS_MAIN(ImagingTest)
#include "ImagingTest.moc"

// ------------------------------------------------------------------------ deep frames

namespace {

// The same pattern at another depth: every sample value << (depth - 8) plus low bits
// that the 8-bit pipeline must drop.
RawFrame deepened(const RawFrame& eight, int depth, unsigned lowBits)
{
    RawFrame deep = eight;
    deep.bitDepth = depth;
    deep.pixels.assign(eight.pixels.size() * 2, 0);
    for (size_t i = 0; i < eight.pixels.size(); ++i) {
        const unsigned v =
            (unsigned(eight.pixels[i]) << (depth - 8)) | (lowBits & ((1u << (depth - 8)) - 1));
        deep.pixels[2 * i] = uint8_t(v);
        deep.pixels[2 * i + 1] = uint8_t(v >> 8);
    }
    return deep;
}

}  // namespace

void ImagingTest::deepFramesGoThroughAsTheirTopBits_data()
{
    QTest::addColumn<RawLayout>("layout");
    QTest::addColumn<int>("depth");
    QTest::addColumn<uint>("format");
    QTest::addColumn<bool>("everySetting");
    QTest::newRow("Bayer 12-bit, RGB, neutral")
        << RawLayout::BayerRG8 << 12 << uint(kPixelRGB8) << false;
    QTest::newRow("Bayer 10-bit, BGRA, every setting")
        << RawLayout::BayerRG8 << 10 << uint(kPixelBGRA8) << true;
    QTest::newRow("Bayer 16-bit, BGR, every setting")
        << RawLayout::BayerRG8 << 16 << uint(kPixelBGR8) << true;
    QTest::newRow("mono 12-bit, Mono8, every setting")
        << RawLayout::Mono8 << 12 << uint(kPixelMono8) << true;
    QTest::newRow("mono 16-bit, RGB, neutral")
        << RawLayout::Mono8 << 16 << uint(kPixelRGB8) << false;
}

void ImagingTest::deepFramesGoThroughAsTheirTopBits()
{
    QFETCH(RawLayout, layout);
    QFETCH(int, depth);
    QFETCH(uint, format);
    QFETCH(bool, everySetting);

    const RawFrame eight = noiseFrame(67, 41);
    RawFrame shaped = eight;
    shaped.layout = layout;
    PipelineSettings s;
    s.outputFormat = format;
    if (everySetting) {
        s.wbRed = 1.4;
        s.wbBlue = 0.7;
        s.saturation = 150;
        s.sharpness = 70;
        s.gamma = 180;
        s.contrast = 130;
        s.mirrorHorizontal = s.mirrorVertical = true;
        s.defectCorrection = true;
        s.crosshairs[0] = Crosshair{true, 20, 10, 0, 255, 0};
    }
    const std::vector<uint8_t> expected = processed(s, shaped);
    for (unsigned low : {0u, 0xFFFFu, 0x5555u}) {
        const RawFrame deep = deepened(shaped, depth, low);
        QCOMPARE(processed(s, deep), expected);
        // The controllers see the same frame too.
        const FrameStatistics a = ImagePipeline::statistics(shaped),
                              b = ImagePipeline::statistics(deep);
        QCOMPARE(b.meanLuma, a.meanLuma);
        QCOMPARE(b.meanRed, a.meanRed);
        QCOMPARE(b.meanBlue, a.meanBlue);
    }
    // A deep frame short of its words is refused, not read past its end.
    RawFrame shortDeep = deepened(shaped, depth, 0);
    shortDeep.pixels.resize(shortDeep.pixels.size() - 1);
    ImagePipeline pipeline;
    pipeline.configure(s);
    std::vector<uint8_t> out(expected.size());
    QCOMPARE(pipeline.process(shortDeep, out.data(), out.size()), kImagingBadArgument);
}

// The fast kernels work in blocks of 64 samples, keep sums between rows where the output
// is grey and sharpen colour rows two at a time; whatever the width (below, at and beyond
// whole blocks, narrow and wide), the height (pairs and rows left over), mirroring, output format, sensor, depth and
// saturation (the largest takes another kernel) they give the portable kernels' bytes.
void ImagingTest::fastPathsMatchPortableAtEveryShape_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<RawLayout>("layout");
    QTest::addColumn<int>("depth");
    QTest::addColumn<uint>("format");
    QTest::addColumn<bool>("mirrorH");
    QTest::addColumn<bool>("mirrorV");
    QTest::addColumn<int>("saturation");
    QTest::addColumn<bool>("monochrome");
    const auto bayer = RawLayout::BayerRG8, mono = RawLayout::Mono8;
    QTest::newRow("narrower than a block") << 63 << 5 << bayer << 8 << uint(kPixelRGB8) << true << false << 120 << false;
    QTest::newRow("one block") << 64 << 4 << bayer << 8 << uint(kPixelBGR8) << false << true << 150 << false;
    QTest::newRow("a block and one") << 65 << 7 << bayer << 8 << uint(kPixelBGRA8) << true << true << 80 << false;
    QTest::newRow("odd, both mirrors, RGB8") << 321 << 9 << bayer << 8 << uint(kPixelRGB8) << true << true << 199 << false;
    QTest::newRow("largest saturation") << 191 << 6 << bayer << 8 << uint(kPixelRGB8) << true << false << 200 << false;
    QTest::newRow("no saturation") << 130 << 5 << bayer << 8 << uint(kPixelBGR8) << false << false << 0 << false;
    QTest::newRow("monochrome BGRA8") << 129 << 6 << bayer << 8 << uint(kPixelBGRA8) << true << false << 100 << true;
    QTest::newRow("Bayer to Mono8") << 255 << 7 << bayer << 8 << uint(kPixelMono8) << true << true << 150 << false;
    QTest::newRow("mono sensor RGB8") << 200 << 5 << mono << 8 << uint(kPixelRGB8) << true << true << 150 << false;
    QTest::newRow("mono sensor Mono8") << 97 << 8 << mono << 8 << uint(kPixelMono8) << true << false << 100 << false;
    QTest::newRow("10-bit Bayer BGRA8") << 150 << 6 << bayer << 10 << uint(kPixelBGRA8) << true << true << 130 << false;
    QTest::newRow("12-bit Bayer RGB8") << 333 << 5 << bayer << 12 << uint(kPixelRGB8) << false << true << 170 << false;
    QTest::newRow("16-bit Bayer BGR8") << 77 << 9 << bayer << 16 << uint(kPixelBGR8) << true << false << 110 << false;
    QTest::newRow("12-bit mono Mono8") << 141 << 6 << mono << 12 << uint(kPixelMono8) << true << true << 100 << false;
    QTest::newRow("one row of blocks RGB8") << 130 << 1 << bayer << 8 << uint(kPixelRGB8) << true << false << 120 << false;
    QTest::newRow("wide RGB8 with a tail") << 1347 << 5 << bayer << 8 << uint(kPixelRGB8) << true << false << 120 << false;
    QTest::newRow("wide BGRA8 both mirrors") << 1408 << 4 << bayer << 8 << uint(kPixelBGRA8) << true << true << 150 << false;
    QTest::newRow("wide one row BGR8") << 1411 << 1 << bayer << 8 << uint(kPixelBGR8) << false << true << 80 << false;
    QTest::newRow("wide two rows largest saturation")
        << 1921 << 2 << bayer << 8 << uint(kPixelRGB8) << false << false << 200 << false;
}

void ImagingTest::fastPathsMatchPortableAtEveryShape()
{
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(RawLayout, layout);
    QFETCH(int, depth);
    QFETCH(uint, format);
    QFETCH(bool, mirrorH);
    QFETCH(bool, mirrorV);
    QFETCH(int, saturation);
    QFETCH(bool, monochrome);
    RawFrame raw = noiseFrame(w, h);
    raw.layout = layout;
    if (depth > 8)
        raw = deepened(raw, depth, 0x5555);
    PipelineSettings s;
    s.outputFormat = format;
    s.mirrorHorizontal = mirrorH;
    s.mirrorVertical = mirrorV;
    s.wbRed = 1.45;
    s.wbBlue = 1.68;
    s.gamma = 120;
    s.contrast = 120;
    s.saturation = saturation;
    s.monochrome = monochrome;
    // (A frame of one row keeps only the vertical line, which would else cover it.)
    s.crosshairs[0] = Crosshair{true, w / 3, h > 1 ? h / 2 : h, 0, 255, 0};
    for (int sharpness : {0, 30, 100}) {
        s.sharpness = sharpness;
        kernels::usePortableKernels(true);
        const auto portable = processed(s, raw);
        kernels::usePortableKernels(false);
        QVERIFY2(processed(s, raw) == portable, qPrintable(QString("sharpness %1").arg(sharpness)));
    }
}

void ImagingTest::demoSceneRendersDeepSamples_data()
{
    QTest::addColumn<RawLayout>("layout");
    QTest::addColumn<int>("depth");
    QTest::newRow("mono 12-bit") << RawLayout::Mono8 << 12;
    QTest::newRow("mono 10-bit") << RawLayout::Mono8 << 10;
    QTest::newRow("Bayer 16-bit") << RawLayout::BayerRG8 << 16;
}

void ImagingTest::demoSceneRendersDeepSamples()
{
    QFETCH(RawLayout, layout);
    QFETCH(int, depth);

    SensorSettings sensor = sensorOf(320, 240, layout);
    sensor.defects = {{5, 5, 255}, {9, 9, 0}};
    RawFrame eight, deep;
    makeDemoScene(7)->render(sensor, 1.25, 3, eight);
    sensor.bitDepth = depth;
    makeDemoScene(7)->render(sensor, 1.25, 3, deep);
    QCOMPARE(deep.bitDepth, depth);
    QCOMPARE(deep.pixels.size(), eight.pixels.size() * 2);
    const unsigned top = (1u << depth) - 1, step = 1u << (depth - 8);
    unsigned largest = 0;
    size_t fine = 0, far = 0;
    double sumDeep = 0, sumEight = 0;
    for (size_t i = 0; i < eight.pixels.size(); ++i) {
        const unsigned v = rawSample(deep, i);
        largest = std::max(largest, v);
        fine += v % step != 0;
        // The same exposure: the top eight bits are the 8-bit sample, give or take the noise.
        far += std::abs(int(v / step) - int(eight.pixels[i])) > 12;
        sumDeep += v / double(step);
        sumEight += eight.pixels[i];
    }
    QVERIFY2(largest <= top, qPrintable(QString::number(largest)));
    QVERIFY(largest > 255);
    QVERIFY2(fine > eight.pixels.size() / 2, "low bits mostly zero");
    QVERIFY2(far < eight.pixels.size() / 100, qPrintable(QString::number(far)));
    QVERIFY(std::abs(sumDeep - sumEight) / eight.pixels.size() < 1.0);
    // Defect pixels: hot is the depth's largest value, dead zero.
    QCOMPARE(rawSample(deep, 5 * 320 + 5), top);
    QCOMPARE(rawSample(deep, 9 * 320 + 9), 0u);
}
