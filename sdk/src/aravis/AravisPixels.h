#pragma once
// Camera pixel formats (GenICam PFNC codes) turned into the raw frames the image pipeline
// processes: grey or an RGGB mosaic, of 8 bits, or of 16-bit words that keep the depth of
// 10, 12 and 16-bit formats. Other Bayer phases are moved by one column and/or row onto
// the RGGB phase (the last column or row repeats the one two before it, which has the
// same colour); RGB and BGR frames are sampled back into an RGGB mosaic so the pipeline's
// white balance, colour and tone settings apply to every camera alike.
#include <cstddef>
#include <cstdint>

#include "Imaging.h"

namespace vexo::sdk::aravis {

enum class Mosaic { None, RG, GR, GB, BG };

struct PixelLayout {
    Mosaic mosaic = Mosaic::None;  // None: grey or three colours per pixel
    int bitsPerSample = 8;         // significant bits (8, 10, 12, 16)
    int bytesPerPixel = 1;
    bool threeColours = false;  // RGB8 or BGR8
    bool blueFirst = false;     // BGR8
};

// False for formats the backend cannot show (packed 10/12-bit, YUV, ...).
bool describePixelFormat(uint32_t pixelFormat, PixelLayout& layout);

// Whether a camera buffer can be shown as it is, without converting: grey or RGGB, of
// 8 bits, or of 16-bit little-endian words (10 and 12-bit ones only when every word is
// within the format's range), holding at least width * height pixels. Then sets out's
// width, height, layout and bit depth (not its pixels) and returns the bytes of the
// image at data; 0 when the buffer needs convertPixels.
size_t describeInPlace(uint32_t pixelFormat, int width, int height, const uint8_t* data,
                       size_t size, imaging::RawFrame& out);

// Converts one camera buffer into out's own pixels (a borrowed view is dropped). False when the format is unknown, the size is not sane or
// data holds fewer than width * height pixels; out is then unchanged.
bool convertPixels(uint32_t pixelFormat, int width, int height, const uint8_t* data, size_t size,
                   imaging::RawFrame& out);

// The library's image format for frames of a camera format: Mono8 .. Mono16 as they are,
// every Bayer phase as BayerRG of its depth, RGB8 and BGR8 as BayerRG8; 0 when unknown.
uint32_t libraryFormatOf(uint32_t pixelFormat);

// How much the backend prefers a format the camera offers (higher is better, 0 unusable):
// 8-bit formats first since they cost nothing to convert, RGB last. Used for the 8-bit
// library formats; a deep library format takes a camera format of exactly its depth.
int pixelFormatPreference(uint32_t pixelFormat);

}  // namespace vexo::sdk::aravis
