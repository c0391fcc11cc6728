// The image pipeline: raw Bayer or mono samples in, the caller's output format out.
//
// One pass per row: the raw row gets white balance and tone curve (gamma or preset table,
// contrast) from per-colour 256-entry tables built in configure(), then bilinear demosaic
// into three planar rows, saturation or monochrome, sharpening of the finished planes one
// row behind, and packing into the output format with horizontal and vertical mirroring. The row kernels
// have SIMD versions (see PipelineKernels). Defect correction (before) and crosshairs
// (after) are separate passes; every step costs nothing when switched off.
#include "Imaging.h"
#include "PipelineKernels.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

namespace vexo::imaging {
namespace {

constexpr int kDefectThreshold = 40;   // digital numbers beyond all same-colour neighbours
// How many rows ahead of the one being prepared the raw frame is fetched.
constexpr int kRowPrefetch = 2;

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

bool isIdentity(const uint8_t* table)
{
    for (int v = 0; v < 256; ++v)
        if (table[v] != v)
            return false;
    return true;
}

// Per-row scratch of one processing call; thread_local so concurrent calls never share.
// The finished planes (after demosaic, saturation or luma) of the last three rows (four
// where two rows are sharpened at a time) form a ring, each plane padded by one sample on
// both sides that repeats the edge sample, so sharpening can run on them one row behind,
// before packing.
struct RowBuffers {
    std::vector<uint8_t> storage;
    uint8_t* padded[3] = {};    // ring of padded raw rows, tables applied
    uint8_t* plane[4][3] = {};  // ring slot, then planar r, g, b of that row
    uint8_t* grey[4] = {};      // ring slot: the row's single plane when the output is grey
    uint8_t* sharp[3] = {};     // sharpened r, g, b (or grey) of the row being packed
    std::vector<uint16_t> sumStorage;
    uint16_t* sums[3][3] = {};  // ring slot, then the horizontal sums of each plane (or grey)

    void reserve(int w)
    {
        // 64-byte aligned rows of whole 64-sample blocks.
        const size_t sumStride = (static_cast<size_t>(w) + 63) / 64 * 64;
        sumStorage.resize(9 * sumStride + 32);
        uint16_t* s = sumStorage.data();
        s += (64 - reinterpret_cast<uintptr_t>(s) % 64) % 64 / sizeof(uint16_t);
        for (auto& slot : sums)
            for (auto& row : slot) {
                row = s;
                s += sumStride;
            }
        // Every row's first sample on a 64-byte boundary (the padded rows' second byte), with
        // room for one padding sample before it and the 64-byte blocks' reads after it.
        const size_t stride = (static_cast<size_t>(w) + 64) / 64 * 64 + 64;
        const size_t rows = std::size(padded) + std::size(plane) * std::size(plane[0]) +
                                std::size(grey) + std::size(sharp);
        storage.resize(rows * stride + 64);
        uint8_t* p = storage.data();
        p += (64 - reinterpret_cast<uintptr_t>(p) % 64) % 64;
        auto take = [&p, stride]() {
            uint8_t* row = p + 64;
            p += stride;
            return row;
        };
        for (auto& row : padded)
            row = take() - 1;
        for (auto& slot : plane)
            for (auto& row : slot)
                row = take();
        for (auto& row : grey)
            row = take();
        for (auto& row : sharp)
            row = take();
    }
};

// Repeats the edge samples of a plane of w samples into its padding.
inline void padPlane(uint8_t* row, int w)
{
    row[-1] = row[0];
    row[w] = row[w - 1];
}

// Raw row y with the tables of its colours applied, padded by one mirrored sample on
// each side. Applying the tables before interpolation costs one lookup per sample
// instead of three per pixel.
void prepareRow(const uint8_t* src, int w, int h, int y, bool bayer, const Tables& t,
                const bool identity[2], uint8_t* padded)
{
    const int sy = mirrorIndex(y, h);
    const uint8_t* row = src + static_cast<size_t>(sy) * w;
#if defined(__GNUC__) || defined(__clang__)
    // A new frame is rarely in this core's caches: ask for the row after next now, so it
    // has arrived when its turn comes.
    if (y >= 0 && y + kRowPrefetch < h)
        for (int x = 0; x < w; x += 64)
            __builtin_prefetch(row + static_cast<size_t>(kRowPrefetch) * w + x);
#endif
    uint8_t* dst = padded + 1;
    const bool redRow = (sy & 1) == 0;
    if (identity[bayer ? (redRow ? 0 : 1) : 0])
        std::memcpy(dst, row, static_cast<size_t>(w));
    else if (!bayer)
        kernels::lookupRow(row, w, t.neutral, t.neutral, dst);
    else if (redRow)
        kernels::lookupRow(row, w, t.r, t.g, dst);
    else
        kernels::lookupRow(row, w, t.g, t.b, dst);
    dst[-1] = dst[mirrorIndex(-1, w)];
    dst[w] = dst[mirrorIndex(w, w)];
}

void packRow(uint32_t fmt, const uint8_t* r, const uint8_t* g, const uint8_t* b, int w,
             bool mirror, uint8_t* dst, uint8_t* lumaScratch)
{
    switch (fmt) {
    case kPixelRGB8: kernels::packRgbRow(r, g, b, w, mirror, dst); break;
    case kPixelBGR8: kernels::packBgrRow(r, g, b, w, mirror, dst); break;
    case kPixelBGRA8: kernels::packBgraRow(r, g, b, w, mirror, dst); break;
    default:
        if (r == g && g == b) {
            kernels::copyRow(r, w, mirror, dst);
        } else {
            kernels::lumaRow(r, g, b, w, lumaScratch);
            kernels::copyRow(lumaScratch, w, mirror, dst);
        }
        break;
    }
}

// Replaces samples that stand out from all four nearest samples of the same colour (hot
// or dead pixels) by the mean of those neighbours. Border samples with fewer neighbours
// are judged on the ones they have (at least two).
void correctDefectAt(const uint8_t* src, int w, int h, int step, int x, int y, uint8_t* dst)
{
    const uint8_t* row = src + static_cast<size_t>(y) * w;
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
    if (y >= step)
        take(row[x - static_cast<ptrdiff_t>(step) * w]);
    if (y + step < h)
        take(row[x + static_cast<ptrdiff_t>(step) * w]);
    const int v = row[x];
    dst[x] = (n >= 2 && (v > hi + kDefectThreshold || v < lo - kDefectThreshold))
                 ? static_cast<uint8_t>((sum + n / 2) / n)
                 : static_cast<uint8_t>(v);
}

void correctDefects(const uint8_t* src, int w, int h, bool bayer, std::vector<uint8_t>& dst)
{
    dst.resize(static_cast<size_t>(w) * h);
    const int step = bayer ? 2 : 1;
    const ptrdiff_t rowStep = static_cast<ptrdiff_t>(step) * w;
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = src + static_cast<size_t>(y) * w;
        uint8_t* out = dst.data() + static_cast<size_t>(y) * w;
        int from = 0, to = 0;   // columns the fast kernel handles
        if (y >= step && y + step < h && w > 2 * step) {
            from = step;
            to = w - step;
            kernels::defectRow(row - rowStep, row, row + rowStep, from, to, step, kDefectThreshold, out);
        }
        for (int x = 0; x < w; ++x) {
            if (x == from && to > from)
                x = to;
            if (x < w)
                correctDefectAt(src, w, h, step, x, y, out);
        }
    }
}

// count pixels of bpp bytes, step bytes apart, get colour; the copy has a fixed size per
// format, so it is a few moves instead of a library call per pixel.
template <size_t Bpp>
void paintPixels(uint8_t* p, size_t step, int count, const uint8_t* colour)
{
    for (int i = 0; i < count; ++i, p += step)
        std::memcpy(p, colour, Bpp);
}

void paintPixels(uint8_t* p, size_t step, int count, size_t bpp, const uint8_t* colour)
{
    switch (bpp) {
    case 1: paintPixels<1>(p, step, count, colour); break;
    case 3: paintPixels<3>(p, step, count, colour); break;
    default: paintPixels<4>(p, step, count, colour); break;
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
        const size_t stride = static_cast<size_t>(w) * bpp;
        for (int k = first; k < first + thickness; ++k) {
            const int y = ch.y + k;
            if (y >= 0 && y < h)
                paintPixels(img + static_cast<size_t>(y) * stride, bpp, w, bpp, colour);
            const int x = ch.x + k;
            if (x >= 0 && x < w)
                paintPixels(img + static_cast<size_t>(x) * bpp, stride, h, bpp, colour);
        }
    }
}

// The top eight bits of a deep frame (values above the depth's range count as 255).
void reduceToEightBits(const RawFrame& deep, RawFrame& eight)
{
    eight.width = deep.width;
    eight.height = deep.height;
    eight.layout = deep.layout;
    eight.bitDepth = 8;
    eight.frameNumber = deep.frameNumber;
    eight.timestampUs = deep.timestampUs;
    const size_t count = static_cast<size_t>(deep.width) * static_cast<size_t>(deep.height);
    eight.pixels.resize(count);
    const int shift = deep.bitDepth - 8;
    const uint8_t* src = deep.pixelData();
    uint8_t* dst = eight.pixels.data();
    for (size_t i = 0; i < count; ++i) {
        const unsigned v =
            (static_cast<unsigned>(src[2 * i]) | static_cast<unsigned>(src[2 * i + 1]) << 8) >>
            shift;
        dst[i] = static_cast<uint8_t>(v > 255 ? 255 : v);
    }
}

// Mono16 output: every grey sample moved up to fill 16 bits, mirrored as asked.
int deepGrey(const RawFrame& raw, bool mirrorHorizontal, bool mirrorVertical, uint8_t* out)
{
    if (raw.layout != RawLayout::Mono8)
        return kImagingUnknownFormat;
    const int w = raw.width, h = raw.height;
    const int up = 16 - raw.bitDepth;
    for (int y = 0; y < h; ++y) {
        const size_t sourceRow = static_cast<size_t>(mirrorVertical ? h - 1 - y : y) * w;
        uint8_t* dst = out + static_cast<size_t>(y) * w * 2;
        for (int x = 0; x < w; ++x) {
            const size_t i = sourceRow + static_cast<size_t>(mirrorHorizontal ? w - 1 - x : x);
            const unsigned v = std::min(rawSample(raw, i) << up, 65535u);
            dst[2 * x] = static_cast<uint8_t>(v);
            dst[2 * x + 1] = static_cast<uint8_t>(v >> 8);
        }
    }
    return kImagingOk;
}

}  // namespace

int rawBitDepth(uint32_t pixelFormat)
{
    switch (pixelFormat) {
        case kPixelMono8:
        case kPixelBayerRG8:
            return 8;
        case kPixelMono10:
        case kPixelBayerRG10:
            return 10;
        case kPixelMono12:
        case kPixelBayerRG12:
            return 12;
        case kPixelMono16:
        case kPixelBayerRG16:
            return 16;
        default:
            return 0;
    }
}

bool isBayerFormat(uint32_t pixelFormat)
{
    return pixelFormat == kPixelBayerRG8 || pixelFormat == kPixelBayerRG10 ||
           pixelFormat == kPixelBayerRG12 || pixelFormat == kPixelBayerRG16;
}

uint32_t rawPixelFormat(RawLayout layout, int bitDepth)
{
    const bool bayer = layout == RawLayout::BayerRG8;
    switch (bitDepth) {
        case 10:
            return bayer ? kPixelBayerRG10 : kPixelMono10;
        case 12:
            return bayer ? kPixelBayerRG12 : kPixelMono12;
        case 16:
            return bayer ? kPixelBayerRG16 : kPixelMono16;
        default:
            return bayer ? kPixelBayerRG8 : kPixelMono8;
    }
}

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
    case kPixelMono16:
        return 2;
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
    bool identity[3] = {true, true, true};   // red rows, blue rows, mono: tables do nothing

    void rebuild()
    {
        buildTables(settings, tables);
        identity[0] = isIdentity(tables.r) && isIdentity(tables.g);
        identity[1] = isIdentity(tables.g) && isIdentity(tables.b);
        identity[2] = isIdentity(tables.neutral);
    }
};

ImagePipeline::ImagePipeline() : d(std::make_unique<Impl>())
{
    d->rebuild();
}

ImagePipeline::~ImagePipeline() = default;

void ImagePipeline::configure(const PipelineSettings& settings)
{
    const bool rebuild = !sameTables(settings, d->settings);
    d->settings = settings;
    if (rebuild)
        d->rebuild();
}

const PipelineSettings& ImagePipeline::settings() const
{
    return d->settings;
}

int ImagePipeline::process(const RawFrame& input, uint8_t* out, size_t outSize) const
{
    const PipelineSettings& s = d->settings;
    const size_t bpp = bytesPerPixel(s.outputFormat);
    if (bpp == 0)
        return kImagingUnknownFormat;
    const int w = input.width, h = input.height;
    if (w <= 0 || h <= 0 || w > kImagingMaxDimension || h > kImagingMaxDimension || !out)
        return kImagingBadArgument;
    if (input.bitDepth < 8 || input.bitDepth > 16)
        return kImagingBadArgument;
    const size_t count = static_cast<size_t>(w) * static_cast<size_t>(h);
    if (input.pixelBytes() < count * (input.bitDepth > 8 ? 2 : 1))
        return kImagingBadArgument;
    if (outSize < count * bpp)
        return kImagingBufferTooSmall;
    if (s.outputFormat == kPixelMono16)
        return deepGrey(input, s.mirrorHorizontal, s.mirrorVertical, out);
    // Deep frames go through the 8-bit pipeline as their top eight bits.
    thread_local RawFrame reduced;
    if (input.bitDepth > 8)
        reduceToEightBits(input, reduced);
    const RawFrame& raw = input.bitDepth > 8 ? reduced : input;
    const bool bayer = raw.layout == RawLayout::BayerRG8;
    if (s.outputFormat == kPixelBayerRG8) {
        // Raw passthrough: the sensor's own samples, untouched.
        if (!bayer)
            return kImagingUnknownFormat;
        std::memcpy(out, raw.pixelData(), count);
        return kImagingOk;
    }

    const uint8_t* src = raw.pixelData();
    thread_local std::vector<uint8_t> corrected;
    if (s.defectCorrection) {
        correctDefects(src, w, h, bayer, corrected);
        src = corrected.data();
    }

    const int saturation = std::clamp(s.saturation, 0, 200);
    const int sat64 = saturation * 64 / 100;
    const bool colourOut = s.outputFormat != kPixelMono8;
    const bool monochrome = bayer && colourOut && s.monochrome;
    const bool saturate = bayer && colourOut && !s.monochrome && saturation != 100;
    const Tables& t = d->tables;
    const bool identity[2] = {d->identity[bayer ? 0 : 2], d->identity[1]};

    thread_local RowBuffers buffers;
    buffers.reserve(w);
    uint8_t** ring = buffers.padded;
    // ring[(y + 2) % 3] holds row y - 1, ring[y % 3] row y, ring[(y + 1) % 3] row y + 1.
    if (bayer)
        prepareRow(src, w, h, -1, true, t, identity, ring[2]);
    prepareRow(src, w, h, 0, bayer, t, identity, ring[0]);
    const size_t stride = static_cast<size_t>(w) * bpp;
    auto outputRow = [&](int y) {
        return out + static_cast<size_t>(s.mirrorVertical ? h - 1 - y : y) * stride;
    };
    // Sharpening works on the finished planes one row behind and packs its result: the
    // same bytes as an unsharp mask over the packed image (packing only moves samples,
    // the mask is symmetric, and the alpha of BGRA is constant), with each sample handled
    // once instead of once per output byte. Being symmetric in up and down, it is also the
    // same in source order as in a vertically mirrored output order.
    const int amount16 = std::clamp(s.sharpness, 0, 100) * 48 / 100;
    const bool grey = !bayer || monochrome || !colourOut;   // one plane a row
    const int planes = grey ? 1 : 3;
    // The plane c of ring slot i.
    auto planeOf = [&](int i, int c) { return grey ? buffers.grey[i] : buffers.plane[i][c]; };
    int summed = 0;   // leading samples of each plane whose horizontal sums are kept
    // Colour output: the leading blocks of two rows at a time are sharpened and packed in one
    // pass, from four plane rows whose horizontal sums are made on the spot (the planes in
    // the output's byte order). This needs no kept sums, whose rows outgrow the first-level
    // cache in wide frames, and makes four rows of sums for two output rows instead of six;
    // the planes then form a ring of four.
    const int fused = planes == 3 ? kernels::sharpenPackWidth(w) : 0;
    const bool bgrOrder = s.outputFormat != kPixelRGB8;
    const int slots = fused > 0 ? 4 : 3;
    // Plane k of ring slot i in the output's byte order.
    auto outputPlane = [&](int i, int k) { return planeOf(i, bgrOrder ? 2 - k : k); };
    // The planes above, at and below output row y (the edge rows repeat).
    auto planeRowsOf = [&](int y) {
        const int up = std::max(y - 1, 0) % slots, cur = y % slots, down = std::min(y + 1, h - 1) % slots;
        kernels::PlaneRows rows;
        for (int k = 0; k < 3; ++k) {
            rows.up[k] = outputPlane(up, k);
            rows.cur[k] = outputPlane(cur, k);
            rows.down[k] = outputPlane(down, k);
        }
        return rows;
    };
    // The samples from `fused` on of output row y: sharpened from the planes, then packed.
    auto sharpenTail = [&](int y, uint8_t* dst) {
        const kernels::PlaneRows rows = planeRowsOf(y);
        for (int k = 0; k < 3; ++k)
            kernels::sharpenRow(rows.up[k] + fused, rows.cur[k] + fused, rows.down[k] + fused, w - fused, 1,
                                amount16, buffers.sharp[k] + fused);
        kernels::packTail(buffers.sharp[0], buffers.sharp[1], buffers.sharp[2], fused, w, static_cast<int>(bpp),
                          s.mirrorHorizontal, dst);
    };
    // Output rows y and y + 1, from plane rows y - 1 .. y + 2 (all in the image).
    auto sharpenPairAndPack = [&](int y) {
        const kernels::PlaneRows rows = planeRowsOf(y);
        const uint8_t* fourth[3];
        for (int k = 0; k < 3; ++k)
            fourth[k] = outputPlane((y + 2) % slots, k);
        uint8_t* first = outputRow(y);
        uint8_t* second = outputRow(y + 1);
        kernels::sharpenPackPlanePair(rows, fourth, fused, amount16, static_cast<int>(bpp), w, s.mirrorHorizontal,
                                      first, second);
        if (fused < w) {
            sharpenTail(y, first);
            sharpenTail(y + 1, second);
        }
    };
    auto sharpenAndPack = [&](int y) {
        const int up = std::max(y - 1, 0) % slots, cur = y % slots, down = std::min(y + 1, h - 1) % slots;
        uint8_t* const* sharp = buffers.sharp;
        if (fused > 0) {
            uint8_t* dst = outputRow(y);
            kernels::sharpenPackPlanes(planeRowsOf(y), fused, amount16, static_cast<int>(bpp), w,
                                       s.mirrorHorizontal, dst);
            if (fused < w)
                sharpenTail(y, dst);
            return;
        }
        for (int c = 0; c < planes; ++c) {
            kernels::sharpenFromSums(buffers.sums[up][c], buffers.sums[cur][c], buffers.sums[down][c],
                                     planeOf(cur, c), summed, amount16, sharp[c]);
            kernels::sharpenRow(planeOf(up, c) + summed, planeOf(cur, c) + summed, planeOf(down, c) + summed,
                                w - summed, 1, amount16, sharp[c] + summed);
        }
        const int last = planes - 1;
        packRow(s.outputFormat, sharp[0], sharp[std::min(1, last)], sharp[last], w, s.mirrorHorizontal,
                outputRow(y), nullptr);
    };
    for (int y = 0; y < h; ++y) {
        const uint8_t* current = ring[y % 3] + 1;
        // Without sharpening a row's planes are packed at once: one slot keeps them in cache.
        const int slot = amount16 > 0 ? y % slots : 0;
        uint8_t* const* plane = buffers.plane[slot];
        uint8_t* greyRow = buffers.grey[slot];
        const uint8_t *r, *g, *b;
        if (bayer) {
            prepareRow(src, w, h, y + 1, true, t, identity, ring[(y + 1) % 3]);
            kernels::demosaicRow(ring[(y + 2) % 3] + 1, current, ring[(y + 1) % 3] + 1, w,
                                 (y & 1) == 0, plane[0], plane[1], plane[2], saturate ? sat64 : 64);
            if (monochrome) {
                kernels::lumaRow(plane[0], plane[1], plane[2], w, greyRow);
                r = g = b = greyRow;
            } else {
                r = plane[0];
                g = plane[1];
                b = plane[2];
            }
        } else {
            if (y + 1 < h)
                prepareRow(src, w, h, y + 1, false, t, identity, ring[(y + 1) % 3]);
            r = g = b = current;
        }
        if (amount16 == 0) {
            packRow(s.outputFormat, r, g, b, w, s.mirrorHorizontal, outputRow(y), greyRow);
            continue;
        }
        if (grey && r != greyRow) {
            if (r == g && g == b)
                std::memcpy(greyRow, r, static_cast<size_t>(w));
            else
                kernels::lumaRow(r, g, b, w, greyRow);
        }
        for (int c = 0; c < planes; ++c) {
            uint8_t* finished = planeOf(y % slots, c);
            padPlane(finished, w);
            if (fused == 0)
                summed = kernels::planeRowSums(finished, w, buffers.sums[y % 3][c]);
        }
        if (fused == 0 && y > 0)
            sharpenAndPack(y - 1);
        else if (fused > 0 && y >= 2 && y % 2 == 0)
            sharpenPairAndPack(y - 2);
    }
    if (amount16 > 0) {
        // In pairs the rows from the last even one on are left; else only the last.
        const int left = fused > 0 ? (h >= 3 ? (h - 1) / 2 * 2 : 0) : h - 1;
        for (int y = left; y < h; ++y)
            sharpenAndPack(y);
    }
    drawCrosshairs(s.crosshairs, out, w, h, s.outputFormat, bpp);
    return kImagingOk;
}

FrameStatistics ImagePipeline::statistics(const RawFrame& raw)
{
    const int w = raw.width, h = raw.height;
    const size_t bytes = raw.bitDepth > 8 ? 2 : 1;
    if (w <= 0 || h <= 0 || raw.bitDepth < 8 || raw.bitDepth > 16 ||
        raw.pixelBytes() < static_cast<size_t>(w) * static_cast<size_t>(h) * bytes)
        return FrameStatistics{};
    if (raw.bitDepth == 8) {
        const uint8_t* px = raw.pixelData();
        return statisticsOf(raw, [px](size_t i) { return static_cast<unsigned>(px[i]); });
    }
    const int shift = raw.bitDepth - 8;
    return statisticsOf(
        raw, [&raw, shift](size_t i) { return std::min(rawSample(raw, i) >> shift, 255u); });
}

template <typename Sample>
FrameStatistics ImagePipeline::statisticsOf(const RawFrame& raw, Sample at)
{
    FrameStatistics stats;
    const int w = raw.width, h = raw.height;
    // Sample whole 2x2 cells on an even grid so every Bayer colour is seen, about 40 000
    // cells at most.
    const double cells = (static_cast<double>(w) * h) / 4.0;
    const int step = 2 * std::max(1, static_cast<int>(std::sqrt(cells / 40000.0)));
    uint64_t sum[3] = {0, 0, 0}, n[3] = {0, 0, 0};
    const bool bayer = raw.layout == RawLayout::BayerRG8;
    // A cell is red, green / green, blue on a Bayer sensor; a cell cut by the right or the
    // bottom edge keeps the samples that are inside.
    const int fullWidth = w - 1;  // cells starting before this have both columns
    for (int y = 0; y < h; y += step) {
        const size_t top = static_cast<size_t>(y) * w;
        const bool hasBottom = y + 1 < h;
        const size_t bottom = top + static_cast<size_t>(w);
        uint64_t r = 0, g = 0, b = 0, cells = 0;
        int x = 0;
        for (; x < fullWidth; x += step, ++cells) {
            r += at(top + x);
            g += at(top + x + 1);
            if (hasBottom) {
                g += at(bottom + x);
                b += at(bottom + x + 1);
            }
        }
        sum[0] += r;
        sum[1] += g;
        sum[2] += b;
        n[0] += cells;
        n[1] += cells * (hasBottom ? 2 : 1);
        n[2] += hasBottom ? cells : 0;
        if (x < w) {  // the last cell has only its left column
            sum[0] += at(top + x);
            ++n[0];
            if (hasBottom) {
                sum[1] += at(bottom + x);
                ++n[1];
            }
        }
    }
    if (!bayer) {
        sum[1] += sum[0] + sum[2];
        n[1] += n[0] + n[2];
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
