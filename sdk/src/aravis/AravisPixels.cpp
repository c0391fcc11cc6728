#include "AravisPixels.h"

#include <algorithm>
#include <cstring>

namespace vexo::sdk::aravis {

namespace {

// PFNC codes; spelled out so the conversion does not depend on the Aravis headers.
constexpr uint32_t kMono8 = 0x01080001, kMono10 = 0x01100003, kMono12 = 0x01100005,
                   kMono16 = 0x01100007;
constexpr uint32_t kBayerGR8 = 0x01080008, kBayerRG8 = 0x01080009, kBayerGB8 = 0x0108000A,
                   kBayerBG8 = 0x0108000B;
constexpr uint32_t kBayerGR10 = 0x0110000C, kBayerRG10 = 0x0110000D, kBayerGB10 = 0x0110000E,
                   kBayerBG10 = 0x0110000F;
constexpr uint32_t kBayerGR12 = 0x01100010, kBayerRG12 = 0x01100011, kBayerGB12 = 0x01100012,
                   kBayerBG12 = 0x01100013;
constexpr uint32_t kBayerGR16 = 0x0110002E, kBayerRG16 = 0x0110002F, kBayerGB16 = 0x01100030,
                   kBayerBG16 = 0x01100031;
constexpr uint32_t kRGB8 = 0x02180014, kBGR8 = 0x02180015;

PixelLayout bayer(Mosaic mosaic, int bits)
{
    PixelLayout l;
    l.mosaic = mosaic;
    l.bitsPerSample = bits;
    l.bytesPerPixel = bits > 8 ? 2 : 1;
    return l;
}

}  // namespace

bool describePixelFormat(uint32_t pixelFormat, PixelLayout& layout)
{
    switch (pixelFormat) {
        case kMono8:
            layout = bayer(Mosaic::None, 8);
            return true;
        case kMono10:
            layout = bayer(Mosaic::None, 10);
            return true;
        case kMono12:
            layout = bayer(Mosaic::None, 12);
            return true;
        case kMono16:
            layout = bayer(Mosaic::None, 16);
            return true;
        case kBayerRG8:
            layout = bayer(Mosaic::RG, 8);
            return true;
        case kBayerGR8:
            layout = bayer(Mosaic::GR, 8);
            return true;
        case kBayerGB8:
            layout = bayer(Mosaic::GB, 8);
            return true;
        case kBayerBG8:
            layout = bayer(Mosaic::BG, 8);
            return true;
        case kBayerRG10:
            layout = bayer(Mosaic::RG, 10);
            return true;
        case kBayerGR10:
            layout = bayer(Mosaic::GR, 10);
            return true;
        case kBayerGB10:
            layout = bayer(Mosaic::GB, 10);
            return true;
        case kBayerBG10:
            layout = bayer(Mosaic::BG, 10);
            return true;
        case kBayerRG12:
            layout = bayer(Mosaic::RG, 12);
            return true;
        case kBayerGR12:
            layout = bayer(Mosaic::GR, 12);
            return true;
        case kBayerGB12:
            layout = bayer(Mosaic::GB, 12);
            return true;
        case kBayerBG12:
            layout = bayer(Mosaic::BG, 12);
            return true;
        case kBayerRG16:
            layout = bayer(Mosaic::RG, 16);
            return true;
        case kBayerGR16:
            layout = bayer(Mosaic::GR, 16);
            return true;
        case kBayerGB16:
            layout = bayer(Mosaic::GB, 16);
            return true;
        case kBayerBG16:
            layout = bayer(Mosaic::BG, 16);
            return true;
        case kRGB8:
        case kBGR8:
            layout = PixelLayout{};
            layout.threeColours = true;
            layout.bytesPerPixel = 3;
            layout.blueFirst = pixelFormat == kBGR8;
            return true;
        default:
            return false;
    }
}

int pixelFormatPreference(uint32_t pixelFormat)
{
    PixelLayout l;
    if (!describePixelFormat(pixelFormat, l))
        return 0;
    if (l.threeColours)
        return 1;
    if (l.bitsPerSample == 8)
        return l.mosaic == Mosaic::RG || l.mosaic == Mosaic::None ? 5 : 4;
    return l.bitsPerSample == 16 ? 2 : 3;
}

namespace {

// The layout of a camera buffer whose size holds width * height pixels of a format the
// backend knows; false otherwise.
bool saneBuffer(uint32_t pixelFormat, int width, int height, const uint8_t* data, size_t size,
                PixelLayout& l)
{
    if (!describePixelFormat(pixelFormat, l) || !data || width <= 0 || height <= 0 ||
        width > imaging::kImagingMaxDimension || height > imaging::kImagingMaxDimension)
        return false;
    const size_t w = static_cast<size_t>(width), h = static_cast<size_t>(height);
    return size / static_cast<size_t>(l.bytesPerPixel) / w >= h;
}

}  // namespace

size_t describeInPlace(uint32_t pixelFormat, int width, int height, const uint8_t* data,
                       size_t size, imaging::RawFrame& out)
{
    PixelLayout l;
    if (!saneBuffer(pixelFormat, width, height, data, size, l) || l.threeColours ||
        (l.mosaic != Mosaic::None && l.mosaic != Mosaic::RG))
        return 0;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (l.bitsPerSample > 8 && l.bitsPerSample < 16) {
        // Words above the format's range would reach the pipeline's tables and the
        // caller's histograms; convertPixels holds them to the range.
        unsigned high = 0;
        for (size_t i = 0; i < count; ++i)
            high |= data[2 * i + 1];
        if ((high >> (l.bitsPerSample - 8)) != 0)
            return 0;
    }
    out.width = width;
    out.height = height;
    out.layout = l.mosaic == Mosaic::None ? imaging::RawLayout::Mono8 : imaging::RawLayout::BayerRG8;
    out.bitDepth = l.bitsPerSample;
    return count * static_cast<size_t>(l.bytesPerPixel);
}

bool convertPixels(uint32_t pixelFormat, int width, int height, const uint8_t* data, size_t size,
                   imaging::RawFrame& out)
{
    PixelLayout l;
    if (!saneBuffer(pixelFormat, width, height, data, size, l))
        return false;
    const size_t w = static_cast<size_t>(width), h = static_cast<size_t>(height);

    out.dropBorrowed();
    out.width = width;
    out.height = height;
    out.bitDepth = 8;
    out.pixels.resize(w * h);
    uint8_t* dst = out.pixels.data();
    if (l.threeColours) {
        out.layout = imaging::RawLayout::BayerRG8;
        for (size_t y = 0; y < h; ++y) {
            const uint8_t* row = data + y * w * 3;
            for (size_t x = 0; x < w; ++x) {
                // RGGB: red on even row and column, blue on odd row and column.
                const int c = (y & 1) == 0 ? ((x & 1) == 0 ? 0 : 1) : ((x & 1) == 0 ? 1 : 2);
                const int channel = l.blueFirst ? 2 - c : c;
                dst[y * w + x] = row[x * 3 + static_cast<size_t>(channel)];
            }
        }
        return true;
    }

    out.layout =
        l.mosaic == Mosaic::None ? imaging::RawLayout::Mono8 : imaging::RawLayout::BayerRG8;
    out.bitDepth = l.bitsPerSample;
    const size_t dx = (l.mosaic == Mosaic::GR || l.mosaic == Mosaic::BG) && w >= 2 ? 1 : 0;
    const size_t dy = (l.mosaic == Mosaic::GB || l.mosaic == Mosaic::BG) && h >= 2 ? 1 : 0;
    if (l.bytesPerPixel == 1) {
        if (dx == 0 && dy == 0) {
            std::memcpy(dst, data, w * h);
            return true;
        }
        for (size_t y = 0; y < h; ++y) {
            const size_t sy = y + dy < h ? y + dy : y + dy - 2;
            for (size_t x = 0; x < w; ++x) {
                const size_t sx = x + dx < w ? x + dx : x + dx - 2;
                dst[y * w + x] = data[sy * w + sx];
            }
        }
        return true;
    }
    // Deep samples stay deep: 16-bit little-endian words, as the camera sends them, held
    // to the format's range (a 12-bit word above 4095 is the camera's fault, not a value).
    out.pixels.resize(w * h * 2);
    dst = out.pixels.data();
    const unsigned top = (1u << l.bitsPerSample) - 1;
    for (size_t y = 0; y < h; ++y) {
        const size_t sy = y + dy < h ? y + dy : y + dy - 2;
        for (size_t x = 0; x < w; ++x) {
            const size_t sx = x + dx < w ? x + dx : x + dx - 2;
            const uint8_t* p = data + 2 * (sy * w + sx);
            const unsigned v =
                std::min(top, static_cast<unsigned>(p[0]) | static_cast<unsigned>(p[1]) << 8);
            dst[2 * (y * w + x)] = static_cast<uint8_t>(v);
            dst[2 * (y * w + x) + 1] = static_cast<uint8_t>(v >> 8);
        }
    }
    return true;
}

uint32_t libraryFormatOf(uint32_t pixelFormat)
{
    PixelLayout l;
    if (!describePixelFormat(pixelFormat, l))
        return 0;
    if (l.threeColours)
        return imaging::kPixelBayerRG8;
    return imaging::rawPixelFormat(
        l.mosaic == Mosaic::None ? imaging::RawLayout::Mono8 : imaging::RawLayout::BayerRG8,
        l.bitsPerSample);
}

}  // namespace vexo::sdk::aravis
