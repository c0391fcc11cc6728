#include "CameraSettings.h"

#include <algorithm>
#include <cmath>

#include "VexoCameraApi.h"

namespace vexo::sdk {

CameraSettings factorySettings(const CameraModel& m)
{
    CameraSettings s;
    s.exposureUs = snapExposureUs(m, 10000);
    s.gainMilli = m.gainMinMilli;
    s.autoExposureMinUs = snapExposureUs(m, 100);
    s.autoExposureMaxUs = snapExposureUs(m, 40000);
    s.autoExposureMinGainMilli = m.gainMinMilli;
    s.autoExposureMaxGainMilli = std::min(m.gainMaxMilli, std::max(m.gainMinMilli, 8000));
    s.whiteBalanceMode = m.colorSensor ? 1 : 0;
    for (size_t i = 0; i < s.crosshairs.size(); ++i) {
        s.crosshairs[i].x = m.sensorWidth / 2;
        s.crosshairs[i].y = m.sensorHeight / 2;
    }
    s.imageFormat = m.imageFormats.front().formatId;
    s.resolutionIndex = 0;
    s.customRegion = m.resolutions.front();
    s.inputs.assign(static_cast<size_t>(m.inputLines), InputLineSetting{});
    s.outputs.assign(static_cast<size_t>(m.outputLines), OutputLineSetting{});
    s.channelMask = (1u << m.channelCount) - 1;
    s.focusPosition = m.focusDrive ? m.focusDefault : 0;
    return s;
}

const ResolutionPreset& currentRegion(const CameraModel& m, const CameraSettings& s)
{
    if (s.resolutionIndex >= 0 && s.resolutionIndex < static_cast<int>(m.resolutions.size()))
        return m.resolutions[static_cast<size_t>(s.resolutionIndex)];
    return s.customRegion;
}

bool exposureInRange(const CameraModel& m, double us)
{
    return std::isfinite(us) && us >= (m.exposureMinSteps - 0.5) * m.exposureStepUs &&
           us <= (m.exposureMaxSteps + 0.5) * m.exposureStepUs;
}

double snapExposureUs(const CameraModel& m, double exposureUs)
{
    double steps = std::round(exposureUs / m.exposureStepUs);
    steps = std::clamp(steps, static_cast<double>(m.exposureMinSteps),
                       static_cast<double>(m.exposureMaxSteps));
    return steps * m.exposureStepUs;
}

double framePeriodUs(const CameraModel& m, const CameraSettings& s)
{
    static const double speedShare[] = {0.25, 0.5, 1.0};
    const ResolutionPreset& r = currentRegion(m, s);
    const double fullPixels = static_cast<double>(m.sensorWidth) * m.sensorHeight;
    const double pixelsPerUs = fullPixels * m.maxFramesPerSecond *
                               speedShare[std::clamp(s.frameSpeed, 0, 2)] / 1e6;
    // Reading rows costs time even for narrow regions; binning reads every row.
    const double readoutUs = static_cast<double>(m.sensorWidth) * r.regionHeight / pixelsPerUs;
    return std::max({readoutUs, s.exposureUs, 100.0});
}

imaging::SensorSettings sensorSettings(const CameraModel& m, const CameraSettings& s)
{
    imaging::SensorSettings sensor;
    const ResolutionPreset& r = currentRegion(m, s);
    sensor.sensorWidth = m.sensorWidth;
    sensor.sensorHeight = m.sensorHeight;
    sensor.offsetX = r.offsetX;
    sensor.offsetY = r.offsetY;
    sensor.regionWidth = r.regionWidth;
    sensor.regionHeight = r.regionHeight;
    sensor.outputWidth = r.outputWidth;
    sensor.outputHeight = r.outputHeight;
    sensor.layout = (m.colorSensor && imaging::isBayerFormat(s.imageFormat))
                        ? imaging::RawLayout::BayerRG8
                        : imaging::RawLayout::Mono8;
    sensor.bitDepth = std::max(8, imaging::rawBitDepth(s.imageFormat));
    sensor.exposureUs = s.exposureUs;
    sensor.analogGainMilli = s.gainMilli;
    sensor.antiFlicker = s.antiFlicker != 0;
    sensor.lightFrequencyHz = s.lightFrequency == 2 ? 60 : 50;
    sensor.focusPosition = s.focusPosition;
    sensor.focusBest = m.focusDefault;
    sensor.focusRange = m.focusDrive ? m.focusMax - m.focusMin : 0;
    sensor.channelCount = m.channelCount;
    sensor.channelMask = s.channelMask;
    // Noise grows with gain as on a real sensor.
    sensor.noiseSigma = 1.0 + 0.25 * (s.gainMilli / 1000.0);
    // A handful of stuck pixels per sensor, always the same for one camera.
    uint32_t state = m.sceneSeed * 2654435761u + 12345u;
    for (int i = 0; i < 24; ++i) {
        state = state * 1664525u + 1013904223u;
        const int x = static_cast<int>((state >> 8) % static_cast<uint32_t>(m.sensorWidth));
        state = state * 1664525u + 1013904223u;
        const int y = static_cast<int>((state >> 8) % static_cast<uint32_t>(m.sensorHeight));
        sensor.defects.push_back({x, y, static_cast<uint8_t>(i % 3 == 0 ? 0 : 255)});
    }
    return sensor;
}

imaging::PipelineSettings pipelineSettings(const CameraSettings& s, uint32_t outputFormat)
{
    imaging::PipelineSettings p;
    p.wbRed = s.redGain / 100.0;
    p.wbGreen = s.greenGain / 100.0;
    p.wbBlue = s.blueGain / 100.0;
    p.saturation = std::min(s.saturation, 200);
    p.sharpness = s.sharpness;
    p.contrast = s.contrast * 2;
    p.lutMode = s.lutMode;
    p.gamma = s.gamma;
    p.lutContrast = s.lutContrast;
    p.presetLut = s.presetLut;
    p.mirrorHorizontal = s.mirrorHorizontal != 0;
    p.mirrorVertical = s.mirrorVertical != 0;
    p.monochrome = s.monochrome != 0;
    p.defectCorrection = s.defectCorrection != 0;
    for (size_t i = 0; i < p.crosshairs.size(); ++i) {
        const CrosshairSetting& c = s.crosshairs[i];
        p.crosshairs[i].enabled = c.enabled != 0;
        p.crosshairs[i].x = c.x;
        p.crosshairs[i].y = c.y;
        p.crosshairs[i].r = static_cast<uint8_t>(c.colour & 0xFF);
        p.crosshairs[i].g = static_cast<uint8_t>((c.colour >> 8) & 0xFF);
        p.crosshairs[i].b = static_cast<uint8_t>((c.colour >> 16) & 0xFF);
    }
    p.outputFormat = outputFormat;
    return p;
}

}  // namespace vexo::sdk
