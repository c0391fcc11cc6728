// Reading the camera list file that replaces the built-in camera set.
#include <cstdio>
#include <set>

#include <nlohmann/json.hpp>

#include "AtomicFile.h"
#include "CameraModel.h"

namespace vexo::sdk {

namespace {

using nlohmann::json;

// A whole number in [low, high]; anything else (text, fractions, values past the range,
// which would wrap in a narrower type) is refused naming the field.
long long integerValue(const json& value, const std::string& where, const char* key, long long low,
                       long long high)
{
    if (!value.is_number_integer())
        throw std::runtime_error(where + ": " + key + " must be a whole number");
    bool inRange = false;
    long long number = 0;
    if (value.is_number_unsigned()) {
        const unsigned long long v = value.get<unsigned long long>();
        inRange = v <= static_cast<unsigned long long>(high);
        number = inRange ? static_cast<long long>(v) : 0;
        inRange = inRange && number >= low;
    } else {
        number = value.get<long long>();
        inRange = number >= low && number <= high;
    }
    if (!inRange)
        throw std::runtime_error(where + ": " + key + " must be " + std::to_string(low) + " .. " +
                                 std::to_string(high));
    return number;
}

template <typename T>
T requiredInteger(const json& object, const std::string& where, const char* key, long long low,
                  long long high)
{
    auto it = object.find(key);
    if (it == object.end() || it->is_null())
        throw std::runtime_error(where + ": " + key + " is missing");
    return static_cast<T>(integerValue(*it, where, key, low, high));
}

template <typename T>
void optionalInteger(const json& object, const std::string& where, const char* key, T& target,
                     long long low, long long high)
{
    auto it = object.find(key);
    if (it != object.end() && !it->is_null())
        target = static_cast<T>(integerValue(*it, where, key, low, high));
}

void optionalNumber(const json& object, const std::string& where, const char* key, double& target)
{
    auto it = object.find(key);
    if (it == object.end() || it->is_null())
        return;
    if (!it->is_number())
        throw std::runtime_error(where + ": " + key + " must be a number");
    target = it->get<double>();
}

void optionalText(const json& object, const std::string& where, const char* key,
                  std::string& target)
{
    auto it = object.find(key);
    if (it == object.end() || it->is_null())
        return;
    if (!it->is_string())
        throw std::runtime_error(where + ": " + key + " must be text");
    target = it->get<std::string>();
}

void optionalFlag(const json& object, const std::string& where, const char* key, bool& target)
{
    auto it = object.find(key);
    if (it == object.end() || it->is_null())
        return;
    if (!it->is_boolean())
        throw std::runtime_error(where + ": " + key + " must be true or false");
    target = it->get<bool>();
}

bool parseMac(const std::string& text, uint8_t mac[6])
{
    unsigned values[6];
    char extra;
    if (std::sscanf(text.c_str(), "%x:%x:%x:%x:%x:%x%c", &values[0], &values[1], &values[2],
                    &values[3], &values[4], &values[5], &extra) != 6)
        return false;
    for (int i = 0; i < 6; ++i) {
        if (values[i] > 0xFF)
            return false;
        mac[i] = static_cast<uint8_t>(values[i]);
    }
    return true;
}

CameraModel modelFromJson(const json& j, size_t position)
{
    if (!j.is_object())
        throw std::runtime_error("camera " + std::to_string(position) + " is not an object");
    CameraModel m;
    const std::string where = "camera " + std::to_string(position);
    auto identifier = j.find("identifier");
    if (identifier == j.end() || !identifier->is_string())
        throw std::runtime_error(where + ": identifier is missing");
    m.identifier = identifier->get<std::string>();
    const std::string& id = m.identifier;
    // Sizes are checked against the sensor later; here only that they fit an int at all.
    constexpr long long kInt = 0x7FFFFFFF;
    m.sensorWidth = requiredInteger<int>(j, id, "sensorWidth", 0, kInt);
    m.sensorHeight = requiredInteger<int>(j, id, "sensorHeight", 0, kInt);
    optionalText(j, id, "productSeries", m.productSeries);
    optionalText(j, id, "productName", m.productName);
    optionalText(j, id, "nickname", m.nickname);
    optionalText(j, id, "edition", m.edition);
    optionalText(j, id, "sensor", m.sensorText);
    optionalText(j, id, "interface", m.interfaceText);
    optionalInteger(j, id, "deviceTypeCode", m.deviceTypeCode, 0, 0xFFFFFFFFll);
    optionalFlag(j, id, "color", m.colorSensor);
    optionalInteger(j, id, "bitDepth", m.bitDepth, 0, kInt);
    optionalNumber(j, id, "maxFramesPerSecond", m.maxFramesPerSecond);
    optionalNumber(j, id, "exposureStepUs", m.exposureStepUs);
    optionalInteger(j, id, "exposureMinSteps", m.exposureMinSteps, 0, kInt);
    optionalInteger(j, id, "exposureMaxSteps", m.exposureMaxSteps, 0, kInt);
    optionalInteger(j, id, "gainMinMilli", m.gainMinMilli, 0, kInt);
    optionalInteger(j, id, "gainMaxMilli", m.gainMaxMilli, 0, kInt);
    optionalInteger(j, id, "inputLines", m.inputLines, 0, kInt);
    optionalInteger(j, id, "outputLines", m.outputLines, 0, kInt);
    optionalInteger(j, id, "channels", m.channelCount, 0, kInt);
    optionalInteger(j, id, "sceneSeed", m.sceneSeed, 0, 0xFFFFFFFFll);
    if (m.productName.empty()) {
        // The identifier stands in for a missing product name, which has less room.
        if (isValidIdentifier(m.identifier) && m.identifier.size() > 31)
            throw std::runtime_error(
                id + ": productName is missing, and the identifier is too long (" +
                std::to_string(m.identifier.size()) +
                " bytes) to stand in for it: product names have at most 31 bytes");
        m.productName = m.identifier;
    }
    if (m.interfaceText.empty())
        m.interfaceText = "USB3.0";

    std::string firmware;
    optionalText(j, id, "firmwareVersion", firmware);
    if (!firmware.empty() && !parseFirmwareVersion(firmware, m.firmwareVersion))
        throw std::runtime_error(m.identifier + ": firmwareVersion must look like \"1.2.0.3\"");

    if (auto focus = j.find("focus"); focus != j.end() && !focus->is_null()) {
        if (!focus->is_object())
            throw std::runtime_error(id + ": focus must be an object");
        m.focusDrive = true;
        m.focusMin = requiredInteger<int>(*focus, id + " focus", "min", -kInt, kInt);
        m.focusMax = requiredInteger<int>(*focus, id + " focus", "max", -kInt, kInt);
        m.focusDefault = static_cast<int>((static_cast<long long>(m.focusMin) + m.focusMax) / 2);
        optionalInteger(*focus, id + " focus", "default", m.focusDefault, -kInt, kInt);
    }
    if (auto network = j.find("network"); network != j.end() && !network->is_null()) {
        if (!network->is_object())
            throw std::runtime_error(id + ": network must be an object");
        m.subnetMask = "255.255.255.0";
        optionalText(*network, id, "ip", m.ipAddress);
        optionalText(*network, id, "mask", m.subnetMask);
        optionalText(*network, id, "gateway", m.gateway);
        std::string mac;
        optionalText(*network, id, "mac", mac);
        if (!mac.empty() && !parseMac(mac, m.macAddress))
            throw std::runtime_error(m.identifier + ": mac must look like \"00:0a:1b:2c:3d:4e\"");
    }
    if (auto list = j.find("resolutions"); list != j.end() && !list->is_null()) {
        if (!list->is_array())
            throw std::runtime_error(id + ": resolutions must be a list");
        for (const auto& r : *list) {
            if (!r.is_object())
                throw std::runtime_error(id + ": each resolution must be an object");
            ResolutionPreset p;
            auto name = r.find("name");
            if (name == r.end() || !name->is_string())
                throw std::runtime_error(id + ": each resolution needs a name");
            p.name = name->get<std::string>();
            const std::string preset = id + " resolution \"" + p.name + "\"";
            optionalInteger(r, preset, "offsetX", p.offsetX, 0, kInt);
            optionalInteger(r, preset, "offsetY", p.offsetY, 0, kInt);
            p.regionWidth = requiredInteger<int>(r, preset, "width", 0, kInt);
            p.regionHeight = requiredInteger<int>(r, preset, "height", 0, kInt);
            int binning = 1;
            optionalInteger(r, preset, "binning", binning, 1, 2);
            p.outputWidth = p.regionWidth / binning;
            p.outputHeight = p.regionHeight / binning;
            m.resolutions.push_back(p);
        }
    }
    if (m.sceneSeed == 1)
        m.sceneSeed = static_cast<uint32_t>(std::hash<std::string>()(m.identifier));
    return m;
}

}  // namespace

bool parseCameraList(const std::string& text, const std::string& origin,
                     std::vector<CameraModel>& models, std::string& error)
{
    models.clear();
    std::vector<CameraModel> result;
    try {
        const json document = json::parse(text);
        if (!document.is_array() && !document.is_object())
            throw std::runtime_error("a list of cameras or an object with \"cameras\" expected");
        const json& cameras = document.is_array() ? document : document.at("cameras");
        if (!cameras.is_array())
            throw std::runtime_error("\"cameras\" must be a list");
        std::set<std::string> identifiers;
        for (size_t i = 0; i < cameras.size(); ++i) {
            CameraModel m = modelFromJson(cameras[i], i);
            const std::string problem = completeCameraModel(m);
            if (!problem.empty())
                throw std::runtime_error(problem);
            if (!identifiers.insert(m.identifier).second)
                throw std::runtime_error("identifier " + m.identifier + " appears twice");
            result.push_back(std::move(m));
        }
    } catch (const std::exception& e) {
        error = origin + ": " + e.what();
        return false;
    }
    models = std::move(result);
    return true;
}

bool readCameraListFile(const std::string& path, std::vector<CameraModel>& models,
                        std::string& error)
{
    models.clear();
    std::string text;
    if (!readWholeFile(path, text)) {
        error = "cannot read camera list " + path;
        return false;
    }
    return parseCameraList(text, path, models, error);
}

}  // namespace vexo::sdk
