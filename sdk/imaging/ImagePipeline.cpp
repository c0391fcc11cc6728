// The image pipeline: raw Bayer or mono samples in, the caller's output format out.
//
// One fused pass per row does demosaic (bilinear), white balance, tone curve (gamma or
// preset table, contrast), saturation or monochrome, horizontal and vertical mirror and
// the packing into the output format. Everything per-value lives in four 256-entry tables
// built in configure(), so the per-pixel work is a few adds, shifts and table reads.
// Defect correction (before) and sharpening and crosshairs (after) are separate passes
// that cost nothing when switched off.
#include "Imaging.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vexo::imaging {
namespace {

constexpr int kDefectThreshold = 40;   // digital numbers beyond all same-colour neighbours

inline uint8_t clampByte(int v)
{
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

inline int lumaOf(int r, int g, int b)
{
    return (77 * r + 150 * g + 29 * b + 128) >> 8;
}

struct Tables {
    uint8_t r[256], g[256], b[256];
    uint8_t neutral[256];   // tone curve without white balance, for mono sensors
};

double presetCurve(int index, double x)
{
    switch (index) {
    case 1: {   // "曲线1": S-curve, deeper shadows and brighter highlights
        const double smooth = x * x * (3.0 - 2.0 * x);
        return 0.2 * x + 0.8 * smooth;
    }
    case 2:     // "曲线2": lifts shadows and mid-tones (logarithmic)
        return std::log1p(8.0 * x) / std::log1p(8.0);
    default:    // "直线": straight line
        return x;
    }
}

void buildTables(const PipelineSettings& s, Tables& t)
{
    const double gammaValue = std::clamp(s.gamma, 1, 1000) / 100.0;
    const double lutContrast = std::clamp(s.lutContrast, 0, 1000) / 100.0;
    const double contrast = std::clamp(s.contrast, 0, 200) / 100.0;
    const int preset =
        (s.presetLut >= 0 && s.presetLut < static_cast<int>(presetLutNames().size())) ? s.presetLut
                                                                                       : 0;
    uint8_t tone[256];
    for (int v = 0; v < 256; ++v) {
        const double x = v / 255.0;
        double y;
        if (s.lutMode == 1) {
            y = presetCurve(preset, x);
        } else {
            // gamma > 1 brightens mid-tones: out = in^(1/gamma)
            y = std::pow(x, 1.0 / gammaValue);
            y = (y - 0.5) * lutContrast + 0.5;
        }
        y = (y - 0.5) * contrast + 0.5;
        tone[v] = clampByte(static_cast<int>(std::lround(std::clamp(y, 0.0, 1.0) * 255.0)));
    }
    auto gain = [](double g) { return std::isfinite(g) ? std::clamp(g, 0.0, 16.0) : 1.0; };
    const double gr = gain(s.wbRed), gg = gain(s.wbGreen), gb = gain(s.wbBlue);
    for (int v = 0; v < 256; ++v) {
        t.r[v] = tone[clampByte(static_cast<int>(std::lround(v * gr)))];
        t.g[v] = tone[clampByte(static_cast<int>(std::lround(v * gg)))];
        t.b[v] = tone[clampByte(static_cast<int>(std::lround(v * gb)))];
        t.neutral[v] = tone[v];
    }
}

bool sameTables(const PipelineSettings& a, const PipelineSettings& b)
{
    return a.wbRed == b.wbRed && a.wbGreen == b.wbGreen && a.wbBlue == b.wbBlue &&
           a.contrast == b.contrast && a.lutMode == b.lutMode && a.gamma == b.gamma &&
           a.lutContrast == b.lutContrast && a.presetLut == b.presetLut;
}

// How the colour of a pixel is finished after the tables.
enum ColourMode { kPlain = 0, kSaturation = 1, kMonochrome = 2 };

// Packs one finished pixel into the output format at column x.
template <uint32_t Fmt, bool MirrorH, int Mode>
struct Emit {
    uint8_t* row;
    int width;
    int sat256;
    inline void operator()(int x, int r, int g, int b) const
    {
        const int xo = MirrorH ? width - 1 - x : x;
        if constexpr (Fmt == kPixelMono8) {
            row[xo] = static_cast<uint8_t>(lumaOf(r, g, b));
            return;
        } else {
            if constexpr (Mode == kMonochrome) {
                r = g = b = lumaOf(r, g, b);
            } else if constexpr (Mode == kSaturation) {
                const int y = lumaOf(r, g, b);
                r = clampByte(y + (((r - y) * sat256) >> 8));
                g = clampByte(y + (((g - y) * sat256) >> 8));
                b = clampByte(y + (((b - y) * sat256) >> 8));
            }
            if constexpr (Fmt == kPixelRGB8) {
                uint8_t* p = row + 3 * xo;
                p[0] = static_cast<uint8_t>(r);
                p[1] = static_cast<uint8_t>(g);
                p[2] = static_cast<uint8_t>(b);
            } else if constexpr (Fmt == kPixelBGR8) {
                uint8_t* p = row + 3 * xo;
                p[0] = static_cast<uint8_t>(b);
                p[1] = static_cast<uint8_t>(g);
                p[2] = static_cast<uint8_t>(r);
            } else {
                uint8_t* p = row + 4 * xo;
                p[0] = static_cast<uint8_t>(b);
                p[1] = static_cast<uint8_t>(g);
                p[2] = static_cast<uint8_t>(r);
                p[3] = 255;
            }
        }
    }
};

// Bilinear demosaic of one RGGB row. u, c, d point at pixel 0 of the padded rows above,
// at and below (index -1 and width are valid, mirrored across the border).
template <uint32_t Fmt, bool MirrorH, int Mode>
void bayerRow(const uint8_t* u, const uint8_t* c, const uint8_t* d, int w, bool redRow,
              const Tables& t, const Emit<Fmt, MirrorH, Mode>& emit)
{
    int x = 0;
    if (redRow) {
        for (; x + 1 < w; x += 2) {
            const int r0 = c[x];
            const int g0 = (c[x - 1] + c[x + 1] + u[x] + d[x] + 2) >> 2;
            const int b0 = (u[x - 1] + u[x + 1] + d[x - 1] + d[x + 1] + 2) >> 2;
            const int r1 = (c[x] + c[x + 2] + 1) >> 1;
            const int g1 = c[x + 1];
            const int b1 = (u[x + 1] + d[x + 1] + 1) >> 1;
            emit(x, t.r[r0], t.g[g0], t.b[b0]);
            emit(x + 1, t.r[r1], t.g[g1], t.b[b1]);
        }
        if (x < w) {
            const int r0 = c[x];
            const int g0 = (c[x - 1] + c[x + 1] + u[x] + d[x] + 2) >> 2;
            const int b0 = (u[x - 1] + u[x + 1] + d[x - 1] + d[x + 1] + 2) >> 2;
            emit(x, t.r[r0], t.g[g0], t.b[b0]);
        }
    } else {
        for (; x + 1 < w; x += 2) {
            const int r0 = (u[x] + d[x] + 1) >> 1;
            const int g0 = c[x];
            const int b0 = (c[x - 1] + c[x + 1] + 1) >> 1;
            const int r1 = (u[x] + u[x + 2] + d[x] + d[x + 2] + 2) >> 2;
            const int g1 = (c[x] + c[x + 2] + u[x + 1] + d[x + 1] + 2) >> 2;
            const int b1 = c[x + 1];
            emit(x, t.r[r0], t.g[g0], t.b[b0]);
            emit(x + 1, t.r[r1], t.g[g1], t.b[b1]);
        }
        if (x < w) {
            const int r0 = (u[x] + d[x] + 1) >> 1;
            const int g0 = c[x];
            const int b0 = (c[x - 1] + c[x + 1] + 1) >> 1;
            emit(x, t.r[r0], t.g[g0], t.b[b0]);
        }
    }
}

// Index of the sample that stands in for row/column i outside 0..n-1: mirrored across
// the border so it keeps its Bayer colour, clamped for images of one or two pixels.
inline int mirrorIndex(int i, int n)
{
    if (i < 0)
        i = -i;
    if (i >= n)
        i = 2 * n - 2 - i;
    return std::clamp(i, 0, n - 1);
}

void padRow(const uint8_t* src, int w, uint8_t* dst)
{
    dst[0] = src[mirrorIndex(-1, w)];
    std::memcpy(dst + 1, src, static_cast<size_t>(w));
    dst[w + 1] = src[mirrorIndex(w, w)];
}

template <uint32_t Fmt, bool MirrorH, int Mode>
void demosaicBayer(const uint8_t* src, int w, int h, bool mirrorV, const Tables& t, int sat256,
                   uint8_t* out, size_t bpp)
{
    thread_local std::vector<uint8_t> padded;
    const size_t padW = static_cast<size_t>(w) + 2;
    padded.resize(padW * 3);
    uint8_t* ring[3] = {padded.data(), padded.data() + padW, padded.data() + 2 * padW};
    // ring[(y + 1) % 3] holds row y - 1, ring[(y + 2) % 3] row y, ring[y % 3] row y + 1
    auto rowAt = [&](int y) { return src + static_cast<size_t>(mirrorIndex(y, h)) * w; };
    padRow(rowAt(-1), w, ring[2]);
    padRow(rowAt(0), w, ring[0]);
    const size_t outStride = static_cast<size_t>(w) * bpp;
    for (int y = 0; y < h; ++y) {
        uint8_t* below = ring[(y + 1) % 3];
        padRow(rowAt(y + 1), w, below);
        const uint8_t* above = ring[(y + 2) % 3];
        const uint8_t* current = ring[y % 3];
        uint8_t* dst = out + static_cast<size_t>(mirrorV ? h - 1 - y : y) * outStride;
        const Emit<Fmt, MirrorH, Mode> emit{dst, w, sat256};
        bayerRow(above + 1, current + 1, below + 1, w, (y & 1) == 0, t, emit);
    }
}

template <uint32_t Fmt, bool MirrorH>
void convertMono(const uint8_t* src, int w, int h, bool mirrorV, const Tables& t, uint8_t* out,
                 size_t bpp)
{
    const size_t outStride = static_cast<size_t>(w) * bpp;
    for (int y = 0; y < h; ++y) {
        const uint8_t* s = src + static_cast<size_t>(y) * w;
        uint8_t* dst = out + static_cast<size_t>(mirrorV ? h - 1 - y : y) * outStride;
        const Emit<Fmt, MirrorH, kPlain> emit{dst, w, 256};
        for (int x = 0; x < w; ++x) {
            const int v = t.neutral[s[x]];
            if constexpr (Fmt == kPixelMono8)
                dst[MirrorH ? w - 1 - x : x] = static_cast<uint8_t>(v);
            else
                emit(x, v, v, v);
        }
    }
}

using ConvertFn = void (*)(const uint8_t*, int, int, bool, const Tables&, int, uint8_t*, size_t);

template <uint32_t Fmt, bool MirrorH>
ConvertFn pickMode(int mode)
{
    switch (mode) {
    case kSaturation: return &demosaicBayer<Fmt, MirrorH, kSaturation>;
    case kMonochrome: return &demosaicBayer<Fmt, MirrorH, kMonochrome>;
    default: return &demosaicBayer<Fmt, MirrorH, kPlain>;
    }
}

template <uint32_t Fmt>
void convert(const uint8_t* src, int w, int h, bool bayer, bool mirrorH, bool mirrorV,
             const Tables& t, int mode, int sat256, uint8_t* out, size_t bpp)
{
    if (bayer) {
        const ConvertFn fn = mirrorH ? pickMode<Fmt, true>(mode) : pickMode<Fmt, false>(mode);
        fn(src, w, h, mirrorV, t, sat256, out, bpp);
    } else if (mirrorH) {
        convertMono<Fmt, true>(src, w, h, mirrorV, t, out, bpp);
    } else {
        convertMono<Fmt, false>(src, w, h, mirrorV, t, out, bpp);
    }
}

// Replaces samples that stand out from all four nearest samples of the same colour (hot
// or dead pixels) by the mean of those neighbours.
void correctDefects(const uint8_t* src, int w, int h, bool bayer, std::vector<uint8_t>& dst)
{
    const size_t count = static_cast<size_t>(w) * h;
    dst.assign(src, src + count);
    const int step = bayer ? 2 : 1;
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = src + static_cast<size_t>(y) * w;
        const bool hasUp = y >= step, hasDown = y + step < h;
        for (int x = 0; x < w; ++x) {
            int lo = 255, hi = 0, sum = 0, n = 0;
            auto take = [&](int v) {
                lo = std::min(lo, v);
                hi = std::max(hi, v);
                sum += v;
                ++n;
            };
            if (x >= step)
                take(row[x - step]);
            if (x + step < w)
                take(row[x + step]);
            if (hasUp)
                take(row[x - static_cast<ptrdiff_t>(step) * w]);
            if (hasDown)
                take(row[x + static_cast<ptrdiff_t>(step) * w]);
            if (n < 2)
                continue;
            const int v = row[x];
            if (v > hi + kDefectThreshold || v < lo - kDefectThreshold)
                dst[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>((sum + n / 2) / n);
        }
    }
}

// Unsharp mask with a 3x3 Gaussian, on every byte of the packed image (the alpha byte of
// BGRA is constant and so stays unchanged). amount64 is the gain in 1/64.
void sharpen(uint8_t* img, int w, int h, size_t bpp, int amount64)
{
    const size_t rowBytes = static_cast<size_t>(w) * bpp;
    const size_t padBytes = rowBytes + 2 * bpp;
    thread_local std::vector<uint8_t> buffer;
    buffer.resize(padBytes * 3);
    uint8_t* ring[3] = {buffer.data(), buffer.data() + padBytes, buffer.data() + 2 * padBytes};
    auto load = [&](int y, uint8_t* dst) {
        const uint8_t* s = img + static_cast<size_t>(std::clamp(y, 0, h - 1)) * rowBytes;
        std::memcpy(dst + bpp, s, rowBytes);
        std::memcpy(dst, s, bpp);
        std::memcpy(dst + bpp + rowBytes, s + rowBytes - bpp, bpp);
    };
    load(-1, ring[2]);
    load(0, ring[0]);
    const ptrdiff_t step = static_cast<ptrdiff_t>(bpp);
    for (int y = 0; y < h; ++y) {
        uint8_t* nextRow = ring[(y + 1) % 3];
        load(y + 1, nextRow);
        const uint8_t* up = ring[(y + 2) % 3] + bpp;
        const uint8_t* cur = ring[y % 3] + bpp;
        const uint8_t* down = nextRow + bpp;
        uint8_t* dst = img + static_cast<size_t>(y) * rowBytes;
        for (ptrdiff_t i = 0; i < static_cast<ptrdiff_t>(rowBytes); ++i) {
            const int c = cur[i];
            const int blur = (4 * c + 2 * (cur[i - step] + cur[i + step] + up[i] + down[i]) +
                              up[i - step] + up[i + step] + down[i - step] + down[i + step] + 8) >>
                             4;
            dst[i] = clampByte(c + (((c - blur) * amount64 + 32) >> 6));
        }
    }
}

void drawCrosshairs(const std::array<Crosshair, 9>& crosshairs, uint8_t* img, int w, int h,
                    uint32_t fmt, size_t bpp)
{
    const int thickness = crosshairThickness(w, h);
    for (const Crosshair& ch : crosshairs) {
        if (!ch.enabled)
            continue;
        uint8_t colour[4];
        switch (fmt) {
        case kPixelRGB8: colour[0] = ch.r; colour[1] = ch.g; colour[2] = ch.b; break;
        case kPixelBGR8: colour[0] = ch.b; colour[1] = ch.g; colour[2] = ch.r; break;
        case kPixelBGRA8:
            colour[0] = ch.b; colour[1] = ch.g; colour[2] = ch.r; colour[3] = 255;
            break;
        default: colour[0] = static_cast<uint8_t>(lumaOf(ch.r, ch.g, ch.b)); break;
        }
        const int first = -(thickness - 1) / 2;
        for (int k = first; k < first + thickness; ++k) {
            const int y = ch.y + k;
            if (y >= 0 && y < h) {
                uint8_t* p = img + static_cast<size_t>(y) * w * bpp;
                for (int x = 0; x < w; ++x, p += bpp)
                    std::memcpy(p, colour, bpp);
            }
            const int x = ch.x + k;
            if (x >= 0 && x < w) {
                uint8_t* p = img + static_cast<size_t>(x) * bpp;
                for (int y2 = 0; y2 < h; ++y2, p += static_cast<size_t>(w) * bpp)
                    std::memcpy(p, colour, bpp);
            }
        }
    }
}

}  // namespace

const std::vector<std::string>& presetLutNames()
{
    static const std::vector<std::string> names{"直线", "曲线1", "曲线2"};
    return names;
}

size_t bytesPerPixel(uint32_t pixelFormat)
{
    switch (pixelFormat) {
    case kPixelMono8:
    case kPixelBayerRG8: return 1;
    case kPixelRGB8:
    case kPixelBGR8: return 3;
    case kPixelBGRA8: return 4;
    default: return 0;
    }
}

int crosshairThickness(int width, int height)
{
    return std::max(1, std::min(width, height) / 540);
}

struct ImagePipeline::Impl {
    PipelineSettings settings;
    Tables tables{};
};

ImagePipeline::ImagePipeline() : d(std::make_unique<Impl>())
{
    buildTables(d->settings, d->tables);
}

ImagePipeline::~ImagePipeline() = default;

void ImagePipeline::configure(const PipelineSettings& settings)
{
    const bool rebuild = !sameTables(settings, d->settings);
    d->settings = settings;
    if (rebuild)
        buildTables(d->settings, d->tables);
}

const PipelineSettings& ImagePipeline::settings() const
{
    return d->settings;
}

int ImagePipeline::process(const RawFrame& raw, uint8_t* out, size_t outSize) const
{
    const PipelineSettings& s = d->settings;
    const size_t bpp = bytesPerPixel(s.outputFormat);
    if (bpp == 0)
        return kImagingUnknownFormat;
    const int w = raw.width, h = raw.height;
    if (w <= 0 || h <= 0 || w > kImagingMaxDimension || h > kImagingMaxDimension || !out)
        return kImagingBadArgument;
    const size_t count = static_cast<size_t>(w) * static_cast<size_t>(h);
    if (raw.pixels.size() < count)
        return kImagingBadArgument;
    if (outSize < count * bpp)
        return kImagingBufferTooSmall;
    const bool bayer = raw.layout == RawLayout::BayerRG8;
    if (s.outputFormat == kPixelBayerRG8) {
        // Raw passthrough: the sensor's own samples, untouched.
        if (!bayer)
            return kImagingUnknownFormat;
        std::memcpy(out, raw.pixels.data(), count);
        return kImagingOk;
    }

    const uint8_t* src = raw.pixels.data();
    thread_local std::vector<uint8_t> corrected;
    if (s.defectCorrection) {
        correctDefects(src, w, h, bayer, corrected);
        src = corrected.data();
    }

    const int saturation = std::clamp(s.saturation, 0, 200);
    const int mode = s.monochrome ? kMonochrome : (saturation != 100 ? kSaturation : kPlain);
    const int sat256 = saturation * 256 / 100;
    const Tables& t = d->tables;
    switch (s.outputFormat) {
    case kPixelRGB8:
        convert<kPixelRGB8>(src, w, h, bayer, s.mirrorHorizontal, s.mirrorVertical, t, mode,
                            sat256, out, bpp);
        break;
    case kPixelBGR8:
        convert<kPixelBGR8>(src, w, h, bayer, s.mirrorHorizontal, s.mirrorVertical, t, mode,
                            sat256, out, bpp);
        break;
    case kPixelBGRA8:
        convert<kPixelBGRA8>(src, w, h, bayer, s.mirrorHorizontal, s.mirrorVertical, t, mode,
                             sat256, out, bpp);
        break;
    default:
        convert<kPixelMono8>(src, w, h, bayer, s.mirrorHorizontal, s.mirrorVertical, t, kPlain,
                             256, out, bpp);
        break;
    }

    const int sharpness = std::clamp(s.sharpness, 0, 100);
    if (sharpness > 0)
        sharpen(out, w, h, bpp, sharpness * 192 / 100);
    drawCrosshairs(s.crosshairs, out, w, h, s.outputFormat, bpp);
    return kImagingOk;
}

FrameStatistics ImagePipeline::statistics(const RawFrame& raw)
{
    FrameStatistics stats;
    const int w = raw.width, h = raw.height;
    if (w <= 0 || h <= 0 || raw.pixels.size() < static_cast<size_t>(w) * static_cast<size_t>(h))
        return stats;
    const uint8_t* px = raw.pixels.data();
    // Sample whole 2x2 cells on an even grid so every Bayer colour is seen, about 40 000
    // cells at most.
    const double cells = (static_cast<double>(w) * h) / 4.0;
    const int step = 2 * std::max(1, static_cast<int>(std::sqrt(cells / 40000.0)));
    uint64_t sum[3] = {0, 0, 0}, n[3] = {0, 0, 0};
    const bool bayer = raw.layout == RawLayout::BayerRG8;
    for (int y = 0; y < h; y += step) {
        for (int x = 0; x < w; x += step) {
            for (int dy = 0; dy < 2 && y + dy < h; ++dy) {
                for (int dx = 0; dx < 2 && x + dx < w; ++dx) {
                    const int v = px[static_cast<size_t>(y + dy) * w + x + dx];
                    const int c = bayer ? (dy == 0 ? (dx == 0 ? 0 : 1) : (dx == 0 ? 1 : 2)) : 1;
                    sum[c] += static_cast<uint64_t>(v);
                    ++n[c];
                }
            }
        }
    }
    if (!bayer) {
        const double mean = n[1] ? static_cast<double>(sum[1]) / n[1] : 0.0;
        stats.meanLuma = stats.meanRed = stats.meanGreen = stats.meanBlue = mean;
        return stats;
    }
    const uint64_t all = n[0] + n[1] + n[2];
    const double fallback = all ? static_cast<double>(sum[0] + sum[1] + sum[2]) / all : 0.0;
    auto mean = [&](int c) { return n[c] ? static_cast<double>(sum[c]) / n[c] : fallback; };
    stats.meanRed = mean(0);
    stats.meanGreen = mean(1);
    stats.meanBlue = mean(2);
    stats.meanLuma = 0.299 * stats.meanRed + 0.587 * stats.meanGreen + 0.114 * stats.meanBlue;
    return stats;
}

}  // namespace vexo::imaging
