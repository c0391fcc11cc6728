// Acquisition and the frame cycle: start, stop, get, process, release, save.
#include <cstring>
#include <vector>

#include "ApiSupport.h"

using namespace vexo::sdk;

namespace {

// The interface's codes are the pipeline's.
static_assert(VEXO_SDK_PIXEL_MONO10 == vexo::imaging::kPixelMono10 &&
              VEXO_SDK_PIXEL_MONO12 == vexo::imaging::kPixelMono12 &&
              VEXO_SDK_PIXEL_MONO16 == vexo::imaging::kPixelMono16 &&
              VEXO_SDK_PIXEL_BAYER_RG10 == vexo::imaging::kPixelBayerRG10 &&
              VEXO_SDK_PIXEL_BAYER_RG12 == vexo::imaging::kPixelBayerRG12 &&
              VEXO_SDK_PIXEL_BAYER_RG16 == vexo::imaging::kPixelBayerRG16);
static_assert(VEXO_SDK_FILE_TIFF == static_cast<int>(vexo::imaging::ImageFileType::Tiff));

bool isOutputFormat(uint32_t format)
{
    return format == VEXO_SDK_PIXEL_RGB8 || format == VEXO_SDK_PIXEL_BGR8 ||
           format == VEXO_SDK_PIXEL_BGRA8 || format == VEXO_SDK_PIXEL_MONO8 ||
           format == VEXO_SDK_PIXEL_MONO16;
}

// A base name that ends with a separator names a folder, not a file: the picture would
// become a hidden ".png" inside it.
bool namesNoFile(const char* baseName)
{
    const size_t length = std::strlen(baseName);
    const char last = baseName[length - 1];
#ifdef _WIN32
    return last == '/' || last == '\\';
#else
    return last == '/';
#endif
}

// A processed image the caller hands back: known format, sane size.
bool describesImage(const VexoImageInfo& info)
{
    return isOutputFormat(info.pixelFormat) && info.width > 0 && info.height > 0 &&
           info.width <= 16384 && info.height <= 16384;
}

}  // namespace

extern "C" {

int SdkStartAcquisition(int handle)
{
    return withCamera(handle, [](Camera& camera) { return camera.start(); });
}

int SdkStopAcquisition(int handle)
{
    return withCamera(handle, [](Camera& camera) { return camera.stop(); });
}

int SdkGetFrame(int handle, uint32_t* token, int timeoutMs)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!token)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        uint32_t held = 0;
        const int result = camera.getFrame(held, timeoutMs);
        if (result == VEXO_SDK_OK)
            *token = held;
        return result;
    });
}

int SdkGrabFrameWithTimeout(int handle, uint32_t* token, int timeoutMs)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!token)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        uint32_t held = 0;
        const int result = camera.grabFrame(held, timeoutMs);
        if (result == VEXO_SDK_OK)
            *token = held;
        return result;
    });
}

BYTE* SdkGetRawImage(int handle, uint32_t token, VexoImageInfo* info)
{
    BYTE* raw = nullptr;
    withCamera(handle, [&](Camera& camera) {
        const CapturedFrame* frame = camera.heldFrame(token);
        if (!frame || !info)
            return static_cast<int>(VEXO_SDK_INVALID_FRAME);
        VexoImageInfo filled{};
        filled.width = frame->raw.width;
        filled.height = frame->raw.height;
        const uint32_t format =
            vexo::imaging::rawPixelFormat(frame->raw.layout, frame->raw.bitDepth);
        filled.rawFormat = static_cast<int32_t>(format);
        filled.pixelFormat = format;
        filled.frameNumber = static_cast<int32_t>(frame->raw.frameNumber & 0x7FFFFFFF);
        filled.timestampMs = static_cast<int32_t>((frame->raw.timestampUs / 1000) & 0x7FFFFFFF);
        filled.exposureUs = recordExposureUs(frame->exposureUs);
        filled.analogGainMilli = frame->gainMilli;
        filled.dataSize = static_cast<int32_t>(frame->raw.pixelBytes());
        *info = filled;
        // Held frames are never written by the producer; the caller reads them in place.
        raw = const_cast<BYTE*>(frame->raw.pixelData());
        return static_cast<int>(VEXO_SDK_OK);
    });
    return raw;
}

int SdkProcessImage(int handle, VexoImageInfo* info, BYTE* raw, BYTE* out)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!info || !raw || !out)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        VexoImageInfo result = *info;
        const int code = camera.process(result, raw, out);
        if (code == VEXO_SDK_OK)
            *info = result;
        return code;
    });
}

int SdkProcessImageAs(int handle, VexoImageInfo* info, BYTE* raw, BYTE* out, uint32_t pixelFormat)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!info || !raw || !out || !isOutputFormat(pixelFormat))
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        VexoImageInfo result = *info;
        const int code = camera.process(result, raw, out, pixelFormat);
        if (code == VEXO_SDK_OK)
            *info = result;
        return code;
    });
}

int SdkPostProcessImage(int handle, BYTE* buffer, VexoImageInfo* info)
{
    return withCamera(handle, [&](Camera&) {
        if (!buffer || !info || !describesImage(*info))
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        return static_cast<int>(VEXO_SDK_OK);
    });
}

int SdkReleaseFrame(int handle, uint32_t token)
{
    return withCamera(handle, [&](Camera& camera) {
        return camera.release(token) == 0 ? static_cast<int>(VEXO_SDK_OK)
                                          : static_cast<int>(VEXO_SDK_INVALID_FRAME);
    });
}

int SdkGetFrameStatistics(int handle, VexoFrameStatistics* statistics)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!statistics)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        *statistics = camera.statistics();
        return static_cast<int>(VEXO_SDK_OK);
    });
}

int SdkGetStreamStatistics(int handle, VexoStreamStatistics* statistics)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!statistics)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        *statistics = camera.streamStatistics();
        return static_cast<int>(VEXO_SDK_OK);
    });
}

int SdkGetStreamAdvice(int handle, VexoStreamAdvice* advice)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!advice)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        *advice = camera.streamAdvice();
        return static_cast<int>(VEXO_SDK_OK);
    });
}

int SdkSetOutputFormat(int handle, uint32_t pixelFormat)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!isOutputFormat(pixelFormat))
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        // Deep output has no colour: a camera sending a colour mosaic cannot give it.
        if (pixelFormat == VEXO_SDK_PIXEL_MONO16 &&
            vexo::imaging::isBayerFormat(camera.settings().imageFormat))
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        camera.setOutputFormat(pixelFormat);
        return static_cast<int>(VEXO_SDK_OK);
    });
}

int SdkSaveImageFile(int handle, const char* baseName, BYTE* buffer, const VexoImageInfo* info,
                     int typeCode, int quality)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!baseName || !*baseName || !buffer || !info || !describesImage(*info))
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        if (typeCode != VEXO_SDK_FILE_JPG && typeCode != VEXO_SDK_FILE_BMP &&
            typeCode != VEXO_SDK_FILE_PNG && typeCode != VEXO_SDK_FILE_TIFF)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        if (info->pixelFormat == VEXO_SDK_PIXEL_MONO16 && typeCode != VEXO_SDK_FILE_PNG &&
            typeCode != VEXO_SDK_FILE_TIFF)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        if (quality < 1 || quality > 100)
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        if (namesNoFile(baseName))
            return static_cast<int>(VEXO_SDK_WRONG_PATH);
        const BYTE* pixels = buffer;
        uint32_t format = info->pixelFormat;
        // The viewer hands over RGB even for mono cameras; a grey picture in 24 bits is three
        // times the file for nothing. Anything coloured drawn on it (a crosshair) keeps it RGB.
        std::vector<uint8_t> grey;
        if (!camera.model().colorSensor && format != VEXO_SDK_PIXEL_MONO8 &&
            format != VEXO_SDK_PIXEL_MONO16 &&
            vexo::imaging::greyLevelsOf(buffer, info->width, info->height, format, grey)) {
            pixels = grey.data();
            format = VEXO_SDK_PIXEL_MONO8;
        }
        switch (vexo::imaging::writeImageFile(baseName, pixels, info->width, info->height, format,
                                              typeCode, quality)) {
            case vexo::imaging::kImagingOk:
                return static_cast<int>(VEXO_SDK_OK);
            case vexo::imaging::kImagingFileExists:
                return static_cast<int>(VEXO_SDK_FILE_EXISTS);
            case vexo::imaging::kImagingNotAFile:
                return static_cast<int>(VEXO_SDK_WRONG_PATH);
            default:
                return static_cast<int>(VEXO_SDK_FAILED);
        }
    });
}

int SdkGetResolution(int handle, int* width, int* height)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!width || !height)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        const CameraSettings settings = camera.settings();
        const ResolutionPreset& region = currentRegion(camera.model(), settings);
        *width = region.outputWidth;
        *height = region.outputHeight;
        return static_cast<int>(VEXO_SDK_OK);
    });
}

}  // extern "C"
