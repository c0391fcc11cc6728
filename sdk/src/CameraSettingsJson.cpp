#include "CameraSettingsJson.h"

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
    json region = {{"offsetX", r.offsetX},         {"offsetY", r.offsetY},
                   {"width", r.regionWidth},       {"height", r.regionHeight},
                   {"outputWidth", r.outputWidth}, {"outputHeight", r.outputHeight}};
    if (isUtf8(r.name)) {
        region["name"] = r.name;
    } else {
        static const char hex[] = "0123456789abcdef";
        std::string bytes;
        for (unsigned char c : r.name) {
            bytes += hex[c >> 4];
            bytes += hex[c & 15];
        }
        region["nameHex"] = bytes;
    }
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
            {"customRegion", region},
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

// Reads fields of one object into targets; throws on a bad value, and on a missing one
// unless the field is optional for this reader.
struct Reader {
    const json& object;
    bool required = true;

    json::const_iterator find(const char* key) const
    {
        auto it = object.find(key);
        if (it == object.end() && required)
            throw std::invalid_argument(key);
        return it;
    }

    void integer(const char* key, int& target, long long low, long long high) const
    {
        auto it = find(key);
        if (it == object.end())
            return;
        // Past the largest signed number, an unsigned one would wrap to a negative value.
        if (!it->is_number_integer() ||
            (it->is_number_unsigned() &&
             (high < 0 || it->get<unsigned long long>() > static_cast<unsigned long long>(high))))
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

    // An exposure time taken as the exposure setters take it: the same range check, then
    // rounded to whole steps, so a file never leaves a time the camera could not be set
    // to. Returns the time as written, for comparisons the setters make before rounding.
    double exposure(const char* key, double& target, const CameraModel& m) const
    {
        auto it = find(key);
        if (it == object.end())
            return target;
        if (!it->is_number())
            throw std::invalid_argument(key);
        const double value = it->get<double>();
        if (!exposureInRange(m, value))
            throw std::out_of_range(key);
        target = snapExposureUs(m, value);
        return value;
    }

    const json* list(const char* key, size_t expectedSize) const
    {
        auto it = find(key);
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

int hexDigit(char c)
{
    return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// The region name as stored: "name" (UTF-8) or "nameHex" (any bytes), at most the 48
// bytes of the descriptor's name field.
std::string regionName(const json& region)
{
    constexpr size_t kLongestName = 48;
    if (auto hex = region.find("nameHex"); hex != region.end()) {
        if (!hex->is_string() || hex->get_ref<const std::string&>().size() > 2 * kLongestName)
            throw std::invalid_argument("nameHex");
        const std::string& text = hex->get_ref<const std::string&>();
        std::string name;
        for (size_t i = 0; i + 1 < text.size(); i += 2) {
            const int high = hexDigit(text[i]), low = hexDigit(text[i + 1]);
            if (high < 0 || low < 0)
                throw std::invalid_argument("nameHex");
            name += static_cast<char>(high << 4 | low);
        }
        if (text.size() % 2)
            throw std::invalid_argument("nameHex");
        return name;
    }
    auto name = region.find("name");
    if (name == region.end() || !name->is_string() ||
        name->get_ref<const std::string&>().size() > kLongestName)
        throw std::invalid_argument("name");
    return name->get<std::string>();
}

}  // namespace

bool settingsFromJson(const CameraModel& m, const json& document, FieldSet fields,
                      CameraSettings& settings)
{
    if (!document.is_object())
        return false;
    CameraSettings s = settings;
    try {
        const Reader r{document};
        // Fields the first file version did not have.
        const Reader newer{document, fields == FieldSet::Complete};
        r.integer("exposureMode", s.exposureMode, 0, 1);
        r.exposure("exposureUs", s.exposureUs, m);
        r.integer("gainMilli", s.gainMilli, m.gainMinMilli, m.gainMaxMilli);
        r.integer("targetBrightness", s.targetBrightness, 0, 255);
        const double autoMinUs = r.exposure("autoExposureMinUs", s.autoExposureMinUs, m);
        const double autoMaxUs = r.exposure("autoExposureMaxUs", s.autoExposureMaxUs, m);
        if (autoMinUs > autoMaxUs)
            return false;
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
        if (const json* list = newer.list("crosshairs", s.crosshairs.size())) {
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
        {
            auto it = r.find("customRegion");
            readObject(*it, "customRegion");
            const Reader c{*it};
            ResolutionPreset region = s.customRegion;
            region.name = regionName(*it);
            c.integer("offsetX", region.offsetX, 0, m.sensorWidth);
            c.integer("offsetY", region.offsetY, 0, m.sensorHeight);
            c.integer("width", region.regionWidth, 1, m.sensorWidth);
            c.integer("height", region.regionHeight, 1, m.sensorHeight);
            c.integer("outputWidth", region.outputWidth, 1, m.sensorWidth);
            c.integer("outputHeight", region.outputHeight, 1, m.sensorHeight);
            if (checkRegion(m, region) != VEXO_SDK_OK)
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
        if (const json* list = newer.list("inputs", s.inputs.size())) {
            for (size_t i = 0; i < s.inputs.size(); ++i) {
                readObject((*list)[i], "input");
                const Reader l{(*list)[i]};
                l.integer("mode", s.inputs[i].mode, 0, 1);
                l.integer("edge", s.inputs[i].edge, 0, 3);
                l.integer("debounceUs", s.inputs[i].debounceUs, 0, 1000000);
            }
        }
        if (const json* list = newer.list("outputs", s.outputs.size())) {
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
        newer.unsignedInteger("channelMask", s.channelMask, (1u << m.channelCount) - 1);
        if (m.focusDrive)
            newer.integer("focusPosition", s.focusPosition, m.focusMin, m.focusMax);
        else
            newer.find(
                "focusPosition");  // written for every camera, so a set without it is damaged
        if (s.autoExposureMinUs > s.autoExposureMaxUs || s.autoExposureMinGainMilli > s.autoExposureMaxGainMilli)
            return false;
    } catch (const std::exception&) {
        return false;
    }
    settings = std::move(s);
    return true;
}

}  // namespace vexo::sdk
