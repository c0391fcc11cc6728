#include "CameraRules.h"

#include <cmath>

#include "BinaryFile.h"
#include "CameraSettingsJson.h"
#include "FuzzSupport.h"
#include "VexoCameraApi.h"

namespace fuzzsupport {

using namespace vexo::sdk;

namespace {

void requireExposure(const CameraModel& m, double us)
{
    FUZZ_REQUIRE(exposureInRange(m, us));
    FUZZ_REQUIRE(snapExposureUs(m, us) == us);
}

void requireGain(const CameraModel& m, int milli)
{
    FUZZ_REQUIRE(milli >= m.gainMinMilli && milli <= m.gainMaxMilli);
}

}  // namespace

void requireUsableSettings(const CameraModel& m, const CameraSettings& s)
{
    requireExposure(m, s.exposureUs);
    requireExposure(m, s.autoExposureMinUs);
    requireExposure(m, s.autoExposureMaxUs);
    FUZZ_REQUIRE(s.autoExposureMinUs <= s.autoExposureMaxUs);
    requireGain(m, s.gainMilli);
    requireGain(m, s.autoExposureMinGainMilli);
    requireGain(m, s.autoExposureMaxGainMilli);
    FUZZ_REQUIRE(s.autoExposureMinGainMilli <= s.autoExposureMaxGainMilli);
    FUZZ_REQUIRE(s.whiteBalanceMode >= 0 && s.whiteBalanceMode <= (m.colorSensor ? 1 : 0));
    FUZZ_REQUIRE(s.frameSpeed >= 0 && s.frameSpeed <= 2);
    bool offered = false;
    for (const ImageFormatEntry& f : m.imageFormats)
        offered = offered || f.formatId == s.imageFormat;
    FUZZ_REQUIRE(offered);
    FUZZ_REQUIRE(s.resolutionIndex == VEXO_SDK_CUSTOM_RESOLUTION ||
                 (s.resolutionIndex >= 0 && s.resolutionIndex < static_cast<int>(m.resolutions.size())));
    FUZZ_REQUIRE(checkRegion(m, s.customRegion) == VEXO_SDK_OK);
    FUZZ_REQUIRE(s.customRegion.name.size() <= 48);
    FUZZ_REQUIRE(checkRegion(m, currentRegion(m, s)) == VEXO_SDK_OK);
    FUZZ_REQUIRE(s.triggerMode >= 0 && s.triggerMode <= (m.inputLines > 0 ? 2 : 1));
    FUZZ_REQUIRE(s.inputs.size() == static_cast<size_t>(m.inputLines));
    FUZZ_REQUIRE(s.outputs.size() == static_cast<size_t>(m.outputLines));
    FUZZ_REQUIRE(s.channelMask < (1u << m.channelCount));
    if (m.focusDrive)
        FUZZ_REQUIRE(s.focusPosition >= m.focusMin && s.focusPosition <= m.focusMax);
    for (const CrosshairSetting& c : s.crosshairs)
        FUZZ_REQUIRE(c.colour <= 0xFFFFFF);

    const double period = framePeriodUs(m, s);
    FUZZ_REQUIRE(std::isfinite(period) && period > 0);
    const vexo::imaging::SensorSettings sensor = sensorSettings(m, s);
    FUZZ_REQUIRE(sensor.outputWidth > 0 && sensor.outputHeight > 0);
    pipelineSettings(s, s.imageFormat);
}

bool sameSettings(const CameraSettings& a, const CameraSettings& b)
{
    return settingsToJson(a) == settingsToJson(b);
}

std::string libraryFile(const uint8_t* data, size_t size)
{
    if (size < 1)
        return {};
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    constexpr size_t kHeader = 44, kTrailer = 4;
    if ((data[0] & 0x40) && bytes.size() >= kHeader + kTrailer) {
        std::string length;
        appendUint32(length, static_cast<uint32_t>(bytes.size() - kHeader - kTrailer));
        bytes.replace(40, 4, length);
        bytes.resize(bytes.size() - kTrailer);
        appendChecksum(bytes);
    }
    return bytes;
}

}  // namespace fuzzsupport
