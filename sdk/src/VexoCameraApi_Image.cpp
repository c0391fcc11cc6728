// Image parameters: exposure, white balance, processing, crosshairs, lookup tables,
// image format and resolution, and the parameter and capability records.
#include <cmath>
#include <cstring>

#include "ApiSupport.h"

using namespace vexo::sdk;

namespace {

// Region of a descriptor, validated against the sensor.
int regionFromDescriptor(const CameraModel& m, const VexoResolution& r, ResolutionPreset& region)
{
    region.name = std::string(r.name, strnlen(r.name, sizeof r.name));
    if (region.name.empty())
        region.name = "Custom";
    region.offsetX = r.offsetX;
    region.offsetY = r.offsetY;
    region.regionWidth = r.regionWidth;
    region.regionHeight = r.regionHeight;
    region.outputWidth = r.outputWidth;
    region.outputHeight = r.outputHeight;
    return checkRegion(m, region);
}

int setCustomRegion(int handle, const VexoResolution* resolution)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!resolution)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        ResolutionPreset region;
        const int result = regionFromDescriptor(camera.model(), *resolution, region);
        if (result != VEXO_SDK_OK)
            return result;
        return camera.change([&](CameraSettings& s) {
            s.resolutionIndex = VEXO_SDK_CUSTOM_RESOLUTION;
            s.customRegion = region;
            return static_cast<int>(VEXO_SDK_OK);
        });
    });
}

}  // namespace

extern "C" {

// ---- Exposure ---------------------------------------------------------------------------

int SdkSetExposureMode(int handle, int mode)
{
    return changeSettings(handle, [&](CameraSettings& s) {
        if (!isFlag(mode))
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        s.exposureMode = mode;
        return static_cast<int>(VEXO_SDK_OK);
    });
}

int SdkSetExposureTime(int handle, double exposureUs)
{
    return withCamera(handle, [&](Camera& camera) {
        const CameraModel& m = camera.model();
        if (!exposureInRange(m, exposureUs))
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        return camera.change([&](CameraSettings& s) {
            s.exposureUs = snapExposureUs(m, exposureUs);
            return static_cast<int>(VEXO_SDK_OK);
        });
    });
}

int SdkGetExposureStepTime(int handle, double* stepUs)
{
    return readSetting(handle, stepUs, [](const CameraSettings&, Camera& c) { return c.model().exposureStepUs; });
}

int SdkSetAnalogGain(int handle, int gainMilli)
{
    return withCamera(handle, [&](Camera& camera) {
        const CameraModel& m = camera.model();
        if (!inRange(gainMilli, m.gainMinMilli, m.gainMaxMilli))
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        return camera.change([&](CameraSettings& s) {
            s.gainMilli = gainMilli;
            return static_cast<int>(VEXO_SDK_OK);
        });
    });
}

int SdkSetTargetBrightness(int handle, int brightness)
{
    return changeSettings(handle, [&](CameraSettings& s) {
        if (!inRange(brightness, 0, 255))
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        s.targetBrightness = brightness;
        return static_cast<int>(VEXO_SDK_OK);
    });
}

int SdkSetAutoExposureTimeRange(int handle, double minUs, double maxUs)
{
    return withCamera(handle, [&](Camera& camera) {
        const CameraModel& m = camera.model();
        if (!exposureInRange(m, minUs) || !exposureInRange(m, maxUs) || minUs > maxUs)
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        return camera.change([&](CameraSettings& s) {
            s.autoExposureMinUs = snapExposureUs(m, minUs);
            s.autoExposureMaxUs = snapExposureUs(m, maxUs);
            return static_cast<int>(VEXO_SDK_OK);
        });
    });
}

int SdkSetAutoExposureGainRange(int handle, int minMilli, int maxMilli)
{
    return withCamera(handle, [&](Camera& camera) {
        const CameraModel& m = camera.model();
        if (!inRange(minMilli, m.gainMinMilli, m.gainMaxMilli) || !inRange(maxMilli, m.gainMinMilli, m.gainMaxMilli) ||
            minMilli > maxMilli)
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        return camera.change([&](CameraSettings& s) {
            s.autoExposureMinGainMilli = minMilli;
            s.autoExposureMaxGainMilli = maxMilli;
            return static_cast<int>(VEXO_SDK_OK);
        });
    });
}

int SdkSetAntiFlicker(int handle, int on)
{
    return changeSettings(handle, [&](CameraSettings& s) {
        if (!isFlag(on))
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        s.antiFlicker = on;
        return static_cast<int>(VEXO_SDK_OK);
    });
}

int SdkSetLightFrequency(int handle, int frequency)
{
    return changeSettings(handle, [&](CameraSettings& s) {
        if (frequency != 1 && frequency != 2)
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        s.lightFrequency = frequency;
        return static_cast<int>(VEXO_SDK_OK);
    });
}

// ---- White balance ----------------------------------------------------------------------

int SdkSetWhiteBalanceMode(int handle, int mode)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!isFlag(mode))
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        if (mode == 1 && !camera.model().colorSensor)
            return static_cast<int>(VEXO_SDK_NOT_MATCHING);
        return camera.change([&](CameraSettings& s) {
            s.whiteBalanceMode = mode;
            return static_cast<int>(VEXO_SDK_OK);
        });
    });
}

int SdkSetWhiteBalanceGains(int handle, int red, int green, int blue)
{
    return changeSettings(handle, [&](CameraSettings& s) {
        if (!inRange(red, 0, 400) || !inRange(green, 0, 400) || !inRange(blue, 0, 400))
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        s.redGain = red;
        s.greenGain = green;
        s.blueGain = blue;
        return static_cast<int>(VEXO_SDK_OK);
    });
}

int SdkOneTouchWhiteBalance(int handle)
{
    return withCamera(handle, [](Camera& camera) { return camera.oneTouchWhiteBalance(); });
}

// ---- Processing -------------------------------------------------------------------------

#define VEXO_RANGED_SETTER(function, field, low, high)                     \
    int function(int handle, int value)                                    \
    {                                                                      \
        return changeSettings(handle, [&](CameraSettings& s) {             \
            if (!inRange(value, low, high))                                \
                return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);            \
            s.field = value;                                               \
            return static_cast<int>(VEXO_SDK_OK);                          \
        });                                                                \
    }

VEXO_RANGED_SETTER(SdkSetFrameSpeed, frameSpeed, 0, 2)
VEXO_RANGED_SETTER(SdkSetContrast, contrast, 0, 100)
VEXO_RANGED_SETTER(SdkSetSharpness, sharpness, 0, 100)
VEXO_RANGED_SETTER(SdkSetSaturation, saturation, 0, 255)
VEXO_RANGED_SETTER(SdkSetMonochrome, monochrome, 0, 1)
VEXO_RANGED_SETTER(SdkSetDefectPixelCorrection, defectCorrection, 0, 1)
VEXO_RANGED_SETTER(SdkSetGamma, gamma, 1, 1000)
VEXO_RANGED_SETTER(SdkSetLutContrast, lutContrast, 0, 200)
VEXO_RANGED_SETTER(SdkSetLutMode, lutMode, 0, 1)

int SdkSetMirror(int handle, int direction, int on)
{
    return changeSettings(handle, [&](CameraSettings& s) {
        if (!isFlag(direction) || !isFlag(on))
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        (direction == 0 ? s.mirrorHorizontal : s.mirrorVertical) = on;
        return static_cast<int>(VEXO_SDK_OK);
    });
}

// ---- Crosshairs -------------------------------------------------------------------------

int SdkSetCrosshair(int handle, int index, int x, int y, uint32_t colour, int enabled)
{
    return changeSettings(handle, [&](CameraSettings& s) {
        if (!inRange(index, 0, VEXO_SDK_CROSSHAIR_COUNT - 1) || !inRange(x, 0, 65535) || !inRange(y, 0, 65535) ||
            colour > 0xFFFFFF || !isFlag(enabled))
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        s.crosshairs[static_cast<size_t>(index)] = CrosshairSetting{x, y, colour, enabled};
        return static_cast<int>(VEXO_SDK_OK);
    });
}

int SdkGetCrosshair(int handle, int index, int* x, int* y, uint32_t* colour, int* enabled)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!x || !y || !colour || !enabled)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        if (!inRange(index, 0, VEXO_SDK_CROSSHAIR_COUNT - 1))
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        const CrosshairSetting c = camera.settings().crosshairs[static_cast<size_t>(index)];
        *x = c.x;
        *y = c.y;
        *colour = c.colour;
        *enabled = c.enabled;
        return static_cast<int>(VEXO_SDK_OK);
    });
}

// ---- Lookup tables ----------------------------------------------------------------------

int SdkGetLutMode(int handle, int* mode)
{
    return readSetting(handle, mode, [](const CameraSettings& s, Camera&) { return s.lutMode; });
}

int SdkGetGamma(int handle, int* gamma)
{
    return readSetting(handle, gamma, [](const CameraSettings& s, Camera&) { return s.gamma; });
}

int SdkGetLutContrast(int handle, int* contrast)
{
    return readSetting(handle, contrast, [](const CameraSettings& s, Camera&) { return s.lutContrast; });
}

int SdkSelectPresetLut(int handle, int identifier)
{
    const int tables = static_cast<int>(vexo::imaging::presetLutNames().size());
    return changeSettings(handle, [&](CameraSettings& s) {
        if (!inRange(identifier, 0, tables - 1))
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        s.presetLut = identifier;
        return static_cast<int>(VEXO_SDK_OK);
    });
}

int SdkGetPresetLut(int handle, int* identifier)
{
    return readSetting(handle, identifier, [](const CameraSettings& s, Camera&) { return s.presetLut; });
}

// ---- Image format and resolution --------------------------------------------------------

int SdkSetImageFormat(int handle, uint32_t formatId)
{
    return withCamera(handle, [&](Camera& camera) {
        bool offered = false;
        for (const ImageFormatEntry& f : camera.model().imageFormats)
            offered = offered || f.formatId == formatId;
        if (!offered)
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        return camera.change([&](CameraSettings& s) {
            s.imageFormat = formatId;
            return static_cast<int>(VEXO_SDK_OK);
        });
    });
}

int SdkGetImageFormat(int handle, uint32_t* formatId)
{
    return readSetting(handle, formatId, [](const CameraSettings& s, Camera&) { return s.imageFormat; });
}

int SdkSelectPresetResolution(int handle, int index)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!inRange(index, 0, static_cast<long long>(camera.model().resolutions.size()) - 1))
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        return camera.change([&](CameraSettings& s) {
            s.resolutionIndex = index;
            return static_cast<int>(VEXO_SDK_OK);
        });
    });
}

int SdkApplyResolution(int handle, const VexoResolution* resolution)
{
    if (!resolution)
        return withCamera(handle, [](Camera&) { return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT); });
    if (resolution->index == VEXO_SDK_CUSTOM_RESOLUTION)
        return setCustomRegion(handle, resolution);
    return SdkSelectPresetResolution(handle, resolution->index);
}

int SdkSetRegionOfInterest(int handle, const VexoResolution* resolution)
{
    return setCustomRegion(handle, resolution);
}

int SdkGetResolutionIndex(int handle, int* index)
{
    return readSetting(handle, index, [](const CameraSettings& s, Camera&) { return s.resolutionIndex; });
}

int SdkGetResolutionDescriptor(int handle, int index, VexoResolution* resolution)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!resolution)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        const CapabilityArrays& arrays = CameraLibrary::instance().capabilityArrays(camera);
        if (inRange(index, 0, static_cast<long long>(arrays.resolutions.size()) - 1)) {
            *resolution = arrays.resolutions[static_cast<size_t>(index)];
            return static_cast<int>(VEXO_SDK_OK);
        }
        if (index != VEXO_SDK_CUSTOM_RESOLUTION)
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        const CameraSettings s = camera.settings();
        const ResolutionPreset& region = currentRegion(camera.model(), s);
        VexoResolution r{};
        r.index = VEXO_SDK_CUSTOM_RESOLUTION;
        // The name is given back byte for byte as it was set, all 48 bytes of it.
        copyField(r.name, region.name);
        r.offsetX = region.offsetX;
        r.offsetY = region.offsetY;
        r.regionWidth = region.regionWidth;
        r.regionHeight = region.regionHeight;
        r.outputWidth = region.outputWidth;
        r.outputHeight = region.outputHeight;
        r.binning = region.outputWidth == region.regionWidth ? 1 : 2;
        *resolution = r;
        return static_cast<int>(VEXO_SDK_OK);
    });
}

// ---- Records ----------------------------------------------------------------------------

int SdkGetCameraParameters(int handle, VexoCameraParameters* parameters)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!parameters)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        const CameraModel& m = camera.model();
        const CameraSettings s = camera.settings();
        VexoCameraParameters p;
        std::memset(&p, 0, sizeof p);
        CameraLibrary::instance().fillIdentity(m, camera.nickname(), camera.firmwareVersion(), p.device);
        copyText(p.device.editionText, m.edition);          // driver version
        copyText(p.device.interfaceText, m.interfaceText);  // communication type
        p.device.opened = 1;
        p.exposureMode = s.exposureMode;
        p.triggerMode = s.triggerMode;
        p.exposureTimeUs = s.exposureUs;
        p.analogGainMilli = s.gainMilli;
        p.targetBrightness = s.targetBrightness;
        p.autoExposureMinTimeUs = s.autoExposureMinUs;
        p.autoExposureMaxTimeUs = s.autoExposureMaxUs;
        p.autoExposureMinGainMilli = s.autoExposureMinGainMilli;
        p.autoExposureMaxGainMilli = s.autoExposureMaxGainMilli;
        p.antiFlicker = s.antiFlicker;
        p.lightFrequency = s.lightFrequency;
        p.whiteBalanceMode = s.whiteBalanceMode;
        p.redGain = static_cast<uint32_t>(s.redGain);
        p.greenGain = static_cast<uint32_t>(s.greenGain);
        p.blueGain = static_cast<uint32_t>(s.blueGain);
        p.frameSpeed = s.frameSpeed;
        p.sharpness = s.sharpness;
        p.saturation = s.saturation;
        p.contrast = s.contrast;
        p.mirrorHorizontal = s.mirrorHorizontal;
        p.mirrorVertical = s.mirrorVertical;
        p.monochrome = s.monochrome;
        p.defectPixelCorrection = static_cast<uint8_t>(s.defectCorrection);
        *parameters = p;
        return static_cast<int>(VEXO_SDK_OK);
    });
}

int SdkGetCapabilities(int handle, VexoCapabilities* capabilities)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!capabilities)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        const CameraModel& m = camera.model();
        const CapabilityArrays& arrays = CameraLibrary::instance().capabilityArrays(camera);
        VexoCapabilities c;
        std::memset(&c, 0, sizeof c);
        c.sensorWidth = m.sensorWidth;
        c.sensorHeight = m.sensorHeight;
        c.colorSensor = m.colorSensor ? 1 : 0;
        // The arrays are never changed after they were built, so handing out non-const
        // pointers is safe as long as callers only read, as the record promises.
        c.resolutions = const_cast<VexoResolution*>(arrays.resolutions.data());
        c.resolutionCount = static_cast<int32_t>(arrays.resolutions.size());
        c.imageFormats = const_cast<VexoImageFormat*>(arrays.imageFormats.data());
        c.imageFormatCount = static_cast<int32_t>(arrays.imageFormats.size());
        c.outputLineCount = m.outputLines;
        c.inputLineCount = m.inputLines;
        c.presetLuts = const_cast<VexoPresetLut*>(arrays.presetLuts.data());
        c.presetLutCount = static_cast<int32_t>(arrays.presetLuts.size());
        c.analogGainMinMilli = m.gainMinMilli;
        c.analogGainMaxMilli = m.gainMaxMilli;
        c.exposureMinSteps = m.exposureMinSteps;
        c.exposureMaxSteps = m.exposureMaxSteps;
        *capabilities = c;
        return static_cast<int>(VEXO_SDK_OK);
    });
}

}  // extern "C"
