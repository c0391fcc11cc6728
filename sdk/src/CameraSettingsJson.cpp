#include "CameraSettingsJson.h"

#include <cmath>

#include "VexoCameraApi.h"

namespace vexo::sdk {

using nlohmann::json;

json settingsToJson(const CameraSettings& s)
{
    json crosshairs = json::array();
    for (const CrosshairSetting& c : s.crosshairs)
        crosshairs.push_back({{"x", c.x}, {"y", c.y}, {"colour", c.colour}, {"enabled", c.enabled}});
    json inputs = json::array();
    for (const InputLineSetting& l : s.inputs)
        inputs.push_back({{"mode", l.mode}, {"edge", l.edge}, {"debounceUs", l.debounceUs}});
    json outputs = json::array();
    for (const OutputLineSetting& l : s.outputs)
        outputs.push_back({{"mode", l.mode},
                           {"strobeMode", l.strobeMode},
                           {"polarity", l.polarity},
                           {"strobeDelayUs", l.strobeDelayUs},
                           {"strobeWidthUs", l.strobeWidthUs},
                           {"level", l.level},
                           {"pwmPeriodUs", l.pwmPeriodUs},
                           {"pwmHighUs", l.pwmHighUs}});
    const ResolutionPreset& r = s.customRegion;
    return {{"exposureMode", s.exposureMode},
            {"exposureUs", s.exposureUs},
            {"gainMilli", s.gainMilli},
            {"targetBrightness", s.targetBrightness},
            {"autoExposureMinUs", s.autoExposureMinUs},
            {"autoExposureMaxUs", s.autoExposureMaxUs},
            {"autoExposureMinGainMilli", s.autoExposureMinGainMilli},
            {"autoExposureMaxGainMilli", s.autoExposureMaxGainMilli},
            {"antiFlicker", s.antiFlicker},
            {"lightFrequency", s.lightFrequency},
            {"whiteBalanceMode", s.whiteBalanceMode},
            {"redGain", s.redGain},
            {"greenGain", s.greenGain},
            {"blueGain", s.blueGain},
            {"frameSpeed", s.frameSpeed},
            {"contrast", s.contrast},
            {"sharpness", s.sharpness},
            {"saturation", s.saturation},
            {"mirrorHorizontal", s.mirrorHorizontal},
            {"mirrorVertical", s.mirrorVertical},
            {"monochrome", s.monochrome},
            {"defectCorrection", s.defectCorrection},
            {"crosshairs", crosshairs},
            {"lutMode", s.lutMode},
            {"gamma", s.gamma},
            {"lutContrast", s.lutContrast},
            {"presetLut", s.presetLut},
            {"imageFormat", s.imageFormat},
            {"resolutionIndex", s.resolutionIndex},
            {"customRegion",
             {{"name", r.name},
              {"offsetX", r.offsetX},
              {"offsetY", r.offsetY},
              {"width", r.regionWidth},
              {"height", r.regionHeight},
              {"outputWidth", r.outputWidth},
              {"outputHeight", r.outputHeight}}},
            {"triggerMode", s.triggerMode},
            {"triggerFrames", s.triggerFrames},
            {"triggerDelayUs", s.triggerDelayUs},
            {"inputs", inputs},
            {"outputs", outputs},
            {"packetSize", s.packetSize},
            {"packetIntervalUs", s.packetIntervalUs},
            {"channelMask", s.channelMask},
            {"focusPosition", s.focusPosition}};
}

namespace {

// Reads optional integer field `key` into target when present; throws on a bad value.
struct Reader {
    const json& object;

    void integer(const char* key, int& target, long long low, long long high) const
    {
        auto it = object.find(key);
        if (it == object.end())
            return;
        if (!it->is_number_integer())
            throw std::invalid_argument(key);
        const long long value = it->get<long long>();
        if (value < low || value > high)
            throw std::out_of_range(key);
        target = static_cast<int>(value);
    }

    void unsignedInteger(const char* key, uint32_t& target, uint32_t high) const
    {
        int value = static_cast<int>(target);
        integer(key, value, 0, high);
        target = static_cast<uint32_t>(value);
    }

    void number(const char* key, double& target, double low, double high) const
    {
        auto it = object.find(key);
        if (it == object.end())
            return;
        if (!it->is_number())
            throw std::invalid_argument(key);
        const double value = it->get<double>();
        if (!std::isfinite(value) || value < low || value > high)
            throw std::out_of_range(key);
        target = value;
    }

    const json* list(const char* key, size_t expectedSize) const
    {
        auto it = object.find(key);
        if (it == object.end())
            return nullptr;
        if (!it->is_array() || it->size() != expectedSize)
            throw std::invalid_argument(key);
        return &*it;
    }
};

void readObject(const json& value, const char* what)
{
    if (!value.is_object())
        throw std::invalid_argument(what);
}

}  // namespace

bool settingsFromJson(const CameraModel& m, const json& document, CameraSettings& settings)
{
    if (!document.is_object())
        return false;
    CameraSettings s = settings;
    try {
        const Reader r{document};
        const double minUs = m.exposureMinSteps * m.exposureStepUs;
        const double maxUs = m.exposureMaxSteps * m.exposureStepUs;
        r.integer("exposureMode", s.exposureMode, 0, 1);
        r.number("exposureUs", s.exposureUs, minUs * 0.999, maxUs * 1.001);
        r.integer("gainMilli", s.gainMilli, m.gainMinMilli, m.gainMaxMilli);
        r.integer("targetBrightness", s.targetBrightness, 0, 255);
        r.number("autoExposureMinUs", s.autoExposureMinUs, minUs * 0.999, maxUs * 1.001);
        r.number("autoExposureMaxUs", s.autoExposureMaxUs, minUs * 0.999, maxUs * 1.001);
        r.integer("autoExposureMinGainMilli", s.autoExposureMinGainMilli, m.gainMinMilli, m.gainMaxMilli);
        r.integer("autoExposureMaxGainMilli", s.autoExposureMaxGainMilli, m.gainMinMilli, m.gainMaxMilli);
        r.integer("antiFlicker", s.antiFlicker, 0, 1);
        r.integer("lightFrequency", s.lightFrequency, 1, 2);
        r.integer("whiteBalanceMode", s.whiteBalanceMode, 0, m.colorSensor ? 1 : 0);
        r.integer("redGain", s.redGain, 0, 400);
        r.integer("greenGain", s.greenGain, 0, 400);
        r.integer("blueGain", s.blueGain, 0, 400);
        r.integer("frameSpeed", s.frameSpeed, 0, 2);
        r.integer("contrast", s.contrast, 0, 100);
        r.integer("sharpness", s.sharpness, 0, 100);
        r.integer("saturation", s.saturation, 0, 255);
        r.integer("mirrorHorizontal", s.mirrorHorizontal, 0, 1);
        r.integer("mirrorVertical", s.mirrorVertical, 0, 1);
        r.integer("monochrome", s.monochrome, 0, 1);
        r.integer("defectCorrection", s.defectCorrection, 0, 1);
        if (const json* list = r.list("crosshairs", s.crosshairs.size())) {
            for (size_t i = 0; i < s.crosshairs.size(); ++i) {
                readObject((*list)[i], "crosshair");
                const Reader c{(*list)[i]};
                c.integer("x", s.crosshairs[i].x, 0, 65535);
                c.integer("y", s.crosshairs[i].y, 0, 65535);
                c.unsignedInteger("colour", s.crosshairs[i].colour, 0xFFFFFF);
                c.integer("enabled", s.crosshairs[i].enabled, 0, 1);
            }
        }
        r.integer("lutMode", s.lutMode, 0, 1);
        r.integer("gamma", s.gamma, 1, 1000);
        r.integer("lutContrast", s.lutContrast, 0, 200);
        r.integer("presetLut", s.presetLut, 0, 2);
        uint32_t format = s.imageFormat;
        r.unsignedInteger("imageFormat", format, 0x7FFFFFFF);
        bool offered = false;
        for (const ImageFormatEntry& f : m.imageFormats)
            offered = offered || f.formatId == format;
        if (!offered)
            return false;
        s.imageFormat = format;
        if (auto it = document.find("customRegion"); it != document.end()) {
            readObject(*it, "customRegion");
            const Reader c{*it};
            ResolutionPreset region = s.customRegion;
            if (auto name = it->find("name"); name != it->end()) {
                if (!name->is_string() || name->get<std::string>().size() > 47)
                    return false;
                region.name = name->get<std::string>();
            }
            c.integer("offsetX", region.offsetX, 0, m.sensorWidth);
            c.integer("offsetY", region.offsetY, 0, m.sensorHeight);
            c.integer("width", region.regionWidth, 16, m.sensorWidth);
            c.integer("height", region.regionHeight, 16, m.sensorHeight);
            c.integer("outputWidth", region.outputWidth, 8, m.sensorWidth);
            c.integer("outputHeight", region.outputHeight, 8, m.sensorHeight);
            const bool fits = region.offsetX + region.regionWidth <= m.sensorWidth &&
                              region.offsetY + region.regionHeight <= m.sensorHeight;
            const bool sizes = (region.outputWidth == region.regionWidth && region.outputHeight == region.regionHeight) ||
                               (region.outputWidth * 2 == region.regionWidth &&
                                region.outputHeight * 2 == region.regionHeight);
            if (!fits || !sizes)
                return false;
            s.customRegion = region;
        }
        int index = s.resolutionIndex;
        r.integer("resolutionIndex", index, 0, 0xFF);
        if (index != VEXO_SDK_CUSTOM_RESOLUTION && index >= static_cast<int>(m.resolutions.size()))
            return false;
        s.resolutionIndex = index;
        r.integer("triggerMode", s.triggerMode, 0, m.inputLines > 0 ? 2 : 1);
        r.integer("triggerFrames", s.triggerFrames, 1, 1000);
        r.integer("triggerDelayUs", s.triggerDelayUs, 0, 10000000);
        if (const json* list = r.list("inputs", s.inputs.size())) {
            for (size_t i = 0; i < s.inputs.size(); ++i) {
                readObject((*list)[i], "input");
                const Reader l{(*list)[i]};
                l.integer("mode", s.inputs[i].mode, 0, 1);
                l.integer("edge", s.inputs[i].edge, 0, 3);
                l.integer("debounceUs", s.inputs[i].debounceUs, 0, 1000000);
            }
        }
        if (const json* list = r.list("outputs", s.outputs.size())) {
            for (size_t i = 0; i < s.outputs.size(); ++i) {
                readObject((*list)[i], "output");
                const Reader l{(*list)[i]};
                OutputLineSetting& o = s.outputs[i];
                l.integer("mode", o.mode, 0, 2);
                l.integer("strobeMode", o.strobeMode, 0, 1);
                l.integer("polarity", o.polarity, 0, 1);
                l.integer("strobeDelayUs", o.strobeDelayUs, 0, 10000000);
                l.integer("strobeWidthUs", o.strobeWidthUs, 0, 10000000);
                l.integer("level", o.level, 0, 1);
                l.integer("pwmPeriodUs", o.pwmPeriodUs, 1, 10000000);
                l.integer("pwmHighUs", o.pwmHighUs, 0, 10000000);
            }
        }
        r.integer("packetSize", s.packetSize, 576, 9000);
        r.integer("packetIntervalUs", s.packetIntervalUs, 0, 100000);
        r.unsignedInteger("channelMask", s.channelMask, (1u << m.channelCount) - 1);
        if (m.focusDrive)
            r.integer("focusPosition", s.focusPosition, m.focusMin, m.focusMax);
        if (s.autoExposureMinUs > s.autoExposureMaxUs || s.autoExposureMinGainMilli > s.autoExposureMaxGainMilli)
            return false;
    } catch (const std::exception&) {
        return false;
    }
    settings = std::move(s);
    return true;
}

}  // namespace vexo::sdk
