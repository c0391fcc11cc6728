// The demonstration scene of the simulated cameras.
//
// A test chart (colour checker, Siemens star, grey ramp and steps, hue band, resolution
// wedge and line groups) lit by the camera's illumination channels, with a bouncing ball,
// a frame counter and a time stamp, sampled through the sensor's Bayer mosaic.
//
// Cost model: everything that does not move is rendered once per geometry, illumination
// and focus into a "radiance" image (bg_, one sample per output pixel, 0..255 at unit
// exposure). Per frame only the ball and the text rows are drawn again; every row is then
// scaled by exposure x gain x flicker through a 256-entry table and gets noise from a
// precomputed Gaussian table at a pseudo-random offset.
#include "SceneFont.h"
#include "SceneGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>

namespace vexo::imaging {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Digital numbers per unit radiance at 1 ms x gain 1.0. Tuned so that 10 ms at gain 1.0
// gives a mid-grey frame average (about 120 of 255) under full illumination.
constexpr double kSensitivityPerMs = 0.118;
constexpr double kFlickerDepth = 0.6;        // intensity modulation of mains-driven lamps
constexpr double kReadoutTimeSec = 1.0 / 60.0;  // rolling shutter, top to bottom row
constexpr int kNoiseSegment = 4096;          // pixels per noise-table offset
constexpr int kNoiseTableSize = 1 << 16;

// Light colour of the scene lamps: a little warm, so white balance has work to do.
constexpr double kLightTint[3] = {1.04, 1.0, 0.90};

struct Rgb {
    double r, g, b;
};

// Display-referred colours of the 24 colour-checker patches, row by row.
constexpr uint8_t kChart[24][3] = {
    {115, 82, 68},   {194, 150, 130}, {98, 122, 157},  {87, 108, 67},   {133, 128, 177}, {103, 189, 170},
    {214, 126, 44},  {80, 91, 166},   {193, 90, 99},   {94, 60, 108},   {157, 188, 64},  {224, 163, 46},
    {56, 61, 150},   {70, 148, 73},   {175, 54, 60},   {231, 199, 31},  {187, 86, 149},  {8, 133, 161},
    {243, 243, 242}, {200, 200, 200}, {160, 160, 160}, {122, 122, 121}, {85, 85, 85},    {52, 52, 52},
};

uint64_t mix64(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

Rgb hsv(double h, double s, double v)
{
    h = std::fmod(h, 1.0) * 6.0;
    const int i = static_cast<int>(h);
    const double f = h - i;
    const double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    switch (i) {
    case 0: return {v, t, p};
    case 1: return {q, v, p};
    case 2: return {p, v, t};
    case 3: return {p, q, v};
    case 4: return {t, p, v};
    default: return {v, p, q};
    }
}

// Chart layout in scene units: one unit is the sensor height, x runs 0..aspect.
struct ChartLayout {
    double aspect = 1.0;
    double pixel = 0.001;                    // one sensor pixel in scene units
    double chartX = 0, chartY = 0, patch = 0;
    double starX = 0, starY = 0, starR = 0;
    double labelX = 0, labelY = 0, labelCell = 0;
    double marginX = 0;
    double rampY0 = 0.63, rampY1 = 0.675, stepsY1 = 0.715;
    double hueY0 = 0.735, hueY1 = 0.795;
    double wedgeY0 = 0.825, wedgeMid = 0.885, wedgeY1 = 0.945;
    Rgb backdropTop{}, backdropBottom{};
    double starTwist = 0;

    ChartLayout(int sensorWidth, int sensorHeight, uint32_t seed)
    {
        aspect = static_cast<double>(sensorWidth) / sensorHeight;
        pixel = 1.0 / sensorHeight;
        marginX = 0.04;
        patch = std::min(0.46 * aspect, 0.66) / 6.0;
        chartX = marginX;
        chartY = 0.10;
        starR = std::min(0.23, 0.19 * aspect);
        starX = std::max(aspect - marginX - starR * 1.1, chartX + 6 * patch + starR * 1.2);
        starY = 0.33;
        labelCell = 0.0052;
        labelX = chartX;
        labelY = chartY + 4 * patch + 0.03;
        const double hue = (mix64(seed) % 1000) / 1000.0;
        const Rgb tint = hsv(hue, 0.18, 1.0);
        backdropTop = {0.26 * tint.r, 0.28 * tint.g, 0.31 * tint.b};
        backdropBottom = {0.44 * tint.r, 0.44 * tint.g, 0.46 * tint.b};
        starTwist = (mix64(seed + 7) % 1000) / 1000.0 * kPi / 18.0;
    }
};

const char kChartLabel[] = "VEXO TEST CHART";

// Reflectance (0..1) of the static scene at scene position (x, y).
Rgb sceneColour(const ChartLayout& l, double x, double y)
{
    // Colour checker on a black card.
    const double cardPad = 0.15 * l.patch;
    if (x >= l.chartX - cardPad && x < l.chartX + 6 * l.patch + cardPad &&
        y >= l.chartY - cardPad && y < l.chartY + 4 * l.patch + cardPad) {
        const double px = (x - l.chartX) / l.patch, py = (y - l.chartY) / l.patch;
        const int col = static_cast<int>(std::floor(px)), row = static_cast<int>(std::floor(py));
        const double fx = px - col, fy = py - row;
        if (col >= 0 && col < 6 && row >= 0 && row < 4 && fx > 0.08 && fx < 0.92 && fy > 0.08 &&
            fy < 0.92) {
            const uint8_t* c = kChart[row * 6 + col];
            return {c[0] / 255.0, c[1] / 255.0, c[2] / 255.0};
        }
        return {0.06, 0.06, 0.06};
    }
    // Siemens star on a white disc.
    const double dx = x - l.starX, dy = y - l.starY;
    const double r2 = dx * dx + dy * dy;
    if (r2 < l.starR * l.starR * 1.12) {
        if (r2 >= l.starR * l.starR || r2 < 0.0025 * l.starR * l.starR)
            return {0.9, 0.9, 0.9};
        const double angle = std::atan2(dy, dx) + l.starTwist;
        const int sector = static_cast<int>(std::floor(angle / (kPi / 36.0)));
        return (sector & 1) ? Rgb{0.05, 0.05, 0.05} : Rgb{0.9, 0.9, 0.9};
    }
    // Label under the chart.
    const double labelW = (sizeof kChartLabel - 1) * kGlyphAdvance * l.labelCell;
    if (x >= l.labelX && x < l.labelX + labelW && y >= l.labelY &&
        y < l.labelY + kGlyphHeight * l.labelCell) {
        const int cx = static_cast<int>((x - l.labelX) / l.labelCell);
        const int cy = static_cast<int>((y - l.labelY) / l.labelCell);
        const int ch = cx / kGlyphAdvance, col = cx % kGlyphAdvance;
        if (col < kGlyphWidth && cy < kGlyphHeight &&
            ((glyphRows(kChartLabel[ch])[cy] >> (kGlyphWidth - 1 - col)) & 1))
            return {0.92, 0.92, 0.92};
    }
    const double x0 = l.marginX, x1 = l.aspect - l.marginX;
    if (x >= x0 && x < x1) {
        const double t = (x - x0) / (x1 - x0);
        if (y >= l.rampY0 && y < l.rampY1)   // continuous grey ramp
            return {t, t, t};
        if (y >= l.rampY1 && y < l.stepsY1) {   // eleven grey steps
            const double v = std::min(10.0, std::floor(t * 11.0)) / 10.0;
            return {v, v, v};
        }
        if (y >= l.hueY0 && y < l.hueY1) {   // hue band, fading to white at its top edge
            const double s = std::min(1.0, (y - l.hueY0) / (0.5 * (l.hueY1 - l.hueY0)));
            return hsv(t, 0.85 * s, 0.92);
        }
        if (y >= l.wedgeY0 && y < l.wedgeMid) {
            // Vertical bars whose frequency rises exponentially from 3 cycles per unit to
            // the sensor's Nyquist limit at the right end.
            const double f0 = 3.0, f1 = 0.5 / l.pixel, len = x1 - x0;
            const double k = std::log(f1 / f0);
            const double phase = 2.0 * kPi * f0 * len * (std::exp(k * t) - 1.0) / k;
            return std::sin(phase) >= 0 ? Rgb{0.92, 0.92, 0.92} : Rgb{0.05, 0.05, 0.05};
        }
        if (y >= l.wedgeMid && y < l.wedgeY1) {
            // Groups of horizontal lines with periods of 12, 8, 6, 4, 3 and 2 sensor rows.
            static const int periods[6] = {12, 8, 6, 4, 3, 2};
            const int group = std::min(5, static_cast<int>(t * 6.0));
            const double inGroup = t * 6.0 - group;
            if (inGroup > 0.08 && inGroup < 0.92) {
                const double rows = (y - l.wedgeMid) / l.pixel;
                const double phase = std::fmod(rows, static_cast<double>(periods[group]));
                return phase < periods[group] / 2.0 ? Rgb{0.92, 0.92, 0.92} : Rgb{0.05, 0.05, 0.05};
            }
            return {0.5, 0.5, 0.5};
        }
    }
    const double v = std::clamp(y, 0.0, 1.0);
    return {l.backdropTop.r + (l.backdropBottom.r - l.backdropTop.r) * v,
            l.backdropTop.g + (l.backdropBottom.g - l.backdropTop.g) * v,
            l.backdropTop.b + (l.backdropBottom.b - l.backdropTop.b) * v};
}

// Light reaching normalised sensor position (u, v), 1.0 = all channels lit. Channel i of
// n sits at angle 180° + i * 360° / n around the scene, clockwise as seen in the picture
// (of four: left, top, right, bottom), so each one lights its own side.
double illumination(int channelCount, uint32_t channelMask, double u, double v)
{
    constexpr double kAmbient = 0.03;
    if (channelCount <= 1)
        return (channelMask & 1u) ? 1.0 : kAmbient;
    double light = kAmbient;
    const int count = std::min(channelCount, 32);
    for (int i = 0; i < count; ++i) {
        if (!(channelMask & (1u << i)))
            continue;
        const double angle = kPi + 2.0 * kPi * i / count;
        const double along = (u - 0.5) * std::cos(angle) + (v - 0.5) * std::sin(angle);
        const double s = std::clamp(0.5 + along, 0.0, 1.0);
        light += (0.3 + 1.4 * s) / count;
    }
    return light;
}

// Three passes of a running box filter approximate a Gaussian of the given radius.
void boxBlur(std::vector<uint8_t>& plane, int w, int h, int radius)
{
    if (radius <= 0)
        return;
    std::vector<uint8_t> line(static_cast<size_t>(std::max(w, h)));
    auto blurLine = [&](uint8_t* p, ptrdiff_t stride, int n) {
        for (int i = 0; i < n; ++i)
            line[static_cast<size_t>(i)] = p[i * stride];
        const int window = 2 * radius + 1;
        int sum = 0;
        for (int i = -radius; i <= radius; ++i)
            sum += line[static_cast<size_t>(std::clamp(i, 0, n - 1))];
        for (int i = 0; i < n; ++i) {
            p[i * stride] = static_cast<uint8_t>((sum + window / 2) / window);
            sum += line[static_cast<size_t>(std::min(i + radius + 1, n - 1))];
            sum -= line[static_cast<size_t>(std::max(i - radius, 0))];
        }
    };
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < h; ++y)
            blurLine(plane.data() + static_cast<size_t>(y) * w, 1, w);
        for (int x = 0; x < w; ++x)
            blurLine(plane.data() + x, w, h);
    }
}

class DemoScene : public Scene {
public:
    explicit DemoScene(uint32_t seed) : seed_(seed)
    {
        const uint64_t h = mix64(seed ^ 0xA5A5u);
        ballPhaseX_ = (h & 0xFFFF) / 65536.0 * 2 * kPi;
        ballPhaseY_ = ((h >> 16) & 0xFFFF) / 65536.0 * 2 * kPi;
        const Rgb c = hsv(0.03 + ((h >> 32) % 100) / 1000.0, 0.85, 0.95);   // orange-red
        ballColour_[0] = c.r;
        ballColour_[1] = c.g;
        ballColour_[2] = c.b;
    }

    void render(const SensorSettings& sensor, double timeSec, uint64_t frameNumber,
                RawFrame& out) override
    {
        const SceneGeometry g = SceneGeometry::from(sensor);
        prepareFrame(sensor, g, timeSec, frameNumber, out);
        const bool bayer = sensor.layout == RawLayout::BayerRG8;
        const int blur = blurRadius(sensor, g);
        updateBackground(sensor, g, bayer, blur);

        const int w = g.outputWidth, h = g.outputHeight;
        const double gain = std::clamp(sensor.analogGainMilli, 0, 1000000) / 1000.0;
        const double exposureMs = std::isfinite(sensor.exposureUs)
                                      ? std::clamp(sensor.exposureUs, 0.0, 1e8) / 1000.0
                                      : 0.0;
        const double scale = std::min(300.0, exposureMs * gain * kSensitivityPerMs);
        const double readNoise = std::isfinite(sensor.noiseSigma) ? std::max(0.0, sensor.noiseSigma) : 0.0;
        const double sigma = std::sqrt(readNoise * readNoise * gain * gain + 2.5 * gain);
        const int8_t* noise = noiseTable(sigma);

        const Flicker flicker = flickerModel(sensor, timeSec);
        const Overlay overlay = makeOverlay(g, timeSec, frameNumber);
        const Ball ball = ballAt(sensor, g, timeSec, blur);

        scratch_.resize(static_cast<size_t>(w));
        int16_t lut[256];
        // Deeper sensors: the same brightness in finer steps (step = 2^(depth - 8) of them
        // per 8-bit level), the noise scaled alike plus a dither of one level, so the low
        // bits carry detail.
        const int shift = out.bitDepth - 8;
        const int step = 1 << shift;
        const int top = (1 << out.bitDepth) - 1;
        int32_t deepLut[256];
        double lutFactor = -1.0;
        uint64_t rng = mix64(seed_ ^ (frameNumber * 0x9E3779B97F4A7C15ull));
        for (int y = 0; y < h; ++y) {
            const uint8_t* src = bg_.data() + static_cast<size_t>(y) * w;
            const bool ballRow = y >= ball.y0 && y < ball.y1;
            const bool textRow = y >= overlay.y0 && y < overlay.y1;
            if (ballRow || textRow) {
                std::memcpy(scratch_.data(), src, static_cast<size_t>(w));
                if (ballRow)
                    drawBallRow(ball, y, w, bayer, scratch_.data());
                if (textRow)
                    drawOverlayRow(overlay, y, w, scratch_.data());
                src = scratch_.data();
            }
            double factor = scale;
            if (flicker.on)
                factor *= flicker.rowFactor(g.sensorY(y));
            // Tables only change when the row brightness moves by 1/1024.
            factor = std::round(factor * 1024.0) / 1024.0;
            if (factor != lutFactor) {
                for (int v = 0; v < 256; ++v) {
                    lut[v] = static_cast<int16_t>(std::min(255.0, std::round(v * factor)));
                    deepLut[v] =
                        static_cast<int32_t>(std::min<double>(top, std::round(v * factor * step)));
                }
                lutFactor = factor;
            }
            if (shift > 0) {
                renderDeepRow(src, deepLut, noise, step, top, w, y, rng, out);
                continue;
            }
            uint8_t* dst = out.pixels.data() + static_cast<size_t>(y) * w;
            for (int x0 = 0; x0 < w; x0 += kNoiseSegment) {
                rng = mix64(rng);
                const int8_t* n = noise + (rng % kNoiseTableSize);
                const int end = std::min(w - x0, kNoiseSegment);
                const uint8_t* s = src + x0;
                uint8_t* o = dst + x0;
                for (int x = 0; x < end; ++x) {
                    const int v = lut[s[x]] + n[x];
                    o[x] = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
                }
            }
        }
        applyDefects(sensor, g, out);
    }

private:
    // One row of a deep frame: 16-bit words, brightness from deepLut, 8-bit noise scaled
    // by step plus a uniform dither within one step.
    static void renderDeepRow(const uint8_t* src, const int32_t* deepLut, const int8_t* noise,
                              int step, int top, int w, int y, uint64_t& rng, RawFrame& out)
    {
        uint8_t* dst = out.pixels.data() + static_cast<size_t>(y) * w * 2;
        const int half = step / 2;
        for (int x0 = 0; x0 < w; x0 += kNoiseSegment) {
            rng = mix64(rng);
            const int8_t* n = noise + (rng % kNoiseTableSize);
            uint32_t dither = static_cast<uint32_t>(rng >> 32) | 1u;
            const int end = std::min(w - x0, kNoiseSegment);
            const uint8_t* s = src + x0;
            uint8_t* o = dst + 2 * static_cast<size_t>(x0);
            for (int x = 0; x < end; ++x) {
                dither ^= dither << 13;
                dither ^= dither >> 17;
                dither ^= dither << 5;
                const int fine = static_cast<int>(dither & static_cast<uint32_t>(step - 1)) - half;
                int v = deepLut[s[x]] + n[x] * step + fine;
                v = v < 0 ? 0 : (v > top ? top : v);
                o[2 * x] = static_cast<uint8_t>(v);
                o[2 * x + 1] = static_cast<uint8_t>(v >> 8);
            }
        }
    }

    struct Flicker {
        bool on = false;
        double t0 = 0, exposure = 0, omega = 0, rowTime = 0;
        // Mean lamp intensity over the exposure of sensor row r (rolling shutter).
        double rowFactor(int sensorRow) const
        {
            const double ts = t0 + sensorRow * rowTime;
            const double integral = (std::cos(omega * ts) - std::cos(omega * (ts + exposure))) / omega;
            return 1.0 + kFlickerDepth * integral / exposure;
        }
    };

    struct Overlay {
        int x0 = 0, x1 = 0, y0 = 0, y1 = 0, scale = 1, textX = 0, textY = 0, lineStep = 0;
        char lines[2][96] = {};
    };

    struct Ball {
        int y0 = 0, y1 = 0;
        double cx = 0, cy = 0, rx = 1, ry = 1, soft = 1;
        double colour[3] = {0, 0, 0};
    };

    Flicker flickerModel(const SensorSettings& s, double timeSec) const
    {
        Flicker f;
        const double exposure = s.exposureUs / 1e6;
        const int mains = s.lightFrequencyHz > 0 ? s.lightFrequencyHz : 50;
        const double period = 1.0 / (2.0 * mains);   // lamps flicker at twice the mains frequency
        const double cycles = exposure / period;
        const bool matched = cycles >= 0.99 && std::abs(cycles - std::round(cycles)) < 0.01;
        if (s.antiFlicker || matched || !(exposure > 0) || !std::isfinite(exposure))
            return f;
        f.on = true;
        f.t0 = std::isfinite(timeSec) ? std::fmod(timeSec, 1000.0) : 0.0;
        f.exposure = exposure;
        f.omega = 2.0 * kPi / period;
        f.rowTime = kReadoutTimeSec / std::max(1, s.sensorHeight);
        return f;
    }

    // Radius of the box filter (applied three times) that defocus amounts to, in output
    // pixels: zero within a small depth of field, then growing linearly up to about 2% of
    // the frame when the lens is a whole focus range away from best focus.
    static int blurRadius(const SensorSettings& s, const SceneGeometry& g)
    {
        if (s.focusRange <= 0)
            return 0;
        const double off = std::abs(static_cast<double>(s.focusPosition) - s.focusBest) / s.focusRange;
        const double amount = std::clamp(off - 0.01, 0.0, 1.0);
        return static_cast<int>(std::lround(amount * 0.018 * std::min(g.outputWidth, g.outputHeight)));
    }

    Overlay makeOverlay(const SceneGeometry& g, double timeSec, uint64_t frameNumber) const
    {
        Overlay o;
        o.scale = std::max(1, (g.outputHeight + 180) / 360);
        const double t = std::isfinite(timeSec) ? std::clamp(timeSec, 0.0, 359999.0) : 0.0;
        const auto ms = static_cast<long long>(t * 1000.0);
        std::snprintf(o.lines[0], sizeof o.lines[0], "FRAME %08llu",
                      static_cast<unsigned long long>(frameNumber % 100000000ull));
        std::snprintf(o.lines[1], sizeof o.lines[1], "TIME %02lld:%02lld:%02lld.%03lld",
                      ms / 3600000, (ms / 60000) % 60, (ms / 1000) % 60, ms % 1000);
        const int chars = static_cast<int>(std::max(std::strlen(o.lines[0]), std::strlen(o.lines[1])));
        const int pad = 3 * o.scale;
        o.lineStep = (kGlyphHeight + 3) * o.scale;
        o.x0 = o.scale * 2;
        o.y0 = o.scale * 2;
        o.textX = o.x0 + pad;
        o.textY = o.y0 + pad;
        o.x1 = std::min(g.outputWidth, o.textX + chars * kGlyphAdvance * o.scale + pad);
        o.y1 = std::min(g.outputHeight, o.textY + 2 * o.lineStep - 3 * o.scale + pad);
        return o;
    }

    static void drawOverlayRow(const Overlay& o, int y, int w, uint8_t* row)
    {
        constexpr uint8_t kPaper = 10, kInk = 240;
        const int x1 = std::min(o.x1, w);
        for (int x = o.x0; x < x1; ++x)
            row[x] = kPaper;
        const int line = (y - o.textY) / o.lineStep;
        if (y < o.textY || line > 1)
            return;
        const int glyphRow = (y - o.textY - line * o.lineStep) / o.scale;
        if (glyphRow >= kGlyphHeight)
            return;
        const char* text = o.lines[line];
        for (int i = 0; text[i]; ++i) {
            const uint8_t bits = glyphRows(text[i])[glyphRow];
            for (int c = 0; c < kGlyphWidth; ++c) {
                if (!((bits >> (kGlyphWidth - 1 - c)) & 1))
                    continue;
                const int start = o.textX + (i * kGlyphAdvance + c) * o.scale;
                for (int x = start; x < std::min(start + o.scale, x1); ++x)
                    row[x] = kInk;
            }
        }
    }

    Ball ballAt(const SensorSettings& s, const SceneGeometry& g, double timeSec, int blur) const
    {
        Ball b;
        const double t = std::isfinite(timeSec) ? std::fmod(timeSec, 1e6) : 0.0;
        const double aspect = static_cast<double>(g.sensorWidth) / g.sensorHeight;
        const double radius = 0.075;
        const double sx = (aspect / 2 + (aspect / 2 - radius - 0.02) * std::sin(2 * kPi * t / 7.3 + ballPhaseX_)) *
                          g.sensorHeight;
        const double sy = (0.5 + (0.5 - radius - 0.02) * std::sin(2 * kPi * t / 3.1 + ballPhaseY_)) *
                          g.sensorHeight;
        const double fx = static_cast<double>(g.outputWidth) / g.regionWidth;
        const double fy = static_cast<double>(g.outputHeight) / g.regionHeight;
        b.cx = (sx - g.offsetX) * fx;
        b.cy = (sy - g.offsetY) * fy;
        b.rx = std::max(0.5, radius * g.sensorHeight * fx);
        b.ry = std::max(0.5, radius * g.sensorHeight * fy);
        b.soft = 1.0 + blur;
        const double light = illumination(s.channelCount, s.channelMask, sx / g.sensorWidth,
                                          sy / g.sensorHeight);
        for (int c = 0; c < 3; ++c)
            b.colour[c] = ballColour_[c] * light * kLightTint[c];
        const double reach = b.ry + b.soft + 1;
        b.y0 = static_cast<int>(std::clamp(std::floor(b.cy - reach), 0.0, static_cast<double>(g.outputHeight)));
        b.y1 = static_cast<int>(std::clamp(std::ceil(b.cy + reach), 0.0, static_cast<double>(g.outputHeight)));
        return b;
    }

    static void drawBallRow(const Ball& b, int y, int w, bool bayer, uint8_t* row)
    {
        const double dy = (y + 0.5 - b.cy) / b.ry;
        const double reach = b.rx + b.soft + 1;
        const int x0 = static_cast<int>(std::clamp(std::floor(b.cx - reach), 0.0, static_cast<double>(w)));
        const int x1 = static_cast<int>(std::clamp(std::ceil(b.cx + reach), 0.0, static_cast<double>(w)));
        const double softness = b.soft / std::min(b.rx, b.ry);
        for (int x = x0; x < x1; ++x) {
            const double dx = (x + 0.5 - b.cx) / b.rx;
            const double d = std::sqrt(dx * dx + dy * dy);
            const double cover = std::clamp((1.0 - d) / softness + 0.5, 0.0, 1.0);
            if (cover <= 0.0)
                continue;
            // Lit from the upper left, with a highlight.
            const double nz = std::sqrt(std::max(0.0, 1.0 - std::min(1.0, d * d)));
            const double lambert = std::max(0.0, -0.45 * dx - 0.5 * dy + 0.74 * nz);
            const double shade = 0.2 + 0.8 * lambert;
            const double specular = 0.7 * std::pow(lambert, 30.0);
            double value;
            if (bayer) {
                value = b.colour[bayerColour(x, y)] * shade + specular;
            } else {
                value = (0.299 * b.colour[0] + 0.587 * b.colour[1] + 0.114 * b.colour[2]) * shade + specular;
            }
            const double v = std::min(1.0, value) * 255.0;
            row[x] = static_cast<uint8_t>(std::lround(row[x] * (1.0 - cover) + v * cover));
        }
    }

    // Rebuilds the static radiance image when geometry, lighting, focus or layout changed.
    void updateBackground(const SensorSettings& s, const SceneGeometry& g, bool bayer, int blur)
    {
        const uint32_t channels = s.channelCount <= 1 ? (s.channelMask & 1u)
                                                      : s.channelMask & static_cast<uint32_t>(
                                                            (1ull << std::min(s.channelCount, 32)) - 1);
        const bool baseValid = haveBase_ && g == baseGeometry_ && s.channelCount == baseChannelCount_ &&
                               channels == baseChannels_;
        if (!baseValid) {
            buildBase(s, g, channels);
            baseGeometry_ = g;
            baseChannelCount_ = s.channelCount;
            baseChannels_ = channels;
            haveBase_ = true;
            haveBg_ = false;
        }
        if (haveBg_ && bgBlur_ == blur && bgBayer_ == bayer)
            return;
        const int w = g.outputWidth, h = g.outputHeight;
        const std::vector<uint8_t>* planes = base_;
        std::vector<uint8_t> blurred[3];
        if (blur > 0) {
            for (int c = 0; c < 3; ++c) {
                blurred[c] = base_[c];
                boxBlur(blurred[c], w, h, blur);
            }
            planes = blurred;
        }
        bg_.resize(static_cast<size_t>(w) * h);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const size_t i = static_cast<size_t>(y) * w + x;
                if (bayer)
                    bg_[i] = planes[bayerColour(x, y)][i];
                else
                    bg_[i] = static_cast<uint8_t>((77 * planes[0][i] + 150 * planes[1][i] + 29 * planes[2][i] + 128) >> 8);
            }
        }
        bgBlur_ = blur;
        bgBayer_ = bayer;
        haveBg_ = true;
    }

    void buildBase(const SensorSettings& s, const SceneGeometry& g, uint32_t channels)
    {
        const ChartLayout layout(g.sensorWidth, g.sensorHeight, seed_);
        const int w = g.outputWidth, h = g.outputHeight;
        for (auto& plane : base_)
            plane.resize(static_cast<size_t>(w) * h);
        std::vector<double> sensorXs(static_cast<size_t>(w));
        for (int x = 0; x < w; ++x)
            sensorXs[static_cast<size_t>(x)] = g.sensorX(x) + 0.5;
        for (int y = 0; y < h; ++y) {
            const double sy = g.sensorY(y) + 0.5;
            for (int x = 0; x < w; ++x) {
                const double sx = sensorXs[static_cast<size_t>(x)];
                const Rgb c = sceneColour(layout, sx / g.sensorHeight, sy / g.sensorHeight);
                const double light = illumination(s.channelCount, channels, sx / g.sensorWidth, sy / g.sensorHeight);
                const size_t i = static_cast<size_t>(y) * w + x;
                const double rgb[3] = {c.r, c.g, c.b};
                for (int k = 0; k < 3; ++k)
                    base_[k][i] = static_cast<uint8_t>(std::lround(std::clamp(rgb[k] * light * kLightTint[k], 0.0, 1.0) * 255.0));
            }
        }
    }

    // Gaussian noise of the given sigma, kept per quarter step of sigma.
    const int8_t* noiseTable(double sigma)
    {
        const int key = static_cast<int>(std::lround(std::clamp(sigma, 0.0, 40.0) * 4.0));
        auto it = noise_.find(key);
        if (it == noise_.end()) {
            std::vector<int8_t> table(kNoiseTableSize + kNoiseSegment);
            std::mt19937 gen(seed_ * 7919u + static_cast<uint32_t>(key));
            std::normal_distribution<double> normal(0.0, key / 4.0 + 1e-9);
            for (auto& v : table)
                v = static_cast<int8_t>(std::clamp(std::lround(normal(gen)), -127L, 127L));
            it = noise_.emplace(key, std::move(table)).first;
        }
        return it->second.data();
    }

    uint32_t seed_;
    double ballPhaseX_ = 0, ballPhaseY_ = 0;
    double ballColour_[3] = {1, 0.5, 0.1};

    std::vector<uint8_t> base_[3];
    SceneGeometry baseGeometry_;
    int baseChannelCount_ = 0;
    uint32_t baseChannels_ = 0;
    bool haveBase_ = false;

    std::vector<uint8_t> bg_;
    int bgBlur_ = 0;
    bool bgBayer_ = true;
    bool haveBg_ = false;

    std::vector<uint8_t> scratch_;
    std::map<int, std::vector<int8_t>> noise_;
};

}  // namespace

std::unique_ptr<Scene> makeDemoScene(uint32_t seed)
{
    return std::make_unique<DemoScene>(seed);
}

}  // namespace vexo::imaging
